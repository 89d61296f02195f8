#include "FtpTestServer.h"

#include "publish/ftp/FtpSession.h"
#include "publish/ftp/TFtpThread.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QRegularExpression>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>
#include <thread>

using namespace ftptest;
using publish::FtpError;
using publish::FtpSession;
using publish::TFtpThread;

namespace {

// What one run of the worker reported.
struct Reports {
    QStringList uploading; // "n/m path"
    std::optional<publish::RemoteListing> completed;
    std::optional<QString> failed;
    int done = 0;
};

// Runs the worker on this thread; `onUploading` may act before each file is sent.
Reports runUpload(std::unique_ptr<FtpSession> session, const QString& localDir,
                  std::shared_ptr<std::atomic<bool>> cancel = nullptr,
                  std::function<void(int)> onUploading = {}) {
    if (!cancel)
        cancel = std::make_shared<std::atomic<bool>>(false);
    const int count = static_cast<int>(treeContents(localDir).size());
    TFtpThread worker(std::move(session), localDir + u'/', count, cancel);
    Reports r;
    QObject::connect(&worker, &TFtpThread::uploading, [&](int i, int n, const QString& path) {
        r.uploading << QStringLiteral("%1/%2 %3").arg(i).arg(n).arg(path);
        if (onUploading)
            onUploading(i);
    });
    QObject::connect(&worker, &TFtpThread::completed,
                     [&](const publish::RemoteListing& l) { r.completed = l; });
    QObject::connect(&worker, &TFtpThread::failed, [&](const QString& m) { r.failed = m; });
    QObject::connect(&worker, &TFtpThread::done, [&] { ++r.done; });
    worker.run();
    return r;
}

const QStringList kVerbs{"PWD", "CWD", "CDUP", "MKD", "NLST", "LIST", "STOR", "QUIT"};

// A session with the test's user on a server at `port` of `host`.
std::unique_ptr<FtpSession> loginAt(quint16 port, bool passive,
                                    const QString& host = QStringLiteral("127.0.0.1"),
                                    const QString& password = QStringLiteral("p")) {
    return std::make_unique<FtpSession>(host, "u", password, passive, port,
                                        std::chrono::seconds(5));
}

std::unique_ptr<FtpSession> login(const FtpTestServer& server, bool passive,
                                  const QString& password = QStringLiteral("p")) {
    return loginAt(server.port(), passive, QStringLiteral("127.0.0.1"), password);
}

// While it lives, this thread reads only what the modes of files allow, even as root (the
// rights to override them are dropped from its effective set and given back at the end).
class WithoutFileRights {
public:
    WithoutFileRights() {
        if (syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct lowered[2];
        std::memcpy(lowered, saved_, sizeof saved_);
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        syscall(SYS_capset, &header_, lowered);
    }
    ~WithoutFileRights() { syscall(SYS_capset, &header_, saved_); }
    WithoutFileRights(const WithoutFileRights&) = delete;
    WithoutFileRights& operator=(const WithoutFileRights&) = delete;

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
};

// How often the calling thread has gone to sleep so far.
long sleepsSoFar() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nvcsw;
}

} // namespace

TEST(FtpUpload, PublishedAlbumArrivesByteForByteInBothModes) {
    for (const bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        FtpTestServer server;
        ASSERT_TRUE(server.running());
        QTemporaryDir local;
        makePublishedAlbum(local.path());

        const Reports r = runUpload(login(server, passive), local.path());
        ASSERT_FALSE(r.failed) << r.failed->toStdString();
        ASSERT_TRUE(r.completed);
        EXPECT_EQ(r.done, 1);
        EXPECT_EQ(r.uploading, (QStringList{"1/3 photogallery.htm", "2/3 pictavo/data.xml",
                                            "3/3 pictavo/pictavo_images/a.jpg"}));
        // The login ends with a PWD of its own; the worker's follows.
        EXPECT_EQ(
            server.commands(kVerbs),
            (QStringList{"PWD", "PWD", "STOR photogallery.htm", "NLST", "MKD pictavo",
                         "CWD pictavo", "STOR data.xml", "NLST", "MKD pictavo_images",
                         "CWD pictavo_images", "STOR a.jpg", "CDUP", "CDUP", "LIST", "QUIT"}));
        EXPECT_EQ(treeContents(server.root()), treeContents(local.path()));
        const publish::RemoteListing expected{{"pictavo", true}, {"photogallery.htm", false}};
        EXPECT_EQ(*r.completed, expected);
        EXPECT_FALSE(server.commands().filter(passive ? "EPSV" : "EPRT").isEmpty());
    }
}

TEST(FtpUpload, AnIPv6ServerTakesTheAlbumInBothModes) {
    // Extended passive and active mode (EPSV, EPRT) are the only ones over IPv6.
    for (const bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        ServerOptions options;
        options.host = QStringLiteral("::1");
        FtpTestServer server(options);
        if (!server.running())
            GTEST_SKIP() << "no IPv6 loopback here";
        QTemporaryDir local;
        makePublishedAlbum(local.path());
        const Reports r = runUpload(loginAt(server.port(), passive, "::1"), local.path());
        ASSERT_TRUE(r.completed) << (r.failed ? r.failed->toStdString() : "");
        EXPECT_EQ(treeContents(server.root()), treeContents(local.path()));
        EXPECT_FALSE(server.commands().filter(passive ? "EPSV" : "EPRT |2|::1|").isEmpty());
    }
}

TEST(FtpUpload, FilesOfEverySizeAcrossTheBlockSizeArriveWhole) {
    const int sizes[] = {0, 1, 256 * 1024 - 1, 256 * 1024, 256 * 1024 + 1, 5 << 20, 50 << 20};
    QTemporaryDir local;
    for (const int size : sizes)
        writeFile(local.path() + QStringLiteral("/sub/f%1.bin").arg(size), sampleBytes(size, size));
    for (const bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        FtpTestServer server;
        const Reports r = runUpload(login(server, passive), local.path());
        ASSERT_TRUE(r.completed) << (r.failed ? r.failed->toStdString() : "");
        EXPECT_EQ(server.commands({"STOR"}).size(), std::size(sizes));
        EXPECT_TRUE(treeContents(server.root()) == treeContents(local.path()));
    }
}

TEST(FtpUpload, ExistingRemoteFoldersAreEnteredByTheirExactName) {
    struct Case {
        const char* existing;
        bool expectMkd;
    } const cases[] = {{"pictavo", false}, {"PICTAVO", true}, {"other", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.existing);
        FtpTestServer server;
        QDir(server.root()).mkpath(QString::fromLatin1(c.existing));
        QTemporaryDir local;
        makePublishedAlbum(local.path());
        const Reports r = runUpload(login(server, true), local.path());
        ASSERT_TRUE(r.completed) << (r.failed ? r.failed->toStdString() : "");
        EXPECT_EQ(server.commands({"MKD"}).contains("MKD pictavo"), c.expectMkd);
        EXPECT_EQ(treeContents(server.root() + "/pictavo"),
                  treeContents(local.path() + "/pictavo"));
    }
}

TEST(FtpUpload, EmptyFolderCompletesWithoutStor) {
    FtpTestServer server;
    QTemporaryDir local;
    const Reports r = runUpload(login(server, true), local.path());
    ASSERT_TRUE(r.completed);
    EXPECT_TRUE(r.uploading.isEmpty());
    EXPECT_TRUE(server.commands({"STOR"}).isEmpty());
}

TEST(FtpUpload, FailuresEndWithTheServersTextAndNothingReportedDone) {
    enum class Way {
        RefusedFolder,
        NameWithLineBreak,
        ServerGoesAway,
        ServerGoesAwayMidFile,
        UnreadableFile,
        UnreadableFolder
    };
    struct Case {
        const char* title;
        Way way;
        const char* inMessage;
    } const cases[] = {
        {"refused folder", Way::RefusedFolder, "550"},
        {"line break in a name", Way::NameWithLineBreak, "line break"},
        {"server goes away", Way::ServerGoesAway, "the connection to the server was lost"},
        {"server goes away during a file", Way::ServerGoesAwayMidFile,
         "the server closed the connection"},
        {"unreadable file", Way::UnreadableFile, "Cannot read"},
        {"unreadable folder", Way::UnreadableFolder, "Cannot read the folder \""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        ServerOptions options;
        options.locked << "locked";
        if (c.way == Way::ServerGoesAwayMidFile)
            options.readLimit = 32 * 1024;
        FtpTestServer server(options);
        std::thread killer;
        QTemporaryDir local;
        makePublishedAlbum(local.path());
        auto session = login(server, true);
        std::function<void(int)> onUploading;
        std::optional<WithoutFileRights> asUser;
        switch (c.way) {
        case Way::RefusedFolder:
            session->cwd("/locked");
            break;
        case Way::NameWithLineBreak:
            writeFile(local.path() + "/pictavo/x\r\nDELE photogallery.htm", "evil");
            break;
        case Way::ServerGoesAway:
            onUploading = [&server](int index) {
                if (index == 2)
                    server.stop();
            };
            break;
        case Way::ServerGoesAwayMidFile:
            writeFile(local.path() + "/pictavo/pictavo_images/big.jpg", sampleBytes(4 << 20, 9));
            onUploading = [&](int index) {
                if (index == 3)
                    killer = std::thread([&server] {
                        std::this_thread::sleep_for(std::chrono::milliseconds(300));
                        server.killFromAnyThread();
                    });
            };
            break;
        case Way::UnreadableFile:
            writeFile(local.path() + "/pictavo/b.jpg", "x");
            QFile::setPermissions(local.path() + "/pictavo/b.jpg", {});
            asUser.emplace();
            if (QFile(local.path() + "/pictavo/b.jpg").open(QIODevice::ReadOnly))
                continue; // running with rights that read anything
            break;
        case Way::UnreadableFolder:
            QFile::setPermissions(local.path() + "/pictavo/pictavo_images", {});
            asUser.emplace();
            // (access() would answer for the root user's full rights)
            if (!QDir(local.path() + "/pictavo/pictavo_images").entryList(QDir::Files).isEmpty())
                continue;
            break;
        }
        const Reports r = runUpload(std::move(session), local.path(), nullptr, onUploading);
        if (killer.joinable())
            killer.join();
        asUser.reset();
        QFile::setPermissions(local.path() + "/pictavo/pictavo_images",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_FALSE(r.completed);
        ASSERT_TRUE(r.failed);
        EXPECT_FALSE(r.failed->isEmpty());
        EXPECT_TRUE(r.failed->contains(QString::fromLatin1(c.inMessage)))
            << r.failed->toStdString();
        EXPECT_FALSE(r.failed->contains("***") || r.failed->contains("PASS"));
        EXPECT_EQ(r.done, 1);
        // Nothing built from the hostile name reached the server.
        EXPECT_TRUE(server.commands().filter("DELE").isEmpty());
        if (c.way == Way::NameWithLineBreak) {
            EXPECT_TRUE(QFile::exists(server.root() + "/photogallery.htm"));
        }
        if (c.way == Way::UnreadableFolder) {
            EXPECT_TRUE(r.failed->contains("pictavo_images")) << r.failed->toStdString();
            EXPECT_EQ(server.commands({"MKD"}), QStringList{"MKD pictavo"});
        }
    }
}

TEST(FtpUpload, CancelEndsAfterTheFileInProgressWithoutReports) {
    FtpTestServer server;
    QTemporaryDir local;
    for (int i = 0; i < 6; ++i)
        writeFile(local.path() + QStringLiteral("/f%1.jpg").arg(i), sampleBytes(5000, i));
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    const Reports r = runUpload(login(server, false), local.path(), cancel, [&](int index) {
        if (index == 2)
            cancel->store(true);
    });
    EXPECT_FALSE(r.completed);
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(r.done, 1);
    EXPECT_EQ(server.commands({"STOR"}), (QStringList{"STOR f0.jpg", "STOR f1.jpg"}));
    EXPECT_TRUE(server.waitFor("QUIT", 1));
    EXPECT_TRUE(server.commands({"LIST"}).isEmpty());
}

TEST(FtpSession, LoginBrowseAndArgumentsThatCannotTravel) {
    FtpTestServer server;
    auto session = login(server, true);
    EXPECT_EQ(session->pwd(), "/");
    session->mkd("/a b");
    session->cwd("a b");
    EXPECT_EQ(session->pwd(), "/a b");
    session->cdup();
    EXPECT_EQ(session->nlst(), QStringList{"a b"});

    struct Case {
        const char* what;
        std::function<void()> call;
    } const cases[] = {
        {"cwd", [&] { session->cwd("x\r\nDELE y"); }},
        {"mkd", [&] { session->mkd("x\nRMD y"); }},
        {"stor", [&] { session->stor(FZ_SOURCE_DIR "/CMakeLists.txt", "x\rDELE y"); }},
        {"nul", [&] { session->cwd(QStringLiteral("x") + QChar(0) + "DELE y"); }},
    };
    for (const Case& c : cases)
        EXPECT_THROW(c.call(), FtpError) << c.what;
    session->close();
    EXPECT_TRUE(server.waitFor("QUIT", 1));
    EXPECT_TRUE(server.commands().filter("DELE").isEmpty());
    EXPECT_TRUE(server.commands().filter("RMD").isEmpty());
    EXPECT_THROW(session->pwd(), FtpError); // closed
}

TEST(FtpSession, LoginFailuresCarryTheirTextButNeverThePassword) {
    FtpTestServer server;
    struct Case {
        const char* user;
        const char* password;
        quint16 port;
        bool reachesServer;
    } const cases[] = {
        {"u", "wrong-secret", server.port(), true},
        {"u\r\nDELE x", "p", server.port(), false},
        {"u", "p\r\nDELE x", server.port(), false},
        {"u", "p", 1, false}, // nothing listens on port 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user);
        const int before = static_cast<int>(server.commands().size());
        try {
            FtpSession session("127.0.0.1", c.user, c.password, true, c.port,
                               std::chrono::seconds(3));
            ADD_FAILURE() << "logged in";
        } catch (const FtpError& e) {
            EXPECT_FALSE(e.message().isEmpty());
            EXPECT_FALSE(e.message().contains("secret"));
        }
        EXPECT_EQ(server.commands().size() > before, c.reachesServer);
    }
    EXPECT_TRUE(server.commands().filter("DELE").isEmpty());
    // A host typed with blanks around it still connects.
    FtpSession trimmed("  127.0.0.1 ", " u ", "p", false, server.port());
    EXPECT_EQ(trimmed.pwd(), "/");
}

TEST(FtpSession, DataGoesToTheControlPeerWhateverPassiveRepliesName) {
    // The server refuses EPSV and names 127.0.0.99 in its PASV replies, listening there too.
    HostileServer server("pasv-elsewhere");
    QTemporaryDir local;
    makePublishedAlbum(local.path());
    const Reports r = runUpload(loginAt(server.port(), true), local.path());
    ASSERT_TRUE(r.completed) << (r.failed ? r.failed->toStdString() : "");
    EXPECT_EQ(server.record().filter("STORED").size(), 3);
    EXPECT_GE(server.record().filter("PASV").size(), 3);
    EXPECT_EQ(server.record().filter("THIRD"), QStringList());
}

TEST(FtpSession, ServerThatNeverGreetsTimesOut) {
    HostileServer silent("no-greeting");
    QElapsedTimer timer;
    timer.start();
    EXPECT_THROW(
        FtpSession("127.0.0.1", "u", "p", true, silent.port(), std::chrono::milliseconds(700)),
        FtpError);
    EXPECT_LT(timer.elapsed(), 5000);
}

TEST(FtpSession, HostsWithAPortOrBracketsAreRefusedBeforeConnecting) {
    struct Case {
        const char* host;
        bool refused;
    } const cases[] = {
        {"example.org:2121", true}, {"[::1]", true}, {"[127.0.0.1]:21", true},
        {"127.0.0.1:21", true},     {"::1", false},  {"127.0.0.1", false},
    };
    for (const Case& c : cases) {
        QString message;
        try {
            // Nothing listens on port 1: a host that passes the check fails to connect.
            FtpSession("  " + QString::fromLatin1(c.host), "u", "p", true, 1,
                       std::chrono::seconds(2));
        } catch (const FtpError& e) {
            message = e.message();
        }
        EXPECT_EQ(message.contains("the FTP port is always 21"), c.refused)
            << c.host << ": " << message.toStdString();
    }
}

TEST(FtpSession, WaitsSleepUntilTheServerAnswersAndNoFileWaitsForNothing) {
    {
        // A reply that takes a second is slept through, not polled for every few milliseconds.
        HostileServer server(QStringLiteral("slow-cwd"));
        FtpSession session("127.0.0.1", "u", "p", true, server.port(), std::chrono::seconds(5));
        const long before = sleepsSoFar();
        session.cwd(QStringLiteral("x"));
        EXPECT_LT(sleepsSoFar() - before, 20);
    }
    // Each file opens a passive data connection of its own; none waits out a long sleep.
    FtpTestServer server;
    ASSERT_TRUE(server.running());
    QTemporaryDir local;
    for (int i = 0; i < 200; ++i)
        writeFile(local.path() + QStringLiteral("/f%1.bin").arg(i), sampleBytes(200000 + i, i));
    QElapsedTimer sinceFile;
    qint64 longest = 0;
    sinceFile.start();
    const Reports r = runUpload(login(server, true), local.path(), nullptr,
                                [&](int) { longest = std::max(longest, sinceFile.restart()); });
    ASSERT_FALSE(r.failed) << r.failed->toStdString();
    EXPECT_LT(longest, 500);
}

TEST(FtpUpload, AFileTheServerHoldsShortFailsWhereverItsCheckIsRead) {
    // The server holds "short.jpg" one byte short; the size check is read behind whatever
    // command follows the upload, and must end the upload there whatever that command is.
    struct Case {
        const char* title;
        QStringList files;
    } const cases[] = {
        {"another file follows", {"short.jpg", "z.jpg"}},
        {"a sub-folder follows", {"short.jpg", "z/y.jpg"}},
        {"its folder ends", {"a/short.jpg", "b.jpg"}},
        {"the upload ends", {"a.jpg", "short.jpg"}},
    };
    for (const bool passive : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.title) + (passive ? ", passive" : ", active"));
            HostileServer server(QStringLiteral("short-size"));
            ASSERT_TRUE(server.port());
            QTemporaryDir local;
            for (const QString& file : c.files)
                writeFile(local.path() + u'/' + file, sampleBytes(5000, int(file.size())));
            const Reports r = runUpload(loginAt(server.port(), passive), local.path());
            EXPECT_FALSE(r.completed);
            ASSERT_TRUE(r.failed);
            EXPECT_TRUE(r.failed->contains(
                "Uploading \"short.jpg\" failed: the server holds 4999 of the 5000 bytes, so "
                "\"short.jpg\" is incomplete on the server"))
                << r.failed->toStdString();
            EXPECT_TRUE(server.record().filter("STORED z").isEmpty());
        }
    }
}

TEST(FtpUpload, NoCommandGoesOutBeforeTheReplyToTheOneBefore) {
    // The server takes 150 ms over each SIZE and notes whether the client's next command had
    // already arrived when it answered: a server that reads one command at a time would lose
    // a command sent ahead.
    QTemporaryDir local;
    for (const char* file : {"a.jpg", "b.jpg", "sub/c.jpg"})
        writeFile(local.path() + u'/' + QString::fromLatin1(file), sampleBytes(3000, 7));
    for (const bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        HostileServer server(QStringLiteral("slow-size"));
        ASSERT_TRUE(server.port());
        const Reports r = runUpload(loginAt(server.port(), passive), local.path());
        ASSERT_TRUE(r.completed) << (r.failed ? r.failed->toStdString() : "");
        EXPECT_EQ(server.record().filter("answered").join(u'\n').toStdString(),
                  QStringList(3, QStringLiteral("SIZE answered with the next command not yet sent"))
                      .join(u'\n')
                      .toStdString());
    }
}

TEST(FtpSession, AHostThatCannotBeFoundFailsWithinTheTimeout) {
    QElapsedTimer timer;
    timer.start();
    QString message;
    try {
        FtpSession("no-such-host.invalid", "u", "p", true, 21, std::chrono::seconds(2));
    } catch (const FtpError& e) {
        message = e.message();
    }
    EXPECT_TRUE(message.startsWith("Connecting to no-such-host.invalid failed: "))
        << message.toStdString();
    EXPECT_LT(timer.elapsed(), 4000);
}

TEST(FtpUpload, ServersWithoutSizeAreCheckedByOneListingPerFolder) {
    // "late-reset" says each file is stored after reading 1 KiB of it, and drops the rest.
    struct Case {
        const char* server;
        QStringList files;
        const char* failure; // nullptr: completes
    } const cases[] = {
        {"no-size", {"a.jpg", "sub/b.jpg", "sub/c.jpg", "sub/deeper/d.jpg", "z.jpg"}, nullptr},
        {"late-reset", {"a.jpg", "z.jpg"}, "Uploading \"a.jpg\" failed: the server lists "},
        {"late-reset", {"a.jpg", "sub/b.jpg"}, "Uploading \"b.jpg\" failed: the server lists "},
    };
    for (const bool passive : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.server) + (passive ? ", passive" : ", active"));
            HostileServer server(QString::fromLatin1(c.server));
            ASSERT_TRUE(server.port());
            QTemporaryDir local;
            for (const QString& file : c.files)
                writeFile(local.path() + u'/' + file, sampleBytes(5000, int(file.size())));
            const Reports r = runUpload(loginAt(server.port(), passive), local.path());
            if (!c.failure) {
                ASSERT_TRUE(r.completed) << (r.failed ? r.failed->toStdString() : "");
                EXPECT_EQ(server.record().filter(QRegularExpression("^STORED .* 5000$")).size(),
                          c.files.size());
                // "deeper", "sub" and the top folder once each; the top folder's listing is
                // also the one the window shows.
                EXPECT_EQ(server.record().filter(QRegularExpression("^LIST")).size(), 3);
                continue;
            }
            EXPECT_FALSE(r.completed);
            ASSERT_TRUE(r.failed);
            EXPECT_TRUE(r.failed->startsWith(QString::fromLatin1(c.failure)))
                << r.failed->toStdString();
            EXPECT_TRUE(r.failed->contains("of the 5000 bytes, so")) << r.failed->toStdString();
        }
    }
}

// Runs this test alone again in a private network and mount namespace: the name "dual.test"
// leads first to an IPv6 address whose packets vanish (a tunnel nobody reads), then to
// 127.0.0.1; "bücher.example" is known only by its converted form.
TEST(FtpSession, NamesReachTheirServerWhereverTheirFirstAddressLeads) {
    if (!inPrivateNetwork()) {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const auto run = runInPrivateNetwork(
            {QStringLiteral("--gtest_filter=%1.%2").arg(test->test_suite_name(), test->name())},
            "127.0.0.1 localhost\n2001:db9::1 dual.test\n127.0.0.1 dual.test\n"
            "127.0.0.1 xn--bcher-kva.example\n");
        if (!run)
            GTEST_SKIP() << "no private network here";
        EXPECT_EQ(run->first, 0) << run->second.toStdString();
        EXPECT_TRUE(run->second.contains("[  PASSED  ] 1 test")) << run->second.toStdString();
        return;
    }
    for (const char16_t* host : {u"dual.test", u"b\u00fccher.example", u"B\u00dcCHER.example"}) {
        const QString name = QString::fromUtf16(host);
        SCOPED_TRACE(name.toStdString());
        FtpTestServer server;
        ASSERT_TRUE(server.running());
        QTemporaryDir local;
        makePublishedAlbum(local.path());
        // Well short of what waiting out the silent address would take.
        std::unique_ptr<FtpSession> session;
        try {
            session = std::make_unique<FtpSession>(name, "u", "p", true, server.port(),
                                                   std::chrono::seconds(3));
        } catch (const FtpError& e) {
            FAIL() << e.message().toStdString();
        }
        const Reports r = runUpload(std::move(session), local.path());
        ASSERT_TRUE(r.completed) << (r.failed ? r.failed->toStdString() : "");
        EXPECT_EQ(treeContents(server.root()), treeContents(local.path()));
    }
}

namespace {

// A server that ends idle sessions (after a second, or only when the next command comes), or
// one that keeps them while the session trusts a connection only for the second it was used in.
enum class IdleEnd { ServerTimeout, LateReply, SessionMaxIdle };

struct IdleServer {
    explicit IdleServer(IdleEnd how) : how(how) {
        ServerOptions options;
        options.idleTimeout = how == IdleEnd::ServerTimeout ? 1 : 0;
        if (how == IdleEnd::LateReply)
            hostile.emplace(QStringLiteral("late-421"));
        else
            ftp.emplace(options);
    }
    QStringList log() const { return ftp ? ftp->commands() : hostile->record(); }
    std::unique_ptr<FtpSession> logIn(bool passive) const {
        auto session = loginAt(ftp ? ftp->port() : hostile->port(), passive);
        if (how == IdleEnd::SessionMaxIdle)
            session->setMaxIdle(std::chrono::seconds(0));
        return session;
    }
    // Whether the server holds `path` (below its home folder) as the local `copy`; the
    // misbehaving server keeps no files.
    bool holds(const QString& path, const QString& copy = {}) const {
        if (!ftp)
            return true;
        const QString there = ftp->root() + path;
        return copy.isEmpty() ? QFileInfo(there).isDir()
                              : treeContents(there) == treeContents(copy);
    }

    IdleEnd how;
    std::optional<FtpTestServer> ftp;
    std::optional<HostileServer> hostile;
};

// Longer than each server's idle limit, and than the second the session trusts.
void idle() {
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
}

} // namespace

// Whoever ended the idle connection, the next command logs in again and runs in the folder the
// session was in; a connection lost during an upload fails the file instead. One idle spell
// before each action serves every row.
TEST(FtpSession, AnIdleSessionLogsInAgainButAnUploadIsNeverResumed) {
    const IdleEnd ways[] = {IdleEnd::ServerTimeout, IdleEnd::LateReply, IdleEnd::SessionMaxIdle};
    QTemporaryDir local;
    makePublishedAlbum(local.path());
    std::vector<std::pair<std::unique_ptr<IdleServer>, std::unique_ptr<FtpSession>>> rows;
    for (const IdleEnd how : ways) {
        for (const bool passive : {true, false}) {
            auto server = std::make_unique<IdleServer>(how);
            auto session = server->logIn(passive);
            session->mkd("/a");
            session->cwd("a");
            rows.emplace_back(std::move(server), std::move(session));
        }
    }
    const std::function<void(IdleServer&, std::unique_ptr<FtpSession>&)> actions[] = {
        [](IdleServer&, std::unique_ptr<FtpSession>& s) { s->list(); },
        [](IdleServer& server, std::unique_ptr<FtpSession>& s) {
            s->mkd("b");
            EXPECT_TRUE(server.holds("/a/b"));
        },
        [&](IdleServer& server, std::unique_ptr<FtpSession>& s) {
            const Reports r = runUpload(std::move(s), local.path());
            ASSERT_TRUE(r.completed) << (r.failed ? r.failed->toStdString() : "");
            EXPECT_TRUE(server.holds("/a/pictavo", local.path() + "/pictavo"));
        },
    };
    for (const auto& act : actions) {
        idle();
        for (auto& [server, session] : rows) {
            SCOPED_TRACE(int(server->how));
            EXPECT_NO_THROW(act(*server, session));
        }
    }
    for (auto& [server, session] : rows) {
        // The first login and three more, each back in the folder.
        EXPECT_EQ(server->log().filter(QRegularExpression("^USER ")).size(), 4);
        EXPECT_EQ(server->log().filter(QRegularExpression("^CWD /a$")).size(), 3);
    }

    // An upload never resumes on a new connection: the file it was about to send fails.
    for (const IdleEnd how : ways) {
        SCOPED_TRACE(int(how));
        const IdleServer server(how);
        const Reports r = runUpload(server.logIn(how != IdleEnd::LateReply), local.path(), nullptr,
                                    [](int index) {
                                        if (index == 2)
                                            idle();
                                    });
        ASSERT_TRUE(r.failed && !r.completed);
        EXPECT_TRUE(r.failed->startsWith("Uploading \"data.xml\" failed: "))
            << r.failed->toStdString();
        EXPECT_EQ(server.log().filter(QRegularExpression("^USER ")).size(), 1);
        EXPECT_TRUE(server.log().filter("STOR data.xml").isEmpty());
    }
}
