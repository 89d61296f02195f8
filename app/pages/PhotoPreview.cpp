#include "app/pages/PhotoPreview.h"

#include "app/l10n/Localization.h"
#include "app/pages/GalleryThumbnail.h"

#include "model/FolderLayout.h"
#include "model/image/ImageImport.h"
#include "model/image/Picture.h"

#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace app {

QString placeholderPicture() {
    return Localization().LocalizedFile(2, QStringLiteral("NoImage.jpg"),
                                        model::Folders().FilesFolder);
}

PhotoPreview::PhotoPreview(QLabel* target) : QObject(target), target_(target) {
    target_->installEventFilter(this);
}

bool PhotoPreview::eventFilter(QObject* watched, QEvent* event) {
    // The photo is drawn anew for the size its panel has now.
    if (watched == target_ && event->type() == QEvent::Resize)
        QTimer::singleShot(0, this, [this] { draw(); });
    return QObject::eventFilter(watched, event);
}

void PhotoPreview::clear() {
    picture_ = QImage();
    target_->clear();
}

void PhotoPreview::show(const QString& file) {
    QString path = placeholderPicture();
    framed_ = false;
    if (!file.isEmpty() && QFileInfo(file).isFile()) {
        path = file;
        framed_ = true;
    }
    try {
        const model::Picture picture = model::LoadPictureFile(path);
        // Kept no larger than the screen (a huge photo would take a lot of memory), which
        // is as large as the panel can ever draw it.
        QSize limit(std::max(1, target_->width() - 14), std::max(1, target_->height() - 14));
        if (const QScreen* shown = target_->screen())
            limit = limit.expandedTo(shown->availableVirtualSize());
        const QSize fitted =
            model::FitSize(picture.width(), picture.height(), limit.width(), limit.height());
        picture_ = model::StretchPicture(picture, fitted.width(), fitted.height());
    } catch (const std::exception&) {
        // An unreadable picture leaves the page without one; the facts still show.
        picture_ = QImage();
    }
    draw();
}

void PhotoPreview::draw() {
    QLabel* target = target_;
    if (picture_.isNull()) {
        target->clear();
        return;
    }
    const int cw = std::max(1, target->width());
    const int ch = std::max(1, target->height());
    QImage canvas(cw, ch, QImage::Format_RGB32);
    canvas.fill(target->palette().color(QPalette::Window));
    const QSize fitted =
        GalleryThumbnail::fit(picture_.size(), QSize(std::max(1, cw - 14), std::max(1, ch - 14)));
    const int w = fitted.width();
    const int h = fitted.height();
    const int x = (cw - w) / 2 - 1;
    const int y = (ch - h) / 2 - 1;
    QPainter p(&canvas);
    if (framed_) {
        p.setPen(target->palette().color(QPalette::Disabled, QPalette::WindowText));
        p.setBrush(Qt::white);
        p.drawRect(x - 2, y - 2, w + 4 - 1, h + 4 - 1);
        const QColor shadow(0x60, 0x60, 0x60);
        p.fillRect(x + 1, y + h + 2, w + 4, 3, shadow);
        p.fillRect(x + w + 2, y + 1, 3, h + 1, shadow);
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(x, y, w, h), picture_);
    p.end();
    target->setPixmap(QPixmap::fromImage(canvas));
}

} // namespace app
