#include "app/dialogs/frmImagePreview.h"

#include "app/pages/PhotoPreview.h"

#include <QEvent>
#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace app {

TfrmImagePreview::TfrmImagePreview(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmImagePreview"));
    setWindowTitle(QStringLiteral("Image Preview"));
    resize(302, 320);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    scrollArea = new QScrollArea(this);
    scrollArea->setObjectName(QStringLiteral("sbPreview"));
    scrollArea->setAlignment(Qt::AlignCenter);
    scrollArea->setBackgroundRole(QPalette::Base);
    QPalette white = scrollArea->palette();
    white.setColor(QPalette::Base, Qt::white);
    white.setColor(QPalette::Window, Qt::white);
    scrollArea->setPalette(white);
    imgPreview = new QLabel;
    imgPreview->setObjectName(QStringLiteral("imgPreview"));
    imgPreview->setAlignment(Qt::AlignCenter);
    imgPreview->setCursor(Qt::PointingHandCursor);
    imgPreview->setToolTip(QStringLiteral("Close Window"));
    imgPreview->installEventFilter(this);
    scrollArea->setWidget(imgPreview);
    layout->addWidget(scrollArea);
}

void TfrmImagePreview::CopyCaptionFrom(const TfrmImagePreview* model) {
    if (!model)
        return;
    setWindowTitle(model->windowTitle());
    imgPreview->setToolTip(model->imgPreview->toolTip());
}

QRect TfrmImagePreview::placement(QSize pictureSize, QSize frame, const QRect& workArea) {
    const int w = std::max(pictureSize.width(), MinimumArea) + 2 + frame.width();
    const int h = std::max(pictureSize.height(), MinimumArea) + 2 + frame.height();
    const QSize size(std::min(w, workArea.width()), std::min(h, workArea.height()));
    const QPoint topLeft(workArea.left() + workArea.width() / 2 - size.width() / 2,
                         workArea.top() + workArea.height() / 2 - size.height() / 2);
    return QRect(topLeft, size);
}

void TfrmImagePreview::showPicture(const QString& file, QSize pictureSize, const QString& caption,
                                   const QRect& workArea) {
    QImageReader reader(file);
    QImage picture = reader.read();
    if (picture.isNull())
        picture = QImage(placeholderPicture());
    imgPreview->setPixmap(QPixmap::fromImage(picture));
    // The facts are shown as stored; the area is at least 150 by 150.
    const QSize area(std::max(pictureSize.width(), MinimumArea),
                     std::max(pictureSize.height(), MinimumArea));
    imgPreview->setMinimumSize(area);
    imgPreview->resize(area);
    setWindowTitle(caption);
    pictureSize_ = pictureSize;
    workArea_ = workArea;
    fitToWorkArea();
}

QSize TfrmImagePreview::frameSize() const {
    return frameGeometry().size() - geometry().size();
}

void TfrmImagePreview::fitToWorkArea() {
    // The frame is known once the window manager has decorated the window; 0 before, so the
    // window is fitted again when it is (refitForNewFrame).
    const QSize frame = frameSize();
    fittedFrame_ = frame;
    setMinimumSize(frame.width() + MinimumArea, frame.height() + MinimumArea);
    const QRect place = placement(pictureSize_, frame, workArea_);
    resize(place.size() - frame);
    move(place.topLeft());
}

void TfrmImagePreview::refitForNewFrame() {
    if (isVisible() && workArea_.isValid() && frameSize() != fittedFrame_)
        fitToWorkArea();
}

void TfrmImagePreview::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    refitForNewFrame();
}

void TfrmImagePreview::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    refitForNewFrame();
}

void TfrmImagePreview::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    refitForNewFrame();
    scrollArea->horizontalScrollBar()->setValue(0);
    scrollArea->verticalScrollBar()->setValue(0);
}

bool TfrmImagePreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched == imgPreview && event->type() == QEvent::MouseButtonRelease) {
        reject();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace app
