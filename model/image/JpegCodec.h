#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace model {

// JPEG decoding and encoding. Damaged data never ends the process: every decoder
// error comes back as a PictureError "JPEG error #<code>".
class JpegCodec {
public:
    // Every JPEG we write: this quality, baseline, 8 bits per channel, RGB.
    static constexpr int Quality = 90;

    // Reads only the headers. Throws PictureError for damaged data or a refused size.
    static QSize readSize(const QByteArray& data);

    // Decodes to Format_RGB888. Grayscale, YCbCr, RGB, CMYK and YCCK files are read.
    // With a non-empty minSize the decoder scales down in the DCT domain to the smallest
    // raster that still covers minSize; that is far faster for thumbnails.
    static QImage decode(const QByteArray& data, QSize minSize = QSize());

    // What decode(data, minSize) allocates, from the headers alone: the raster's size, and
    // the memory the decoder holds besides it (a progressive file keeps the coefficients of
    // the whole picture) in pixels of 3 bytes.
    struct DecodeCost {
        QSize raster;
        qint64 extraPixels = 0;
    };
    static DecodeCost decodeCost(const QByteArray& data, QSize minSize);

    static QByteArray encode(const QImage& image);
};

} // namespace model
