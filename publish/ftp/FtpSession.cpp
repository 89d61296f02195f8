#include "publish/ftp/FtpSession.h"

#include "publish/ftp/FtpAbortSwitch.h"
#include "publish/ftp/ListingBuffer.h"

#include <QFile>
#include <QRegularExpression>

#include <future>
#include <optional>
#include <vector>

namespace publish {

namespace {

// How often a waiting GUI thread runs its event loop.
constexpr auto PumpMs = std::chrono::milliseconds(50);
// QUIT is a courtesy: a server that does not answer it soon is left.
constexpr auto QuitWait = std::chrono::milliseconds(500);
constexpr size_t ListingBlock = 64 * 1024;
// Large blocks: fewer wake-ups per file on both sides.
constexpr size_t UploadBlock = 256 * 1024;

long wholeSeconds(std::chrono::milliseconds span) {
    return std::max<long>(1, static_cast<long>((span.count() + 999) / 1000));
}

// A step that the server refused, or that failed in a way this file words itself. `step`
// names another step than the running one: an upload whose size is read during the next one.
struct StepFailure {
    QString why;
    bool lost;
    QString step;
};

StepFailure answered(const FtpControl::Reply& reply, bool lost) {
    return {QStringLiteral("the server answered \"%1\"").arg(reply.text()), lost, {}};
}

bool isNoRoom(const FtpControl::Reply& reply) {
    return reply.code == 452 || reply.code == 552;
}

StepFailure noRoom(const FtpControl::Reply& reply) {
    return {QStringLiteral("the server has no room for the file (its disk or your quota is "
                           "full); it answered \"%1\"")
                .arg(reply.text()),
            false,
            {}};
}

// A refusal of a transfer in the server's words: a full disk said as such.
void throwIfRefused(const FtpControl::Reply& reply) {
    if (isNoRoom(reply))
        throw noRoom(reply);
    if (reply.code >= 400)
        throw answered(reply, false);
}

QString cutShort(const QString& name, const QString& what) {
    return QStringLiteral("%1, so \"%2\" is incomplete on the server").arg(what, name);
}

QString closedEarly(const QString& name, qint64 size) {
    return cutShort(
        name,
        QStringLiteral("the server closed the connection before it had all %1 bytes").arg(size));
}

QString dataConnectionRefused(bool passive, quint16 port, const FtpControl::Reply* reply) {
    const QString number = port ? QString::number(port) : QStringLiteral("?");
    QString why = passive ? QStringLiteral("the data connection to port %1 of the server was "
                                           "refused in passive mode")
                                .arg(number)
                          : QStringLiteral("the server could not open the data connection to "
                                           "port %1 of this computer in active mode")
                                .arg(number);
    if (reply)
        why += QStringLiteral(" (the server answered \"%1\")").arg(reply->text());
    return why + (passive ? QStringLiteral("; try the active transfer mode in the FTP settings")
                          : QStringLiteral("; try the passive transfer mode in the FTP settings"));
}

// "229 Entering Extended Passive Mode (|||6446|)": the port between the delimiters.
quint16 extendedPassivePort(const QString& text) {
    const qsizetype open = text.indexOf(u'(');
    if (open < 0 || open + 4 >= text.size())
        return 0;
    const QChar d = text[open + 1];
    if (text[open + 2] != d || text[open + 3] != d)
        return 0;
    const qsizetype close = text.indexOf(d, open + 4);
    bool ok = false;
    const uint port = text.mid(open + 4, close - open - 4).toUInt(&ok);
    return ok && close > 0 && port > 0 && port < 65536 ? quint16(port) : 0;
}

// "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)": the port; the address is not used, data
// goes to the control connection's peer whatever a reply names.
quint16 passivePortOf(const QString& text) {
    static const QRegularExpression numbers(
        QStringLiteral("(\\d{1,3}),(\\d{1,3}),(\\d{1,3}),(\\d{1,3}),(\\d{1,3}),(\\d{1,3})"));
    const auto match = numbers.match(text, 4);
    if (!match.hasMatch())
        return 0;
    const uint high = match.captured(5).toUInt(), low = match.captured(6).toUInt();
    return high < 256 && low < 256 ? quint16(high * 256 + low) : 0;
}

bool notUnderstood(const FtpControl::Reply& reply) {
    return reply.code >= 500 && reply.code <= 502;
}

} // namespace

struct FtpSession::Connection {
    FtpControl control;
    std::chrono::milliseconds timeout{};
    FtpWaiting waiting;
    bool passive = true;
    bool lost = false;
    // Whether the server knows EPSV and EPRT, learnt from its first answer to one of them.
    enum class Known { Unsure, Yes, No } extended = Known::Unsure;
    // Whether the server answers SIZE; asked after every upload until it says it does not.
    bool sizeOffered = true;
    // The latest upload until the server's size of it has been read.
    struct Unconfirmed {
        QString step;
        QString name;
        qint64 size = 0;
    };
    std::optional<Unconfirmed> unconfirmed;
    FtpControl::Reply last;
    std::vector<char> block; // what an upload reads from its file at a time
    // The data port of the latest transfer: the server's in passive mode, ours in active mode.
    quint16 dataPort = 0;

    FtpClock::time_point deadline() const { return FtpClock::now() + timeout; }
    bool aborted() const { return waiting.abort->tripped(); }
};

struct FtpSession::DataLink {
    FtpSocket socket;
    FtpControl::Reply first; // 1xx; a final reply when the server has nothing to move
};

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
    connection_ = std::make_unique<Connection>();
    connection_->passive = passive;
    connection_->timeout = timeout;
    setWaiting(std::move(waiting));
    try {
        run(QStringLiteral("Connecting to %1").arg(hostName),
            [&] { login(hostName, userName, password, port); });
    } catch (...) {
        // Nothing more is said to a server that would not let us in.
        connection_->waiting.abort->shutDownAll();
        connection_.reset();
        throw;
    }
}

FtpSession::~FtpSession() {
    close();
}

void FtpSession::setWaiting(FtpWaiting waiting) {
    if (!waiting.abort)
        waiting.abort = std::make_shared<FtpAbortSwitch>();
    connection().waiting = std::move(waiting);
}

FtpSession::Connection& FtpSession::connection() {
    if (!connection_ || connection_->lost)
        throw FtpError(QStringLiteral("The connection to the server is closed."), true);
    return *connection_;
}

void FtpSession::run(const QString& step, const std::function<void()>& work) {
    Connection& c = connection();
    try {
        if (c.waiting.pump) {
            // The network waits run on a thread of their own while this one keeps its events
            // flowing.
            auto task = std::async(std::launch::async, work);
            while (task.wait_for(PumpMs) != std::future_status::ready)
                c.waiting.pump();
            task.get();
        } else {
            work();
        }
    } catch (const FtpFault& fault) {
        c.lost = true;
        throw FtpError(QStringLiteral("%1 failed: %2.").arg(step, why(fault)), true);
    } catch (const StepFailure& failure) {
        c.lost = c.lost || failure.lost;
        throw FtpError(QStringLiteral("%1 failed: %2.")
                           .arg(failure.step.isEmpty() ? step : failure.step, failure.why),
                       c.lost);
    }
}

QString FtpSession::why(const FtpFault& fault) const {
    const long seconds = wholeSeconds(connection_->timeout);
    switch (fault.kind) {
    case FtpFault::Kind::Timeout:
        return QStringLiteral("the server did not answer within %1 seconds").arg(seconds);
    case FtpFault::Kind::Stalled:
        return QStringLiteral("no data moved for %1 seconds").arg(seconds);
    case FtpFault::Kind::Closed:
        return fault.detail.isEmpty()
                   ? QStringLiteral("the server closed the connection")
                   : QStringLiteral("the server closed the connection (%1)").arg(fault.detail);
    case FtpFault::Kind::Lost:
        return QStringLiteral("the connection to the server was lost");
    case FtpFault::Kind::Aborted:
        return QStringLiteral("cancelled");
    case FtpFault::Kind::TooLong:
        return QStringLiteral("the server's reply is too long (%1)").arg(fault.detail);
    case FtpFault::Kind::BadReply:
        return QStringLiteral("the server sent a reply that cannot be used (\"%1\")")
            .arg(fault.detail);
    case FtpFault::Kind::Unreachable:
        return fault.detail;
    case FtpFault::Kind::Unreadable:
        return QStringLiteral("the file cannot be read (%1)").arg(fault.detail);
    }
    return fault.detail;
}

void FtpSession::say(const std::string& line) {
    Connection& c = *connection_;
    // A server that went away meanwhile (a restart, an idle timeout) is found before anything
    // more is sent.
    if (c.control.isGone())
        throw FtpFault{FtpFault::Kind::Lost, {}};
    try {
        c.control.send(line, c.timeout);
    } catch (const FtpFault& fault) {
        if (fault.kind != FtpFault::Kind::Closed)
            throw;
        throw FtpFault{FtpFault::Kind::Lost, fault.detail};
    }
}

FtpControl::Reply FtpSession::reply() {
    Connection& c = *connection_;
    return c.control.read(c.deadline());
}

void FtpSession::confirmLastUpload() {
    Connection& c = *connection_;
    if (!c.unconfirmed)
        return;
    const Connection::Unconfirmed file = *std::exchange(c.unconfirmed, std::nullopt);
    const FtpControl::Reply r = reply();
    if (r.code >= 500 && r.code <= 504) {
        // The server does not know SIZE: the final reply of each upload has to do.
        c.sizeOffered = false;
        return;
    }
    // The reply to the command that went out behind SIZE is still to be read: a failure here
    // ends the session.
    bool known = false;
    const qint64 held = r.text().mid(4).trimmed().toLongLong(&known);
    if (r.code != 213 || !known)
        throw StepFailure{QStringLiteral("the server cannot tell the size of \"%1\" after %2 "
                                         "bytes were sent (it answered \"%3\")")
                              .arg(file.name)
                              .arg(file.size)
                              .arg(r.text()),
                          true, file.step};
    if (held != file.size)
        throw StepFailure{
            cutShort(
                file.name,
                QStringLiteral("the server holds %1 of the %2 bytes").arg(held).arg(file.size)),
            true, file.step};
}

void FtpSession::login(const QString& host, const QString& user, const QString& password,
                       quint16 port) {
    Connection& c = *connection_;
    const FtpClock::time_point deadline = c.deadline();
    std::optional<FtpFault> refused;
    for (const FtpSocket::Address& address :
         FtpSocket::resolve(host, port, c.waiting.abort, deadline)) {
        try {
            c.control = FtpControl(FtpSocket::connect(address, c.waiting.abort, deadline));
            refused.reset();
            break;
        } catch (const FtpFault& fault) {
            if (fault.kind != FtpFault::Kind::Unreachable)
                throw;
            refused = fault; // the next address may answer
        }
    }
    if (refused)
        throw StepFailure{QStringLiteral("cannot connect to port %1 of %2 (%3)")
                              .arg(port)
                              .arg(host, refused->detail),
                          true,
                          {}};
    FtpControl::Reply r;
    do {
        r = reply(); // "120 ready in a minute" may come before 220
    } while (r.code < 200);
    if (r.code != 220)
        throw answered(r, true);
    say("USER " + user.toStdString());
    r = reply();
    if (r.code == 331) {
        say("PASS " + password.toStdString());
        r = reply();
    }
    if (r.code != 230 && r.code != 202)
        throw answered(r, true);
    // Binary from the start: pictures arrive unchanged and listings read the same. PWD proves
    // that the server takes commands after the login, not only the password.
    say("TYPE I");
    say("PWD");
    for (int i = 0; i < 2; ++i) {
        r = reply();
        if (r.code < 200 || r.code >= 400)
            throw answered(r, true);
    }
}

void FtpSession::close() noexcept {
    if (!connection_)
        return;
    Connection& c = *connection_;
    if (!c.lost && !c.aborted()) {
        try {
            run(QStringLiteral("Saying goodbye"), [&c] {
                c.control.send("QUIT", c.timeout);
                // The size of a last upload may come first; neither is awaited long.
                const FtpClock::time_point deadline = FtpClock::now() + QuitWait;
                for (int replies = c.unconfirmed ? 2 : 1; replies > 0; --replies)
                    c.control.read(deadline);
            });
        } catch (...) {
            // The connection is going away either way.
        }
    }
    c.waiting.abort->shutDownAll();
    connection_.reset();
}

void FtpSession::command(const QString& line, const QString& step) {
    run(step, [&] {
        say(line.toStdString());
        confirmLastUpload();
        const FtpControl::Reply r = reply();
        if (r.code < 200 || r.code >= 400)
            throw answered(r, false);
        connection_->last = r;
    });
}

QString FtpSession::pwd() {
    command(QStringLiteral("PWD"), QStringLiteral("Asking for the current folder"));
    // 257 "name" text, with quotes inside the name doubled.
    const QString reply = connection().last.text();
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
            return path;
        }
        path += reply[i];
    }
    throw FtpError(QStringLiteral("The server named no folder: \"%1\".").arg(reply));
}

void FtpSession::cwd(const QString& path) {
    checkArgument(path, QStringLiteral("folder name \"%1\"").arg(path));
    command(QStringLiteral("CWD ") + path, QStringLiteral("Changing to folder \"%1\"").arg(path));
}

void FtpSession::cdup() {
    command(QStringLiteral("CDUP"), QStringLiteral("Going up one folder"));
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

quint16 FtpSession::passivePort() {
    Connection& c = *connection_;
    if (c.extended != Connection::Known::No) {
        say("EPSV");
        confirmLastUpload();
        const FtpControl::Reply r = reply();
        if (r.code == 229) {
            c.extended = Connection::Known::Yes;
            if (const quint16 port = extendedPassivePort(r.text()))
                return port;
            throw StepFailure{
                QStringLiteral("the server named no data port (\"%1\")").arg(r.text()), false, {}};
        }
        if (c.extended == Connection::Known::Yes || !notUnderstood(r))
            throw answered(r, false);
        c.extended = Connection::Known::No;
    }
    if (c.control.socket().peerAddress().isIPv6())
        throw StepFailure{QStringLiteral("the server offers no passive mode over IPv6 (it does "
                                         "not know EPSV); try the active transfer mode"),
                          false,
                          {}};
    say("PASV");
    confirmLastUpload();
    const FtpControl::Reply r = reply();
    if (r.code != 227)
        throw answered(r, false);
    if (const quint16 port = passivePortOf(r.text()))
        return port;
    throw StepFailure{
        QStringLiteral("the server named no data port (\"%1\")").arg(r.text()), false, {}};
}

void FtpSession::offerActivePort(const FtpSocket& listener) {
    Connection& c = *connection_;
    const FtpSocket::Address local = listener.localAddress();
    if (c.extended != Connection::Known::No) {
        say(QStringLiteral("EPRT |%1|%2|%3|")
                .arg(local.isIPv6() ? 2 : 1)
                .arg(local.host())
                .arg(local.port())
                .toStdString());
        confirmLastUpload();
        const FtpControl::Reply r = reply();
        if (r.code >= 200 && r.code < 300) {
            c.extended = Connection::Known::Yes;
            return;
        }
        if (c.extended == Connection::Known::Yes || !notUnderstood(r))
            throw answered(r, false);
        c.extended = Connection::Known::No;
    }
    if (local.isIPv6())
        throw StepFailure{QStringLiteral("the server offers no active mode over IPv6 (it does "
                                         "not know EPRT); try the passive transfer mode"),
                          false,
                          {}};
    say(QStringLiteral("PORT %1,%2,%3")
            .arg(local.host().replace(u'.', u','))
            .arg(local.port() >> 8)
            .arg(local.port() & 0xff)
            .toStdString());
    confirmLastUpload();
    const FtpControl::Reply r = reply();
    if (r.code < 200 || r.code >= 300)
        throw answered(r, false);
}

FtpSession::DataLink FtpSession::openData(const std::string& request) {
    Connection& c = *connection_;
    DataLink link;
    if (c.passive) {
        FtpSocket::Address address = c.control.socket().peerAddress();
        c.dataPort = passivePort();
        address.setPort(c.dataPort);
        // Connected before the request goes out, so that a server never opens a file for a
        // transfer that cannot come.
        try {
            link.socket = FtpSocket::connect(address, c.waiting.abort, c.deadline());
        } catch (const FtpFault& fault) {
            if (fault.kind == FtpFault::Kind::Aborted)
                throw;
            throw StepFailure{dataConnectionRefused(true, c.dataPort, nullptr), true, {}};
        }
        say(request);
        link.first = reply();
    } else {
        FtpSocket listener = FtpSocket::listen(c.control.socket().localAddress(), c.waiting.abort);
        c.dataPort = listener.localAddress().port();
        offerActivePort(listener);
        say(request);
        link.first = reply();
        if (link.first.code < 200) {
            try {
                link.socket = listener.accept(c.deadline());
            } catch (const FtpFault& fault) {
                if (fault.kind == FtpFault::Kind::Aborted)
                    throw;
                throw StepFailure{dataConnectionRefused(false, c.dataPort, nullptr), true, {}};
            }
        }
    }
    // Without a data connection nothing can be listed or uploaded: the session ends, even
    // though the server would take further commands.
    if (link.first.code == 425)
        throw StepFailure{dataConnectionRefused(c.passive, c.dataPort, &link.first), true, {}};
    throwIfRefused(link.first);
    return link;
}

QStringList FtpSession::readListing(bool namesOnly) {
    ListingBuffer buffer;
    run(QStringLiteral("Listing the folder"), [&] {
        Connection& c = *connection_;
        DataLink link = openData(namesOnly ? "NLST" : "LIST");
        FtpControl::Reply r = link.first;
        if (r.code < 200) {
            const FtpClock::time_point whole = FtpClock::now() + 2 * c.timeout;
            std::vector<char> block(ListingBlock);
            for (;;) {
                const FtpClock::time_point stall = c.deadline();
                const size_t n = link.socket.receive(
                    block.data(), block.size(), std::min(stall, whole),
                    whole <= stall ? FtpFault::Kind::Timeout : FtpFault::Kind::Stalled);
                if (n == 0)
                    break;
                if (!buffer.append(block.data(), qsizetype(n)))
                    throw StepFailure{buffer.error(), true, {}};
            }
            link.socket.close();
            try {
                r = reply();
            } catch (const FtpFault& fault) {
                // Gone right after the data: closed, not lost before a command.
                if (fault.kind != FtpFault::Kind::Lost)
                    throw;
                throw FtpFault{FtpFault::Kind::Closed, {}};
            }
        }
        if (r.code >= 400)
            throw answered(r, false);
        if (!buffer.finish())
            throw StepFailure{buffer.error(), false, {}};
    });
    return buffer.lines();
}

void FtpSession::stor(const QString& localPath, const QString& remoteName) {
    checkArgument(remoteName, QStringLiteral("file name \"%1\"").arg(remoteName));
    connection();
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw FtpError(QStringLiteral("Cannot read \"%1\": %2").arg(localPath, file.errorString()));
    const QString step = QStringLiteral("Uploading \"%1\"").arg(remoteName);
    run(step, [&] { upload(file.handle(), file.size(), remoteName, step); });
}

void FtpSession::confirmUploads() {
    const Connection& c = connection();
    if (c.unconfirmed)
        run(c.unconfirmed->step, [this] { confirmLastUpload(); });
}

void FtpSession::upload(int fileFd, qint64 size, const QString& remoteName, const QString& step) {
    Connection& c = *connection_;
    DataLink link = openData("STOR " + remoteName.toStdString());
    qint64 sent = 0;
    FtpControl::Reply r = link.first;
    if (r.code < 200) {
        try {
            if (c.block.empty())
                c.block.resize(UploadBlock);
            sent = link.socket.sendFile(fileFd, size, c.block, c.timeout);
        } catch (const FtpFault& fault) {
            if (fault.kind != FtpFault::Kind::Closed)
                throw;
            // The server dropped the data connection: its reply says why, when it gives one.
            link.socket.close();
            try {
                r = reply();
            } catch (const FtpFault&) {
                throw StepFailure{closedEarly(remoteName, size), true, {}};
            }
            throwIfRefused(r);
            throw StepFailure{closedEarly(remoteName, size), false, {}};
        }
        link.socket.shutdownSending();
        try {
            r = reply();
        } catch (const FtpFault& fault) {
            if (fault.kind != FtpFault::Kind::Lost)
                throw;
            throw StepFailure{closedEarly(remoteName, size), true, {}};
        }
    }
    // A server that stopped reading early resets the connection when the rest arrives.
    const bool reset = link.socket.isOpen() && link.socket.wasReset();
    link.socket.close();
    throwIfRefused(r);
    if (reset)
        throw StepFailure{closedEarly(remoteName, size), false, {}};
    if (sent != size)
        throw StepFailure{
            cutShort(remoteName,
                     QStringLiteral("only %1 of the %2 bytes were sent").arg(sent).arg(size)),
            false,
            {}};
    if (c.sizeOffered) {
        // Asked now, read behind the next command: the server answers both in one go.
        say("SIZE " + remoteName.toStdString());
        c.unconfirmed = Connection::Unconfirmed{step, remoteName, sent};
    }
}

} // namespace publish
