#include "model/image/BmpDecoder.h"

#include "model/Errors.h"
#include "model/image/Picture.h"

#include <QBuffer>
#include <QImageReader>

#include <bit>
#include <cstdint>
#include <vector>

namespace model {

namespace {

constexpr quint32 BiRgb = 0;
constexpr quint32 BiRle8 = 1;
constexpr quint32 BiRle4 = 2;
constexpr quint32 BiBitfields = 3;
constexpr qint64 FileHeaderSize = 14;

[[noreturn]] void fail(const QString& message) {
    throw PictureError(QStringLiteral("The bitmap file cannot be read: %1").arg(message));
}

class ByteReader {
public:
    explicit ByteReader(const QByteArray& data) : data_(data) {}

    qint64 size() const { return data_.size(); }
    quint32 u16(qint64 at) const { return byte(at) | byte(at + 1) << 8; }
    quint32 u32(qint64 at) const { return u16(at) | u16(at + 2) << 16; }
    qint32 s32(qint64 at) const { return static_cast<qint32>(u32(at)); }
    const uchar* at(qint64 offset) const {
        return reinterpret_cast<const uchar*>(data_.constData()) + offset;
    }
    void require(qint64 offset, qint64 length, const char* what) const {
        if (offset < 0 || length < 0 || offset > size() || length > size() - offset)
            fail(QStringLiteral("the file ends inside its %1").arg(QLatin1String(what)));
    }

private:
    quint32 byte(qint64 at) const { return static_cast<uchar>(data_.at(at)); }
    const QByteArray& data_;
};

struct Header {
    qint64 pixelOffset = 0;
    qint64 infoSize = 0;
    qint32 width = 0;
    qint32 height = 0;
    int bitCount = 0;
    quint32 compression = BiRgb;
    quint32 colorsUsed = 0;
    qint64 paletteOffset = 0;
    quint32 paletteCount = 0;
};

Header readHeader(const ByteReader& in) {
    in.require(0, FileHeaderSize + 4, "header");
    if (in.u16(0) != 0x4D42) // "BM"
        fail(QStringLiteral("it is not a bitmap"));
    Header h;
    h.pixelOffset = in.u32(10);
    h.infoSize = in.u32(FileHeaderSize);
    const qint64 info = FileHeaderSize;
    in.require(info, h.infoSize, "header");

    qint64 paletteEntrySize = 4;
    if (h.infoSize == 12) { // OS/2 1.x core header: unsigned sizes, always bottom-up
        h.width = static_cast<qint32>(in.u16(info + 4));
        h.height = static_cast<qint32>(in.u16(info + 6));
        h.bitCount = static_cast<int>(in.u16(info + 10));
        paletteEntrySize = 3;
    } else if (h.infoSize >= 40 && h.infoSize <= 124) {
        h.width = in.s32(info + 4);
        h.height = in.s32(info + 8);
        h.bitCount = static_cast<int>(in.u16(info + 14));
        h.compression = in.u32(info + 16);
        h.colorsUsed = in.u32(info + 32);
    } else {
        fail(QStringLiteral("its header of %1 bytes is of an unknown kind").arg(h.infoSize));
    }

    if (h.width <= 0 || h.height == 0 || h.height == INT32_MIN)
        fail(QStringLiteral("it claims a size of %1 x %2 pixels").arg(h.width).arg(h.height));
    Picture::checkDimensions(h.width, h.height < 0 ? -qint64(h.height) : qint64(h.height));

    const bool bitfields = h.compression == BiBitfields;
    const bool rle = h.compression == BiRle8 || h.compression == BiRle4;
    if (h.compression != BiRgb && !bitfields && !rle)
        fail(QStringLiteral("compression method %1 is not supported").arg(h.compression));
    // Run lengths go with their own pixel size, and only bottom-up.
    if (rle && (h.bitCount != (h.compression == BiRle8 ? 8 : 4) || h.height < 0))
        fail(QStringLiteral("its run-length compression does not fit %1 bits per pixel")
                 .arg(h.bitCount));
    switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
        if (bitfields)
            fail(QStringLiteral("bit fields need 16 or 32 bits per pixel"));
        break;
    case 16:
    case 32:
        break;
    default:
        fail(QStringLiteral("%1 bits per pixel are not supported").arg(h.bitCount));
    }

    qint64 next = info + h.infoSize;
    if (bitfields) {
        // The masks sit inside the longer headers, or follow the 40-byte one.
        if (h.infoSize == 40) {
            in.require(next, 12, "colour masks");
            next += 12;
        } else if (h.infoSize < 52) {
            fail(QStringLiteral("its colour masks are missing"));
        }
    }
    if (h.bitCount <= 8) {
        const quint32 maxColors = 1u << h.bitCount;
        if (h.colorsUsed > maxColors)
            fail(QStringLiteral("its colour table claims %1 entries").arg(h.colorsUsed));
        const quint32 count = h.colorsUsed ? h.colorsUsed : maxColors;
        in.require(next, count * paletteEntrySize, "colour table");
        h.paletteOffset = next;
        h.paletteCount = count;
    }
    return h;
}

void putLe(QByteArray& out, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i));
}

// An OS/2 1.x bitmap rewritten with the 40-byte header: its 16-bit sizes are unsigned, which
// Qt's reader would take as signed, and its colour table entries have 3 bytes, not 4.
QByteArray WithInfoHeader(const ByteReader& in, const QByteArray& data, const Header& h) {
    QByteArray out = "BM";
    const qint64 pixels = FileHeaderSize + 40 + 4 * qint64(h.paletteCount);
    putLe(out, quint32(pixels + data.size() - h.pixelOffset), 4);
    putLe(out, 0, 4);
    putLe(out, quint32(pixels), 4);
    putLe(out, 40, 4);
    putLe(out, quint32(h.width), 4);
    putLe(out, quint32(h.height), 4);
    putLe(out, 1, 2);
    putLe(out, quint32(h.bitCount), 2);
    putLe(out, BiRgb, 4);
    out += QByteArray(20, '\0'); // image size, resolution, colours used and important
    for (quint32 i = 0; i < h.paletteCount; ++i) {
        out += QByteArray(reinterpret_cast<const char*>(in.at(h.paletteOffset + 3 * i)), 3);
        out += '\0';
    }
    return out + data.mid(h.pixelOffset);
}

} // namespace

QSize BmpDecoder::readSize(const QByteArray& data) {
    const Header h = readHeader(ByteReader(data));
    return QSize(h.width, h.height < 0 ? -h.height : h.height);
}

QImage BmpDecoder::decode(const QByteArray& data) {
    // Every header value is checked here first; Qt's reader then decodes every kind of
    // bitmap, run-length compressed ones included, within its allocation limit.
    const ByteReader in(data);
    const Header h = readHeader(in);
    const int rows = h.height < 0 ? -h.height : h.height;
    if (h.compression == BiRle8 || h.compression == BiRle4) {
        in.require(h.pixelOffset, 2, "pixel data"); // at least an end-of-bitmap code
    } else {
        const qint64 stride = (qint64(h.width) * h.bitCount + 31) / 32 * 4;
        in.require(h.pixelOffset, stride * rows, "pixel data");
    }

    QBuffer buffer;
    buffer.setData(h.infoSize == 12 ? WithInfoHeader(in, data, h) : data);
    QImageReader reader(&buffer, "bmp");
    reader.setAllocationLimit(int(Picture::MaxPixels * 4 / (1024 * 1024)) + 1);
    // Runs may end before the last row: what they skip is the first colour of the table, not
    // whatever the reader's fresh raster held. The reader fills a raster of its own size and
    // format that it is handed, so it gets one already cleared.
    QImage image;
    if (h.compression == BiRle8 || h.compression == BiRle4) {
        image = QImage(h.width, rows, QImage::Format_Indexed8);
        if (image.isNull())
            fail(QStringLiteral("not enough memory"));
        image.fill(0);
    }
    if (!reader.read(&image))
        image = QImage();
    if (image.isNull())
        fail(reader.errorString());
    if (image.width() != h.width || image.height() != rows)
        fail(QStringLiteral("it decodes to %1 x %2 pixels instead of %3 x %4")
                 .arg(image.width())
                 .arg(image.height())
                 .arg(h.width)
                 .arg(rows));
    // A pixel must name an entry of the colour table, or its colour is made up.
    if (image.format() == QImage::Format_Indexed8) {
        const int colors = image.colorCount();
        for (int y = 0; y < image.height(); ++y) {
            const uchar* line = image.constScanLine(y);
            for (int x = 0; x < image.width(); ++x) {
                if (line[x] >= colors)
                    fail(QStringLiteral("a pixel uses colour %1 of a table of %2")
                             .arg(line[x])
                             .arg(colors));
            }
        }
    } else if (image.colorCount() > 0 && image.colorCount() < 2) {
        fail(QStringLiteral("its colour table has a single entry"));
    }
    image = image.convertToFormat(QImage::Format_RGB888);
    if (image.isNull())
        fail(QStringLiteral("not enough memory"));
    return image;
}

} // namespace model
