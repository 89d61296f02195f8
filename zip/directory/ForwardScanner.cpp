#include "zip/directory/ForwardScanner.h"

#include <algorithm>

#include "zip/ZAExcept.h"
#include "zip/records/LittleEndian.h"
#include "zip/streams/Stream.h"

namespace zip {

namespace {
constexpr int64_t kBlock = 1 << 20;
} // namespace

TZAForwardScanner::TZAForwardScanner(Stream& stream, int64_t size, uint32_t signature,
                                     std::string componentName)
    : stream_(stream), size_(size), componentName_(std::move(componentName)) {
    le::Put32(signature_, signature);
}

std::pair<const uint8_t*, int64_t> TZAForwardScanner::From(int64_t position, int64_t need) {
    const int64_t end = start_ + int64_t(buffer_.size());
    if (position >= start_ && position + need <= end)
        return {buffer_.data() + (position - start_), end - position};
    const int64_t want = std::min(std::max(need, kBlock), size_ - position);
    if (want <= 0)
        return {nullptr, 0};
    buffer_.resize(size_t(want));
    start_ = position;
    if (!stream_.SetPosition(position) || !stream_.ReadExact(buffer_.data(), want)) {
        buffer_.clear();
        throw EZAException(ZAError::DirectoryUnreadable, componentName_);
    }
    return {buffer_.data(), want};
}

int64_t TZAForwardScanner::Find(int64_t from) {
    from = std::max<int64_t>(from, 0);
    if (memoFrom_ >= 0 && from >= memoFrom_ && (memoFound_ < 0 || from <= memoFound_))
        return memoFound_;
    int64_t found = -1;
    for (int64_t at = from; at + 4 <= size_;) {
        const auto [bytes, count] = From(at, 4);
        if (count < 4)
            break;
        const uint8_t* hit = std::search(bytes, bytes + count, signature_, signature_ + 4);
        if (hit != bytes + count) {
            found = at + (hit - bytes);
            break;
        }
        at += count - 3; // a signature across the border is found in the next block
    }
    memoFrom_ = from;
    memoFound_ = found;
    return found;
}

const uint8_t* TZAForwardScanner::At(int64_t position, int64_t count) {
    if (position < 0 || count < 0 || position + count > size_)
        return nullptr;
    if (count == 0)
        return buffer_.data();
    const auto [bytes, available] = From(position, count);
    return available >= count ? bytes : nullptr;
}

} // namespace zip
