#pragma once

#include "app/pages/PreviewPane.h"

#include <QList>

class QLabel;

namespace app {

// A preview that shows the address it was sent to and keeps every address, for tests and
// benches without a browser engine.
class RecordingPreviewPane : public PreviewPane {
public:
    explicit RecordingPreviewPane(QWidget* parent);
    void navigate(const QUrl& url) override;
    QUrl url() const override;

    QList<QUrl> Visited;

private:
    QLabel* label() const;
};

} // namespace app
