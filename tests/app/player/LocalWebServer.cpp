#include "LocalWebServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace playertest {

LocalWebServer::LocalWebServer(const QString& folder) {
    QTcpServer free;
    free.listen(QHostAddress::LocalHost);
    port_ = free.serverPort();
    free.close();
    server_.start(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral("-m"), QStringLiteral("http.server"), QStringLiteral("--bind"),
                   QStringLiteral("127.0.0.1"), QStringLiteral("--directory"), folder,
                   QString::number(port_)});
    for (int i = 0; i < 100 && !listening_; ++i) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port_);
        listening_ = socket.waitForConnected(100);
        if (!listening_)
            QTest::qWait(50);
    }
}

LocalWebServer::~LocalWebServer() {
    server_.kill();
    server_.waitForFinished();
}

QUrl LocalWebServer::url(const QString& path) const {
    return listening_ ? QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(path))
                      : QUrl();
}

} // namespace playertest
