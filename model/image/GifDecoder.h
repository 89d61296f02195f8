#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace model {

// Decodes the first frame of a GIF file, drawn on its logical screen. Pixels that
// the frame leaves uncovered or marks transparent become white. Frames that reach
// outside the screen, missing colour maps and colour indices beyond the map are
// refused with a PictureError, as is a screen over the pixel limit.
class GifDecoder {
public:
    static QImage decode(const QByteArray& data);
    // The size of the logical screen the picture is drawn on, read from the header alone.
    static QSize readSize(const QByteArray& data);
};

} // namespace model
