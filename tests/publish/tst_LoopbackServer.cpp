// The editor's loopback server answers, over a real socket, with the files of its one folder
// and nothing else: no way up, no link out, no listing, no other host name, no other method.

#include "publish/LoopbackServer.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

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

// The status line and body of the server's answer to a request written as is.
QByteArray ask(quint16 port, const QByteArray& request) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    QByteArray answer;
    bool sent = false;
    // The server runs in this thread: wait with the event loop running.
    (void)QTest::qWaitFor(
        [&] {
            if (socket.state() == QAbstractSocket::ConnectedState && !sent)
                sent = socket.write(request) == request.size();
            answer += socket.readAll();
            const qsizetype end = answer.indexOf("\r\n\r\n");
            const qsizetype at = answer.toLower().indexOf("content-length: ");
            return end >= 0 && at >= 0 &&
                   answer.size() >= end + 4 + answer.mid(at + 16).split('\r').first().toInt();
        },
        5000);
    const qsizetype end = answer.indexOf("\r\n\r\n");
    return answer.left(answer.indexOf("\r\n")) + "|" + (end >= 0 ? answer.mid(end + 4) : "");
}

} // namespace

class LoopbackServerTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void servesOnlyItsFolder_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        const QByteArray host = "Host: 127.0.0.1:%1\r\n\r\n";
        QTest::newRow("a file") << "GET /album/page.htm HTTP/1.1\r\n" + host
                                << QByteArray("HTTP/1.1 200 OK|<p>album</p>");
        QTest::newRow("a file below, escaped name")
            << "GET /album/sub/a%20b.xml HTTP/1.1\r\n" + host << QByteArray("HTTP/1.1 200 OK|<x/>");
        QTest::newRow("a file of 5 MB + 1") << "GET /album/big.bin HTTP/1.1\r\n" + host
                                            << QByteArray("HTTP/1.1 200 OK|") + bigFile();
        QTest::newRow("head") << "HEAD /album/page.htm HTTP/1.1\r\n" + host
                              << QByteArray("HTTP/1.1 200 OK|");
        QTest::newRow("up a level") << "GET /album/../secret.txt HTTP/1.1\r\n" + host
                                    << QByteArray("HTTP/1.1 404 Not Found|");
        QTest::newRow("up, escaped") << "GET /album/%2e%2e/secret.txt HTTP/1.1\r\n" + host
                                     << QByteArray("HTTP/1.1 404 Not Found|");
        QTest::newRow("up, backslash") << "GET /album/..%5csecret.txt HTTP/1.1\r\n" + host
                                       << QByteArray("HTTP/1.1 404 Not Found|");
        QTest::newRow("absolute") << "GET /etc/passwd HTTP/1.1\r\n" + host
                                  << QByteArray("HTTP/1.1 404 Not Found|");
        QTest::newRow("link to a file outside")
            << "GET /album/out.txt HTTP/1.1\r\n" + host << QByteArray("HTTP/1.1 404 Not Found|");
        QTest::newRow("link to a folder outside")
            << "GET /album/outside/secret.txt HTTP/1.1\r\n" + host
            << QByteArray("HTTP/1.1 404 Not Found|");
        QTest::newRow("listing") << "GET / HTTP/1.1\r\n" + host
                                 << QByteArray("HTTP/1.1 404 Not Found|");
        QTest::newRow("listing below")
            << "GET /album/sub/ HTTP/1.1\r\n" + host << QByteArray("HTTP/1.1 404 Not Found|");
        QTest::newRow("another host name")
            << QByteArray("GET /album/page.htm HTTP/1.1\r\nHost: evil.example:%1\r\n\r\n")
            << QByteArray("HTTP/1.1 403 Forbidden|");
        QTest::newRow("post") << "POST /album/page.htm HTTP/1.1\r\nContent-Length: 0\r\n" + host
                              << QByteArray("HTTP/1.1 405 Method Not Allowed|");
    }
    void servesOnlyItsFolder() {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        const QString root = dir.path() + "/";
        writeAll(root + "secret.txt", "secret");
        writeAll(root + "site/album/page.htm", "<p>album</p>");
        writeAll(root + "site/album/sub/a b.xml", "<x/>");
        writeAll(root + "site/album/big.bin", bigFile());
        QFile::link(root + "secret.txt", root + "site/album/out.txt");
        QFile::link(root, root + "site/album/outside");
        // Served as the folder "album" below the root of the address.
        publish::LoopbackServer server(root + "site");
        QVERIFY(server.listening());
        QCOMPARE(server.url("album/page.htm").host(), QString("127.0.0.1"));
        const quint16 port = static_cast<quint16>(server.url("x").port());
        QCOMPARE(ask(port, request.replace("%1", QByteArray::number(port))), answer);
    }

    void listensOnTheLoopbackOnly() {
        publish::LoopbackServer server(dir.path());
        QVERIFY(server.listening());
        const QList<QTcpServer*> listeners = server.servers();
        QCOMPARE(listeners.size(), 1);
        QCOMPARE(listeners.first()->serverAddress(), QHostAddress(QHostAddress::LocalHost));
    }
};

QTEST_MAIN(LoopbackServerTest)
#include "tst_LoopbackServer.moc"
