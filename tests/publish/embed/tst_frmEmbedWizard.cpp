// The embed wizard driven through its buttons: pages in several encodings become a copy with
// the embed code in the published folder; bad choices are refused without writing.

#include "publish/embed/frmEmbedWizard.h"

#include "publish/embed/EmbedCode.h"
#include "publish/preview/LoopbackServer.h"

#include "platform/ShellOpen.h"
#include "tests/support/ForwardedAddress.h"
#include "tests/support/ScriptedPrompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>

using platform::PromptButton;
using platform::PromptKind;
using publish::TfrmEmbedWizard;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray utf16le(const QString& text) {
    QByteArray out("\xFF\xFE", 2);
    out.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return out;
}

// A published album as the editor leaves it: the sample template's player, "data.xml" with one
// gallery and a photo, the album page "photogallery.htm" beside the folder "pictavo/".
void publishAlbum(const QString& site) {
    const QString program = QStringLiteral(FZ_BINARY_DIR "/bin/");
    QDir().mkpath(site + "pictavo/pictavo_images");
    for (QDirIterator it(program + "Templates/fz-simple", QDir::Files); it.hasNext();) {
        const QString from = it.next();
        QVERIFY(QFile::copy(from, site + "pictavo/" + it.fileName()));
    }
    QFile::remove(site + "pictavo/data.xml");
    writeAll(site + "pictavo/data.xml",
             "<photogallery><txt id=\"1\">Trip</txt><folder><item id=\"1\" pid=\"0\"><txt "
             "id=\"1\">Harbour</txt><src id=\"1\" w=\"64\" h=\"48\">pictavo_images/a.jpg</src>"
             "</item></folder><photo/></photogallery>");
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save(site + "pictavo/pictavo_images/a.jpg", "JPEG"));
    QString page = QString::fromUtf8(readAll(program + "Files/index.html"));
    page.replace("%_album_base_folder_%", "pictavo/").replace("%_album_name_%", "Trip");
    writeAll(site + "photogallery.htm",
             page.replace("%_album_width_%", "100%").replace("%_album_height_%", "100%").toUtf8());
}

// The page checker's verdict on a page loaded over HTTP, with the event loop running for the
// servers of this process.
QString pageCheck(const QUrl& page, const QString& title, const QString& shot) {
    QProcess check;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
    env.insert("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    check.setProcessEnvironment(env);
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(FZ_BINARY_DIR "/tests/app_page_load_check",
                {page.toString(), title, shot, QStringLiteral("--page-only")});
    (void)QTest::qWaitFor([&check] { return check.state() == QProcess::NotRunning; }, 90000);
    const QString output = QString::fromUtf8(check.readAll());
    return check.exitStatus() == QProcess::NormalExit && check.exitCode() == 0 ? QString() : output;
}

} // namespace

class EmbedWizardTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    platform::ScriptedPrompts prompts;
    std::unique_ptr<TfrmEmbedWizard> wizard;
    QList<QUrl> opened;
    QString publishFolder;

    // Shows the wizard as the publishing dialog does, with a template of one line.
    void start(const QByteArray& templateLine = "<div>%_album_width_%x%_album_height_%</div>") {
        writeAll(dir.filePath("prog/Files/embed_page_nojs.htm"), templateLine + "\r\n");
        wizard = std::make_unique<TfrmEmbedWizard>();
        publish::PublishingValues& v = wizard->Values;
        v.AlbumWidth = "640";
        v.AlbumHeight = "480";
        v.BaseFolder = "pictavo/";
        v.EmbedSymbol = "{brimlo_lumivex}";
        v.EmbedPageFile = dir.filePath("prog/Files/embed_page.htm");
        v.EmbedPageNoJsFile = dir.filePath("prog/Files/embed_page_nojs.htm");
        v.WidthToken = "%_album_width_%";
        v.HeightToken = "%_album_height_%";
        v.BaseFolderToken = "%_album_base_folder_%";
        v.PublishFolder = publishFolder;
        wizard->show();
    }

    // The wizard's control of that name; a missing one ends the test run.
    template <class T> T* child(const char* name) const {
        T* found = wizard->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }

    // Steps 1 to 3 with the page; true when step 4 was reached.
    bool runTo4(const QString& page) {
        child<QPushButton>("btnP1Next")->click();
        prompts.answerText(page.toStdString());
        child<QPushButton>("TntButton7")->click();
        if (!child<QPushButton>("btnP2Next")->isEnabled())
            return false;
        child<QPushButton>("btnP2Next")->click();
        child<QPushButton>("btnP3Process")->click();
        return child<QStackedWidget>("pageCtrl")->currentIndex() == 3;
    }

private slots:
    void init() {
        publishFolder = dir.filePath("site") + '/';
        QDir(publishFolder).removeRecursively();
        QDir().mkpath(publishFolder);
        QDir(dir.filePath("mine")).removeRecursively();
        prompts = platform::ScriptedPrompts();
        platform::setPrompts(&prompts);
        opened.clear();
        platform::setShellOpenHook([this](const QUrl& url) {
            opened << url;
            return true;
        });
    }
    void cleanup() {
        wizard.reset();
        platform::setShellOpenHook({});
        platform::setPrompts(nullptr);
    }

    // Every page comes back in its own encoding, byte for byte around the code; a UTF-8 page
    // without a byte-order mark is written without one.
    void pagesOfEveryEncodingGetTheCodeAtTheFirstMarker_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("utf-8, mixed case, second marker kept")
            << QByteArray("<p>A{BRIMLO_LUMIVEX}B</p>\nsecond {brimlo_lumivex}\n")
            << QByteArray("<p>A\r\n<div>640x480</div>\r\nB</p>\r\nsecond {brimlo_lumivex}\r\n");
        QTest::newRow("marker opens the page")
            << QByteArray("{brimlo_lumivex}x") << QByteArray("\r\n<div>640x480</div>\r\nx\r\n");
        QTest::newRow("utf-8 with bom and sharp s")
            << QByteArray("\xEF\xBB\xBFStra\xC3\x9F"
                          "e {Brimlo_Lumivex} x")
            << QByteArray("\xEF\xBB\xBFStra\xC3\x9F"
                          "e \r\n<div>640x480</div>\r\n x\r\n");
        QTest::newRow("utf-16 le with bom")
            << utf16le(QStringLiteral("Straße {BRIMLO_lumivex} x\r\nEnde"))
            << utf16le(QStringLiteral("Straße \r\n<div>640x480</div>\r\n x\r\nEnde\r\n"));
        QTest::newRow("windows-1252")
            << QByteArray("caf\xE9 \x80{brimlo_LUMIVEX}\xE9t\xE9\x81\r\n")
            << QByteArray("caf\xE9 \x80\r\n<div>640x480</div>\r\n\xE9t\xE9\x81\r\n");
    }
    void pagesOfEveryEncodingGetTheCodeAtTheFirstMarker() {
        QFETCH(QByteArray, page);
        QFETCH(QByteArray, expected);
        const QString source = dir.filePath("mine/index.htm");
        writeAll(source, page);
        start();
        QVERIFY(runTo4(source));
        QCOMPARE(readAll(publishFolder + "index.htm"), expected);
        QCOMPARE(readAll(source), page); // the user's own page stays as it was
        QCOMPARE(child<QLabel>("lblFinishFilePath")->text(),
                 QDir::toNativeSeparators(publishFolder + "index.htm"));
        QCOMPARE(child<QTreeWidget>("TntTreeView1")->topLevelItem(0)->child(0)->text(0),
                 QString("index.htm"));
        QCOMPARE(child<QTreeWidget>("TntTreeView1")->topLevelItem(0)->child(1)->text(0),
                 QString("pictavo"));
        QCOMPARE(child<QTreeWidget>("TntTreeView2")->topLevelItem(0)->child(0)->child(1)->text(0),
                 QString("pictavo"));
        QVERIFY(child<QTextEdit>("reCode")->toPlainText().contains("<div>640x480</div>"));
        QCOMPARE(prompts.calls().size(), std::size_t(1)); // the file dialog only
        QCOMPARE(prompts.calls()[0].filter,
                 std::string("Webpages (*.htm;*.html;*.php;*.asp)|*.htm;*.html;*.php;*.asp|"
                             "All Files (*.*)|*.*"));
    }

    // A page that declares Windows-1252 keeps its own text, and the code written into it, beyond
    // that character set, becomes the characters it stands for.
    void declaredWindows1252PageShowsItsTextInTheBrowser() {
        const QString source = dir.filePath("mine/caf\u00e9.htm");
        const QByteArray head = "<html><head><meta http-equiv=\"Content-Type\" "
                                "content=\"text/html; charset=windows-1252\">\r\n"
                                "<title>Caf\xE9 \x80 ";
        writeAll(source, head + "{brimlo_lumivex}</title></head><body>\xE9t\xE9</body></html>");
        start(QStringLiteral("\u2713%_album_width_%\u00d7%_album_height_%").toUtf8());
        QVERIFY(runTo4(source));
        const QString page = publishFolder + QStringLiteral("caf\u00e9.htm");
        QCOMPARE(readAll(page), head + "\r\n&#x2713;640\xD7"
                                       "480\r\n</title></head><body>\xE9t\xE9</body></html>\r\n");
    }

    // The user's own page, with the embed code from either template, plays the published album
    // in the browser engine: beside the album with the wizard's relative base folder, and on
    // another server with the full address of the album's folder. A page that plays nothing
    // fails the check.
    void embeddedAlbumPlaysInTheUsersPage_data() {
        QTest::addColumn<bool>("script");
        QTest::addColumn<bool>("elsewhere");
        QTest::newRow("script-free, beside") << false << false;
        QTest::newRow("script, beside") << true << false;
        QTest::newRow("script-free, other server") << false << true;
        QTest::newRow("script, other server") << true << true;
    }
    void embeddedAlbumPlaysInTheUsersPage() {
        QFETCH(bool, script);
        QFETCH(bool, elsewhere);
        publishAlbum(publishFolder);
        const QString source = dir.filePath("mine/home.htm");
        const QByteArray head = "<html><head><meta charset=\"windows-1252\"><title>Caf\xE9 \x80"
                                "</title></head><body><p>\xE9t\xE9</p>";
        writeAll(source, head + "{brimlo_lumivex}</body></html>");
        start();
        const QString program = QStringLiteral(FZ_BINARY_DIR "/bin/Files/");
        wizard->Values.EmbedPageFile = program + "embed_page.htm";
        wizard->Values.EmbedPageNoJsFile = program + "embed_page_nojs.htm";
        child<QCheckBox>("cbJavascript")->setChecked(script);
        QVERIFY(runTo4(source));
        publish::LoopbackServer album(publishFolder);
        QUrl page = album.url("home.htm");
        std::unique_ptr<publish::LoopbackServer> other;
        if (elsewhere) {
            const QString folder = dir.filePath("other/");
            const QStringList code = publish::EmbedCode::Fill(
                publish::EmbedCode::ReadTemplate(script ? wizard->Values.EmbedPageFile
                                                        : wizard->Values.EmbedPageNoJsFile),
                wizard->Values, album.url("pictavo/").toString());
            writeAll(folder + "home.htm", head + code.join("\r\n").toLatin1() + "</body></html>");
            other = std::make_unique<publish::LoopbackServer>(folder);
            page = other->url("home.htm");
        }
        const QString shot = QStringLiteral(FZ_BINARY_DIR "/embedded-album-%1%2.png")
                                 .arg(script ? "script" : "plain", elsewhere ? "-elsewhere" : "");
        const QString failure = pageCheck(page, QStringLiteral("Caf\u00e9 \u20ac"), shot);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));

        if (script || elsewhere)
            return;
        // The same page without the code plays nothing, and the checker says so.
        writeAll(publishFolder + "bare.htm", head + "</body></html>");
        QVERIFY(
            !pageCheck(album.url("bare.htm"), QStringLiteral("Caf\u00e9 \u20ac"), shot).isEmpty());
    }

    // A page that sets a base address, against which relative addresses of the code resolve: the
    // wizard says so, naming the base.
    void baseAddressOfThePageIsPointedOut_data() {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QString>("base");
        QTest::newRow("none") << QByteArray("<head><title>x</title></head>") << QString();
        QTest::newRow("absolute, double quotes")
            << QByteArray("<head><BASE target=\"_top\" HREF=\"http://example.org/b/\"></head>")
            << "http://example.org/b/";
        QTest::newRow("relative, single quotes, below the marker")
            << QByteArray("<head></head>{brimlo_lumivex}<base href='../up/'>") << "../up/";
        QTest::newRow("unquoted") << QByteArray("<base href=/root/>") << "/root/";
        QTest::newRow("a base without an address")
            << QByteArray("<base target=\"_blank\">") << QString();
        QTest::newRow("a word that starts the same")
            << QByteArray("<basefont href=\"x\"><p>base href=\"y\"</p>") << QString();
    }
    void baseAddressOfThePageIsPointedOut() {
        QFETCH(QByteArray, head);
        QFETCH(QString, base);
        writeAll(dir.filePath("mine/based.htm"), "<html>" + head + "<body>{brimlo_lumivex}</body>");
        start();
        QVERIFY(runTo4(dir.filePath("mine/based.htm")));
        const auto* warning = child<QLabel>("lblBaseWarning");
        QCOMPARE(warning->isHidden(), base.isEmpty());
        QCOMPARE(warning->text().contains("<base href=\"" + base + "\">"), !base.isEmpty());
        QCOMPARE(warning->textFormat(), Qt::PlainText);
    }

    void pageWithoutMarkerIsRefused() {
        const QString source = dir.filePath("mine/plain.htm");
        writeAll(source, "<p>brimlo lumivex</p>");
        start();
        child<QLineEdit>("TntEdit2")->setText("left over");
        child<QPushButton>("btnP2Next")->setEnabled(true);
        QVERIFY(!runTo4(source));
        QCOMPARE(prompts.calls().back().kind, PromptKind::Warning);
        QCOMPARE(prompts.calls().back().text, std::string("No embed symbol in source file"));
        QVERIFY(child<QLineEdit>("TntEdit2")->text().isEmpty());
        QVERIFY(!child<QPushButton>("btnP2Next")->isEnabled());
        QVERIFY(QDir(publishFolder).isEmpty());
    }

    void previewOnlyForHtmAndHtmlPages_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("previewed");
        QTest::newRow("php in capitals") << "Page.PHP" << false;
        QTest::newRow("asp") << "page.asp" << false;
        QTest::newRow("html in capitals") << "Page.HTML" << true;
        QTest::newRow("htm") << "page.htm" << true;
    }
    void previewOnlyForHtmAndHtmlPages() {
        QFETCH(QString, name);
        QFETCH(bool, previewed);
        const QString source = dir.filePath("mine/" + name);
        writeAll(source, "x{brimlo_lumivex}y");
        start();
        QVERIFY(runTo4(source));
        QVERIFY(QFile::exists(publishFolder + name));
        child<QPushButton>("btnP4Preview")->click();
        if (previewed) {
            QCOMPARE(opened.size(), 1);
            QCOMPARE(testsupport::withoutSecret(testsupport::forwardedAddress(opened[0])),
                     "http://127.0.0.1/" + name);
        } else {
            QVERIFY(opened.isEmpty());
            QCOMPARE(prompts.calls().back().kind, PromptKind::Information);
            QCOMPARE(prompts.calls().back().text,
                     std::string("Preview function only support for .htm and .html only"));
        }
    }

    void replacingAFileAsksFirst_data() {
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("answer");
        QTest::newRow("page inside the publish folder, No")
            << "site/page.htm" << int(PromptButton::No);
        QTest::newRow("page inside the publish folder, Yes")
            << "site/page.htm" << int(PromptButton::Yes);
        QTest::newRow("named like the album page, No")
            << "mine/photogallery.htm" << int(PromptButton::No);
        QTest::newRow("earlier copy there, Yes") << "mine/page.htm" << int(PromptButton::Yes);
    }
    void replacingAFileAsksFirst() {
        QFETCH(QString, where);
        QFETCH(int, answer);
        const QString source = dir.filePath(where);
        const QByteArray page("a{brimlo_lumivex}b");
        writeAll(source, page);
        const QString target = publishFolder + QFileInfo(source).fileName();
        if (!QFile::exists(target))
            writeAll(target, "earlier");
        const QByteArray before = readAll(target);
        start();
        prompts.answerText(source.toStdString());
        prompts.answerButton(PromptButton(answer));
        child<QPushButton>("btnP1Next")->click();
        child<QPushButton>("TntButton7")->click();
        child<QPushButton>("btnP2Next")->click();
        child<QPushButton>("btnP3Process")->click();
        QCOMPARE(prompts.calls().back().kind, PromptKind::Confirmation);
        if (PromptButton(answer) == PromptButton::No) {
            QCOMPARE(readAll(target), before);
            QCOMPARE(child<QStackedWidget>("pageCtrl")->currentIndex(), 2);
        } else {
            QCOMPARE(readAll(target), QByteArray("a\r\n<div>640x480</div>\r\nb\r\n"));
            QCOMPARE(child<QStackedWidget>("pageCtrl")->currentIndex(), 3);
        }
    }

    void unwritableTargetShowsTheErrorAndStays() {
        const QString source = dir.filePath("mine/page.htm");
        writeAll(source, "a{brimlo_lumivex}b");
        QDir().mkpath(publishFolder + "page.htm/inside"); // a folder where the page would go
        start();
        prompts.answerText(source.toStdString());
        prompts.answerButton(PromptButton::Yes); // replace what is there
        child<QPushButton>("btnP1Next")->click();
        child<QPushButton>("TntButton7")->click();
        child<QPushButton>("btnP2Next")->click();
        child<QPushButton>("btnP3Process")->click();
        QCOMPARE(prompts.calls().back().kind, PromptKind::Error);
        QCOMPARE(child<QStackedWidget>("pageCtrl")->currentIndex(), 2);
        QVERIFY(QFileInfo(publishFolder + "page.htm").isDir());
    }

    void missingTemplateShowsTheError() {
        const QString source = dir.filePath("mine/page.htm");
        writeAll(source, "a{brimlo_lumivex}b");
        start();
        QFile::remove(wizard->Values.EmbedPageNoJsFile);
        child<QPushButton>("btnP1Next")->click();
        prompts.answerText(source.toStdString());
        child<QPushButton>("TntButton7")->click();
        child<QPushButton>("btnP2Next")->click();
        QCOMPARE(prompts.calls().back().kind, PromptKind::Error);
        QVERIFY(QDir(publishFolder).isEmpty());
    }

    void stepOneCopiesTheSymbolAndEveryShowingStartsThere() {
        start();
        QVERIFY(!child<QLabel>("lblEmbedCopiedMsg")->isVisible());
        QCOMPARE(child<QLineEdit>("edEmbedSymbol")->text(), QString("{brimlo_lumivex}"));
        QVERIFY(!child<QCheckBox>("cbPublishSize")->isVisible());
        child<QPushButton>("btCopySymbol")->click();
        QCOMPARE(QApplication::clipboard()->text(), QString("{brimlo_lumivex}"));
        QVERIFY(child<QLabel>("lblEmbedCopiedMsg")->isVisible());
        child<QPushButton>("btnP1Next")->click();
        QCOMPARE(child<QStackedWidget>("pageCtrl")->currentIndex(), 1);
        child<QPushButton>("btnP2Close")->click();
        wizard->show();
        QCOMPARE(child<QStackedWidget>("pageCtrl")->currentIndex(), 0);
        QVERIFY(!child<QLabel>("lblEmbedCopiedMsg")->isVisible());
    }

    // Each step's buttons answer to keys of their own, so Alt+C closes the wizard on every step.
    void everyStepHasDistinctMnemonicsAndAltCCloses() {
        start();
        for (int step = 0; step < child<QStackedWidget>("pageCtrl")->count(); ++step) {
            QStringList keys;
            for (auto* button :
                 child<QStackedWidget>("pageCtrl")->widget(step)->findChildren<QPushButton*>())
                keys << QKeySequence::mnemonic(button->text()).toString();
            keys.removeAll(QString());
            QCOMPARE(keys.removeDuplicates(), 0);
            wizard->show();
            child<QStackedWidget>("pageCtrl")->setCurrentIndex(step);
            QVERIFY(QTest::qWaitForWindowActive(wizard.get()));
            QTest::keyClick(wizard.get(), Qt::Key_C, Qt::AltModifier);
            QTRY_VERIFY(!wizard->isVisible()); // the click is animated
        }
    }
};

QTEST_MAIN(EmbedWizardTest)
#include "tst_frmEmbedWizard.moc"
