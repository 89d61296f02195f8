#pragma once

#include "publish/ftp/FtpControl.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>

namespace publish {

class FtpAbortSwitch;

// A failed FTP step: the text says what failed and why, with the server's own reply when it
// gave one, never the password. `sessionLost` tells that the control connection is gone too,
// so that no further command can follow (a refused command leaves it usable).
class FtpError : public std::runtime_error {
public:
    explicit FtpError(const QString& message, bool sessionLost = false);
    QString message() const { return QString::fromUtf8(what()); }
    bool sessionLost() const { return sessionLost_; }

private:
    bool sessionLost_;
};

// How a session waits for the network: with a `pump`, the network work runs on a helper
// thread and `pump` runs on the calling thread about every 50 ms while it waits (the GUI thread
// keeps its window alive with it); a tripped `abort` switch ends the wait at once.
struct FtpWaiting {
    std::function<void()> pump;
    std::shared_ptr<FtpAbortSwitch> abort;
};

// One logged-in FTP control connection with binary transfers; the one place that talks FTP.
// Where the order of replies allows it, a command goes out before the reply to the one before
// has been read (the size check of an upload travels with the next command), so that a file
// costs no more round trips than a client without the check needs.
// Commands go out in the order the calls come, each on the current remote folder: the
// session never changes folder by itself and never logs in again behind the caller's back
// (a lost connection ends the session). Every command argument, the user name and the
// password included, is refused before anything is sent when it holds a line break or NUL.
// Names travel as UTF-8. Every reply has a total deadline (`timeout`, counted from the
// command), a data connection that moves no byte for `timeout` fails, a listing must arrive
// within twice `timeout`, and listings have caps (ListingBuffer). Data connections go to the
// control connection's peer whatever address a passive-mode reply names; active mode offers
// the control connection's own address. An upload ends in a failure unless the server holds
// every byte of the file (it is asked with SIZE where it answers that). Not thread-safe: one thread
// at a time uses a session (ownership moves, it is never shared); only its abort switch is touched
// from elsewhere.
class FtpSession {
public:
    static constexpr quint16 DefaultPort = 21;
    static constexpr std::chrono::seconds DefaultTimeout{30};

    // Connects and logs in (host and user trimmed); throws FtpError.
    FtpSession(const QString& host, const QString& user, const QString& password, bool passive,
               quint16 port = DefaultPort, std::chrono::milliseconds timeout = DefaultTimeout,
               FtpWaiting waiting = {});
    // Says QUIT when still open; never throws.
    ~FtpSession();
    FtpSession(const FtpSession&) = delete;
    FtpSession& operator=(const FtpSession&) = delete;

    // The session changes hands (the upload's worker thread waits without pumping).
    void setWaiting(FtpWaiting waiting);

    QString pwd();                 // PWD
    void cwd(const QString& path); // CWD
    void cdup();                   // CDUP
    void mkd(const QString& path); // MKD
    QStringList list();            // LIST: the raw lines
    QStringList nlst();            // NLST: the names
    // STOR of a local file under `remoteName` into the current folder, replacing a file there.
    // Whether the server holds all of it is known when the next call returns, or after
    // confirmUploads().
    void stor(const QString& localPath, const QString& remoteName);
    // Waits for the server's word on the latest upload; throws FtpError when it is short.
    void confirmUploads();
    // QUIT (briefly awaited) and closes the connection; never throws. Further calls throw.
    void close() noexcept;

    // Throws FtpError naming `what` when `value` cannot travel as one FTP argument.
    static void checkArgument(const QString& value, const QString& what);

private:
    struct Connection;
    struct DataLink;

    // Runs `work` for `step`, on a helper thread while the caller pumps when the session has a
    // pump; a fault becomes an FtpError that names the step.
    void run(const QString& step, const std::function<void()>& work);
    void command(const QString& line, const QString& step);
    QStringList readListing(bool namesOnly);
    void login(const QString& host, const QString& user, const QString& password, quint16 port);
    void upload(int fileFd, qint64 size, const QString& remoteName, const QString& step);
    DataLink openData(const std::string& request);
    quint16 passivePort();
    void offerActivePort(const FtpSocket& listener);
    void say(const std::string& line);
    FtpControl::Reply reply();
    void confirmLastUpload();
    QString why(const FtpFault& fault) const;
    Connection& connection();

    std::unique_ptr<Connection> connection_;
};

} // namespace publish
