#include "publish/ftp/ListingBuffer.h"

namespace publish {

bool ListingBuffer::append(const char* data, qsizetype size) {
    if (!error_.isEmpty())
        return false;
    total_ += size;
    if (total_ > MaxTotalBytes)
        return fail(QStringLiteral("the folder listing is larger than %1 MiB")
                        .arg(MaxTotalBytes / (1024 * 1024)));
    for (qsizetype start = 0; start < size;) {
        const char* end = static_cast<const char*>(memchr(data + start, '\n', size - start));
        const qsizetype stop = end ? end - data : size;
        partial_.append(data + start, stop - start);
        if (partial_.size() > MaxLineBytes + 1) // the CR before the LF does not count
            return fail(QStringLiteral("a line of the folder listing is longer than %1 KiB")
                            .arg(MaxLineBytes / 1024));
        if (!end)
            break;
        if (!addLine(std::exchange(partial_, {})))
            return false;
        start = stop + 1;
    }
    return true;
}

bool ListingBuffer::finish() {
    return error_.isEmpty() && addLine(std::exchange(partial_, {}));
}

bool ListingBuffer::addLine(QByteArray line) {
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.size() > MaxLineBytes)
        return fail(QStringLiteral("a line of the folder listing is longer than %1 KiB")
                        .arg(MaxLineBytes / 1024));
    if (line.isEmpty())
        return true;
    if (lines_.size() == MaxEntries)
        return fail(QStringLiteral("the folder listing has more than %1 entries").arg(MaxEntries));
    lines_ << QString::fromUtf8(line);
    return true;
}

bool ListingBuffer::fail(const QString& message) {
    error_ = message;
    return false;
}

} // namespace publish
