#pragma once

#include "publish/preview/ForwardPages.h"
#include "publish/preview/ServedFolder.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <memory>

struct MHD_Daemon;
struct MHD_Connection;

namespace publish {

class RequestDeadline;

// Serves the files of one folder to the user's browser, which refuses to let a page opened from
// the disk read its album's data. It listens on 127.0.0.1 only, on a free port, and answers
// GET and HEAD of a file inside the folder (see ServedFolder) when the path starts with the
// server's secret, and only requests addressed to 127.0.0.1 (a web site that points its own
// name at the loopback reads nothing). Another local user can reach the port but cannot guess
// the secret. Connections are capped and time out; files are sent from the disk by the
// server's own thread, whatever their size, and the GUI thread never waits on a client.
class LoopbackServer : public QObject {
    Q_OBJECT

public:
    struct Limits {
        unsigned connections = 32;
        // A connection idle, or slow to send its request, for this long is closed.
        std::chrono::milliseconds timeout = std::chrono::seconds(15);
    };

    explicit LoopbackServer(const QString& folder, QObject* parent = nullptr);
    LoopbackServer(const QString& folder, Limits limits, QObject* parent = nullptr);
    // Serves only what `only` names of the folder (see ServedFolder).
    LoopbackServer(const QString& folder, const QStringList& only, Limits limits,
                   QObject* parent = nullptr);
    ~LoopbackServer() override;

    bool listening() const { return daemon_ != nullptr; }
    // The folder served, as given, with a trailing "/".
    QString folder() const { return folder_; }
    // What of the folder is served; empty for all of it.
    QStringList only() const { return only_; }
    // The address of a path under the folder, secret included; invalid when not listening.
    QUrl url(const QString& relativePath) const;

    // Opens `file` in the user's browser through the server of its folder (or of what `only`
    // names of it), which starts on first use and ends with the application. The browser is
    // handed a private page that forwards to the address. False when nothing was opened.
    static bool openInBrowser(const QString& file, const QStringList& only = {});

private:
    struct Hooks; // the library's callbacks, on the server's thread
    bool hasSecret(const char* path) const;

    QString folder_;
    QStringList only_;
    ServedFolder served_;
    QByteArray secret_; // hex digits, the first step of every path
    quint16 port_ = 0;
    std::unique_ptr<RequestDeadline> deadline_;
    ForwardPages pages_;
    MHD_Daemon* daemon_ = nullptr;
};

} // namespace publish
