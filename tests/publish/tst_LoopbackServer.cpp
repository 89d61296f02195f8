// The editor's loopback server answers, over real sockets from this thread while its own thread
// serves, with the files of its one folder and nothing else: no way up, no link out, nothing
// hidden, no listing, no other host name, no other method, nothing without its secret. It
// answers ranges and HEAD, ends connections that ask for it, outlives a flood of half-open
// connections and sends a large file without holding it.

#include "publish/preview/LoopbackServer.h"

#include "platform/ShellOpen.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace {

QByteArray bigFile() {
    QByteArray bytes(5 * 1024 * 1024 + 1, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7 + i / 4093);
    return bytes;
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A blocking client socket that gives up a read after `seconds`.
struct Client {
    int fd = -1;
    explicit Client(quint16 port, int seconds = 5) {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        timeval wait{seconds, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    ~Client() {
        if (fd >= 0)
            ::close(fd);
    }
    bool send(const QByteArray& bytes) const {
        return fd >= 0 && ::send(fd, bytes.constData(), bytes.size(), MSG_NOSIGNAL) == bytes.size();
    }
    // Up to `most` bytes; empty at the end of the stream or when the wait ran out.
    QByteArray read(qsizetype most = 65536) const {
        QByteArray chunk(most, Qt::Uninitialized);
        const ssize_t got = fd >= 0 ? ::recv(fd, chunk.data(), chunk.size(), 0) : -1;
        return chunk.left(got > 0 ? got : 0);
    }
    // Whether the server ended the connection (rather than the wait running out).
    bool ended(int flags = 0) const {
        char c;
        return fd >= 0 && ::recv(fd, &c, 1, flags) == 0;
    }
};

struct Answer {
    QByteArray status;
    QByteArray headers; // lower-cased
    QByteArray body;
    QByteArray header(const QByteArray& name) const {
        const qsizetype at = headers.indexOf("\r\n" + name + ": ");
        return at < 0 ? QByteArray() : headers.mid(at + name.size() + 4).split('\r').first();
    }
};

// One answer read from `client`; a HEAD answer has no body.
Answer readAnswer(const Client& client, bool head = false) {
    QByteArray got;
    qsizetype end = -1;
    while ((end = got.indexOf("\r\n\r\n")) < 0) {
        const QByteArray more = client.read();
        if (more.isEmpty())
            return {got.left(got.indexOf("\r\n")), {}, {}};
        got += more;
    }
    Answer answer{got.left(got.indexOf("\r\n")), got.left(end + 2).toLower(), got.mid(end + 4)};
    const qsizetype length = head ? 0 : answer.header("content-length").toLongLong();
    while (answer.body.size() < length) {
        const QByteArray more = client.read();
        if (more.isEmpty())
            break;
        answer.body += more;
    }
    return answer;
}

Answer ask(quint16 port, const QByteArray& request) {
    Client client(port);
    if (!client.send(request))
        return {};
    return readAnswer(client, request.startsWith("HEAD"));
}

QByteArray fill(QByteArray request, const publish::LoopbackServer& server) {
    const QString path = server.url("x").path();
    return request.replace("%P", QByteArray::number(server.url("x").port()))
        .replace("%S", path.mid(1, path.size() - 3).toLatin1());
}

qint64 statusValue(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').first().toLongLong();
    return -1;
}

int openFiles() {
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::NoDotAndDotDot | QDir::System)
                   .size());
}

} // namespace

class LoopbackServerTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString root;

private slots:
    void initTestCase() {
        root = dir.path() + "/";
        // Real files outside the served folder "site", where every way up would lead.
        writeAll(root + "secret.txt", "secret");
        writeAll(root + "siteX/other.txt", "beside");
        writeAll(root + "site/album/page.htm", "<p>album</p>");
        writeAll(root + "site/album/sub/a b.xml", "<x/>");
        writeAll(root + "site/album/big.bin", bigFile());
        writeAll(root + "site/album/digits.txt", QByteArray("0123456789").repeated(10));
        writeAll(root + "site/album/empty.txt", "");
        writeAll(root + "site/album/.hidden.txt", "hidden");
        writeAll(root + "site/album/.git/config", "hidden");
        QFile::link(root + "secret.txt", root + "site/album/out.txt");
        QFile::link(root, root + "site/album/outside");
        QFile::link(root + "siteX", root + "site/album/beside");
        QFile::link(root + "site/album/.hidden.txt", root + "site/album/shown.txt");
    }

    void servesOnlyItsFolder_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        const QByteArray host = "Host: 127.0.0.1:%P\r\n\r\n";
        const QByteArray ok = "HTTP/1.1 200 OK|";
        const QByteArray missing = "HTTP/1.1 404 Not Found|Not Found";
        auto get = [&](const char* path) {
            return "GET /%S" + QByteArray(path) + " HTTP/1.1\r\n" + host;
        };
        QTest::newRow("a file") << get("/album/page.htm") << ok + "<p>album</p>";
        QTest::newRow("a file below, escaped name") << get("/album/sub/a%20b.xml") << ok + "<x/>";
        QTest::newRow("a file of 5 MB + 1") << get("/album/big.bin") << ok + bigFile();
        QTest::newRow("an empty file") << get("/album/empty.txt") << ok;
        QTest::newRow("head") << "HEAD /%S/album/page.htm HTTP/1.1\r\n" + host << ok;
        QTest::newRow("up two levels") << get("/album/../../secret.txt") << missing;
        QTest::newRow("up, escaped") << get("/album/%2e%2e/%2E%2E/secret.txt") << missing;
        QTest::newRow("up, backslash") << get("/album/..%5c..%5csecret.txt") << missing;
        QTest::newRow("up into a sibling sharing the name")
            << get("/album/../../siteX/other.txt") << missing;
        QTest::newRow("absolute") << get("//etc/passwd") << missing;
        QTest::newRow("link to a file outside") << get("/album/out.txt") << missing;
        QTest::newRow("link to a folder outside") << get("/album/outside/secret.txt") << missing;
        QTest::newRow("link to a sibling sharing the name")
            << get("/album/beside/other.txt") << missing;
        QTest::newRow("hidden file") << get("/album/.hidden.txt") << missing;
        QTest::newRow("hidden folder") << get("/album/.git/config") << missing;
        QTest::newRow("link to a hidden file") << get("/album/shown.txt") << missing;
        QTest::newRow("listing") << get("/") << missing;
        QTest::newRow("listing below") << get("/album/sub/") << missing;
        QTest::newRow("no secret") << "GET /album/page.htm HTTP/1.1\r\n" + host << missing;
        QTest::newRow("another secret")
            << "GET /0123456789abcdef0123456789abcdef/album/page.htm HTTP/1.1\r\n" + host
            << missing;
        QTest::newRow("the secret without its slash")
            << "GET /%Salbum/page.htm HTTP/1.1\r\n" + host << missing;
        QTest::newRow("the secret in the query")
            << "GET /album/page.htm?%S HTTP/1.1\r\n" + host << missing;
        QTest::newRow("another host name")
            << QByteArray("GET /%S/album/page.htm HTTP/1.1\r\nHost: evil.example:%P\r\n\r\n")
            << QByteArray("HTTP/1.1 403 Forbidden|Forbidden");
        QTest::newRow("post") << "POST /%S/album/page.htm HTTP/1.1\r\nContent-Length: 0\r\n" + host
                              << QByteArray("HTTP/1.1 405 Method Not Allowed|Method Not Allowed");
        QTest::newRow("get with a body")
            << "GET /%S/album/page.htm HTTP/1.1\r\nContent-Length: 4\r\n" + host + "abcd"
            << QByteArray("HTTP/1.1 413 Content Too Large|No body is taken");
        QTest::newRow("get with a chunked body")
            << "GET /%S/album/page.htm HTTP/1.1\r\nTransfer-Encoding: chunked\r\n" + host +
                   "4\r\nabcd\r\n0\r\n\r\n"
            << QByteArray("HTTP/1.1 413 Content Too Large|No body is taken");
    }
    void servesOnlyItsFolder() {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        publish::LoopbackServer server(root + "site");
        QVERIFY(server.listening());
        QCOMPARE(server.url("album/page.htm").host(), QString("127.0.0.1"));
        const Answer got = ask(quint16(server.url("x").port()), fill(request, server));
        QCOMPARE(got.status + "|" + got.body, answer);
    }

    void rangesAndLengths_data() {
        QTest::addColumn<QByteArray>("fields");
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<QByteArray>("span");
        QTest::addColumn<QByteArray>("body");
        const QByteArray all = QByteArray("0123456789").repeated(10);
        QTest::newRow("no range") << QByteArray() << QByteArray("200 OK") << QByteArray() << all;
        QTest::newRow("first ten")
            << QByteArray("Range: bytes=0-9\r\n") << QByteArray("206 Partial Content")
            << QByteArray("bytes 0-9/100") << all.left(10);
        QTest::newRow("from 95 on")
            << QByteArray("Range: bytes=95-\r\n") << QByteArray("206 Partial Content")
            << QByteArray("bytes 95-99/100") << all.mid(95);
        QTest::newRow("last five")
            << QByteArray("Range: bytes=-5\r\n") << QByteArray("206 Partial Content")
            << QByteArray("bytes 95-99/100") << all.mid(95);
        QTest::newRow("more than there is")
            << QByteArray("Range: bytes=-500\r\n") << QByteArray("206 Partial Content")
            << QByteArray("bytes 0-99/100") << all;
        QTest::newRow("end past the file")
            << QByteArray("Range: bytes=98-1000\r\n") << QByteArray("206 Partial Content")
            << QByteArray("bytes 98-99/100") << all.mid(98);
        QTest::newRow("the last byte")
            << QByteArray("Range: bytes=99-99\r\n") << QByteArray("206 Partial Content")
            << QByteArray("bytes 99-99/100") << all.mid(99);
        QTest::newRow("start at the end")
            << QByteArray("Range: bytes=100-\r\n") << QByteArray("416 Range Not Satisfiable")
            << QByteArray("bytes */100") << QByteArray();
        QTest::newRow("none of the last")
            << QByteArray("Range: bytes=-0\r\n") << QByteArray("416 Range Not Satisfiable")
            << QByteArray("bytes */100") << QByteArray();
        QTest::newRow("two ranges: all") << QByteArray("Range: bytes=0-1,5-6\r\n")
                                         << QByteArray("200 OK") << QByteArray() << all;
        QTest::newRow("backwards: all")
            << QByteArray("Range: bytes=9-2\r\n") << QByteArray("200 OK") << QByteArray() << all;
        QTest::newRow("other unit: all")
            << QByteArray("Range: lines=0-1\r\n") << QByteArray("200 OK") << QByteArray() << all;
        QTest::newRow("a sign: all")
            << QByteArray("Range: bytes=+1-2\r\n") << QByteArray("200 OK") << QByteArray() << all;
        QTest::newRow("too many digits: all")
            << QByteArray("Range: bytes=0-1234567890123456789\r\n") << QByteArray("200 OK")
            << QByteArray() << all;
    }
    void rangesAndLengths() {
        QFETCH(QByteArray, fields);
        QFETCH(QByteArray, status);
        QFETCH(QByteArray, span);
        QFETCH(QByteArray, body);
        publish::LoopbackServer server(root + "site");
        const Answer got = ask(
            quint16(server.url("x").port()),
            fill("GET /%S/album/digits.txt HTTP/1.1\r\nHost: 127.0.0.1:%P\r\n" + fields + "\r\n",
                 server));
        QCOMPARE(got.status, "HTTP/1.1 " + status);
        QCOMPARE(got.header("content-range"), span);
        QCOMPARE(got.header("content-length"), QByteArray::number(body.size()));
        QCOMPARE(got.body, body);
        // HEAD tells the whole length and sends nothing.
        const Answer head =
            ask(quint16(server.url("x").port()),
                fill("HEAD /%S/album/big.bin HTTP/1.1\r\nHost: 127.0.0.1:%P\r\n" + fields + "\r\n",
                     server));
        QCOMPARE(head.status, QByteArray("HTTP/1.1 200 OK"));
        QCOMPARE(head.header("content-length"), QByteArray::number(bigFile().size()));
        QCOMPARE(head.body, QByteArray());
    }

    // Whether the server ends the connection after its answer, or answers a second request.
    void connectionEndsWhenAsked_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<bool>("ends");
        QTest::newRow("HTTP/1.1 keeps it")
            << QByteArray("GET /%S/album/page.htm HTTP/1.1\r\nHost: 127.0.0.1:%P\r\n\r\n") << false;
        QTest::newRow("HTTP/1.0")
            << QByteArray("GET /%S/album/page.htm HTTP/1.0\r\nHost: 127.0.0.1:%P\r\n\r\n") << true;
        QTest::newRow("Connection: close")
            << QByteArray("GET /%S/album/page.htm HTTP/1.1\r\nHost: 127.0.0.1:%P\r\nConnection: "
                          "close\r\n\r\n")
            << true;
        QTest::newRow("a body refused")
            << QByteArray("GET /%S/album/page.htm HTTP/1.1\r\nHost: "
                          "127.0.0.1:%P\r\nContent-Length: 100000\r\n\r\nabc")
            << true;
    }
    void connectionEndsWhenAsked() {
        QFETCH(QByteArray, request);
        QFETCH(bool, ends);
        publish::LoopbackServer server(root + "site");
        Client client(quint16(server.url("x").port()), 3);
        QVERIFY(client.send(fill(request, server)));
        QVERIFY(!readAnswer(client).status.isEmpty());
        if (ends) {
            QVERIFY(client.ended());
            return;
        }
        QVERIFY(client.send(fill(request, server)));
        QCOMPARE(readAnswer(client).body, QByteArray("<p>album</p>"));
    }

    // Far more half-open connections than the cap: the server holds no more than the cap, closes
    // them when their time is up, also one that sends a byte now and then, and serves a fresh
    // client after.
    void outlivesAFloodOfHalfOpenConnections() {
        publish::LoopbackServer server(root + "site", {8, std::chrono::milliseconds(1000)});
        const quint16 port = quint16(server.url("x").port());
        const int before = openFiles();
        Client trickle(port);
        std::vector<std::unique_ptr<Client>> flood;
        for (int i = 0; i < 200; ++i) {
            flood.push_back(std::make_unique<Client>(port));
            flood.back()->send("GET /");
        }
        QTest::qWait(200);
        // Our 201 ends and at most the cap of the server's (and its own few).
        QVERIFY2(openFiles() <= before + 201 + 8 + 4,
                 qPrintable(QString::number(openFiles() - before)));
        bool closed = false;
        for (int i = 0; i < 40 && !closed; ++i) {
            closed = !trickle.send("G") || trickle.ended(MSG_DONTWAIT);
            QTest::qWait(250);
        }
        QVERIFY2(closed, "a connection sending a byte now and then stayed open");
        // The cap frees as the flood leaves.
        flood.clear();
        Answer fresh;
        for (int i = 0; i < 50 && fresh.body.isEmpty(); ++i) {
            fresh = ask(port, fill("GET /%S/album/page.htm HTTP/1.1\r\nHost: 127.0.0.1:%P\r\n\r\n",
                                   server));
            if (fresh.body.isEmpty())
                QTest::qWait(100);
        }
        QCOMPARE(fresh.body, QByteArray("<p>album</p>"));
    }

    // A file far larger than any buffer, asked for by clients that read slowly or not at all:
    // it is sent from the disk, not held in memory, and arrives whole.
    void sendsALargeFileWithoutHoldingIt() {
        const QString path = root + "site/album/large.bin";
        const qint64 size = 400LL * 1024 * 1024 + 3;
        {
            QFile large(path);
            QVERIFY(large.open(QIODevice::WriteOnly));
            QVERIFY(large.resize(size)); // sparse: no disk used
        }
        publish::LoopbackServer server(root + "site");
        const quint16 port = quint16(server.url("x").port());
        const QByteArray request =
            fill("GET /%S/album/large.bin HTTP/1.1\r\nHost: 127.0.0.1:%P\r\n\r\n", server);
        const qint64 rssBefore = statusValue("VmRSS:");
        std::vector<std::unique_ptr<Client>> idle;
        for (int i = 0; i < 4; ++i) {
            idle.push_back(std::make_unique<Client>(port));
            QVERIFY(idle.back()->send(request));
        }
        Client reader(port);
        QVERIFY(reader.send(request));
        qint64 got = 0;
        for (int i = 0; i < 20; ++i) {
            got += reader.read(4096).size();
            QTest::qWait(10);
        }
        const qint64 rssSlow = statusValue("VmRSS:");
        QByteArray chunk;
        while (!(chunk = reader.read(1 << 20)).isEmpty())
            if ((got += chunk.size()) > size)
                break;
        const qint64 rssAfter = statusValue("VmRSS:");
        QVERIFY(got > size); // the headers as well
        // Loose: a file held whole would add 400 MB per client.
        QVERIFY2(
            rssSlow - rssBefore < 64 * 1024 && rssAfter - rssBefore < 64 * 1024,
            qPrintable(
                QStringLiteral("%1 %2 KiB").arg(rssSlow - rssBefore).arg(rssAfter - rssBefore)));
        QFile::remove(path);
    }

    void listensOnTheLoopbackOnly() {
        publish::LoopbackServer server(dir.path());
        QVERIFY(server.listening());
        QFile table(QStringLiteral("/proc/net/tcp"));
        QVERIFY(table.open(QIODevice::ReadOnly));
        const QByteArray port =
            QByteArray::number(server.url("x").port(), 16).toUpper().rightJustified(4, '0');
        QByteArrayList listeners;
        for (const QByteArray& line : table.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() > 3 && fields[1].endsWith(":" + port) && fields[3] == "0A")
                listeners << fields[1];
        }
        QCOMPARE(listeners, QByteArrayList{"0100007F:" + port});
    }

    // Two servers, two secrets of 128 bits.
    void eachServerHasItsOwnSecret() {
        publish::LoopbackServer one(root + "site");
        publish::LoopbackServer two(root + "site");
        const QRegularExpression secret(QStringLiteral("^/[0-9a-f]{32}/x$"));
        QVERIFY(secret.match(one.url("x").path()).hasMatch());
        QVERIFY(secret.match(two.url("x").path()).hasMatch());
        QVERIFY(one.url("x").path() != two.url("x").path());
    }

    // The browser is handed a private page that forwards to the address, never the address.
    void theBrowserGetsAPrivatePage() {
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
        QList<QUrl> opened;
        platform::setShellOpenHook([&opened](const QUrl& url) {
            opened << url;
            return true;
        });
        const bool ok = publish::LoopbackServer::openInBrowser(root + "site/album/page.htm");
        platform::setShellOpenHook({});
        QVERIFY(ok);
        QCOMPARE(opened.size(), 1);
        QVERIFY(opened[0].isLocalFile());
        const QString page = opened[0].toLocalFile();
        QCOMPARE(QFileInfo(page).absolutePath(), runtime.path());
        struct stat facts {};
        QCOMPARE(::stat(QFile::encodeName(page).constData(), &facts), 0);
        QCOMPARE(facts.st_mode & 0777, 0600u);
        QFile file(page);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QRegularExpression to(
            QStringLiteral("href=\"(http://127\\.0\\.0\\.1:\\d+/[0-9a-f]{32}/page\\.htm)\""));
        const QRegularExpressionMatch match = to.match(QString::fromUtf8(file.readAll()));
        QVERIFY(match.hasMatch());
        const QUrl address(match.captured(1));
        QVERIFY(!opened[0].toString().contains(address.path().section('/', 1, 1)));
        const Answer got =
            ask(quint16(address.port()), "GET " + address.path().toLatin1() +
                                             " HTTP/1.1\r\nHost: 127.0.0.1:" +
                                             QByteArray::number(address.port()) + "\r\n\r\n");
        QCOMPARE(got.body, QByteArray("<p>album</p>"));
        // The server and its pages end with the application.
        qDeleteAll(qApp->findChildren<publish::LoopbackServer*>(Qt::FindDirectChildrenOnly));
        QVERIFY(!QFile::exists(page));
        qunsetenv("XDG_RUNTIME_DIR");
    }
};

QTEST_MAIN(LoopbackServerTest)
#include "tst_LoopbackServer.moc"
