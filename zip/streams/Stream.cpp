#include "zip/streams/Stream.h"

#include <algorithm>
#include <cerrno>
#include <vector>

namespace zip {

int64_t Stream::CopyFrom(Stream& source, int64_t count) {
    constexpr int64_t kBlock = 1 << 20;
    if (count <= 0)
        return 0;
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min(count, kBlock)));
    int64_t copied = 0;
    errno = 0; // a failure below leaves its own reason, or none
    while (copied < count) {
        const int64_t want = std::min(kBlock, count - copied);
        const int64_t got = source.Read(buffer.data(), want);
        if (got <= 0)
            break;
        const int64_t written = Write(buffer.data(), got);
        copied += written;
        if (written != got || got != want)
            break;
    }
    return copied;
}

} // namespace zip
