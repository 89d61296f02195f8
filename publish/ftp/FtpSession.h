#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <stdexcept>

namespace Poco::Net {
class FTPClientSession;
}

namespace publish {

// A failed FTP step: the text is the client's or the server's own message, never the password.
class FtpError : public std::runtime_error {
public:
    explicit FtpError(const QString& message);
    QString message() const { return QString::fromUtf8(what()); }
};

// One logged-in FTP control connection with binary transfers. Every command argument, the
// user name and the password included, is refused before anything is sent when it holds a
// line break or NUL: the client library would send it verbatim and let it smuggle in commands.
// Names travel as UTF-8. Every socket wait is bounded by the timeout, the connect included.
// Not thread-safe: one thread at a time uses a session (ownership moves, it is never shared).
class FtpSession {
public:
    static constexpr quint16 DefaultPort = 21;
    static constexpr std::chrono::seconds DefaultTimeout{20};

    // Connects and logs in (host and user trimmed); throws FtpError.
    FtpSession(const QString& host, const QString& user, const QString& password, bool passive,
               quint16 port = DefaultPort, std::chrono::milliseconds timeout = DefaultTimeout);
    // Says QUIT when still open; never throws.
    ~FtpSession();
    FtpSession(const FtpSession&) = delete;
    FtpSession& operator=(const FtpSession&) = delete;

    QString pwd();                 // PWD
    void cwd(const QString& path); // CWD
    void cdup();                   // CDUP
    void mkd(const QString& path); // MKD
    QStringList list();            // LIST: the raw lines
    QStringList nlst();            // NLST: the names
    // STOR of a local file under `remoteName` into the current folder, replacing a file there.
    void stor(const QString& localPath, const QString& remoteName);
    // QUIT and closes the connection; never throws. Further calls throw.
    void close() noexcept;

    // Throws FtpError naming `what` when `value` cannot travel as one FTP argument.
    static void checkArgument(const QString& value, const QString& what);

private:
    Poco::Net::FTPClientSession& client();
    QStringList readList(bool extended);

    std::unique_ptr<Poco::Net::FTPClientSession> client_;
};

} // namespace publish
