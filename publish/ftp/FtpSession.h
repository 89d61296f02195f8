#pragma once

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
// Commands go out in the order the calls come, each on the current remote folder. A control
// connection that ended while the session stood idle (the server closed it, said "421" to the
// next command, or the connection lay unused past `maxIdle`) is replaced before the next
// command: the session logs in again with the same settings, returns to the folder it was in
// and sends the command, so long as the caller allows it (`setLogInAgain`); a failed new login
// ends the session and says so. Any other lost connection ends the session. Every command
// argument, the user name and the
// password included, is refused before anything is sent when it holds a line break or NUL.
// Names travel as UTF-8. Every reply has a total deadline (`timeout`, counted from the
// command), a data connection that moves no byte for `timeout` fails, a listing must arrive
// within twice `timeout`, and listings have caps (ListingBuffer). Data connections go to the
// control connection's peer whatever address a passive-mode reply names; active mode offers
// the control connection's own address. An upload ends in a failure when the server holds fewer
// bytes than were sent (it is asked with SIZE where it answers that). A name with several
// addresses is tried on the next when one does not answer, addresses of the other family after
// a moment; international names are converted for the resolver. Not thread-safe: one thread
// at a time uses a session (ownership moves, it is never shared); only its abort switch is touched
// from elsewhere.
class FtpSession {
public:
    static constexpr quint16 DefaultPort = 21;
    static constexpr std::chrono::seconds DefaultTimeout{30};
    // How long an unused control connection is trusted (the client library's own default).
    static constexpr std::chrono::seconds DefaultMaxIdle{118};

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
    // Whether a control connection found ended after idling is replaced by a new login (on
    // at first). An upload switches it off once it runs: a connection lost then fails it.
    void setLogInAgain(bool allowed);
    // A control connection unused for longer than this is not used again (0: not past the
    // second it was last used in).
    void setMaxIdle(std::chrono::seconds maxIdle);

    QString pwd();                 // PWD
    void cwd(const QString& path); // CWD
    void cdup();                   // CDUP
    void mkd(const QString& path); // MKD
    QStringList list();            // LIST: the raw lines
    QStringList nlst();            // NLST: the names
    // What an upload left on the server: the bytes sent, and whether the server has confirmed
    // holding all of them (it answers SIZE); an unconfirmed file is for the caller to check in
    // the folder's listing.
    struct Stored {
        qint64 bytes = 0;
        bool confirmed = false;
    };
    // STOR of a local file under `remoteName` into the current folder, replacing a file there.
    Stored stor(const QString& localPath, const QString& remoteName);
    // QUIT (briefly awaited) and closes the connection; never throws. Further calls throw.
    void close() noexcept;

    // Throws FtpError naming `what` when `value` cannot travel as one FTP argument.
    static void checkArgument(const QString& value, const QString& what);

private:
    struct Connection;
    struct Request;

    // One command (QUOTE style) on the open connection; `timeoutMs` bounds it (0: no bound).
    void command(const QString& line, const QString& step, long timeoutMs = 0);
    QStringList readListing(bool namesOnly);
    // Runs the request, after a new login when the connection ended while idle.
    void run(const QString& step, const Request& request);
    // One try of a request on the connection the library holds or opens; its result code.
    int attempt(const Request& request);
    bool endedWhileIdle(const Request& request, int code) const;
    void logInAgain();
    // After a login: the login folder is where the session is.
    void loggedIn();
    static int perform(Connection& c);
    static QString dataConnectionRefused(const Connection& c);
    static QString modeRefused(const Connection& c);
    // A file counts as stored only when the server holds every byte that was sent.
    bool checkStored(const QString& step, qint64 sent, bool askedSize);
    static QString cutShort(const Connection& c, const QString& what);
    static QString closedEarly(const Connection& c);
    [[noreturn]] void fail(const QString& step, int code);
    Connection& connection();

    std::unique_ptr<Connection> connection_;
};

} // namespace publish
