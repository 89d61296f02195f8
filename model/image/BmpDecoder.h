#pragma once

#include <QByteArray>
#include <QImage>

namespace model {

// Windows and OS/2 bitmaps of every kind Qt's reader knows: 1, 4 and 8 bits with a colour
// table (4 and 8 also run-length compressed), 16 and 32 bits (plain or with bit fields), 24
// bits; bottom-up or top-down. Every header value is checked against the file before any
// pixel memory is allocated; a file that does not hold all its pixels, or whose pixels name
// colours its table lacks, is refused with a PictureError.
class BmpDecoder {
public:
    static QImage decode(const QByteArray& data);
};

} // namespace model
