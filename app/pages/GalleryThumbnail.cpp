#include "app/pages/GalleryThumbnail.h"

#include <QPainter>

namespace app {

QSize GalleryThumbnail::fit(const QSize& picture, const QSize& box) {
    if (picture.isEmpty() || box.isEmpty())
        return {};
    if (picture.width() <= box.width() && picture.height() <= box.height())
        return picture;
    return picture.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QImage GalleryThumbnail::placeholder(const QColor& background, const QColor& outline) {
    QImage image(CellSize, CellSize, QImage::Format_ARGB32);
    image.fill(background);
    QPainter p(&image);
    p.setPen(outline);
    p.drawRect(0, 0, CellSize - 1, CellSize - 1);
    return image;
}

QImage GalleryThumbnail::cell(const QImage& picture, bool framed, const QColor& background,
                              const QColor& outline) {
    QImage image = placeholder(background, outline);
    if (picture.isNull())
        return image;
    const QSize size = fit(picture.size(), QSize(CellSize - 14, CellSize - 14));
    const int w = size.width();
    const int h = size.height();
    const int x = (CellSize - w) / 2 - 1;
    const int y = (CellSize - h) / 2;
    QPainter p(&image);
    if (framed) {
        p.setPen(outline);
        p.setBrush(Qt::NoBrush);
        p.drawRect(x - 2, y - 3, w + 4 - 1, h + 4 - 1);
        const QColor shadow(0x60, 0x60, 0x60);
        p.fillRect(x + 1, y + h + 1, w + 4, 3, shadow);
        p.fillRect(x + w + 2, y, 3, h + 1, shadow);
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(x, y - 1, w, h), picture);
    return image;
}

} // namespace app
