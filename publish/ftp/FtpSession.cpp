#include "publish/ftp/FtpSession.h"

#include "publish/ftp/FtpAbortSwitch.h"
#include "publish/ftp/ListingBuffer.h"

#include <QFile>
#include <QScopeGuard>
#include <QUrl>

#include <future>

#include <curl/curl.h>

#include <netinet/in.h>
#include <poll.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

namespace publish {

namespace {

// How often a waiting GUI thread runs its event loop.
constexpr int PumpMs = 50;
// The longest sleep of the network loop when the library names no deadline of its own: a
// safety net, since the library's sockets wake the loop and the abort switch shuts them down.
constexpr long IdleSleepMs = 1000;
// The sleep when the library watches no socket (see sleepFor).
constexpr long UnwatchedSleepMs = 1;
constexpr int MaxReplyBytes = 1024;
// How long an address of one family may stay unanswered before one of the other is tried too.
constexpr long HappyEyeballsMs = 200;
// QUIT is a courtesy: a server that does not answer it soon is left.
constexpr long QuitMs = 500;
// How long a control connection that the library drops after a failed transfer is read for
// the reply the server sent meanwhile (a full disk says so there).
constexpr int LateReplyMs = 200;

struct CurlLibrary {
    CurlLibrary() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

// The host as the library takes it: an IPv6 address in brackets, an international name in its
// ASCII form (the library would convert it only where the locale is UTF-8).
std::string urlHost(const QString& host) {
    if (host.contains(u':'))
        return '[' + host.toStdString() + ']';
    const QByteArray ascii = QUrl::toAce(host);
    if (ascii.isEmpty())
        throw FtpError(QStringLiteral("\"%1\" is not a host name.").arg(host));
    return ascii.toStdString();
}

long wholeSeconds(std::chrono::milliseconds span) {
    return std::max<long>(1, static_cast<long>((span.count() + 999) / 1000));
}

quint16 portOf(const curl_sockaddr* address) {
    if (address->family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in*>(&address->addr)->sin_port);
    if (address->family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&address->addr)->sin6_port);
    return 0;
}

// How long the network loop may sleep before the library needs to run again.
int sleepFor(CURLM* multi) {
    long sleepMs = -1;
    curl_multi_timeout(multi, &sleepMs);
    if (sleepMs < 0 || sleepMs > IdleSleepMs)
        sleepMs = IdleSleepMs;
    // The installed library (7.88) can read a passive-mode reply in one run and open the data
    // connection only in the next; in between it watches no socket and names no deadline, so
    // the wait would last its whole length (measured: a full second before a few STORs in a
    // hundred). With nothing to watch, it runs again after a millisecond (not at once, so that
    // a state that waits on nothing for long does not spin). Sockets numbered past FD_SETSIZE
    // are not listed either; they only cost more wake-ups.
    fd_set reading, writing, failing;
    FD_ZERO(&reading);
    FD_ZERO(&writing);
    FD_ZERO(&failing);
    int highest = -1;
    curl_multi_fdset(multi, &reading, &writing, &failing, &highest);
    if (highest < 0)
        sleepMs = std::min(sleepMs, UnwatchedSleepMs);
    return int(sleepMs);
}

// Failures after which the library keeps the control connection: the server refused one
// request and said so.
bool keepsConnection(CURLcode code) {
    switch (code) {
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_FTP_COULDNT_RETR_FILE:
    case CURLE_REMOTE_ACCESS_DENIED:
        return true;
    default:
        return false;
    }
}

} // namespace

struct FtpSession::Connection {
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    std::string url;
    quint16 port = 0;
    std::chrono::milliseconds timeout{};
    FtpWaiting waiting;
    bool loggedIn = false;
    bool lost = false;
    bool refusedReconnect = false;
    std::string reply;  // the final line of the latest reply
    bool heard = false; // whether any line of a reply came since the request began
    char errors[CURL_ERROR_SIZE] = {};
    QString abortReason;
    ListingBuffer* listing = nullptr;
    QFile* upload = nullptr;
    QString uploadName;
    qint64 uploadSize = 0;
    bool passive = true;
    curl_socket_t control = CURL_SOCKET_BAD;
    // The data connection of the latest transfer: its port (the server's in passive mode,
    // ours in active mode) and whether it ended in an error such as a reset.
    quint16 dataPort = 0;
    curl_socket_t dataSocket = CURL_SOCKET_BAD;
    int dataError = 0;
    // Whether the server answers SIZE; asked after every upload until it says it does not.
    bool sizeOffered = true;
    // Whether an ended idle connection is replaced by a new login, and what that login is
    // called in a failure.
    bool logInAgain = true;
    QString hostName;
    // The current folder as an absolute path, to return to after a new login; unknown when
    // the server named no login folder.
    std::optional<QString> folder;

    ~Connection() {
        if (easy)
            curl_easy_cleanup(easy);
        if (multi)
            curl_multi_cleanup(multi);
    }

    bool aborted() const { return waiting.abort->tripped(); }
    int replyCode() const {
        return reply.size() >= 3 && std::isdigit(static_cast<unsigned char>(reply[0]))
                   ? std::atoi(reply.substr(0, 3).c_str())
                   : 0;
    }
    // The library's own words on a failure.
    QString details(CURLcode result) const {
        return QString::fromUtf8(errors[0] ? errors : curl_easy_strerror(result));
    }
    QString replyText() const { return QString::fromUtf8(reply.data(), qsizetype(reply.size())); }

    static size_t onReply(char* data, size_t, size_t size, void* self) {
        auto* c = static_cast<Connection*>(self);
        c->heard = true;
        // Only the final line of a reply ("123 text") counts; continuation lines pass by.
        if (size >= 4 && std::isdigit(static_cast<unsigned char>(data[0])) && data[3] == ' ') {
            c->reply.assign(data, std::min<size_t>(size, MaxReplyBytes));
            while (!c->reply.empty() && (c->reply.back() == '\n' || c->reply.back() == '\r'))
                c->reply.pop_back();
        }
        return size;
    }
    static size_t onData(char* data, size_t, size_t size, void* self) {
        auto* c = static_cast<Connection*>(self);
        if (!c->listing || !c->listing->append(data, qsizetype(size))) {
            if (c->listing)
                c->abortReason = c->listing->error();
            return 0;
        }
        return size;
    }
    static size_t onRead(char* buffer, size_t, size_t size, void* self) {
        auto* c = static_cast<Connection*>(self);
        const qint64 n = c->upload->read(buffer, qint64(size));
        if (n < 0) {
            c->abortReason = QStringLiteral("cannot read \"%1\": %2")
                                 .arg(c->upload->fileName(), c->upload->errorString());
            return CURL_READFUNC_ABORT;
        }
        return size_t(n);
    }
    static int onProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        return static_cast<Connection*>(self)->aborted() ? 1 : 0;
    }
    static curl_socket_t onOpen(void* self, curlsocktype purpose, curl_sockaddr* address) {
        auto* c = static_cast<Connection*>(self);
        // The library would log in again after it dropped a connection, and the next command
        // would run in the login folder: a lost connection ends the session instead.
        if (purpose == CURLSOCKTYPE_IPCXN && c->loggedIn && portOf(address) == c->port) {
            c->refusedReconnect = true;
            return CURL_SOCKET_BAD;
        }
        const int s =
            ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
        if (s < 0)
            return CURL_SOCKET_BAD;
        c->waiting.abort->add(s);
        // Before the login several addresses may be tried at once; the control connection is
        // the one the library keeps (see run()).
        if (c->loggedIn) {
            // Passive mode connects to the server's data port; active mode listens on a
            // port of ours that is known once the socket is bound.
            c->dataSocket = s;
            c->dataPort = portOf(address);
        }
        return s;
    }
    static int onClose(void* self, curl_socket_t s) {
        auto* c = static_cast<Connection*>(self);
        if (s == c->dataSocket) {
            sockaddr_in6 local{};
            socklen_t length = sizeof local;
            if (!c->passive && ::getsockname(s, reinterpret_cast<sockaddr*>(&local), &length) == 0)
                c->dataPort = ntohs(local.sin6_port); // same place in sockaddr_in
            // A reset of an upload's data connection means the server dropped bytes it
            // never read.
            int error = 0;
            length = sizeof error;
            if (c->upload && ::getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &length) == 0)
                c->dataError = error;
            c->dataSocket = CURL_SOCKET_BAD;
        } else if (s == c->control) {
            c->readLateReply();
            c->control = CURL_SOCKET_BAD;
        }
        c->waiting.abort->remove(s);
        return ::close(s);
    }
    // The library drops the control connection after a failed transfer without reading what
    // the server said about it: whatever final reply is already there (or comes within a
    // moment) is kept.
    void readLateReply() {
        if (!upload || aborted())
            return;
        char buffer[MaxReplyBytes];
        pollfd p{control, POLLIN, 0};
        if (::poll(&p, 1, LateReplyMs) <= 0)
            return;
        const ssize_t n = ::recv(control, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n <= 0)
            return;
        std::string text(buffer, size_t(n));
        for (size_t start = 0; start < text.size();) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            onReply(text.data() + start, 1, end - start + (end < text.size() ? 1 : 0), this);
            start = end + 1;
        }
    }
};

// What one request asks of the library; every request sets all of it, so nothing of one
// request lingers into the next.
struct FtpSession::Request {
    std::string url;
    bool data = false; // a listing or an upload (a data connection), else commands alone
    bool upload = false;
    bool namesOnly = false;
    curl_off_t size = -1;
    curl_slist* before = nullptr; // commands after the login, before any transfer
    curl_slist* after = nullptr;  // commands after the transfer
    long timeoutMs = 0;

    void applyTo(CURL* easy) const {
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy, CURLOPT_NOBODY, data ? 0L : 1L);
        curl_easy_setopt(easy, CURLOPT_UPLOAD, upload ? 1L : 0L);
        curl_easy_setopt(easy, CURLOPT_DIRLISTONLY, namesOnly ? 1L : 0L);
        curl_easy_setopt(easy, CURLOPT_INFILESIZE_LARGE, size);
        curl_easy_setopt(easy, CURLOPT_QUOTE, before);
        curl_easy_setopt(easy, CURLOPT_POSTQUOTE, after);
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, timeoutMs);
    }
};

namespace {

// A command list of the library, freed with its owner.
struct CommandList {
    curl_slist* list = nullptr;
    explicit CommandList(const std::string& line)
        : list(curl_slist_append(nullptr, line.c_str())) {}
    CommandList() = default;
    ~CommandList() { curl_slist_free_all(list); }
    CommandList(const CommandList&) = delete;
    CommandList& operator=(const CommandList&) = delete;
};

// An absolute folder without a final "/" (but "/" itself).
QString plainFolder(QString path) {
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

// Where CWD `path` leads from `folder`, as far as names tell.
std::optional<QString> folderAfterCwd(const std::optional<QString>& folder, const QString& path) {
    if (path.startsWith(u'/'))
        return plainFolder(path);
    if (!folder)
        return std::nullopt;
    return plainFolder((*folder == u"/" ? *folder : *folder + u'/') + path);
}

std::optional<QString> parentFolder(const std::optional<QString>& folder) {
    if (!folder)
        return std::nullopt;
    const qsizetype slash = folder->lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : folder->left(slash);
}

} // namespace

FtpError::FtpError(const QString& message, bool sessionLost)
    : std::runtime_error(message.toStdString()), sessionLost_(sessionLost) {}

void FtpSession::checkArgument(const QString& value, const QString& what) {
    for (const QChar c : value) {
        if (c == u'\r' || c == u'\n' || c == QChar(0))
            throw FtpError(QStringLiteral("The %1 holds a line break or a NUL character and "
                                          "cannot be sent to the server.")
                               .arg(what));
    }
}

FtpSession::FtpSession(const QString& host, const QString& user, const QString& password,
                       bool passive, quint16 port, std::chrono::milliseconds timeout,
                       FtpWaiting waiting) {
    static const CurlLibrary library;
    const QString hostName = host.trimmed();
    const QString userName = user.trimmed();
    checkArgument(hostName, QStringLiteral("host name"));
    checkArgument(userName, QStringLiteral("user name"));
    checkArgument(password, QStringLiteral("password"));
    if (hostName.isEmpty() || hostName.contains(u'/') || hostName.contains(u'@'))
        throw FtpError(QStringLiteral("\"%1\" is not a host name.").arg(hostName));
    // "name:2121" or "[address]": the port cannot be chosen (an address with several ":" is
    // an IPv6 address).
    if (hostName.contains(u'[') || hostName.contains(u']') || hostName.count(u':') == 1)
        throw FtpError(QStringLiteral("\"%1\" is not a host name: the FTP port is always %2, "
                                      "so give the host name or address alone, without "
                                      "\":port\" or brackets.")
                           .arg(hostName)
                           .arg(DefaultPort));

    auto c = std::make_unique<Connection>();
    c->port = port;
    c->passive = passive;
    c->timeout = timeout;
    c->multi = curl_multi_init();
    c->easy = curl_easy_init();
    if (!c->multi || !c->easy)
        throw FtpError(QStringLiteral("The FTP client cannot start."));
    c->url = "ftp://" + urlHost(hostName) + ':' + std::to_string(port) + '/';
    CURL* e = c->easy;
    curl_easy_setopt(e, CURLOPT_URL, c->url.c_str());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(e, CURLOPT_USERNAME, userName.toStdString().c_str());
    curl_easy_setopt(e, CURLOPT_PASSWORD, password.toStdString().c_str());
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, c->errors);
    // The caller walks the folders; the library sends each command as it comes.
    curl_easy_setopt(e, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_NOCWD));
    curl_easy_setopt(e, CURLOPT_FTP_SKIP_PASV_IP, 1L);
    if (!passive)
        curl_easy_setopt(e, CURLOPT_FTPPORT, "-");
    // Bounds the whole login: connecting (every address of the name), the greeting, USER, PASS
    // and PWD, whatever the server sends meanwhile.
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, long(timeout.count()));
    // A name whose addresses of one family do not answer (a broken IPv6 route at home) is
    // tried on the other family this soon, both attempts racing; within one family the library
    // moves on after a share of the connection timeout.
    curl_easy_setopt(e, CURLOPT_HAPPY_EYEBALLS_TIMEOUT_MS, HappyEyeballsMs);
    curl_easy_setopt(e, CURLOPT_SERVER_RESPONSE_TIMEOUT, wholeSeconds(timeout));
    curl_easy_setopt(e, CURLOPT_ACCEPTTIMEOUT_MS, long(timeout.count()));
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, wholeSeconds(timeout));
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &Connection::onReply);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, c.get());
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Connection::onData);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, c.get());
    curl_easy_setopt(e, CURLOPT_READFUNCTION, &Connection::onRead);
    curl_easy_setopt(e, CURLOPT_READDATA, c.get());
    curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, &Connection::onProgress);
    curl_easy_setopt(e, CURLOPT_XFERINFODATA, c.get());
    curl_easy_setopt(e, CURLOPT_OPENSOCKETFUNCTION, &Connection::onOpen);
    curl_easy_setopt(e, CURLOPT_OPENSOCKETDATA, c.get());
    curl_easy_setopt(e, CURLOPT_CLOSESOCKETFUNCTION, &Connection::onClose);
    curl_easy_setopt(e, CURLOPT_CLOSESOCKETDATA, c.get());
    // Large blocks: fewer wake-ups per file.
    curl_easy_setopt(e, CURLOPT_UPLOAD_BUFFERSIZE, 256L * 1024);
    // A connection unused for long may have been dropped on the way without a word: it is
    // replaced by a new login rather than trusted.
    curl_easy_setopt(e, CURLOPT_MAXAGE_CONN, long(DefaultMaxIdle.count()));
    // Closing never waits for a name lookup that the resolver does not answer: the library
    // leaves its lookup thread to end on its own (it touches nothing of ours).
    curl_easy_setopt(e, CURLOPT_QUICK_EXIT, 1L);
    c->hostName = hostName;
    connection_ = std::move(c);
    setWaiting(std::move(waiting));
    // Connect, log in (the library asks PWD for the login folder) and nothing else.
    try {
        run(QStringLiteral("Connecting to %1").arg(hostName), Request{connection_->url});
    } catch (...) {
        // Nothing more is said to a server that would not let us in.
        connection_->waiting.abort->shutDownAll();
        connection_.reset();
        throw;
    }
    loggedIn();
}

FtpSession::~FtpSession() {
    close();
}

void FtpSession::setWaiting(FtpWaiting waiting) {
    if (!waiting.abort)
        waiting.abort = std::make_shared<FtpAbortSwitch>();
    connection().waiting = std::move(waiting);
}

void FtpSession::setLogInAgain(bool allowed) {
    connection().logInAgain = allowed;
}

void FtpSession::setMaxIdle(std::chrono::seconds maxIdle) {
    curl_easy_setopt(connection().easy, CURLOPT_MAXAGE_CONN, long(maxIdle.count()));
}

void FtpSession::loggedIn() {
    Connection& c = *connection_;
    c.loggedIn = true;
    // The login folder, as the library asked it.
    char* entry = nullptr;
    curl_easy_getinfo(c.easy, CURLINFO_FTP_ENTRY_PATH, &entry);
    if (entry && *entry == '/')
        c.folder = plainFolder(QString::fromUtf8(entry));
}

void FtpSession::close() noexcept {
    if (!connection_)
        return;
    Connection& c = *connection_;
    // No one logs in only to say goodbye.
    c.logInAgain = false;
    if (!c.lost && !c.aborted()) {
        try {
            curl_easy_setopt(c.easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, 1L);
            command(QStringLiteral("QUIT"), QStringLiteral("Saying goodbye"), QuitMs);
        } catch (...) {
            // The connection is going away either way.
        }
    }
    // The library would say QUIT again and wait for the answer: the server has had its one.
    c.waiting.abort->shutDownAll();
    connection_.reset();
}

FtpSession::Connection& FtpSession::connection() {
    if (!connection_ || connection_->lost)
        throw FtpError(QStringLiteral("The connection to the server is closed."), true);
    return *connection_;
}

void FtpSession::run(const QString& step, const Request& request) {
    connection(); // throws when the session has ended
    int result = attempt(request);
    if (result != CURLE_OK && endedWhileIdle(request, result)) {
        logInAgain();
        result = attempt(request);
    }
    if (result != CURLE_OK)
        fail(step, result);
}

int FtpSession::attempt(const Request& request) {
    Connection& c = *connection_;
    c.reply.clear();
    c.heard = false;
    c.errors[0] = 0;
    c.abortReason.clear();
    c.refusedReconnect = false;
    c.dataPort = 0;
    c.dataError = 0;
    if (c.upload)
        c.upload->seek(0);
    request.applyTo(c.easy);
    curl_multi_add_handle(c.multi, c.easy);
    int result = CURLE_OK;
    if (c.waiting.pump) {
        // The library blocks inside some of its waits (the final reply of a transfer among
        // them): it runs on a thread of its own while this one keeps its events flowing.
        auto transfer = std::async(std::launch::async, [&c] { return perform(c); });
        while (transfer.wait_for(std::chrono::milliseconds(PumpMs)) != std::future_status::ready)
            c.waiting.pump();
        result = transfer.get();
    } else {
        result = perform(c);
    }
    // The control connection is known to the library only while the handle is in use.
    if (!c.loggedIn && result == CURLE_OK)
        curl_easy_getinfo(c.easy, CURLINFO_ACTIVESOCKET, &c.control);
    // Taken off mid-transfer, the library drops the connection without waiting for anything
    // (a name lookup in progress included: see CURLOPT_QUICK_EXIT).
    curl_multi_remove_handle(c.multi, c.easy);
    return result;
}

bool FtpSession::endedWhileIdle(const Request& request, int code) const {
    const Connection& c = *connection_;
    if (!c.loggedIn || !c.logInAgain || !c.folder || c.aborted() || !c.abortReason.isEmpty())
        return false;
    // The library found the connection closed, or unused too long, and would have opened a
    // new one: nothing of this request reached the server.
    if (c.refusedReconnect)
        return true;
    // The server ended the session as the command arrived ("421", or closed without a word).
    // A file may have been sent in part: an upload is never sent twice.
    const auto result = static_cast<CURLcode>(code);
    return !request.upload && (c.replyCode() == 421 || (!c.heard && (result == CURLE_RECV_ERROR ||
                                                                     result == CURLE_GOT_NOTHING ||
                                                                     result == CURLE_SEND_ERROR)));
}

void FtpSession::logInAgain() {
    Connection& c = *connection_;
    const QString folder = *c.folder;
    c.loggedIn = false;
    // The login and the return are requests of their own, with no file or listing of the
    // request that waits for them.
    const auto restore = qScopeGuard([&c, upload = std::exchange(c.upload, nullptr),
                                      listing = std::exchange(c.listing, nullptr),
                                      allowed = std::exchange(c.logInAgain, false)] {
        c.upload = upload;
        c.listing = listing;
        c.logInAgain = allowed;
    });
    try {
        run(QStringLiteral("Logging in again to %1").arg(c.hostName), Request{c.url});
        loggedIn();
        command(QStringLiteral("CWD ") + folder,
                QStringLiteral("Returning to folder \"%1\" after logging in again").arg(folder));
        c.folder = folder;
    } catch (const FtpError& e) {
        // The session goes with its connection; the window shows why.
        c.lost = true;
        throw FtpError(e.message(), true);
    }
}

int FtpSession::perform(Connection& c) {
    for (int running = 1;;) {
        if (c.aborted())
            return CURLE_ABORTED_BY_CALLBACK;
        if (curl_multi_perform(c.multi, &running) != CURLM_OK)
            return CURLE_FAILED_INIT;
        if (!running) {
            CURLcode result = CURLE_OK;
            int left = 0;
            while (CURLMsg* msg = curl_multi_info_read(c.multi, &left)) {
                if (msg->msg == CURLMSG_DONE)
                    result = msg->data.result;
            }
            return result;
        }
        // The library's sockets wake the wait; it names how long it may sleep otherwise.
        curl_multi_poll(c.multi, nullptr, 0, sleepFor(c.multi), nullptr);
    }
}

void FtpSession::fail(const QString& step, int code) {
    Connection& c = *connection_;
    const auto result = static_cast<CURLcode>(code);
    const int reply = c.replyCode();
    const long seconds = wholeSeconds(c.timeout);
    QString why;
    // Without a data connection nothing can be listed or uploaded: the session ends at the
    // first listing, even though the server would take further commands.
    bool noData = false;
    if (c.refusedReconnect)
        why = QStringLiteral("the connection to the server was lost");
    else if (c.aborted())
        why = QStringLiteral("cancelled");
    else if (!c.abortReason.isEmpty())
        why = c.abortReason;
    else if (reply == 452 || reply == 552)
        why = QStringLiteral("the server has no room for the file (its disk or your quota is "
                             "full); it answered \"%1\"")
                  .arg(c.replyText());
    else if (reply == 425 || result == CURLE_FTP_ACCEPT_FAILED ||
             result == CURLE_FTP_ACCEPT_TIMEOUT ||
             (result == CURLE_COULDNT_CONNECT && c.loggedIn)) {
        why = dataConnectionRefused(c);
        noData = true;
    } else if (reply > 0 && reply < 200 && !c.loggedIn) {
        // "120 ready in a minute" where the greeting belongs: the library does not wait.
        why = QStringLiteral("the server is not ready (it answered \"%1\"); try again later")
                  .arg(c.replyText());
    } else if (reply >= 400 &&
               (result == CURLE_FTP_PORT_FAILED || result == CURLE_FTP_WEIRD_PASV_REPLY)) {
        why = modeRefused(c);
        noData = true;
    } else if (reply >= 400) // "421" among them, which the library counts as a timeout
        why = QStringLiteral("the server answered \"%1\"").arg(c.replyText());
    else if (c.upload && (result == CURLE_SEND_ERROR || result == CURLE_PARTIAL_FILE ||
                          result == CURLE_UPLOAD_FAILED || c.dataError))
        why = closedEarly(c);
    else if (result == CURLE_OPERATION_TIMEDOUT && std::strstr(c.errors, "too slow"))
        why = QStringLiteral("no data moved for %1 seconds").arg(seconds);
    else if (result == CURLE_OPERATION_TIMEDOUT)
        why = QStringLiteral("the server did not answer within %1 seconds").arg(seconds);
    else if (result == CURLE_COULDNT_CONNECT || result == CURLE_COULDNT_RESOLVE_HOST ||
             result == CURLE_URL_MALFORMAT)
        why = c.details(result);
    else if (std::strstr(c.errors, "Too large"))
        why = QStringLiteral("the server's reply is too long (%1)").arg(c.details(result));
    else if (result == CURLE_RECV_ERROR || result == CURLE_SEND_ERROR ||
             result == CURLE_GOT_NOTHING || result == CURLE_PARTIAL_FILE ||
             result == CURLE_UPLOAD_FAILED)
        why = QStringLiteral("the server closed the connection (%1)").arg(c.details(result));
    else
        why = QStringLiteral("the server sent a reply that cannot be used (%1)")
                  .arg(c.details(result));
    const bool lost = !keepsConnection(result) || !c.abortReason.isEmpty() || noData;
    c.lost = c.lost || lost;
    throw FtpError(QStringLiteral("%1 failed: %2.").arg(step, why), lost);
}

QString FtpSession::dataConnectionRefused(const Connection& c) {
    const QString port = c.dataPort ? QString::number(c.dataPort) : QStringLiteral("?");
    QString why = c.passive
                      ? QStringLiteral("the data connection to port %1 of the server was refused "
                                       "in passive mode")
                            .arg(port)
                      : QStringLiteral("the server could not open the data connection to port %1 "
                                       "of this computer in active mode")
                            .arg(port);
    if (c.replyCode() >= 400)
        why += QStringLiteral(" (the server answered \"%1\")").arg(c.replyText());
    return why + (c.passive
                      ? QStringLiteral("; try the active transfer mode in the FTP settings")
                      : QStringLiteral("; try the passive transfer mode in the FTP settings"));
}

QString FtpSession::modeRefused(const Connection& c) {
    return c.passive ? QStringLiteral("the server refuses passive mode (it answered \"%1\"); try "
                                      "the active transfer mode in the FTP settings")
                           .arg(c.replyText())
                     : QStringLiteral("the server refuses active mode (it answered \"%1\"); try "
                                      "the passive transfer mode in the FTP settings")
                           .arg(c.replyText());
}

void FtpSession::command(const QString& line, const QString& step, long timeoutMs) {
    Connection& c = connection();
    // "*": the library goes on when the server refuses; the reply decides here.
    const CommandList commands('*' + line.toStdString());
    Request request{c.url};
    request.before = commands.list;
    request.timeoutMs = timeoutMs;
    run(step, request);
    const int code = c.replyCode();
    if (code < 200 || code >= 400)
        throw FtpError(
            QStringLiteral("%1 failed: the server answered \"%2\".").arg(step, c.replyText()));
}

QString FtpSession::pwd() {
    command(QStringLiteral("PWD"), QStringLiteral("Asking for the current folder"));
    // 257 "name" text, with quotes inside the name doubled.
    const QString reply = connection().replyText();
    const qsizetype open = reply.indexOf(u'"');
    if (open < 0)
        throw FtpError(QStringLiteral("The server named no folder: \"%1\".").arg(reply));
    QString path;
    for (qsizetype i = open + 1; i < reply.size(); ++i) {
        if (reply[i] == u'"') {
            if (i + 1 < reply.size() && reply[i + 1] == u'"') {
                path += u'"';
                ++i;
                continue;
            }
            if (path.startsWith(u'/'))
                connection_->folder = plainFolder(path);
            return path;
        }
        path += reply[i];
    }
    throw FtpError(QStringLiteral("The server named no folder: \"%1\".").arg(reply));
}

void FtpSession::cwd(const QString& path) {
    checkArgument(path, QStringLiteral("folder name \"%1\"").arg(path));
    command(QStringLiteral("CWD ") + path, QStringLiteral("Changing to folder \"%1\"").arg(path));
    Connection& c = *connection_;
    c.folder = folderAfterCwd(c.folder, path);
}

void FtpSession::cdup() {
    command(QStringLiteral("CDUP"), QStringLiteral("Going up one folder"));
    Connection& c = *connection_;
    c.folder = parentFolder(c.folder);
}

void FtpSession::mkd(const QString& path) {
    checkArgument(path, QStringLiteral("folder name \"%1\"").arg(path));
    command(QStringLiteral("MKD ") + path, QStringLiteral("Creating folder \"%1\"").arg(path));
}

QStringList FtpSession::list() {
    return readListing(false);
}

QStringList FtpSession::nlst() {
    return readListing(true);
}

QStringList FtpSession::readListing(bool namesOnly) {
    Connection& c = connection();
    ListingBuffer buffer;
    c.listing = &buffer;
    const auto reset = qScopeGuard([&c] { c.listing = nullptr; });
    Request request{c.url};
    request.data = true;
    request.namesOnly = namesOnly;
    request.timeoutMs = long(2 * c.timeout.count());
    const QString step = QStringLiteral("Listing the folder");
    run(step, request);
    if (!buffer.finish())
        throw FtpError(QStringLiteral("%1 failed: %2.").arg(step, buffer.error()));
    return buffer.lines();
}

FtpSession::Stored FtpSession::stor(const QString& localPath, const QString& remoteName) {
    checkArgument(remoteName, QStringLiteral("file name \"%1\"").arg(remoteName));
    Connection& c = connection();
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly))
        throw FtpError(QStringLiteral("Cannot read \"%1\": %2").arg(localPath, file.errorString()));
    const std::string name = remoteName.toStdString();
    char* escaped = curl_easy_escape(c.easy, name.data(), int(name.size()));
    Request request{c.url + (escaped ? escaped : "")};
    curl_free(escaped);
    request.data = true;
    request.upload = true;
    request.size = curl_off_t(file.size());
    // The server's own size of the file, asked on the same request right after the upload.
    const CommandList sizeQuery = c.sizeOffered ? CommandList("*SIZE " + name) : CommandList();
    request.after = sizeQuery.list;
    c.upload = &file;
    c.uploadName = remoteName;
    c.uploadSize = file.size();
    const auto reset = qScopeGuard([&c] { c.upload = nullptr; });
    const QString step = QStringLiteral("Uploading \"%1\"").arg(remoteName);
    run(step, request);
    curl_off_t sent = 0;
    curl_easy_getinfo(c.easy, CURLINFO_SIZE_UPLOAD_T, &sent);
    return {qint64(sent), checkStored(step, qint64(sent), sizeQuery.list != nullptr)};
}

QString FtpSession::cutShort(const Connection& c, const QString& what) {
    return QStringLiteral("%1, so \"%2\" is incomplete on the server").arg(what, c.uploadName);
}

QString FtpSession::closedEarly(const Connection& c) {
    return cutShort(c, QStringLiteral("the server closed the connection before it had all %1 bytes")
                           .arg(c.uploadSize));
}

bool FtpSession::checkStored(const QString& step, qint64 sent, bool askedSize) {
    Connection& c = connection();
    const auto fail = [&](const QString& why) {
        throw FtpError(QStringLiteral("%1 failed: %2.").arg(step, why));
    };
    if (c.dataError)
        fail(closedEarly(c));
    if (sent != c.uploadSize)
        fail(cutShort(
            c, QStringLiteral("only %1 of the %2 bytes were sent").arg(sent).arg(c.uploadSize)));
    if (!askedSize)
        return false;
    const int code = c.replyCode();
    if (code >= 500 && code <= 504) {
        // The server does not know SIZE: the caller checks the folder's listing instead.
        c.sizeOffered = false;
        return false;
    }
    bool known = false;
    const qint64 held = c.replyText().mid(4).trimmed().toLongLong(&known);
    if (code != 213 || !known)
        fail(QStringLiteral("the server cannot tell the size of \"%1\" after %2 bytes were "
                            "sent (it answered \"%3\")")
                 .arg(c.uploadName)
                 .arg(sent)
                 .arg(c.replyText()));
    if (held != sent)
        fail(
            cutShort(c, QStringLiteral("the server holds %1 of the %2 bytes").arg(held).arg(sent)));
    return true;
}

} // namespace publish
