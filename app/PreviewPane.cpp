#include "app/PreviewPane.h"

#include "app/RecordingPreviewPane.h"
#include "app/WebPreviewPane.h"

namespace app {

std::unique_ptr<PreviewPane> PreviewPane::create(QWidget* parent) {
    if (qEnvironmentVariable("FZ_PREVIEW_PANE") == u"record")
        return std::make_unique<RecordingPreviewPane>(parent);
    return std::make_unique<WebPreviewPane>(parent);
}

} // namespace app
