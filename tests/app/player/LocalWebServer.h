#pragma once

// Python's http.server on a free port of the loopback, serving one folder while it lives.

#include <QProcess>
#include <QUrl>

namespace playertest {

class LocalWebServer {
public:
    explicit LocalWebServer(const QString& folder);
    ~LocalWebServer();
    // The address of a path under the folder; invalid when the server did not start.
    QUrl url(const QString& path) const;

private:
    quint16 port_ = 0;
    bool listening_ = false;
    QProcess server_;
};

} // namespace playertest
