#include "publish/preview/LoopbackServer.h"

#include "publish/preview/ByteRange.h"
#include "publish/preview/RequestDeadline.h"

#include "platform/ShellOpen.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QRandomGenerator>

#include <arpa/inet.h>
#include <fcntl.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace publish {

namespace {

QString withSlash(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

// 128 bits from the system's generator, which the kernel seeds for keys.
QByteArray newSecret() {
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex();
}

// Compares in a time that does not tell how much of a guess was right.
bool sameBytes(const char* a, const QByteArray& b) {
    unsigned char diff = 0;
    for (qsizetype i = 0; i < b.size(); ++i) {
        if (a[i] == '\0')
            return false;
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    }
    return diff == 0;
}

MHD_Result queueText(MHD_Connection* connection, unsigned status, const char* text) {
    MHD_Response* response = MHD_create_response_from_buffer(
        std::strlen(text), const_cast<char*>(text), MHD_RESPMEM_PERSISTENT);
    if (!response)
        return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "text/plain");
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    if (status == MHD_HTTP_METHOD_NOT_ALLOWED)
        MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, "GET, HEAD");
    const MHD_Result queued = MHD_queue_response(connection, status, response);
    MHD_destroy_response(response);
    return queued;
}

const char* header(MHD_Connection* connection, const char* name) {
    return MHD_lookup_connection_value(connection, MHD_HEADER_KIND, name);
}

int socketOf(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    return info ? info->connect_fd : -1;
}

} // namespace

struct LoopbackServer::Hooks {
    static MHD_Result answer(void* cls, MHD_Connection* connection, const char* url,
                             const char* method, const char* /*version*/,
                             const char* /*uploadData*/, size_t* /*uploadSize*/, void** context) {
        const auto* self = static_cast<const LoopbackServer*>(cls);
        if (!*context) {
            // The headers are in. A body is refused before it is read: the library then
            // leaves it unread and closes the connection. Any other answer waits for the
            // second call, or the library would close a connection the client may keep.
            self->deadline_->serving(connection);
            const char* length = header(connection, MHD_HTTP_HEADER_CONTENT_LENGTH);
            if ((length && std::strcmp(length, "0") != 0) ||
                header(connection, MHD_HTTP_HEADER_TRANSFER_ENCODING))
                return queueText(connection, MHD_HTTP_CONTENT_TOO_LARGE, "No body is taken");
            *context = const_cast<LoopbackServer*>(self);
            return MHD_YES;
        }
        const QByteArray host = QByteArrayLiteral("127.0.0.1:") + QByteArray::number(self->port_);
        const char* asked = header(connection, MHD_HTTP_HEADER_HOST);
        if (!asked || host != asked)
            return queueText(connection, MHD_HTTP_FORBIDDEN, "Forbidden");
        const bool head = std::strcmp(method, MHD_HTTP_METHOD_HEAD) == 0;
        if (!head && std::strcmp(method, MHD_HTTP_METHOD_GET) != 0)
            return queueText(connection, MHD_HTTP_METHOD_NOT_ALLOWED, "Method Not Allowed");
        if (!self->hasSecret(url))
            return queueText(connection, MHD_HTTP_NOT_FOUND, "Not Found");
        const QString path =
            QString::fromUtf8(url + 1 + self->secret_.size()); // "/" and the secret
        qint64 size = 0;
        const int fd = self->served_.openFile(path, size);
        if (fd < 0)
            return queueText(connection, MHD_HTTP_NOT_FOUND, "Not Found");
        const char* rangeHeader = head ? nullptr : header(connection, MHD_HTTP_HEADER_RANGE);
        const ByteRange range = ByteRange::Parse(QByteArray(rangeHeader), size);
        if (range.kind == ByteRange::Kind::Unsatisfiable) {
            ::close(fd);
            MHD_Response* response =
                MHD_create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT);
            if (!response)
                return MHD_NO;
            MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_RANGE,
                                    ("bytes */" + QByteArray::number(size)).constData());
            const MHD_Result queued =
                MHD_queue_response(connection, MHD_HTTP_RANGE_NOT_SATISFIABLE, response);
            MHD_destroy_response(response);
            return queued;
        }
        // The library owns the descriptor from here and sends from it as the client reads.
        MHD_Response* response =
            MHD_create_response_from_fd_at_offset64(range.length, fd, range.first);
        if (!response) {
            ::close(fd);
            return MHD_NO;
        }
        const QByteArray type =
            QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().toUtf8();
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, type.constData());
        // The album changes while the editor runs: every preview reads it afresh.
        MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
        MHD_add_response_header(response, MHD_HTTP_HEADER_ACCEPT_RANGES, "bytes");
        // The secret is in the path: it goes to no other site.
        MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
        unsigned status = MHD_HTTP_OK;
        if (range.kind == ByteRange::Kind::Part) {
            status = MHD_HTTP_PARTIAL_CONTENT;
            const QByteArray span = "bytes " + QByteArray::number(range.first) + '-' +
                                    QByteArray::number(range.first + range.length - 1) + '/' +
                                    QByteArray::number(size);
            MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_RANGE, span.constData());
        }
        const MHD_Result queued = MHD_queue_response(connection, status, response);
        MHD_destroy_response(response);
        return queued;
    }

    static void connectionEvent(void* cls, MHD_Connection* connection, void** /*context*/,
                                MHD_ConnectionNotificationCode event) {
        auto* self = static_cast<LoopbackServer*>(cls);
        if (event == MHD_CONNECTION_NOTIFY_STARTED)
            self->deadline_->waiting(connection, socketOf(connection));
        else
            self->deadline_->closed(connection);
    }

    // A request answered: the connection may wait for the next one, within the same limit.
    static void requestEnded(void* cls, MHD_Connection* connection, void** /*context*/,
                             MHD_RequestTerminationCode /*why*/) {
        auto* self = static_cast<LoopbackServer*>(cls);
        self->deadline_->waiting(connection, socketOf(connection));
    }
};

LoopbackServer::LoopbackServer(const QString& folder, QObject* parent)
    : LoopbackServer(folder, Limits(), parent) {}

LoopbackServer::LoopbackServer(const QString& folder, Limits limits, QObject* parent)
    : LoopbackServer(folder, {}, limits, parent) {}

LoopbackServer::LoopbackServer(const QString& folder, const QStringList& only, Limits limits,
                               QObject* parent)
    : QObject(parent), folder_(withSlash(folder)), only_(only), served_(folder_, only),
      secret_(newSecret()), deadline_(std::make_unique<RequestDeadline>(limits.timeout)) {
    if (!served_.valid())
        return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = 0;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const auto seconds = static_cast<unsigned>(
        std::max<long long>(1, std::chrono::ceil<std::chrono::seconds>(limits.timeout).count()));
    // poll(), not epoll: with epoll a server at its cap took new connections only when its
    // wait ran out, one timeout per batch, however quickly the connections it held ended.
    daemon_ =
        MHD_start_daemon(MHD_USE_POLL_INTERNAL_THREAD, 0, nullptr, nullptr, &Hooks::answer, this,
                         MHD_OPTION_SOCK_ADDR, &address, MHD_OPTION_CONNECTION_LIMIT,
                         limits.connections, MHD_OPTION_CONNECTION_TIMEOUT, seconds,
                         MHD_OPTION_NOTIFY_CONNECTION, &Hooks::connectionEvent, this,
                         MHD_OPTION_NOTIFY_COMPLETED, &Hooks::requestEnded, this, MHD_OPTION_END);
    if (!daemon_)
        return;
    const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
    port_ = info ? info->port : 0;
    if (port_ == 0) {
        MHD_stop_daemon(daemon_);
        daemon_ = nullptr;
    }
}

LoopbackServer::~LoopbackServer() {
    // The library's thread ends first: the deadline hears of every connection closing.
    if (daemon_)
        MHD_stop_daemon(daemon_);
}

bool LoopbackServer::hasSecret(const char* path) const {
    return path[0] == '/' && sameBytes(path + 1, secret_) && path[1 + secret_.size()] == '/';
}

QUrl LoopbackServer::url(const QString& relativePath) const {
    if (!listening())
        return QUrl();
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(port_);
    url.setPath(u'/' + QString::fromLatin1(secret_) + u'/' + relativePath, QUrl::DecodedMode);
    return url;
}

bool LoopbackServer::openInBrowser(const QString& file, const QStringList& only) {
    QObject* owner = QCoreApplication::instance();
    const QFileInfo info(file);
    if (!info.isFile() || !owner)
        return false;
    const QString folder = withSlash(info.absolutePath());
    LoopbackServer* server = nullptr;
    for (LoopbackServer* running : owner->findChildren<LoopbackServer*>(Qt::FindDirectChildrenOnly))
        if (running->folder() == folder && running->only() == only && running->listening())
            server = running;
    if (!server)
        server = new LoopbackServer(folder, only, Limits(), owner);
    if (!server->listening()) {
        delete server;
        return false;
    }
    const QString page = server->pages_.write(server->url(info.fileName()));
    return !page.isEmpty() && platform::shellOpen(page);
}

} // namespace publish
