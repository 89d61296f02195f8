// The publishing dialog: the embed code it shows and copies, its links and the way to the
// FTP settings, the upload window and the embed wizard.

#include "publish/frmPublishing.h"

#include "publish/LinkLabel.h"
#include "publish/embed/frmEmbedWizard.h"

#include "platform/ShellOpen.h"
#include "tests/support/ForwardedAddress.h"
#include "tests/support/ScriptedPrompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using platform::PromptKind;
using publish::TfrmPublishing;

class PublishingDialogTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    platform::ScriptedPrompts prompts;
    std::unique_ptr<publish::TfrmEmbedWizard> wizard;
    std::unique_ptr<TfrmPublishing> dialog;
    QList<QUrl> opened;
    publish::FtpDefaults login;
    int settingsShown = 0;
    QList<publish::UploadRequest> uploads;

    void writeTemplate(const QByteArray& bytes) {
        QFile f(dir.filePath("embed_page_nojs.htm"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    void show(bool withUploadWindow = true) {
        publish::PublishingValues v;
        v.AlbumWidth = "100%";
        v.AlbumHeight = "480";
        v.BaseFolder = "pictavo/";
        v.EmbedSymbol = "{brimlo_lumivex}";
        v.EmbedPageFile = dir.filePath("embed_page.htm");
        v.EmbedPageNoJsFile = dir.filePath("embed_page_nojs.htm");
        v.WidthToken = "%_album_width_%";
        v.HeightToken = "%_album_height_%";
        v.BaseFolderToken = "%_album_base_folder_%";
        v.PublishFolder = dir.filePath("site") + '/';
        dialog->Values = v;
        dialog->Hooks.FtpAccount = [this] { return login; };
        dialog->Hooks.EditFtpSettings = [this] {
            ++settingsShown;
            return false;
        };
        dialog->Hooks.ShowUploadWindow = nullptr;
        if (withUploadWindow)
            dialog->Hooks.ShowUploadWindow = [this](const publish::UploadRequest& r) {
                uploads << r;
            };
        dialog->show();
    }

    // The dialog's control of that name; a missing one ends the test run.
    template <class T> T* child(const char* name) const {
        T* found = dialog->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }

    QString code() const { return child<QPlainTextEdit>("mmoEmbedScript")->toPlainText(); }

private slots:
    void init() {
        writeTemplate(
            "<embed src=\"%_album_base_folder_%x.swf\" width=\"%_album_width_%\" "
            "height=\"%_album_height_%\">\r\n%_album_width_%|%_album_width_%|%_ALBUM_WIDTH_%\r\n");
        QDir().mkpath(dir.filePath("site"));
        QFile page(dir.filePath("site/photogallery.htm"));
        QVERIFY(page.open(QIODevice::WriteOnly));
        prompts = platform::ScriptedPrompts();
        platform::setPrompts(&prompts);
        opened.clear();
        uploads.clear();
        settingsShown = 0;
        login = {"ftp.example.org", "me", "secret", "www\\sub", "passive"};
        platform::setShellOpenHook([this](const QUrl& url) {
            opened << url;
            return true;
        });
        wizard = std::make_unique<publish::TfrmEmbedWizard>();
        dialog = std::make_unique<TfrmPublishing>(wizard.get());
    }
    void cleanup() {
        dialog.reset();
        wizard.reset();
        platform::setShellOpenHook({});
        platform::setPrompts(nullptr);
    }

    void showingFillsTheCodeFromTheScriptFreeTemplate() {
        show();
        QCOMPARE(code(), QString("<embed src=\"pictavo/x.swf\" width=\"100%\" height=\"480\">\n"
                                 "100%|100%|%_ALBUM_WIDTH_%"));
        QCOMPARE(child<QPlainTextEdit>("mmoEmbedScript")->textCursor().position(), 0);
        QCOMPARE(child<publish::LinkLabel>("lbPublishFolder")->text(),
                 QDir::toNativeSeparators(dir.filePath("site") + '/'));
        QCOMPARE(child<publish::LinkLabel>("lbPublishFolder")->textFormat(), Qt::PlainText);
        QVERIFY(!child<QCheckBox>("cbJS")->isVisible());
        QVERIFY(prompts.calls().empty());
    }

    void fullPathPrefixesTheBaseFolder_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("src");
        QTest::addColumn<bool>("refused");
        QTest::newRow("no final slash") << "http://example.org/site"
                                        << "http://example.org/site/pictavo/x.swf" << false;
        QTest::newRow("final slash") << "http://example.org/"
                                     << "http://example.org/pictavo/x.swf" << false;
        QTest::newRow("empty") << ""
                               << "/pictavo/x.swf" << false;
        QTest::newRow("markup") << "http://example.org/\"><b>"
                                << "pictavo/x.swf" << true;
    }
    void fullPathPrefixesTheBaseFolder() {
        QFETCH(QString, typed);
        QFETCH(QString, src);
        QFETCH(bool, refused);
        show();
        QVERIFY(!child<QLineEdit>("edFullPathEmbed")->isEnabled());
        child<QCheckBox>("cbFullPathEmbed")->click();
        QVERIFY(child<QLineEdit>("edFullPathEmbed")->isEnabled());
        child<QLineEdit>("edFullPathEmbed")->setText(typed);
        QVERIFY(code().startsWith("<embed src=\"" + src + "\""));
        QVERIFY(!code().contains("\"><b>"));
        QCOMPARE(child<QLabel>("lbFullPathError")->isVisible(), refused);
        child<QCheckBox>("cbFullPathEmbed")->click();
        QVERIFY(!child<QLineEdit>("edFullPathEmbed")->isEnabled());
        QVERIFY(code().startsWith("<embed src=\"pictavo/x.swf\""));
        child<QLineEdit>("edFullPathEmbed")->setText("http://ignored.example/");
        QVERIFY(code().startsWith("<embed src=\"pictavo/x.swf\""));
    }

    void aBoxLeftCheckedShowsTheFullPathNextTime() {
        show();
        child<QCheckBox>("cbFullPathEmbed")->click();
        child<QLineEdit>("edFullPathEmbed")->setText("http://example.org");
        dialog->hide();
        show();
        QVERIFY(code().startsWith("<embed src=\"http://example.org/pictavo/x.swf\""));
    }

    void copyPutsExactlyTheCodeOnTheClipboard() {
        show();
        child<QPushButton>("btnCopyClipboard")->click();
        QCOMPARE(QApplication::clipboard()->text(), code());
    }

    void linksOpenThePageAndTheFolder() {
        show();
        child<QPushButton>("bbPreview")->click();
        QTest::mouseClick(child<publish::LinkLabel>("lbPreviewLink"), Qt::LeftButton);
        QTest::mouseClick(child<publish::LinkLabel>("lbPublishFolder"), Qt::LeftButton);
        // The album page through the editor's own server, the same one both times.
        QCOMPARE(opened.size(), 3);
        const QUrl address = testsupport::forwardedAddress(opened[0]);
        QCOMPARE(testsupport::withoutSecret(address), QString("http://127.0.0.1/photogallery.htm"));
        QVERIFY(address.port() > 0);
        QCOMPARE(testsupport::forwardedAddress(opened[1]), address);
        QCOMPARE(QDir::cleanPath(opened[2].toLocalFile()), dir.filePath("site"));
        // What publishing wrote, and nothing else of the folder.
        for (const char* file : {"site/pictavo/data.xml", "site/beside.txt", "site/sub/x.txt"}) {
            QDir().mkpath(QFileInfo(dir.filePath(file)).path());
            QFile(dir.filePath(file)).open(QIODevice::WriteOnly);
        }
        for (const auto& [path, status] : {std::pair{"photogallery.htm", "200 OK"},
                                           {"pictavo/data.xml", "200 OK"},
                                           {"beside.txt", "404 Not Found"},
                                           {"sub/x.txt", "404 Not Found"}})
            QCOMPARE(testsupport::statusOf(address, path), "HTTP/1.1 " + QByteArray(status));
    }

    void uploadNeedsCompleteSettingsAndAnUploadWindow_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("user");
        QTest::addColumn<bool>("window");
        QTest::addColumn<bool>("uploads");
        QTest::newRow("complete") << "ftp.example.org"
                                  << "me" << true << true;
        QTest::newRow("blank host") << "   "
                                    << "me" << true << false;
        QTest::newRow("blank user") << "ftp.example.org"
                                    << "" << true << false;
        QTest::newRow("no upload window yet") << "ftp.example.org"
                                              << "me" << false << false;
    }
    void uploadNeedsCompleteSettingsAndAnUploadWindow() {
        QFETCH(QString, host);
        QFETCH(QString, user);
        QFETCH(bool, window);
        QFETCH(bool, uploads);
        login.Host = host;
        login.User = user;
        show(window);
        child<QPushButton>("bbUpload")->click();
        QCOMPARE(settingsShown, uploads ? 0 : 1);
        QCOMPARE(this->uploads.size(), uploads ? 1 : 0);
        if (uploads) {
            QCOMPARE(this->uploads[0].RemoteFolder, QString("/www/sub/"));
            QCOMPARE(this->uploads[0].LocalFolder, dir.filePath("site") + '/');
            QCOMPARE(this->uploads[0].PortText, QString("21"));
        }
        child<QPushButton>("bbFtpSetting")->click();
        QCOMPARE(settingsShown, uploads ? 1 : 2);
    }

    void wizardGetsTheValuesButNotThePrefix() {
        show();
        child<QCheckBox>("cbFullPathEmbed")->click();
        QTimer::singleShot(0, wizard.get(), [this] { wizard->reject(); });
        child<QPushButton>("btnEmbedWizard")->click();
        QCOMPARE(wizard->Values.PublishFolder, dialog->Values.PublishFolder);
        QCOMPARE(wizard->Values.BaseFolder, QString("pictavo/"));
        QCOMPARE(wizard->Values.AlbumWidth, QString("100%"));
        QCOMPARE(wizard->Values.EmbedPageNoJsFile, dialog->Values.EmbedPageNoJsFile);
        QVERIFY(!wizard->ShowFullSizeOption);
    }

    void missingTemplateIsReportedNotThrown() {
        QFile::remove(dir.filePath("embed_page_nojs.htm"));
        show();
        QCOMPARE(prompts.calls().size(), std::size_t(1));
        QCOMPARE(prompts.calls()[0].kind, PromptKind::Error);
        QCOMPARE(prompts.calls()[0].caption, std::string("Fotrenza")); // the program's name
        QVERIFY(code().isEmpty());
    }
};

QTEST_MAIN(PublishingDialogTest)
#include "tst_frmPublishing.moc"
