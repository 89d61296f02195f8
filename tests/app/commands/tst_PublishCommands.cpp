// Publishing the album into a folder through the main window's actions, and previewing it
// in the browser: what lands in the folder, what the publishing dialog gets, and what a
// cancelled or failed publish leaves behind.

#include "../AppTestSupport.h"

#include "app/dialogs/frmProgress.h"

#include "model/FolderLayout.h"
#include "model/document/Album.h"
#include "platform/ShellOpen.h"
#include "tests/support/ForwardedAddress.h"

#include <QApplication>
#include <QDirIterator>
#include <QTest>
#include <QTimer>

using platform::PromptKind;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every entry under `folder` relative to it, folders ending with "/", sorted.
QStringList listing(const QString& folder) {
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        out << QDir(folder).relativeFilePath(info.filePath()) + (info.isDir() ? "/" : "");
    }
    out.sort();
    return out;
}

// The page template with the album's values put in and CR LF line ends.
QByteArray expectedPage(app::TfrmMain& w, const QString& base) {
    QString width, height;
    w.album().GetAlbumSize(width, height);
    QByteArray page = readAll(model::Folders().FilesFolder + "index.html");
    page.replace("%_album_width_%", width.toUtf8())
        .replace("%_album_height_%", height.toUtf8())
        .replace("%_album_base_folder_%", base.toUtf8())
        .replace("%_album_name_%", w.album().GetAlbumName().toUtf8());
    QByteArray out;
    for (const QByteArray& line : page.split('\n'))
        out += line + "\r\n";
    return out.endsWith("\r\n\r\n") ? out.chopped(2) : out;
}

struct Published {
    int shown = 0;
    bool busyPointer = false; // the dialog came up under the wait cursor
    bool progressBehind = false;
    publish::PublishingValues values;
};

} // namespace

class PublishCommandsTest : public QObject {
    Q_OBJECT

    // A window with the sample album, some pictures and an empty folder in the working copy.
    std::unique_ptr<app::TfrmMain> albumWindow(apptest::TestEnvironment& env, Published& seen) {
        auto w = env.makeMainWindow();
        w->show();
        env.loadSampleAlbum(*w);
        const QString preview = model::Folders().PreviewFolder;
        apptest::writeText(preview + "pictavo_images/a.jpg", "jpeg bytes");
        apptest::writeText(preview + "pictavo_images/thumbs/tn_a.jpg", "thumb bytes");
        QDir().mkpath(preview + "music");
        w->UpdateActions();
        env.publishing = [&seen, window = w.get()](const publish::PublishingValues& v,
                                                   publish::PublishingHooks) {
            ++seen.shown;
            seen.values = v;
            const QCursor* cursor = QApplication::overrideCursor();
            seen.busyPointer = cursor && cursor->shape() == Qt::WaitCursor;
            seen.progressBehind = window->progressWindow().isVisible();
        };
        return w;
    }

    QString target(apptest::TestEnvironment& env, const char* name = "out") {
        const QString t = env.dir.path() + "/" + name;
        QDir().mkpath(t);
        return t;
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void publishWritesThePageAndTheSiteWithoutEditorFiles() {
        apptest::TestEnvironment env;
        Published seen;
        auto w = albumWindow(env, seen);
        const QString t = target(env);
        env.prompts.answerText(t.toStdString());
        apptest::action(*w, "acFilePublish")->trigger();

        QCOMPARE(listing(t),
                 (QStringList{"photogallery.htm", "pictavo/", "pictavo/data.xml",
                              "pictavo/index.swf", "pictavo/music/", "pictavo/pictavo_images/",
                              "pictavo/pictavo_images/a.jpg", "pictavo/pictavo_images/thumbs/",
                              "pictavo/pictavo_images/thumbs/tn_a.jpg", "pictavo/player.css",
                              "pictavo/player.js"}));
        QCOMPARE(readAll(t + "/photogallery.htm"), expectedPage(*w, "pictavo/"));
        QCOMPARE(readAll(t + "/pictavo/data.xml"),
                 readAll(model::Folders().PreviewFolder + "data.xml"));
        // The working copy keeps its own page, with assets beside it.
        QCOMPARE(readAll(model::Folders().PreviewFolder + "index.html"), expectedPage(*w, ""));
        QVERIFY(model::Folders().AlbumBaseFolder.isEmpty());
        QCOMPARE(model::Folders().LastPublishFolder, t + "/");

        QCOMPARE(seen.shown, 1);
        QCOMPARE(seen.values.PublishFolder, t + "/");
        QCOMPARE(seen.values.BaseFolder, QString("pictavo/"));
        QCOMPARE(seen.values.EmbedSymbol, QString("{brimlo_lumivex}"));
        QCOMPARE(seen.values.WidthToken, QString("%_album_width_%"));
        QCOMPARE(seen.values.BaseFolderToken, QString("%_album_base_folder_%"));
        QString width, height;
        w->album().GetAlbumSize(width, height);
        QCOMPARE(seen.values.AlbumWidth, width);
        QCOMPARE(seen.values.AlbumHeight, height);
        QVERIFY(QFile::exists(seen.values.EmbedPageNoJsFile));
        QVERIFY(QFile::exists(seen.values.EmbedPageFile));

        QCOMPARE(env.prompts.calls().size(), std::size_t(1));
        QCOMPARE(env.prompts.calls()[0].caption,
                 std::string("Select a folder to store the published files of your Photo Album:"));
        QVERIFY(!seen.busyPointer);
        QVERIFY(seen.progressBehind);
        QVERIFY(w->isEnabled());
        QVERIFY(!w->progressWindow().isVisible());
        QVERIFY(!QApplication::overrideCursor());

        // Again into the same folder: starts there, replaces, keeps what the album lost, and
        // leaves the user's own files of the editor's names alone.
        apptest::writeText(t + "/pictavo/old.txt", "kept");
        for (const char* name : {"index.html", "album.xml", "thumb.jpg", "AC_RunActiveContent.js"})
            apptest::writeText(t + "/pictavo/" + name, "the user's own");
        env.prompts.answerText(t.toStdString());
        apptest::action(*w, "acFilePublish")->trigger();
        QCOMPARE(env.prompts.calls().back().initial, (t + "/").toStdString());
        QCOMPARE(seen.shown, 2);
        QVERIFY(QFile::exists(t + "/pictavo/old.txt"));
        for (const char* name : {"index.html", "album.xml", "thumb.jpg", "AC_RunActiveContent.js"})
            QCOMPARE(readAll(t + "/pictavo/" + name), QByteArray("the user's own"));
    }

    void failuresReportAndShowNoDialog_data() {
        QTest::addColumn<QString>("blocker");
        QTest::newRow("a file cannot be copied") << "pictavo/data.xml/x";
        QTest::newRow("the page cannot be written") << "photogallery.htm/x";
    }
    void failuresReportAndShowNoDialog() {
        QFETCH(QString, blocker);
        apptest::TestEnvironment env;
        Published seen;
        auto w = albumWindow(env, seen);
        const QString t = target(env);
        QDir().mkpath(t + "/" + blocker); // a folder where a file must go
        env.prompts.answerText(t.toStdString());
        apptest::action(*w, "acFilePublish")->trigger();
        QCOMPARE(seen.shown, 0);
        QCOMPARE(env.prompts.calls().back().kind, PromptKind::Error);
        QVERIFY(w->isEnabled());
        QVERIFY(model::Folders().AlbumBaseFolder.isEmpty());
        QVERIFY(!QFileInfo(t + "/photogallery.htm").isFile());
        for (const char* name : {"index.html", "album.xml", "thumb.jpg", "AC_RunActiveContent.js"})
            QVERIFY(!QFile::exists(t + "/pictavo/" + name));
        // The next refresh writes the working copy's page with assets beside it.
        w->postRefreshPreview();
        QTRY_COMPARE(readAll(model::Folders().PreviewFolder + "index.html"), expectedPage(*w, ""));
    }

    void cancelDuringTheCopyShowsNoDialog() {
        apptest::TestEnvironment env;
        Published seen;
        auto w = albumWindow(env, seen);
        const QString t = target(env);
        env.prompts.answerText(t.toStdString());
        // Cancel at the first pump of the progress window.
        QTimer cancel;
        connect(&cancel, &QTimer::timeout, w.get(), [&w, &cancel] {
            if (w->progressWindow().isVisible()) {
                w->progressWindow().Cancelled = true;
                cancel.stop();
            }
        });
        cancel.start(0);
        apptest::action(*w, "acFilePublish")->trigger();
        QCOMPARE(seen.shown, 0);
        QCOMPARE(env.prompts.calls().size(), std::size_t(1)); // no error box either
        for (const char* name : {"index.html", "album.xml", "thumb.jpg", "AC_RunActiveContent.js"})
            QVERIFY(!QFile::exists(t + "/pictavo/" + name));
        QVERIFY(!QFile::exists(t + "/pictavo/pictavo_images/a.jpg"));
        QVERIFY(!QFile::exists(t + "/photogallery.htm"));
        QVERIFY(w->isEnabled());
    }

    // Links in the chosen folder lead elsewhere: nothing is written or deleted through them.
    void linksInTheChosenFolderAreNotWrittenThrough_data() {
        QTest::addColumn<QString>("link");   // in the chosen folder, to the outside folder
        QTest::addColumn<QString>("target"); // below the outside folder
        QTest::addColumn<bool>("refused");   // before anything is written
        QTest::newRow("site folder") << "pictavo"
                                     << "" << true;
        QTest::newRow("page") << "photogallery.htm"
                              << "victim.htm" << true;
        QTest::newRow("folder inside the site") << "pictavo/pictavo_images"
                                                << "" << false;
    }
    void linksInTheChosenFolderAreNotWrittenThrough() {
        QFETCH(QString, link);
        QFETCH(QString, target);
        QFETCH(bool, refused);
        apptest::TestEnvironment env;
        Published seen;
        auto w = albumWindow(env, seen);
        const QString t = this->target(env);
        const QString outside = this->target(env, "outside");
        for (const char* name : {"index.html", "thumb.jpg", "a.jpg", "data.xml", "victim.htm"})
            apptest::writeText(outside + "/" + name, "someone else's");
        QDir().mkpath(QFileInfo(t + "/" + link).path());
        QVERIFY(QFile::link(outside + "/" + target, t + "/" + link));
        env.prompts.answerText(t.toStdString());
        apptest::action(*w, "acFilePublish")->trigger();
        QCOMPARE(seen.shown, 0);
        QCOMPARE(env.prompts.calls().back().kind, PromptKind::Error);
        QVERIFY(!QFile::exists(t + "/photogallery.htm") || link == "photogallery.htm");
        QCOMPARE(listing(outside),
                 (QStringList{"a.jpg", "data.xml", "index.html", "thumb.jpg", "victim.htm"}));
        for (const QString& name : listing(outside))
            QCOMPARE(readAll(outside + "/" + name), QByteArray("someone else's"));
        // Refused up front, or the site copied up to the linked folder.
        QCOMPARE(QString::fromStdString(env.prompts.calls().back().text).contains("is a link"),
                 refused);
        QCOMPARE(QFileInfo(t + "/pictavo").isSymLink(), link == "pictavo");
    }

    void targetsInsideTheWorkingAreaAreRefused_data() {
        QTest::addColumn<QString>("relative");
        QTest::newRow("working copy") << "Preview";
        QTest::newRow("below it") << "Preview/pictavo_images";
        QTest::newRow("data folder") << "";
    }
    void targetsInsideTheWorkingAreaAreRefused() {
        QFETCH(QString, relative);
        apptest::TestEnvironment env;
        Published seen;
        auto w = albumWindow(env, seen);
        env.prompts.answerText((model::Folders().DataFolder + relative).toStdString());
        apptest::action(*w, "acFilePublish")->trigger();
        QCOMPARE(seen.shown, 0);
        QCOMPARE(env.prompts.calls().back().kind, PromptKind::Error);
        for (const QString& entry : listing(model::Folders().DataFolder))
            QVERIFY2(!entry.endsWith("photogallery.htm") && !entry.contains("pictavo/"),
                     qPrintable(entry));
        QVERIFY(model::Folders().LastPublishFolder.isEmpty());
    }

    void cancellingTheFolderPromptDoesNothing() {
        apptest::TestEnvironment env;
        Published seen;
        auto w = albumWindow(env, seen);
        QFile::remove(model::Folders().PreviewFolder + "index.html");
        env.prompts.answerText(std::nullopt);
        apptest::action(*w, "acFilePublish")->trigger();
        QCOMPARE(seen.shown, 0);
        QCOMPARE(env.prompts.calls().size(), std::size_t(1));
        QVERIFY(!QFile::exists(model::Folders().PreviewFolder + "index.html"));
    }

    void previewInBrowserOpensTheWrittenPage() {
        apptest::TestEnvironment env;
        Published seen;
        auto w = albumWindow(env, seen);
        QFile::remove(model::Folders().PreviewFolder + "index.html");
        QList<QUrl> opened;
        platform::setShellOpenHook([&opened](const QUrl& url) {
            opened << url;
            return true;
        });
        apptest::action(*w, "acViewPreviewInBrowser")->trigger();
        platform::setShellOpenHook({});
        // Served by the editor: the browser would not let the page read its album from the disk.
        QCOMPARE(opened.size(), 1);
        QCOMPARE(testsupport::withoutSecret(testsupport::forwardedAddress(opened[0])),
                 QString("http://127.0.0.1/index.html"));
        QCOMPARE(readAll(model::Folders().PreviewFolder + "index.html"), expectedPage(*w, ""));
        QVERIFY(w->isEnabled());
    }

    void uploadFromTheDialogUsesTheCurrentFtpDefaults() {
        apptest::TestEnvironment env;
        Published seen;
        auto w = albumWindow(env, seen);
        publish::PublishingHooks hooks;
        env.publishing = [&hooks](const publish::PublishingValues&, publish::PublishingHooks h) {
            hooks = std::move(h);
        };
        env.prompts.answerText(target(env).toStdString());
        apptest::action(*w, "acFilePublish")->trigger();
        QVERIFY(hooks.FtpAccount && hooks.EditFtpSettings);
        QVERIFY(!hooks.ShowUploadWindow); // not there yet
        env.ftpSettings = [](app::FtpDefaults& d) {
            d.Host = "ftp.example.org";
            d.User = "me";
            return true;
        };
        QVERIFY(hooks.EditFtpSettings());
        QCOMPARE(hooks.FtpAccount().Host, QString("ftp.example.org"));
        QCOMPARE(w->ftpDefaults().User, QString("me"));
    }
};

QTEST_MAIN(PublishCommandsTest)
#include "tst_PublishCommands.moc"
