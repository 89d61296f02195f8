#pragma once

#include "app/pages/PreviewPane.h"

class QWebEngineView;

namespace app {

// The album preview in the embedded web browser. It reads the working folder, and only that,
// through the album scheme, on a profile of its own that reaches no network; it is told and
// tells the files it shows by their "file:" addresses.
class WebPreviewPane : public PreviewPane {
public:
    explicit WebPreviewPane(QWidget* parent);
    void navigate(const QUrl& url) override;
    QUrl url() const override;

private:
    QWebEngineView* view() const;
};

} // namespace app
