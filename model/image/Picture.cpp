#include "model/image/Picture.h"

#include "model/Errors.h"

#include <utility>

namespace model {

namespace {

// Transparent parts are shown on white, the colour of an empty album page.
QImage flattenOnWhite(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QImage rgb(argb.size(), QImage::Format_RGB888);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        uchar* out = rgb.scanLine(y);
        for (int x = 0; x < argb.width(); ++x) {
            const int a = qAlpha(in[x]);
            const int white = 255 * (255 - a);
            out[3 * x] = static_cast<uchar>((qRed(in[x]) * a + white + 127) / 255);
            out[3 * x + 1] = static_cast<uchar>((qGreen(in[x]) * a + white + 127) / 255);
            out[3 * x + 2] = static_cast<uchar>((qBlue(in[x]) * a + white + 127) / 255);
        }
    }
    return rgb;
}

} // namespace

Picture::Picture(QImage raster) : size_(raster.size()), raster_(std::move(raster)) {
    if (raster_.isNull() || raster_.format() == QImage::Format_RGB888)
        return;
    raster_ = raster_.hasAlphaChannel() ? flattenOnWhite(raster_)
                                        : raster_.convertToFormat(QImage::Format_RGB888);
}

Picture::Picture(QByteArray jpegData, QSize size, QImage raster)
    : size_(size), raster_(std::move(raster)), jpegData_(std::move(jpegData)) {}

void Picture::checkDimensions(qint64 width, qint64 height) {
    if (width <= 0 || height <= 0)
        throw PictureError(
            QStringLiteral("The picture has no pixels (%1 x %2)").arg(width).arg(height));
    if (width > MaxPixels / height)
        throw PictureError(
            QStringLiteral("The picture is too large (%1 x %2 pixels)").arg(width).arg(height));
}

} // namespace model
