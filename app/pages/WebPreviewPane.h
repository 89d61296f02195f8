#pragma once

#include "app/pages/PreviewPane.h"

class QWebEngineView;

namespace app {

// The album preview in the embedded web browser.
class WebPreviewPane : public PreviewPane {
public:
    explicit WebPreviewPane(QWidget* parent);
    void navigate(const QUrl& url) override;
    QUrl url() const override;

private:
    QWebEngineView* view() const;
};

} // namespace app
