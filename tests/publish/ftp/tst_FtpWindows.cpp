// The FTP settings dialog and the upload window against a real local FTP server, offscreen.

#include "FtpTestServer.h"

#include "publish/ftp/TfrmFtpModule.h"
#include "publish/ftp/TfrmFtpSetting.h"

#include "platform/ShellOpen.h"
#include "tests/support/ScriptedPrompts.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <span>

using namespace ftptest;
using publish::FtpDefaults;
using publish::TfrmFtpModule;
using publish::TfrmFtpSetting;

namespace {

template <class T> T* child(QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

QString text(QObject& parent, const char* name) {
    return child<QLabel>(parent, name)->text();
}

// The name of the status page the window shows.
QString currentPage(QObject& window) {
    const QWidget* page = child<QStackedWidget>(window, "nbkStatus")->currentWidget();
    return page ? page->objectName() : QString();
}

FtpDefaults defaultsFor(const QString& mode, const QString& dir = {},
                        const QString& password = QStringLiteral("p")) {
    return FtpDefaults{QStringLiteral("127.0.0.1"), QStringLiteral("u"), password, dir, mode};
}

// The peak memory of this process in MiB.
long peakMemoryMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong() / 1024;
    }
    return 0;
}

// Six files of which the fifth crosses the block size and outgrows the socket buffers, in the
// top folder.
void makeFlatAlbum(const QString& folder) {
    for (int i = 0; i < 6; ++i)
        writeFile(folder + QStringLiteral("/f%1.jpg").arg(i),
                  sampleBytes(i == 4 ? 3000000 : 9000, i));
}

QTreeWidgetItem* remoteItem(QObject& window, const QString& name) {
    auto* list = child<QTreeWidget>(window, "lvRemote");
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(0) == name)
            return list->topLevelItem(i);
    }
    return nullptr;
}

} // namespace

class TestFtpWindows : public QObject {
    Q_OBJECT

    platform::ScriptedPrompts* prompts = nullptr;

private slots:
    void init() {
        prompts = new platform::ScriptedPrompts;
        platform::setPrompts(prompts);
    }
    void cleanup() {
        platform::setPrompts(nullptr);
        delete prompts;
    }

    void settingsRefuseHostsWithAScheme() {
        FtpTestServer server;
        for (const char* host : {"FTP://x", "a.HtTp://b", " https://x"}) {
            TfrmFtpSetting dialog;
            dialog.TestPort = server.port();
            dialog.setDefaults(defaultsFor("active"));
            dialog.show();
            child<QLineEdit>(dialog, "edFtpHost")->setText(QString::fromLatin1(host));
            const size_t before = prompts->calls().size();
            dialog.btnOkClick();
            dialog.bbTestConnectionClick();
            QCOMPARE(prompts->calls().size(), before + 2);
            QCOMPARE(prompts->calls().back().text,
                     std::string("Please do not fill in any http:// or ftp:// in Ftp Host"));
            QVERIFY(dialog.isVisible());
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QCOMPARE(dialog.Host, QStringLiteral("127.0.0.1"));
        }
        QVERIFY(server.commands().isEmpty());
    }

    void settingsTestConnection() {
        FtpTestServer server;
        for (const char* mode : {"passive", "active"}) {
            TfrmFtpSetting dialog;
            dialog.TestPort = server.port();
            dialog.setDefaults(defaultsFor(QString::fromLatin1(mode), {}, "wrong"));
            dialog.show();
            dialog.bbTestConnectionClick();
            const QString failure = text(dialog, "lbTestResult");
            QVERIFY(!failure.isEmpty());
            QVERIFY(failure != "Connected to your server successfully!");
            QVERIFY(!failure.contains("wrong"));
            child<QLineEdit>(dialog, "medPasswd")->setText("p");
            dialog.bbTestConnectionClick();
            QCOMPARE(text(dialog, "lbTestResult"),
                     QStringLiteral("Connected to your server successfully!"));
            QCOMPARE(child<QLineEdit>(dialog, "edDefHostDir")->text(), QStringLiteral("/"));
            QVERIFY(child<QLabel>(dialog, "lbDetectHostDirectory")->isVisible());
            // Cancel keeps the stored folder the test filled in.
            dialog.reject();
            QCOMPARE(dialog.DefaultDir, QString());
        }
        QVERIFY(server.waitFor("QUIT", 2));
        // Each login ends with a PWD of its own; the test asks once more.
        QCOMPARE(server.commands({"PWD"}).size(), 4);
    }

    void settingsModeAndOk() {
        TfrmFtpSetting dialog;
        FtpDefaults values = defaultsFor("Active", "/www");
        QTimer::singleShot(0, &dialog, [&] {
            QVERIFY(child<QRadioButton>(dialog, "rbTransferModePassive")->isChecked());
            child<QLineEdit>(dialog, "edLogin")->setText(" someone ");
            child<QPushButton>(dialog, "btnOk")->click();
        });
        QVERIFY(dialog.edit(values));
        QCOMPARE(values.TransferMode, QStringLiteral("passive"));
        QCOMPARE(values.User, QStringLiteral(" someone ")); // stored as typed
        QCOMPARE(values.Dir, QStringLiteral("/www"));
        QTimer::singleShot(0, &dialog, [&] { child<QPushButton>(dialog, "btnCancel")->click(); });
        FtpDefaults unchanged = values;
        QVERIFY(!dialog.edit(unchanged));
        QCOMPARE(unchanged, values);
    }

    void uploadFlowInBothModes() {
        for (const char* mode : {"passive", "active"}) {
            FtpTestServer server;
            QTemporaryDir local;
            makePublishedAlbum(local.path());
            TfrmFtpModule window(defaultsFor(QString::fromLatin1(mode)), local.path(), nullptr,
                                 server.port());
            window.show();
            QTRY_COMPARE(currentPage(window), QStringLiteral("Initial"));
            QCOMPARE(window.RemoteFolder, QStringLiteral("/"));
            QCOMPARE(window.LocalFileCount, 3);
            // An empty default folder is the login folder: no change of folder.
            QCOMPARE(server.commands({"CWD", "LIST", "STOR"}), QStringList{"LIST"});
            QVERIFY(child<QLabel>(window, "tntlbFolderStatus")->isVisibleTo(&window));
            child<QPushButton>(window, "btnStart")->click();
            QTRY_COMPARE_WITH_TIMEOUT(currentPage(window), QStringLiteral("Complete"), 20000);
            QCOMPARE(child<QPushButton>(window, "btnClose")->text(), QStringLiteral("Close"));
            QCOMPARE(text(window, "lblC_Url"), QStringLiteral("http://127.0.0.1/photogallery.htm"));
            QCOMPARE(text(window, "lblU_FilesCount"), QStringLiteral("(3 of 3)"));
            QVERIFY(remoteItem(window, "pictavo"));
            QTRY_VERIFY(window.workerFinished());
            QCOMPARE(treeContents(server.root()), treeContents(local.path()));
            QVERIFY(server.waitFor("QUIT", 1));
            const size_t asked = prompts->calls().size();
            window.reject();
            QCOMPARE(prompts->calls().size(), asked); // closing after the end asks nothing
        }
    }

    void failuresShowTheServersText() {
        ServerOptions options;
        options.locked << "locked";
        FtpTestServer server(options);
        QTemporaryDir local;
        makePublishedAlbum(local.path());
        struct Case {
            FtpDefaults defaults;
            bool startUpload;
        } const cases[] = {{defaultsFor("passive", {}, "wrong"), false},
                           {defaultsFor("passive", "/missing"), false},
                           {defaultsFor("passive", "/locked"), true}};
        for (const Case& c : cases) {
            TfrmFtpModule window(c.defaults, local.path(), nullptr, server.port());
            window.show();
            if (c.startUpload) {
                QTRY_COMPARE(currentPage(window), QStringLiteral("Initial"));
                child<QPushButton>(window, "btnStart")->click();
            }
            QTRY_COMPARE_WITH_TIMEOUT(currentPage(window), QStringLiteral("Failed"), 20000);
            QVERIFY(!text(window, "lblF_Error").isEmpty());
            QVERIFY(!text(window, "lblF_Error").contains("wrong"));
            QVERIFY(!child<QPushButton>(window, "btnStart")->isEnabled());
            QCOMPARE(window.workerStarted(), c.startUpload);
            QCOMPARE(child<QPushButton>(window, "btnClose")->text(), QStringLiteral("Close"));
            const size_t asked = prompts->calls().size();
            window.reject();
            QCOMPARE(prompts->calls().size(), asked);
            QVERIFY(!window.isVisible());
        }
        QVERIFY(!QFile::exists(server.root() + "/locked/photogallery.htm"));
    }

    void browseCreateAndAddress() {
        FtpTestServer server;
        QDir(server.root()).mkpath("www/sub");
        QTemporaryDir local;
        TfrmFtpModule window(defaultsFor("passive", "www"), local.path(), nullptr, server.port());
        QStringList names{"  new  ", "new", "..", "a/b"};
        window.askDirectoryName = [&]() -> std::optional<QString> { return names.takeFirst(); };
        window.askPublishedUrl = [](const QString& current) -> std::optional<QString> {
            if (current != "http://127.0.0.1/www/photogallery.htm")
                return std::nullopt;
            return QStringLiteral("http://example.org/site");
        };
        window.show();
        QTRY_COMPARE(currentPage(window), QStringLiteral("Initial"));
        QCOMPARE(window.RemoteFolder, QStringLiteral("/www/"));
        QCOMPARE(server.commands({"CWD"}), QStringList{"CWD /www/"});
        QCOMPARE(window.resultUrls().url, QStringLiteral("http://127.0.0.1/www/photogallery.htm"));

        writeFile(server.root() + QString::fromUtf16(u"/www/sub/a\u202Egpj.exe"), "x");
        window.lvRemoteDblClick(remoteItem(window, "sub"));
        QCOMPARE(window.RemoteFolder, QStringLiteral("/www/sub/"));
        QVERIFY(remoteItem(window, "a<U+202E>gpj.exe")); // shown, not obeyed
        for (int i = 0; i < 4; ++i)
            window.tntSBCreateDirectoryClick();
        QVERIFY(QFileInfo(server.root() + "/www/sub/new").isDir());
        QCOMPARE(server.commands({"MKD"}), QStringList{"MKD /www/sub/new"});
        QCOMPARE(prompts->calls().size(), size_t(3));
        QCOMPARE(prompts->calls()[0].text,
                 std::string("Directory already exist, please select another directory name!"));
        QVERIFY(remoteItem(window, "new"));

        window.tntSBUpOneLevelClick();
        QCOMPARE(window.RemoteFolder, QStringLiteral("/www/"));
        QVERIFY(remoteItem(window, "sub"));

        window.lblC_ChangeSettingClick();
        QCOMPARE(window.resultUrls().url, QStringLiteral("http://example.org/site/"));
        child<QPushButton>(window, "btnStart")->click();
        QTRY_COMPARE_WITH_TIMEOUT(currentPage(window), QStringLiteral("Complete"), 20000);
        QCOMPARE(window.resultUrls().url, QStringLiteral("http://example.org/site/"));

        QList<QUrl> opened;
        const auto previous = platform::setShellOpenHook([&](const QUrl& url) {
            opened << url;
            return true;
        });
        QVERIFY(TfrmFtpModule::openLink(" http://example.org/site/ "));
        QVERIFY(!TfrmFtpModule::openLink("/usr/bin/xterm"));
        platform::setShellOpenHook(previous);
        QCOMPARE(opened, QList<QUrl>{QUrl("http://example.org/site/")});
    }

    void hostileServersEndOnTheFailurePage() {
        enum class Where { Test, Connect, Upload, Completes };
        struct Case {
            const char* server;
            Where where;
            const char* says;
            const char* mode = "passive";
        } const cases[] = {
            {"continuation-close", Where::Test, "closed the connection"},
            {"continuation-close", Where::Connect, "closed the connection"},
            {"continuation-forever", Where::Connect, "reply is too long"},
            {"trickle", Where::Connect, "did not answer within 2 seconds"},
            {"no-greeting", Where::Test, "did not answer within 2 seconds"},
            {"no-greeting", Where::Connect, "did not answer within 2 seconds"},
            {"greeting-421", Where::Connect, "421 Too many users"},
            // "Ready in a while" for ever: the whole login has one deadline.
            {"120-slow", Where::Test, "120 Service ready in a minute."},
            {"120-slow", Where::Connect, "120 Service ready in a minute."},
            {"120-flood", Where::Test, "120 Service ready in a minute."},
            {"120-flood", Where::Connect, "120 Service ready in a minute."},
            {"slow-login", Where::Test, "did not answer within 2 seconds"},
            {"slow-login", Where::Connect, "did not answer within 2 seconds"},
            {"silent-data", Where::Connect, "no data moved for 2 seconds"},
            {"endless-list", Where::Connect, "more than 100000 entries"},
            {"long-line", Where::Connect, "longer than 8 KiB"},
            {"stor-550", Where::Upload, "550 Quota exceeded"},
            {"mid-file", Where::Upload, "closed the connection"},
            {"pwd-continuation-close", Where::Upload, "closed the connection"},
            // A file cut short counts as a failure whatever the final reply says.
            {"cut-64k", Where::Upload, "3000000 bytes, so \"f4.jpg\" is incomplete on the server"},
            {"cut-64k", Where::Upload, "3000000 bytes, so \"f4.jpg\" is incomplete on the server",
             "active"},
            {"150-226", Where::Upload, "9000 bytes, so \"f", "passive"},
            {"150-226", Where::Upload, "9000 bytes, so \"f", "active"},
            // Asked once; the server does not know it, so the folder's listing counts.
            {"no-size", Where::Completes, "SIZE f0.jpg"},
            // The server drops what it did not read after saying the file is stored.
            {"late-reset", Where::Upload, ".jpg\" is incomplete on the server"},
            // The data connection after EPSV fails: PASV from then on.
            {"epsv-dead", Where::Completes, "EPSV"},
            // Each command is read alone, whatever came with it.
            {"one-per-read", Where::Completes, "USER u"},
            {"disk-full", Where::Upload, "it answered \"552 Disk full: quota exceeded.\""},
            {"disk-full", Where::Upload, "it answered \"552 Disk full: quota exceeded.\"",
             "active"},
            {"data-refused", Where::Connect,
             "refused in passive mode; try the active transfer mode"},
            // Found at the first listing, before anything is uploaded.
            {"data-refused", Where::Connect,
             "in active mode (the server answered \"425 Can't open data connection.\"); try "
             "the passive transfer mode",
             "active"},
            {"port-refused", Where::Connect,
             "refuses active mode (it answered \"500 Illegal PORT command.\"); try the "
             "passive transfer mode",
             "active"},
        };
        QTemporaryDir local;
        makeFlatAlbum(local.path());
        for (const Case& c : cases) {
            HostileServer server(QString::fromLatin1(c.server));
            QVERIFY(server.port());
            QElapsedTimer timer;
            timer.start();
            QString message;
            if (c.where == Where::Test) {
                TfrmFtpSetting dialog;
                dialog.TestPort = server.port();
                dialog.TestTimeout = std::chrono::seconds(2);
                dialog.setDefaults(defaultsFor("passive"));
                dialog.show();
                dialog.bbTestConnectionClick();
                message = text(dialog, "lbTestResult");
            } else {
                TfrmFtpModule window(defaultsFor(QString::fromLatin1(c.mode)), local.path(),
                                     nullptr, server.port());
                window.Timeout = std::chrono::seconds(2);
                window.show();
                if (c.where == Where::Upload || c.where == Where::Completes) {
                    QTRY_COMPARE_WITH_TIMEOUT(currentPage(window), QStringLiteral("Initial"),
                                              10000);
                    child<QPushButton>(window, "btnStart")->click();
                }
                if (c.where == Where::Completes) {
                    QTRY_COMPARE_WITH_TIMEOUT(currentPage(window), QStringLiteral("Complete"),
                                              15000);
                    const QString verb = QString::fromLatin1(c.says).section(u' ', 0, 0);
                    QStringList sent;
                    for (const QString& line : server.record())
                        if (line.section(u' ', 0, 0) == verb)
                            sent << line;
                    QCOMPARE(sent, QStringList{c.says});
                    QCOMPARE(server.record().filter("STORED").size(), 6);
                    continue;
                }
                QTRY_COMPARE_WITH_TIMEOUT(currentPage(window), QStringLiteral("Failed"), 15000);
                message = text(window, "lblF_Error");
            }
            QVERIFY2(message.contains(QString::fromLatin1(c.says)),
                     qPrintable(QString::fromLatin1(c.server) + QStringLiteral(": ") + message));
            // Well within the test's two deadlines, wherever the server stalls.
            QVERIFY2(timer.elapsed() < 15000, c.server);
        }
        QVERIFY(peakMemoryMiB() < 400);
    }

    void waitsKeepTheWindowResponsive() {
        // The listing's final reply comes 1.5 s after its data.
        HostileServer server(QStringLiteral("late-226"));
        QTemporaryDir local;
        TfrmFtpModule window(defaultsFor("passive"), local.path(), nullptr, server.port());
        QElapsedTimer sinceTick;
        qint64 longestGap = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout,
                         [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
        ticker.start(10);
        sinceTick.start();
        window.show();
        QTRY_COMPARE_WITH_TIMEOUT(currentPage(window), QStringLiteral("Initial"), 10000);
        QVERIFY(server.record().contains("LIST"));
        QVERIFY2(longestGap < 100, qPrintable(QString::number(longestGap)));
    }

    void anUnansweredQuitNeitherDelaysTheEndNorBlocksClosing() {
        HostileServer server(QStringLiteral("no-quit"));
        QTemporaryDir local;
        makeFlatAlbum(local.path());
        for (const bool upload : {true, false}) {
            auto window = std::make_unique<TfrmFtpModule>(defaultsFor("passive"), local.path(),
                                                          nullptr, server.port());
            window->show();
            QTRY_COMPARE_WITH_TIMEOUT(currentPage(*window), QStringLiteral("Initial"), 10000);
            QElapsedTimer timer;
            timer.start();
            if (upload) {
                child<QPushButton>(*window, "btnStart")->click();
                QTRY_COMPARE_WITH_TIMEOUT(currentPage(*window), QStringLiteral("Complete"), 10000);
                QVERIFY(server.record().filter("STORED").size() == 6);
            }
            window.reset();
            QVERIFY2(timer.elapsed() < 1500, qPrintable(QString::number(timer.elapsed())));
        }
    }

    void remoteNamesAndLinksInMessageBoxes() {
        FtpTestServer server;
        const QString folder = QString::fromUtf16(u"a\u202Egpj.exe");
        QDir(server.root()).mkpath(folder);
        QTemporaryDir local;
        TfrmFtpModule window(defaultsFor("passive"), local.path(), nullptr, server.port());
        window.askPublishedUrl = [](const QString&) -> std::optional<QString> {
            return QStringLiteral("not an address");
        };
        window.show();
        QTRY_COMPARE(currentPage(window), QStringLiteral("Initial"));
        // The folder goes away before the double-click: the server's refusal names it.
        QDir(server.root()).rmdir(folder);
        window.lvRemoteDblClick(remoteItem(window, "a<U+202E>gpj.exe"));
        QCOMPARE(prompts->calls().size(), size_t(1));
        const QString shown = QString::fromStdString(prompts->calls().back().text);
        QVERIFY2(shown.contains("a<U+202E>gpj.exe") && !shown.contains(QChar(0x202E)),
                 qPrintable(shown));

        window.lblC_ChangeSettingClick();
        const auto previous = platform::setShellOpenHook([](const QUrl&) { return true; });
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(1, 1), QPointF(1, 1),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(child<QLabel>(window, "lblC_Url"), &release);
        platform::setShellOpenHook(previous);
        QCOMPARE(prompts->calls().size(), size_t(2));
        QVERIFY(prompts->calls().back().text.find("cannot be opened") != std::string::npos);
    }

    void closingEndsAnyStalledWaitAtOnce() {
        struct Case {
            const char* server;
            bool upload;
        } const cases[] = {{"no-greeting", false}, {"silent-data", false}, {"stall-stor", true}};
        QTemporaryDir local;
        makeFlatAlbum(local.path());
        for (const Case& c : cases) {
            HostileServer server(QString::fromLatin1(c.server));
            auto window = std::make_unique<TfrmFtpModule>(defaultsFor("passive"), local.path(),
                                                          nullptr, server.port());
            window->Timeout = std::chrono::seconds(60); // only the close can end the wait
            prompts->answerButton(platform::PromptButton::Ok);
            QElapsedTimer timer;
            qint64 closedAt = -1;
            const auto close = [&] {
                closedAt = timer.elapsed();
                window->reject();
            };
            timer.start();
            if (c.upload) {
                window->show();
                QTRY_COMPARE_WITH_TIMEOUT(currentPage(*window), QStringLiteral("Initial"), 10000);
                child<QPushButton>(*window, "btnStart")->click();
                QTRY_VERIFY_WITH_TIMEOUT(server.record().contains("STOR f0.jpg"), 10000);
                close();
            } else {
                // The window waits for the server inside its own handler; the close comes
                // through the events it pumps meanwhile.
                QTimer::singleShot(500, window.get(), close);
                window->show();
                QTRY_VERIFY_WITH_TIMEOUT(closedAt >= 0, 10000);
                QCOMPARE(currentPage(*window), QStringLiteral("Failed"));
            }
            QVERIFY(!window->isVisible());
            window.reset();
            QVERIFY2(timer.elapsed() - closedAt < 2000, c.server);
        }
        // The same for the connection test of the settings dialog.
        HostileServer silent(QStringLiteral("no-greeting"));
        TfrmFtpSetting dialog;
        dialog.TestPort = silent.port();
        dialog.TestTimeout = std::chrono::seconds(60);
        dialog.setDefaults(defaultsFor("passive"));
        dialog.show();
        QElapsedTimer timer;
        QTimer::singleShot(500, &dialog, [&] {
            timer.start();
            dialog.reject();
        });
        dialog.bbTestConnectionClick();
        QVERIFY(timer.elapsed() < 2000);
        QVERIFY(text(dialog, "lbTestResult").contains("cancelled"));
    }

    void anIdleWindowGoesOnWhereTheUserWas() {
        // The server ends idle sessions, or the window trusts a connection for a second only,
        // or the server is gone by the next action (a failed new login, named). One idle spell
        // before each action serves every row.
        struct Row {
            double serverIdle;
            const char* mode;
            std::unique_ptr<FtpTestServer> server = {};
            std::unique_ptr<TfrmFtpModule> window = {};
        } rows[] = {{1, "passive"}, {0, "active"}, {-1, "passive"}};
        QTemporaryDir local;
        makePublishedAlbum(local.path());
        for (Row& row : rows) {
            ServerOptions options;
            options.idleTimeout = std::max(row.serverIdle, 0.0);
            row.server = std::make_unique<FtpTestServer>(options);
            QDir(row.server->root()).mkpath("www/sub");
            row.window = std::make_unique<TfrmFtpModule>(defaultsFor(row.mode, "www"), local.path(),
                                                         nullptr, row.server->port());
            row.window->MaxIdle = std::chrono::seconds(row.serverIdle > 0 ? 118 : 0);
            row.window->askDirectoryName = [] { return std::optional<QString>("made"); };
            row.window->show();
            QTRY_COMPARE(currentPage(*row.window), QStringLiteral("Initial"));
        }
        rows[2].server->stop();
        for (const auto& act : std::initializer_list<std::function<void(TfrmFtpModule&)>>{
                 [](TfrmFtpModule& w) { w.lvRemoteDblClick(remoteItem(w, "sub")); },
                 [](TfrmFtpModule& w) { w.tntSBRefreshClick(); },
                 [](TfrmFtpModule& w) { w.tntSBCreateDirectoryClick(); },
                 [](TfrmFtpModule& w) { child<QPushButton>(w, "btnStart")->click(); }}) {
            QTest::qWait(1200);
            for (Row& row : rows) {
                writeFile(row.server->root() + "/www/sub/seen.txt", "x");
                act(*row.window);
            }
        }
        for (Row& row : std::span(rows).first(2)) {
            QTRY_COMPARE_WITH_TIMEOUT(currentPage(*row.window), QStringLiteral("Complete"), 10000);
            QCOMPARE(row.window->RemoteFolder, QStringLiteral("/www/sub/"));
            QVERIFY(remoteItem(*row.window, "seen.txt") && remoteItem(*row.window, "made"));
            QCOMPARE(treeContents(row.server->root() + "/www/sub/pictavo"),
                     treeContents(local.path() + "/pictavo"));
            QCOMPARE(row.server->commands({"USER"}).size(), 5); // and no word to the user
        }
        QCOMPARE(currentPage(*rows[2].window), QStringLiteral("Failed"));
        QVERIFY(text(*rows[2].window, "lblF_Error")
                    .startsWith("Logging in again to 127.0.0.1 failed: "));
        QCOMPARE(prompts->calls().size(), size_t(0));
    }

    void progressShowsTheLatestFileNotEachOne() {
        // Small files arrive far faster than anyone reads; the screen changes a few times a
        // second and ends on the last file.
        FtpTestServer server;
        QTemporaryDir local;
        for (int i = 0; i < 80; ++i)
            writeFile(local.path() + QStringLiteral("/f%1.jpg").arg(i), sampleBytes(100, i));
        TfrmFtpModule window(defaultsFor("passive"), local.path(), nullptr, server.port());
        window.show();
        QTRY_COMPARE(currentPage(window), QStringLiteral("Initial"));
        int shown = 0;
        connect(child<QProgressBar>(window, "pgU_Progress"), &QProgressBar::valueChanged,
                [&] { ++shown; });
        child<QPushButton>(window, "btnStart")->click();
        QTRY_COMPARE_WITH_TIMEOUT(currentPage(window), QStringLiteral("Complete"), 20000);
        QCOMPARE(text(window, "lblU_FilesCount"), QStringLiteral("(80 of 80)"));
        QVERIFY2(shown < 40, qPrintable(QString::number(shown)));
    }

    void closingDuringUploadEndsTheWorker() {
        ServerOptions options;
        // The server reads in 64 kB chunks and throttles from its second one: about 2 s per file.
        options.readLimit = 32 * 1024;
        FtpTestServer server(options);
        QTemporaryDir local;
        for (int i = 0; i < 50; ++i)
            writeFile(local.path() + QStringLiteral("/f%1.jpg").arg(i, 2, 10, QChar('0')),
                      sampleBytes(100 * 1024, i));
        auto window = std::make_unique<TfrmFtpModule>(defaultsFor("passive"), local.path(), nullptr,
                                                      server.port());
        window->show();
        QTRY_COMPARE(currentPage(*window), QStringLiteral("Initial"));
        child<QPushButton>(*window, "btnStart")->click();
        QTRY_COMPARE_WITH_TIMEOUT(currentPage(*window), QStringLiteral("Uploading"), 10000);

        // Cancel on the question: the upload goes on.
        prompts->answerButton(platform::PromptButton::Cancel);
        window->reject();
        QVERIFY(window->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(text(*window, "lblU_FilesCount"), QStringLiteral("(2 of 50)"),
                                  15000);

        // Close while the report of the next file waits in the queue: the worker has sent
        // its report once the server sees the file's STOR; no event runs in between.
        QVERIFY(server.waitFor("STOR", static_cast<int>(server.commands({"STOR"}).size()) + 1));
        const QString shownAtClose = text(*window, "lblU_FilesCount");
        prompts->answerButton(platform::PromptButton::Ok);
        window->reject();
        QVERIFY(!window->isVisible());
        QCOMPARE(prompts->calls().back().text,
                 std::string("Upload is still in progress.\r\nAre you sure you want to exit?"));
        QElapsedTimer timer;
        timer.start();
        QTRY_VERIFY_WITH_TIMEOUT(window->workerFinished(), 15000);
        QCoreApplication::processEvents();
        // Whatever the worker sent after the close changed nothing in the window.
        QCOMPARE(text(*window, "lblU_FilesCount"), shownAtClose);
        QCOMPARE(currentPage(*window), QStringLiteral("Uploading"));
        window.reset();
        QVERIFY(timer.elapsed() < 15000);
        const int stored = static_cast<int>(server.commands({"STOR"}).size());
        QVERIFY(stored < 50);
        QVERIFY(stored >= 2);
        QVERIFY(server.waitFor("QUIT", 1));
        QVERIFY(server.commands({"LIST"}).size() == 1); // only the one of the connection
    }
};

QTEST_MAIN(TestFtpWindows)
#include "tst_FtpWindows.moc"
