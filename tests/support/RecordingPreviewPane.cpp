#include "tests/support/RecordingPreviewPane.h"

#include <QLabel>

namespace app {

RecordingPreviewPane::RecordingPreviewPane(QWidget* parent) : PreviewPane(new QLabel(parent)) {
    label()->setTextFormat(Qt::PlainText);
    label()->setAlignment(Qt::AlignCenter);
}

QLabel* RecordingPreviewPane::label() const {
    return static_cast<QLabel*>(widget());
}

void RecordingPreviewPane::navigate(const QUrl& url) {
    Visited.append(url);
    label()->setText(url.toString());
}

QUrl RecordingPreviewPane::url() const {
    return Visited.isEmpty() ? QUrl() : Visited.last();
}

} // namespace app
