#include "app/WebPreviewPane.h"

#include <QWebEngineView>

namespace app {

WebPreviewPane::WebPreviewPane(QWidget* parent) : view_(new QWebEngineView(parent)) {
    view_->setObjectName(QStringLiteral("wbPreview"));
}

QWidget* WebPreviewPane::widget() {
    return view_;
}

void WebPreviewPane::navigate(const QUrl& url) {
    view_->setUrl(url);
}

QUrl WebPreviewPane::url() const {
    return view_->url();
}

} // namespace app
