#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace model {

// A decoded picture. Its size is the size of the picture as stored in its file.
// A JPEG picture keeps its compressed bytes and may carry no raster at all, or a
// raster smaller than its size (decoded at a reduced scale for a smaller target);
// the raster is decoded again from the bytes when a larger one is needed.
class Picture {
public:
    // Pictures larger than this are refused before any pixel memory is allocated.
    static constexpr qint64 MaxPixels = 100'000'000;

    Picture() = default;
    // A picture whose pixels are all in the raster (GIF, bitmap, or any QImage).
    explicit Picture(QImage raster);
    // A JPEG picture of the given size; the raster is optional and may be reduced.
    Picture(QByteArray jpegData, QSize size, QImage raster = QImage());

    bool isEmpty() const { return size_.isEmpty(); }
    int width() const { return size_.width(); }
    int height() const { return size_.height(); }
    QSize size() const { return size_; }

    const QImage& raster() const { return raster_; }
    bool hasJpegData() const { return !jpegData_.isEmpty(); }
    const QByteArray& jpegData() const { return jpegData_; }

    // Throws PictureError when a picture of this size has no pixels or exceeds MaxPixels.
    static void checkDimensions(qint64 width, qint64 height);

private:
    QSize size_;
    QImage raster_;
    QByteArray jpegData_;
};

} // namespace model
