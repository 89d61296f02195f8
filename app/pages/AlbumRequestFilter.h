#pragma once

#include <QWebEngineUrlRequestInterceptor>

namespace app {

// Every request of the album preview's profile, from pages, frames and workers alike: only the
// album scheme (whose handler answers from the working folder alone) and what a page makes of
// itself (inline data, its own objects, an empty page) pass; "file:", the web and any other
// scheme do not. The album's player comes from the album file, not from the program.
class AlbumRequestFilter : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
    // Whether the preview may ask for `url`.
    static bool allows(const QUrl& url);
};

} // namespace app
