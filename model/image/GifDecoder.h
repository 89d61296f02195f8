#pragma once

#include <QByteArray>
#include <QImage>

namespace model {

// Decodes the first frame of a GIF file, drawn on its logical screen. Pixels that
// the frame leaves uncovered or marks transparent become white. Frames that reach
// outside the screen, missing colour maps and colour indices beyond the map are
// refused with a PictureError, as is a screen over the pixel limit.
class GifDecoder {
public:
    static QImage decode(const QByteArray& data);
};

} // namespace model
