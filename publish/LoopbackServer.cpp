#include "publish/LoopbackServer.h"

#include "platform/ShellOpen.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QMimeDatabase>

namespace publish {

namespace {

using Status = QHttpServerResponder::StatusCode;

QString withSlash(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

} // namespace

LoopbackServer::LoopbackServer(const QString& folder, QObject* parent)
    : QAbstractHttpServer(parent), folder_(withSlash(folder)) {
    const QString canonical = QFileInfo(folder_).canonicalFilePath();
    if (canonical.isEmpty())
        return;
    root_ = withSlash(canonical);
    port_ = listen(QHostAddress::LocalHost, 0);
}

QUrl LoopbackServer::url(const QString& relativePath) const {
    if (!listening())
        return QUrl();
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(port_);
    url.setPath(u'/' + relativePath, QUrl::DecodedMode);
    return url;
}

QString LoopbackServer::fileFor(const QString& path) const {
    if (root_.isEmpty() || !path.startsWith(u'/') || path.contains(u'\\') ||
        path.contains(QChar(0)))
        return QString();
    const QStringList steps = path.mid(1).split(u'/');
    for (const QString& step : steps) {
        if (step == u"." || step == u"..")
            return QString();
    }
    // Resolved, so that a link inside the folder that leads out of it serves nothing.
    const QFileInfo info(root_ + path.mid(1));
    const QString real = info.canonicalFilePath();
    if (real.isEmpty() || !real.startsWith(root_) || !QFileInfo(real).isFile())
        return QString();
    return real;
}

bool LoopbackServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    QHttpServerResponder responder = makeResponder(request, socket);
    const auto method = request.method();
    const QByteArray host = QByteArrayLiteral("127.0.0.1:") + QByteArray::number(port_);
    if (request.value(QByteArrayLiteral("Host")) != host) {
        responder.write(Status::Forbidden);
        return true;
    }
    if (method != QHttpServerRequest::Method::Get && method != QHttpServerRequest::Method::Head) {
        responder.write(Status::MethodNotAllowed);
        return true;
    }
    const QString file = fileFor(request.url().path(QUrl::FullyDecoded));
    QFile content(file);
    if (file.isEmpty() || !content.open(QIODevice::ReadOnly)) {
        responder.write(Status::NotFound);
        return true;
    }
    const QByteArray type =
        QMimeDatabase().mimeTypeForFile(file, QMimeDatabase::MatchExtension).name().toUtf8();
    // The album changes while the editor runs: every preview reads it afresh. The file is read
    // whole: the responder's chunked transfer of a device did not deliver 5 MB in 5 s here.
    const QByteArray body =
        method == QHttpServerRequest::Method::Head ? QByteArray() : content.readAll();
    responder.write(body, {{"Content-Type", type}, {"Cache-Control", "no-store"}});
    return true;
}

void LoopbackServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    makeResponder(request, socket).write(Status::NotFound);
}

bool LoopbackServer::openInBrowser(const QString& file) {
    QObject* owner = QCoreApplication::instance();
    const QFileInfo info(file);
    if (!info.isFile() || !owner)
        return false;
    const QString folder = withSlash(info.absolutePath());
    LoopbackServer* server = nullptr;
    for (LoopbackServer* running : owner->findChildren<LoopbackServer*>(Qt::FindDirectChildrenOnly))
        if (running->folder() == folder && running->listening())
            server = running;
    if (!server)
        server = new LoopbackServer(folder, owner);
    if (!server->listening()) {
        delete server;
        return false;
    }
    const QUrl url = server->url(info.fileName());
    return url.isValid() && platform::shellOpen(url.toString());
}

} // namespace publish
