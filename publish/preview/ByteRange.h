#pragma once

#include <QByteArray>

namespace publish {

// The part of a file a request's Range header asks for. One range of bytes is served as a
// part; anything else that is no valid single range (several ranges, another unit, bad
// syntax) gets the whole file, as a server that ignores the header would send.
struct ByteRange {
    enum class Kind { Whole, Part, Unsatisfiable };

    Kind kind = Kind::Whole;
    qint64 first = 0;
    qint64 length = 0;

    // `header` is the field's value (empty when absent); `size` the file's length.
    static ByteRange Parse(const QByteArray& header, qint64 size);
};

} // namespace publish
