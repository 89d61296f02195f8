#include "publish/ftp/FtpPaths.h"

#include <QUrl>

namespace publish {

QString FtpPaths::ensureSlashedRemotePath(const QString& path) {
    QString p = path;
    p.replace(u'\\', u'/');
    if (!p.startsWith(u'/'))
        p.prepend(u'/');
    if (!p.endsWith(u'/'))
        p.append(u'/');
    return p;
}

int FtpPaths::strToFtpPort(const QString& text) {
    bool ok = false;
    const int port = text.toInt(&ok);
    return ok && port >= 1 && port <= 65535 ? port : 21;
}

QString FtpPaths::maskPassword(const QString& password) {
    return QString(password.size(), u'*');
}

QString FtpPaths::joinRemote(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

bool FtpPaths::isPlainFolderName(const QString& name) {
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c.unicode() < 32)
            return false;
    }
    return true;
}

QString FtpPaths::webAddress(const QString& host, const QString& remoteFolder,
                             const QString& page) {
    QString path;
    for (const QString& name : remoteFolder.split(u'/'))
        path += QString::fromLatin1(QUrl::toPercentEncoding(name)) + u'/';
    path.chop(1);
    // The host as the session reaches it (blanks around it dropped); an IPv6 address stands in
    // brackets in a web address.
    const QString name = host.trimmed();
    const QString shownHost = name.contains(u':') ? u'[' + name + u']' : name;
    return QStringLiteral("http://") + shownHost + ensureSlashedRemotePath(path) +
           QString::fromLatin1(QUrl::toPercentEncoding(page));
}

ResultUrls FtpPaths::resultUrls(const QString& address, bool replacePage, const QString& host,
                                const QString& remoteFolder) {
    const QString page = QStringLiteral("photogallery.htm");
    QString a = address;
    if (a.isEmpty() || a == u"http://") {
        a = webAddress(host, remoteFolder, page);
        replacePage = true;
    }
    const QString last = a.mid(a.lastIndexOf(u'/') + 1);
    if (!last.contains(u'.') && !a.endsWith(u'/'))
        a += u'/';
    ResultUrls r;
    r.url = replacePage ? a.left(a.lastIndexOf(u'/') + 1) + page : a;
    r.suggestion = r.url;
    r.suggestion.remove(QStringLiteral("/public_html"));
    r.suggestion.remove(QStringLiteral("/htdocs"));
    return r;
}

QString FtpPaths::visibleName(const QString& name) {
    QString shown;
    shown.reserve(name.size());
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        const bool directional = (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069) ||
                                 u == 0x200E || u == 0x200F || u == 0x061C;
        if (directional)
            shown += QStringLiteral("<U+%1>").arg(int(u), 4, 16, QChar(u'0')).toUpper();
        else
            shown += c;
    }
    return shown;
}

bool FtpPaths::isWebAddress(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() && (scheme == u"http" || scheme == u"https");
}

} // namespace publish
