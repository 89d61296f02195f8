#include "zip/streams/MemoryStream.h"

#include <algorithm>
#include <cstring>

namespace zip {

MemoryStream MemoryStream::WithLimit(int64_t limit) {
    MemoryStream stream;
    stream.limit_ = limit;
    return stream;
}

int64_t MemoryStream::Read(void* buffer, int64_t count) {
    const auto size = static_cast<int64_t>(data_.size());
    if (count <= 0 || position_ >= size)
        return 0;
    const int64_t n = std::min(count, size - position_);
    std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t MemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    const int64_t room = limit_ - position_;
    if (room <= 0)
        return 0;
    const int64_t n = std::min(count, room);
    if (position_ + n > static_cast<int64_t>(data_.size()))
        data_.resize(static_cast<size_t>(position_ + n));
    std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t MemoryStream::Seek(int64_t offset, TZASeekOrigin origin) {
    const int64_t base = origin == TZASeekOrigin::soBeginning ? 0
                         : origin == TZASeekOrigin::soCurrent ? position_
                                                              : static_cast<int64_t>(data_.size());
    const int64_t target = base + offset;
    if (target < 0)
        return -1;
    position_ = target;
    return position_;
}

bool MemoryStream::SetSize(int64_t newSize) {
    if (newSize < 0 || newSize > limit_)
        return false;
    data_.resize(static_cast<size_t>(newSize));
    if (position_ > newSize)
        position_ = newSize;
    return true;
}

} // namespace zip
