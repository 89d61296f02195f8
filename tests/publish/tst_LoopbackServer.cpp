// The editor's loopback server answers, over a real socket, with the files of its one folder
// and nothing else: no way up, no link out, no listing, no other host name, no other method.
// Nor anything hidden or without its secret. Ranges and HEAD too; floods and large files hurt not.

#include "publish/preview/LoopbackServer.h"

#include "platform/ShellOpen.h"
#include "tests/support/ForwardedAddress.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace {

// A file of several megabytes, as a music file is: it arrives whole and in time.
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

// A blocking client of the server at `address`: "%P" and "%S" in what it sends stand for the
// server's port and secret; a read gives up after 5 seconds.
struct Client {
    const QUrl address;
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    explicit Client(const QUrl& at) : address(at) {
        const timeval wait{5, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        sockaddr_in to{AF_INET, htons(quint16(at.port())), {htonl(INADDR_LOOPBACK)}, {}};
        (void)::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    ~Client() { ::close(fd); }
    // "%W<n>;" stands for the secret with its digit n wrong, "%L<n>;" for its first n digits.
    bool send(QByteArray bytes) const {
        const QByteArray secret = address.path().section(u'/', 1, 1).toLatin1();
        static const QRegularExpression altered(QStringLiteral("%([WL])(\\d+);"));
        for (QRegularExpressionMatch m;
             (m = altered.match(QString::fromLatin1(bytes))).hasMatch();) {
            const int n = m.captured(2).toInt();
            QByteArray other = m.captured(1) == u'W' ? secret : secret.left(n);
            if (m.captured(1) == u'W')
                other[n] = other[n] == '0' ? '1' : '0';
            bytes.replace(m.capturedStart(), m.capturedLength(), other);
        }
        bytes.replace("%P", QByteArray::number(address.port())).replace("%S", secret);
        return ::send(fd, bytes.constData(), bytes.size(), MSG_NOSIGNAL) == bytes.size();
    }
    // Up to `most` bytes; empty at the end of the stream or when the wait ran out.
    QByteArray read(qsizetype most = 65536) const {
        QByteArray chunk(most, Qt::Uninitialized);
        return chunk.left(std::max<ssize_t>(0, ::recv(fd, chunk.data(), most, 0)));
    }
};

// The answer of the server at `address` (any of its addresses) to `request`, as "status|
// content-range|content-length|body|then", `then` being what the connection did with the request
// sent again: "kept" it, "closed" or went "silent". Empty when no whole head arrived.
QByteArray ask(const QUrl& address, const QByteArray& request) {
    const Client client(address);
    QByteArray got;
    if (!client.send(request))
        return {};
    for (QByteArray more; !got.contains("\r\n\r\n"); got += more)
        if ((more = client.read()).isEmpty())
            return {};
    const qsizetype end = got.indexOf("\r\n\r\n") + 4;
    const QByteArray head = got.left(end - 2).toLower();
    const auto field = [&head](const QByteArray& name) {
        const qsizetype at = head.indexOf("\r\n" + name + ": ");
        return at < 0 ? QByteArray() : head.mid(at + name.size() + 4).split('\r').first();
    };
    const qint64 length = request.startsWith("HEAD") ? 0 : field("content-length").toLongLong();
    for (QByteArray more; got.size() - end < length && !(more = client.read()).isEmpty();)
        got += more;
    char c;
    const ssize_t next = client.send(request) ? ::recv(client.fd, &c, 1, MSG_PEEK) : 0;
    return got.left(got.indexOf("\r\n")) + '|' + field("content-range") + '|' +
           field("content-length") + '|' + got.mid(end) +
           (next > 0                       ? "|kept"
            : next == 0 || errno != EAGAIN ? "|closed"
                                           : "|silent");
}

// What ask makes of an answer; `length` for HEAD, whose body is empty.
QByteArray reply(const char* status, const QByteArray& body, const char* span = "",
                 qint64 length = -1, const char* then = "kept") {
    return "HTTP/1.1 " + QByteArray(status) + '|' + span + '|' +
           QByteArray::number(length < 0 ? body.size() : length) + '|' + body + '|' + then;
}

QByteArray ok(const QByteArray& body, const char* then = "kept") {
    return reply("200 OK", body, "", -1, then);
}

// A request with the Host field the server wants.
QByteArray get(const char* target, const QByteArray& fields = {}, const char* method = "GET") {
    return QByteArray(method) + ' ' + target + " HTTP/1.1\r\nHost: 127.0.0.1:%P\r\n" + fields +
           "\r\n";
}

qint64 residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
    return text.mid(text.indexOf("VmRSS:") + 6).trimmed().split(' ').first().toLongLong();
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
    const QString root = dir.path() + "/";

private slots:
    void initTestCase() {
        // Real files outside the served folder "site", where every way up would lead.
        writeAll(root + "secret.txt", "secret");
        writeAll(root + "siteX/other.txt", "beside");
        writeAll(root + "site/album/page.htm", "<p>album</p>");
        writeAll(root + "site/album/sub/a b.xml", "<x/>");
        writeAll(root + "site/album/big.bin", bigFile());
        writeAll(root + "site/album/digits.txt", QByteArray("0123456789").repeated(10));
        writeAll(root + "site/album/empty.txt", "");
        writeAll(root + "site/album/.hidden.txt", "hidden");
        writeAll(root + "site/album/subX/a.txt", "beside");
        QFile::link(root + "site/album/digits.txt", root + "site/album/sub/link.txt");
        QFile::link(root + "site/album", root + "site/album/sub/up");
        writeAll(root + "site/album/.git/config", "hidden");
        QFile::link(root + "secret.txt", root + "site/album/out.txt");
        QFile::link(root, root + "site/album/outside");
        QFile::link(root + "siteX", root + "site/album/beside");
        QFile::link(root + "site/album/.hidden.txt", root + "site/album/shown.txt");
    }

    void servesOnlyItsFolder_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        const QByteArray page = get("/%S/album/page.htm");
        QTest::newRow("a file") << page << ok("<p>album</p>");
        QTest::newRow("a file below, escaped name") << get("/%S/album/sub/a%20b.xml") << ok("<x/>");
        QTest::newRow("a file of 5 MB + 1") << get("/%S/album/big.bin") << ok(bigFile());
        QTest::newRow("an empty file") << get("/%S/album/empty.txt") << ok("");
        QTest::newRow("head") << get("/%S/album/page.htm", {}, "HEAD")
                              << reply("200 OK", "", "", 12);
        // HEAD tells the whole length and sends nothing, whatever range is asked.
        QTest::newRow("head with a range")
            << get("/%S/album/big.bin", "Range: bytes=0-9\r\n", "HEAD")
            << reply("200 OK", "", "", bigFile().size());
        QTest::newRow("HTTP/1.0") << QByteArray(page).replace("HTTP/1.1", "HTTP/1.0")
                                  << ok("<p>album</p>", "closed");
        QTest::newRow("Connection: close")
            << get("/%S/album/page.htm", "Connection: close\r\n") << ok("<p>album</p>", "closed");
        QTest::newRow("another host name") << QByteArray(page).replace("127.0.0.1", "evil.example")
                                           << reply("403 Forbidden", "Forbidden");
        QTest::newRow("post") << get("/%S/album/page.htm", "Content-Length: 0\r\n", "POST")
                              << reply("405 Method Not Allowed", "Method Not Allowed");
        const QByteArray refused =
            reply("413 Content Too Large", "No body is taken", "", -1, "closed");
        QTest::newRow("get with a body")
            << get("/%S/album/page.htm", "Content-Length: 4\r\n") + "abcd" << refused;
        QTest::newRow("get with a body yet to come")
            << get("/%S/album/page.htm", "Content-Length: 100000\r\n") + "abc" << refused;
        QTest::newRow("get with a chunked body")
            << get("/%S/album/page.htm", "Transfer-Encoding: chunked\r\n") +
                   "4\r\nabcd\r\n0\r\n\r\n"
            << refused;
        // Every way up or out, hidden files, listings, and paths without the secret.
        for (const char* target :
             {"/%S/album/../../secret.txt", "/%S/album/%2e%2e/%2E%2E/secret.txt",
              "/%S/album/..%5c..%5csecret.txt", "/%S/album/../../siteX/other.txt",
              "/%S//etc/passwd", "/%S/album/out.txt", "/%S/album/outside/secret.txt",
              "/%S/album/beside/other.txt", "/%S/album/.hidden.txt", "/%S/album/.git/config",
              "/%S/album/shown.txt", "/%S/", "/%S/album/sub/", "/album/page.htm",
              "/0123456789abcdef0123456789abcdef/album/page.htm", "/%Salbum/page.htm",
              "/album/page.htm?%S"})
            QTest::newRow(target) << get(target) << reply("404 Not Found", "Not Found");
        // Wrong secrets: each digit wrong, a part, none, one digit more.
        for (int at = 0; at < 32; ++at)
            QTest::newRow(qPrintable(QString("digit %1 wrong").arg(at)))
                << get(qPrintable(QString("/%W%1;/album/page.htm").arg(at)))
                << reply("404 Not Found", "Not Found");
        for (const char* target : {"/%L0;/album/page.htm", "/%L8;/album/page.htm",
                                   "/%L31;/album/page.htm", "/%S0/album/page.htm"})
            QTest::newRow(target) << get(target) << reply("404 Not Found", "Not Found");
        // Ranges of the 100 digits, each with the span answered ("*" none, none given all): one
        // that is not a single range of bytes in the file asks for all.
        const QByteArray all = QByteArray("0123456789").repeated(10);
        for (const QByteArray row : {"bytes=0-9 0-9", "bytes=95- 95-99", "bytes=-5 95-99",
                                     "bytes=-500 0-99", "bytes=98-1000 98-99", "bytes=99-99 99-99",
                                     "bytes=100- *", "bytes=-0 *", "bytes=0-1,5-6", "bytes=9-2",
                                     "lines=0-1", "bytes=+1-2", "bytes=0-1234567890123456789"}) {
            const QByteArray range = row.split(' ').first();
            const QByteArray span = row.mid(range.size() + 1);
            const int first = span.split('-').first().toInt();
            const QByteArray part = all.mid(first, span.split('-').last().toInt() - first + 1);
            QTest::newRow(range.constData())
                << get("/%S/album/digits.txt", "Range: " + range + "\r\n")
                << (span.isEmpty() ? ok(all)
                    : span == "*"  ? reply("416 Range Not Satisfiable", "", "bytes */100")
                                   : reply("206 Partial Content", part, "bytes " + span + "/100"));
        }
    }
    void servesOnlyItsFolder() {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        publish::LoopbackServer server(root + "site");
        QVERIFY(server.listening());
        QCOMPARE(server.url("album/page.htm").host(), QString("127.0.0.1"));
        QCOMPARE(ask(server.url(""), request), answer);
    }

    // A server of what publishing wrote: the page and its album folder, nothing beside them.
    void servesOnlyWhatItIsToldTo_data() {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QByteArray>("answer");
        const QByteArray none = reply("404 Not Found", "Not Found");
        QTest::newRow("the page") << QByteArray("/%S/page.htm") << ok("<p>album</p>");
        QTest::newRow("in the album folder") << QByteArray("/%S/sub/a%20b.xml") << ok("<x/>");
        for (const char* target :
             {"/%S/digits.txt", "/%S/Page.htm", "/%S/page.htmx", "/%S/subX/a.txt", "/%S/sub",
              "/%S/sub/../digits.txt", "/%S/sub/link.txt", "/%S/sub/up/digits.txt"})
            QTest::newRow(target) << QByteArray(target) << none;
    }
    void servesOnlyWhatItIsToldTo() {
        QFETCH(QByteArray, target);
        QFETCH(QByteArray, answer);
        publish::LoopbackServer server(root + "site/album", {"page.htm", "sub/"}, {});
        QCOMPARE(ask(server.url(""), get(target)), answer);
    }

    // Far more half-open connections than the cap: the server holds no more than the cap, closes
    // them when their time is up, also one that sends a byte now and then, and serves a fresh
    // client after.
    void outlivesAFloodOfHalfOpenConnections() {
        publish::LoopbackServer server(root + "site", {8, std::chrono::milliseconds(1000)});
        const int before = openFiles();
        Client trickle(server.url(""));
        std::vector<std::unique_ptr<Client>> flood;
        for (int i = 0; i < 200; ++i)
            flood.emplace_back(std::make_unique<Client>(server.url("")))->send("GET /");
        QTest::qWait(200);
        // Our 201 ends and at most the cap of the server's (and its own few).
        QVERIFY2(openFiles() <= before + 201 + 8 + 4,
                 qPrintable(QString::number(openFiles() - before)));
        char c;
        QVERIFY2(
            QTest::qWaitFor(
                [&] { return !trickle.send("G") || ::recv(trickle.fd, &c, 1, MSG_DONTWAIT) == 0; },
                10000),
            "a connection sending a byte now and then stayed open");
        flood.clear(); // the cap frees as the flood leaves
        QVERIFY(QTest::qWaitFor(
            [&] { return ask(server.url(""), get("/%S/album/page.htm")) == ok("<p>album</p>"); },
            15000));
    }

    // A file far larger than any buffer, asked for by clients that read slowly or not at all:
    // it is sent from the disk, not held in memory, and arrives whole.
    void sendsALargeFileWithoutHoldingIt() {
        const qint64 size = 400LL * 1024 * 1024 + 3;
        QFile large(root + "site/album/large.bin");
        QVERIFY(large.open(QIODevice::WriteOnly) && large.resize(size)); // sparse: no disk used
        publish::LoopbackServer server(root + "site");
        const qint64 before = residentKiB();
        std::vector<std::unique_ptr<Client>> clients; // the last reads, slowly; the others never
        for (int i = 0; i < 5; ++i)
            QVERIFY(clients.emplace_back(std::make_unique<Client>(server.url("")))
                        ->send(get("/%S/album/large.bin")));
        Client& reader = *clients.back();
        qint64 got = 0;
        for (int i = 0; i < 20; ++i, QTest::qWait(10))
            got += reader.read(4096).size();
        const qint64 slow = residentKiB();
        for (QByteArray chunk; got <= size && !(chunk = reader.read(1 << 20)).isEmpty();)
            got += chunk.size();
        QVERIFY(got > size); // the headers as well
        // Loose: a file held whole would add 400 MB per client.
        QVERIFY2(slow - before < 64 * 1024 && residentKiB() - before < 64 * 1024,
                 qPrintable(QString::number(slow - before)));
        large.remove();
    }

    // On 127.0.0.1 only, with a secret of 128 bits of its own.
    void listensOnTheLoopbackOnly() {
        publish::LoopbackServer server(dir.path());
        QVERIFY(server.listening());
        publish::LoopbackServer other(dir.path());
        const QRegularExpression secret(QStringLiteral("^/[0-9a-f]{32}/x$"));
        QVERIFY(secret.match(server.url("x").path()).hasMatch());
        QVERIFY(secret.match(other.url("x").path()).hasMatch());
        QVERIFY(server.url("x").path() != other.url("x").path());
        QFile tcp(QStringLiteral("/proc/net/tcp"));
        QVERIFY(tcp.open(QIODevice::ReadOnly));
        const QByteArray table = tcp.readAll();
        const QByteArray listening =
            ':' + QByteArray::number(server.url("x").port(), 16).toUpper().rightJustified(4, '0') +
            " 00000000:0000 0A";
        QCOMPARE(table.count(listening), 1);
        QVERIFY(table.contains("0100007F" + listening));
    }

    // The browser is handed a private page that forwards to the address, never the address. The
    // server and its pages end with the application.
    void theBrowserGetsAPrivatePage() {
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
        QList<QUrl> opened;
        platform::setShellOpenHook([&opened](const QUrl& url) {
            opened << url;
            return true;
        });
        const bool handed = publish::LoopbackServer::openInBrowser(root + "site/album/page.htm");
        platform::setShellOpenHook({});
        QVERIFY(handed);
        QCOMPARE(opened.size(), 1);
        const QString page = opened[0].toLocalFile();
        QCOMPARE(QFileInfo(page).absolutePath(), runtime.path());
        QCOMPARE(QFileInfo(page).permissions(),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        const QUrl address = testsupport::forwardedAddress(opened[0]);
        QCOMPARE(testsupport::withoutSecret(address), "http://127.0.0.1/page.htm");
        QVERIFY(!opened[0].toString().contains(address.path().section('/', 1, 1)));
        QCOMPARE(ask(address, get("/%S/page.htm")), ok("<p>album</p>"));
        qDeleteAll(qApp->findChildren<publish::LoopbackServer*>(Qt::FindDirectChildrenOnly));
        QVERIFY(!QFile::exists(page));
        qunsetenv("XDG_RUNTIME_DIR");
    }
};

QTEST_MAIN(LoopbackServerTest)
#include "tst_LoopbackServer.moc"
