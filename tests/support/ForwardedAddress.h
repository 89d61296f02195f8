#pragma once

// The private page the editor hands the browser forwards to the loopback server's address.

#include <QFile>
#include <QRegularExpression>
#include <QUrl>

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

} // namespace testsupport
