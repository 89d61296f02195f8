#include "publish/preview/ByteRange.h"

#include <optional>

namespace publish {

namespace {

// A run of at most 18 digits (no sign, no blanks inside): it fits a qint64.
std::optional<qint64> number(const QByteArray& text) {
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

ByteRange ByteRange::Parse(const QByteArray& header, qint64 size) {
    const ByteRange whole{Kind::Whole, 0, size};
    const QByteArray value = header.trimmed();
    if (!value.toLower().startsWith("bytes="))
        return whole;
    const QByteArray spec = value.mid(6).trimmed();
    const qsizetype dash = spec.indexOf('-');
    if (spec.contains(',') || dash < 0)
        return whole;
    const QByteArray from = spec.left(dash).trimmed();
    const QByteArray to = spec.mid(dash + 1).trimmed();
    const ByteRange none{Kind::Unsatisfiable, 0, 0};
    if (from.isEmpty()) {
        // The last bytes of the file.
        const std::optional<qint64> last = number(to);
        if (!last)
            return whole;
        if (*last == 0 || size == 0)
            return none;
        const qint64 length = std::min(*last, size);
        return {Kind::Part, size - length, length};
    }
    const std::optional<qint64> first = number(from);
    const std::optional<qint64> last = to.isEmpty() ? std::optional<qint64>(size - 1) : number(to);
    if (!first || !last || (!to.isEmpty() && *last < *first))
        return whole;
    if (*first >= size)
        return none;
    return {Kind::Part, *first, std::min(*last, size - 1) - *first + 1};
}

} // namespace publish
