#include "app/pages/PreviewPane.h"

#include "app/pages/WebPreviewPane.h"

#include <QWidget>

namespace app {

PreviewPane::PreviewPane(QWidget* widget) : widget_(widget) {
    widget_->setObjectName(QStringLiteral("wbPreview"));
}

std::unique_ptr<PreviewPane> PreviewPane::create(QWidget* parent) {
    return std::make_unique<WebPreviewPane>(parent);
}

} // namespace app
