#include "model/image/GifDecoder.h"

#include "model/Errors.h"
#include "model/image/Picture.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace model {

namespace {

struct MemoryReader {
    const QByteArray& data;
    qsizetype position = 0;
};

int readFromMemory(GifFileType* gif, GifByteType* buffer, int length) {
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    const qsizetype available = reader->data.size() - reader->position;
    const int count = static_cast<int>(std::clamp<qsizetype>(available, 0, length));
    std::memcpy(buffer, reader->data.constData() + reader->position, static_cast<size_t>(count));
    reader->position += count;
    return count;
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

[[noreturn]] void fail(int code) {
    const char* text = GifErrorString(code);
    throw PictureError(QStringLiteral("The GIF file cannot be read: %1 (GIF error #%2)")
                           .arg(QString::fromUtf8(text ? text : "unknown error"))
                           .arg(code));
}

[[noreturn]] void fail(const QString& message) {
    throw PictureError(QStringLiteral("The GIF file cannot be read: %1").arg(message));
}

// Reads the extension blocks in front of a frame; returns the transparent index
// of its graphic control block, or -1.
int readExtension(GifFileType* gif, int transparent) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
        fail(gif->Error);
    if (code == GRAPHICS_EXT_FUNC_CODE && block) {
        GraphicsControlBlock gcb{};
        if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_ERROR)
            fail(QStringLiteral("damaged graphic control block"));
        transparent = gcb.TransparentColor;
    }
    while (block) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
            fail(gif->Error);
    }
    return transparent;
}

// Row order of an interlaced frame: four passes over every 8th, 8th, 4th and 2nd row.
std::vector<int> rowOrder(int height, bool interlaced) {
    std::vector<int> rows;
    rows.reserve(static_cast<size_t>(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            rows.push_back(y);
        return rows;
    }
    static constexpr int start[] = {0, 4, 2, 1};
    static constexpr int step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass])
            rows.push_back(y);
    return rows;
}

void drawFrame(GifFileType* gif, QImage& screen, int transparent) {
    const GifImageDesc& desc = gif->Image;
    if (desc.Width <= 0 || desc.Height <= 0 || desc.Left < 0 || desc.Top < 0 ||
        desc.Left > gif->SWidth - desc.Width || desc.Top > gif->SHeight - desc.Height)
        fail(QStringLiteral("the frame %1 x %2 at (%3, %4) lies outside the screen of %5 x %6")
                 .arg(desc.Width)
                 .arg(desc.Height)
                 .arg(desc.Left)
                 .arg(desc.Top)
                 .arg(gif->SWidth)
                 .arg(gif->SHeight));
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!map || !map->Colors || map->ColorCount <= 0)
        fail(QStringLiteral("it has no colour map"));

    std::vector<GifPixelType> line(static_cast<size_t>(desc.Width));
    for (int row : rowOrder(desc.Height, desc.Interlace)) {
        if (DGifGetLine(gif, line.data(), desc.Width) == GIF_ERROR)
            fail(gif->Error);
        uchar* out = screen.scanLine(desc.Top + row) + 3 * desc.Left;
        for (int x = 0; x < desc.Width; ++x, out += 3) {
            const int index = line[static_cast<size_t>(x)];
            if (index == transparent)
                continue;
            if (index >= map->ColorCount)
                fail(QStringLiteral("colour index %1 lies beyond its colour map of %2 entries")
                         .arg(index)
                         .arg(map->ColorCount));
            const GifColorType& c = map->Colors[index];
            out[0] = c.Red;
            out[1] = c.Green;
            out[2] = c.Blue;
        }
    }
}

GifHandle openScreen(MemoryReader& reader) {
    int error = 0;
    GifHandle gif(DGifOpen(&reader, readFromMemory, &error));
    if (!gif)
        fail(error);
    Picture::checkDimensions(gif->SWidth, gif->SHeight);
    return gif;
}

} // namespace

QSize GifDecoder::readSize(const QByteArray& data) {
    MemoryReader reader{data};
    const GifHandle gif = openScreen(reader);
    return QSize(gif->SWidth, gif->SHeight);
}

QImage GifDecoder::decode(const QByteArray& data) {
    MemoryReader reader{data};
    GifHandle gif = openScreen(reader);

    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR)
            fail(gif->Error);
        if (type == EXTENSION_RECORD_TYPE) {
            transparent = readExtension(gif.get(), transparent);
        } else if (type == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif.get()) == GIF_ERROR)
                fail(gif->Error);
            QImage screen(gif->SWidth, gif->SHeight, QImage::Format_RGB888);
            if (screen.isNull())
                fail(QStringLiteral("not enough memory"));
            screen.fill(Qt::white);
            drawFrame(gif.get(), screen, transparent);
            return screen;
        } else if (type == TERMINATE_RECORD_TYPE) {
            fail(QStringLiteral("it holds no picture"));
        }
    }
}

} // namespace model
