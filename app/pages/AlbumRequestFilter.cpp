#include "app/pages/AlbumRequestFilter.h"

#include "app/pages/AlbumScheme.h"

namespace app {

void AlbumRequestFilter::interceptRequest(QWebEngineUrlRequestInfo& info) {
    if (!allows(info.requestUrl()))
        info.block(true);
}

bool AlbumRequestFilter::allows(const QUrl& url) {
    const QString scheme = url.scheme();
    if (scheme == u"data" || url.toString() == u"about:blank")
        return true;
    // A page's own objects carry its origin: only the album's.
    if (scheme == u"blob")
        return AlbumScheme::holds(QUrl(url.path()));
    return AlbumScheme::holds(url);
}

} // namespace app
