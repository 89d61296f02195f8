#include "publish/ftp/FtpSession.h"

#include <Poco/Exception.h>
#include <Poco/Net/DialogSocket.h>
#include <Poco/Net/FTPClientSession.h>
#include <Poco/Net/SocketAddress.h>
#include <Poco/Net/SocketStream.h>
#include <Poco/Net/StreamSocket.h>

#include <QFile>

#include <csignal>

#include <istream>
#include <ostream>
#include <vector>

namespace publish {

namespace {

using Poco::Net::FTPClientSession;

std::string utf8(const QString& text) {
    return text.toStdString();
}

// Runs one client call and turns whatever it throws into FtpError with the library's text.
template <class F> auto guarded(F&& call) {
    try {
        return call();
    } catch (const FtpError&) {
        throw;
    } catch (const Poco::Exception& e) {
        throw FtpError(QString::fromStdString(e.displayText()));
    } catch (const std::exception& e) {
        throw FtpError(QString::fromUtf8(e.what()));
    }
}

} // namespace

FtpError::FtpError(const QString& message) : std::runtime_error(message.toStdString()) {}

void FtpSession::checkArgument(const QString& value, const QString& what) {
    for (const QChar c : value) {
        if (c == u'\r' || c == u'\n' || c == QChar(0))
            throw FtpError(QStringLiteral("The %1 holds a line break or a NUL character and "
                                          "cannot be sent to the server.")
                               .arg(what));
    }
}

FtpSession::FtpSession(const QString& host, const QString& user, const QString& password,
                       bool passive, quint16 port, std::chrono::milliseconds timeout) {
#ifdef SIGPIPE
    // A server that goes away while we send must be an error of the upload, not the end of
    // the program: the socket library does not ask the system to spare us the signal.
    static const bool brokenPipeIgnored = [] { return std::signal(SIGPIPE, SIG_IGN) != SIG_ERR; }();
    (void)brokenPipeIgnored;
#endif
    const QString hostName = host.trimmed();
    const QString userName = user.trimmed();
    checkArgument(hostName, QStringLiteral("host name"));
    checkArgument(userName, QStringLiteral("user name"));
    checkArgument(password, QStringLiteral("password"));
    const Poco::Timespan span(static_cast<Poco::Timespan::TimeDiff>(timeout.count()) * 1000);
    guarded([&] {
        Poco::Net::StreamSocket socket;
        socket.connect(Poco::Net::SocketAddress(utf8(hostName), port), span);
        // The greeting is read here, under our timeout: the library would wait its own 30 s.
        Poco::Net::DialogSocket greeting(socket);
        greeting.setReceiveTimeout(span);
        std::string reply;
        const int status = greeting.receiveStatusMessage(reply);
        if (status / 100 != 2)
            throw FtpError(QStringLiteral("FTP Exception: Cannot connect to server: %1")
                               .arg(QString::fromStdString(reply)));
        client_ = std::make_unique<FTPClientSession>(socket, false);
        client_->setTimeout(span);
        client_->setPassive(passive);
        client_->login(utf8(userName), utf8(password));
        return 0;
    });
}

FtpSession::~FtpSession() {
    close();
}

void FtpSession::close() noexcept {
    if (!client_)
        return;
    try {
        client_->close();
    } catch (...) {
        // The connection is going away either way.
    }
    client_.reset();
}

FTPClientSession& FtpSession::client() {
    if (!client_)
        throw FtpError(QStringLiteral("The connection to the server is closed."));
    return *client_;
}

QString FtpSession::pwd() {
    return guarded([&] { return QString::fromStdString(client().getWorkingDirectory()); });
}

void FtpSession::cwd(const QString& path) {
    checkArgument(path, QStringLiteral("folder name \"%1\"").arg(path));
    guarded([&] {
        client().setWorkingDirectory(utf8(path));
        return 0;
    });
}

void FtpSession::cdup() {
    guarded([&] {
        client().cdup();
        return 0;
    });
}

void FtpSession::mkd(const QString& path) {
    checkArgument(path, QStringLiteral("folder name \"%1\"").arg(path));
    guarded([&] {
        client().createDirectory(utf8(path));
        return 0;
    });
}

QStringList FtpSession::list() {
    return readList(true);
}

QStringList FtpSession::nlst() {
    return readList(false);
}

QStringList FtpSession::readList(bool extended) {
    return guarded([&] {
        QStringList lines;
        std::istream& in = client().beginList("", extended);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty())
                lines << QString::fromStdString(line);
        }
        client().endList();
        return lines;
    });
}

void FtpSession::stor(const QString& localPath, const QString& remoteName) {
    checkArgument(remoteName, QStringLiteral("file name \"%1\"").arg(remoteName));
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly))
        throw FtpError(QStringLiteral("Cannot read \"%1\": %2").arg(localPath, file.errorString()));
    guarded([&] {
        std::ostream& out = client().beginUpload(utf8(remoteName));
        // The stream sends 1 kB at a time; the data socket itself takes big blocks.
        auto* stream = dynamic_cast<Poco::Net::SocketStream*>(&out);
        std::vector<char> buffer(256 * 1024);
        bool readFailed = false;
        bool sent = true;
        for (;;) {
            const qint64 n = file.read(buffer.data(), static_cast<qint64>(buffer.size()));
            if (n < 0)
                readFailed = true;
            if (n <= 0)
                break;
            if (stream) {
                Poco::Net::StreamSocket socket = stream->socket();
                for (qint64 done = 0; done < n;) {
                    const int chunk =
                        socket.sendBytes(buffer.data() + done, static_cast<int>(n - done));
                    if (chunk <= 0)
                        throw FtpError(QStringLiteral("The connection broke while \"%1\" was sent.")
                                           .arg(remoteName));
                    done += chunk;
                }
            } else if (!out.write(buffer.data(), n)) {
                sent = false;
                break;
            }
        }
        out.flush();
        sent = sent && static_cast<bool>(out);
        // The server's reply decides; endUpload throws when it is not a success.
        client().endUpload();
        if (readFailed)
            throw FtpError(
                QStringLiteral("Cannot read \"%1\": %2").arg(localPath, file.errorString()));
        if (!sent)
            throw FtpError(
                QStringLiteral("The connection broke while \"%1\" was sent.").arg(remoteName));
        return 0;
    });
}

} // namespace publish
