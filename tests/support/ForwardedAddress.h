#pragma once

// The private page the editor hands the browser forwards to the loopback server's address.

#include <QFile>
#include <QRegularExpression>
#include <QUrl>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

// The address the page `opened` forwards to; invalid when it is no such page.
inline QUrl forwardedAddress(const QUrl& opened) {
    QFile page(opened.toLocalFile());
    const QString text = page.open(QIODevice::ReadOnly) ? QString::fromUtf8(page.readAll()) : "";
    const QRegularExpression href(QStringLiteral("href=\"([^\"]+)\""));
    return QUrl(href.match(text).captured(1).replace(QStringLiteral("&amp;"), QStringLiteral("&")));
}

// "http://127.0.0.1/page.htm" for "http://127.0.0.1:PORT/SECRET/page.htm".
inline QString withoutSecret(const QUrl& address) {
    return address.scheme() + "://" + address.host() + u'/' + address.path().section(u'/', 2);
}

// The status line the server of `address` answers a GET of `path` (below its secret) with.
inline QByteArray statusOf(const QUrl& address, const QByteArray& path) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const timeval wait{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    const sockaddr_in to{AF_INET, htons(quint16(address.port())), {htonl(INADDR_LOOPBACK)}, {}};
    const QByteArray request =
        "GET /" + address.path().section(u'/', 1, 1).toLatin1() + '/' + path +
        " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(address.port()) + "\r\n\r\n";
    QByteArray got;
    char chunk[512];
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 &&
        ::send(fd, request.constData(), request.size(), MSG_NOSIGNAL) == request.size())
        for (ssize_t n; !got.contains("\r\n") && (n = ::recv(fd, chunk, sizeof chunk, 0)) > 0;)
            got.append(chunk, n);
    ::close(fd);
    return got.left(got.indexOf("\r\n"));
}

} // namespace testsupport
