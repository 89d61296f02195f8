#pragma once

#include <QAbstractHttpServer>
#include <QString>
#include <QUrl>

namespace publish {

// Serves the files of one folder to the user's browser, which refuses to let a page opened from
// the disk read its album's data. It listens on 127.0.0.1 only, on a free port, and answers
// GET and HEAD of a file inside the folder: nothing above it, nothing a link leads to outside
// it, no folder listings, and only requests addressed to 127.0.0.1 (a web site that points its
// own name at the loopback reads nothing).
class LoopbackServer : public QAbstractHttpServer {
    Q_OBJECT

public:
    explicit LoopbackServer(const QString& folder, QObject* parent = nullptr);

    bool listening() const { return port_ != 0; }
    // The folder served, as given, with a trailing "/".
    QString folder() const { return folder_; }
    // The address of a path under the folder; invalid when the server is not listening.
    QUrl url(const QString& relativePath) const;

    // Opens `file` in the user's browser through the server of its folder, which starts on
    // first use and ends with the application. False when nothing was opened.
    static bool openInBrowser(const QString& file);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    // The file a request path names inside the folder, or empty when it names none.
    QString fileFor(const QString& path) const;

    QString folder_;
    QString root_; // the folder's canonical path with a trailing "/"
    quint16 port_ = 0;
};

} // namespace publish
