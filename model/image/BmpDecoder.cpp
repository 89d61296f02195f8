#include "model/image/BmpDecoder.h"

#include "model/Errors.h"
#include "model/image/Picture.h"

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

// One colour channel described by a bit mask, widened to 8 bits.
struct Channel {
    quint32 mask = 0;
    int shift = 0;
    quint32 max = 0;

    explicit Channel(quint32 m = 0) : mask(m) {
        if (mask) {
            shift = std::countr_zero(mask);
            max = mask >> shift;
        }
    }
    uchar operator()(quint32 pixel) const {
        if (!max)
            return 0;
        return static_cast<uchar>(quint64((pixel & mask) >> shift) * 255u / max);
    }
};

struct Header {
    qint64 pixelOffset = 0;
    qint64 infoSize = 0;
    qint32 width = 0;
    qint32 height = 0;
    int bitCount = 0;
    quint32 compression = BiRgb;
    quint32 colorsUsed = 0;
    Channel red, green, blue;
    std::vector<QRgb> palette;
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

    if (h.compression == BiRle8 || h.compression == BiRle4)
        fail(QStringLiteral("compressed bitmaps are not supported"));
    const bool bitfields = h.compression == BiBitfields;
    if (h.compression != BiRgb && !bitfields)
        fail(QStringLiteral("compression method %1 is not supported").arg(h.compression));
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
        h.red = Channel(in.u32(info + 40));
        h.green = Channel(in.u32(info + 44));
        h.blue = Channel(in.u32(info + 48));
    } else if (h.bitCount == 16) {
        h.red = Channel(0x7C00);
        h.green = Channel(0x03E0);
        h.blue = Channel(0x001F);
    } else if (h.bitCount == 32) {
        h.red = Channel(0x00FF0000);
        h.green = Channel(0x0000FF00);
        h.blue = Channel(0x000000FF);
    }

    if (h.bitCount <= 8) {
        const quint32 maxColors = 1u << h.bitCount;
        if (h.colorsUsed > maxColors)
            fail(QStringLiteral("its colour table claims %1 entries").arg(h.colorsUsed));
        const quint32 count = h.colorsUsed ? h.colorsUsed : maxColors;
        in.require(next, count * paletteEntrySize, "colour table");
        h.palette.reserve(count);
        for (quint32 i = 0; i < count; ++i) {
            const uchar* p = in.at(next + i * paletteEntrySize);
            h.palette.push_back(qRgb(p[2], p[1], p[0]));
        }
    }
    return h;
}

void readRow(const Header& h, const uchar* in, uchar* out) {
    const int width = h.width;
    switch (h.bitCount) {
    case 1:
    case 4:
    case 8: {
        const int perByte = 8 / h.bitCount;
        const int mask = (1 << h.bitCount) - 1;
        for (int x = 0; x < width; ++x, out += 3) {
            const int shift = (perByte - 1 - x % perByte) * h.bitCount;
            const size_t index = (in[x / perByte] >> shift) & mask;
            if (index >= h.palette.size())
                fail(QStringLiteral("colour index %1 lies beyond its colour table of %2 entries")
                         .arg(index)
                         .arg(h.palette.size()));
            const QRgb c = h.palette[index];
            out[0] = static_cast<uchar>(qRed(c));
            out[1] = static_cast<uchar>(qGreen(c));
            out[2] = static_cast<uchar>(qBlue(c));
        }
        break;
    }
    case 24:
        for (int x = 0; x < width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
        break;
    case 16:
    case 32: {
        const int bytes = h.bitCount / 8;
        for (int x = 0; x < width; ++x, in += bytes, out += 3) {
            quint32 pixel = in[0] | in[1] << 8;
            if (bytes == 4)
                pixel |= quint32(in[2]) << 16 | quint32(in[3]) << 24;
            out[0] = h.red(pixel);
            out[1] = h.green(pixel);
            out[2] = h.blue(pixel);
        }
        break;
    }
    }
}

} // namespace

QImage BmpDecoder::decode(const QByteArray& data) {
    const ByteReader in(data);
    const Header h = readHeader(in);
    const bool topDown = h.height < 0;
    const int rows = topDown ? -h.height : h.height;
    const qint64 stride = (qint64(h.width) * h.bitCount + 31) / 32 * 4;
    in.require(h.pixelOffset, stride * rows, "pixel data");

    QImage image(h.width, rows, QImage::Format_RGB888);
    if (image.isNull())
        fail(QStringLiteral("not enough memory"));
    for (int row = 0; row < rows; ++row) {
        const int y = topDown ? row : rows - 1 - row;
        readRow(h, in.at(h.pixelOffset + stride * row), image.scanLine(y));
    }
    return image;
}

} // namespace model
