#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace model {

// Windows and OS/2 bitmaps of every kind Qt's reader knows: 1, 4 and 8 bits with a colour
// table (4 and 8 also run-length compressed), 16 and 32 bits (plain or with bit fields), 24
// bits; bottom-up or top-down. Every header value is checked against the file before any
// pixel memory is allocated; a file that does not hold all its pixels, or whose pixels name
// colours its table lacks, is refused with a PictureError.
class BmpDecoder {
public:
    static QImage decode(const QByteArray& data);
    // The picture's size, read from the checked header alone.
    static QSize readSize(const QByteArray& data);
    // Besides the picture itself, decoding holds the reader's own raster of up to 4 bytes a
    // pixel: this many pixels of 3 bytes for a picture of `size`.
    static qint64 extraPixels(QSize size) { return qint64(size.width()) * size.height() * 4 / 3; }
};

} // namespace model
