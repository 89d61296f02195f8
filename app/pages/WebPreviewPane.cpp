#include "app/pages/WebPreviewPane.h"

#include <QWebEngineView>

namespace app {

WebPreviewPane::WebPreviewPane(QWidget* parent) : PreviewPane(new QWebEngineView(parent)) {}

QWebEngineView* WebPreviewPane::view() const {
    return static_cast<QWebEngineView*>(widget());
}

void WebPreviewPane::navigate(const QUrl& url) {
    view()->setUrl(url);
}

QUrl WebPreviewPane::url() const {
    return view()->url();
}

} // namespace app
