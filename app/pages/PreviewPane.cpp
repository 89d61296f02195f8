#include "app/pages/PreviewPane.h"

#include "app/pages/RecordingPreviewPane.h"
#include "app/pages/WebPreviewPane.h"

#include <QWidget>

namespace app {

PreviewPane::PreviewPane(QWidget* widget) : widget_(widget) {
    widget_->setObjectName(QStringLiteral("wbPreview"));
}

std::unique_ptr<PreviewPane> PreviewPane::create(QWidget* parent) {
    if (qEnvironmentVariable("FZ_PREVIEW_PANE") == u"record")
        return std::make_unique<RecordingPreviewPane>(parent);
    return std::make_unique<WebPreviewPane>(parent);
}

} // namespace app
