#include "zip/streams/NullStream.h"

#include <algorithm>

namespace zip {

int64_t NullStream::Write(const void*, int64_t count) {
    if (count <= 0)
        return 0;
    position_ += count;
    size_ = std::max(size_, position_);
    return count;
}

int64_t NullStream::Seek(int64_t offset, TZASeekOrigin origin) {
    const int64_t base = origin == TZASeekOrigin::soBeginning ? 0
                         : origin == TZASeekOrigin::soCurrent ? position_
                                                              : size_;
    if (base + offset < 0)
        return -1;
    position_ = base + offset;
    return position_;
}

bool NullStream::SetSize(int64_t newSize) {
    if (newSize < 0)
        return false;
    size_ = newSize;
    position_ = std::min(position_, size_);
    return true;
}

} // namespace zip
