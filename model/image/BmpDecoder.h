#pragma once

#include <QByteArray>
#include <QImage>

namespace model {

// A strict reader of uncompressed Windows and OS/2 bitmaps: 1, 4 and 8 bits with a
// colour table, 16 and 32 bits (plain or with bit fields), 24 bits; bottom-up or
// top-down. Every header value is checked against the file before pixel memory is
// allocated; a file that does not hold all its pixels is refused with a PictureError.
class BmpDecoder {
public:
    static QImage decode(const QByteArray& data);
};

} // namespace model
