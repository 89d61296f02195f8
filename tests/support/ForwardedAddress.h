#pragma once

// The editor hands the browser a private page that forwards to the loopback server's address.
// What tests need from it: the address, and the address without its secret path step.

#include <QFile>
#include <QRegularExpression>
#include <QUrl>

namespace testsupport {

// The address the page `opened` forwards to; invalid when it is no such page.
inline QUrl forwardedAddress(const QUrl& opened) {
    QFile page(opened.toLocalFile());
    if (!opened.isLocalFile() || !page.open(QIODevice::ReadOnly))
        return QUrl();
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("href=\"([^\"]+)\""))
                                              .match(QString::fromUtf8(page.readAll()));
    return match.hasMatch() ? QUrl(match.captured(1).replace(QStringLiteral("&amp;"), QStringLiteral("&")))
                            : QUrl();
}

// "http://127.0.0.1/page.htm" for "http://127.0.0.1:PORT/SECRET/page.htm".
inline QString withoutSecret(const QUrl& address) {
    return address.scheme() + QStringLiteral("://") + address.host() + u'/' +
           address.path().section(u'/', 2);
}

} // namespace testsupport
