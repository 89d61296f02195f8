#include "app/pages/AlbumScheme.h"

#include <QDir>
#include <QWebEngineUrlScheme>

namespace app {

const QByteArray AlbumScheme::kName = QByteArrayLiteral("fotrenza");
const QString AlbumScheme::kHost = QStringLiteral("album");

void AlbumScheme::registerScheme() {
    if (registered())
        return;
    QWebEngineUrlScheme scheme(kName);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // Not local: a local scheme would share "file:"'s rights. No service workers: they would
    // outlive the page.
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(scheme);
}

bool AlbumScheme::registered() {
    return QWebEngineUrlScheme::schemeByName(kName).name() == kName;
}

QUrl AlbumScheme::urlFor(const QString& folder, const QString& path) {
    const QString root = QDir::cleanPath(folder) + u'/';
    const QString file = QDir::cleanPath(path);
    if (!file.startsWith(root))
        return QUrl();
    QUrl url;
    url.setScheme(QString::fromLatin1(kName));
    url.setHost(kHost);
    url.setPath(file.mid(root.size() - 1), QUrl::DecodedMode);
    return url;
}

bool AlbumScheme::holds(const QUrl& url) {
    return url.scheme() == QLatin1String(kName) && url.host() == kHost && url.port() == -1 &&
           url.userInfo().isEmpty();
}

QString AlbumScheme::pathOf(const QUrl& url) {
    return holds(url) ? url.path(QUrl::FullyDecoded) : QString();
}

} // namespace app
