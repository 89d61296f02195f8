#include "app/RecordingPreviewPane.h"

#include <QLabel>

namespace app {

RecordingPreviewPane::RecordingPreviewPane(QWidget* parent) : label_(new QLabel(parent)) {
    label_->setObjectName(QStringLiteral("wbPreview"));
    label_->setTextFormat(Qt::PlainText);
    label_->setAlignment(Qt::AlignCenter);
}

QWidget* RecordingPreviewPane::widget() {
    return label_;
}

void RecordingPreviewPane::navigate(const QUrl& url) {
    Visited.append(url);
    label_->setText(url.toString());
}

QUrl RecordingPreviewPane::url() const {
    return Visited.isEmpty() ? QUrl() : Visited.last();
}

} // namespace app
