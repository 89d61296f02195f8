#include "zip/directory/HeaderChains.h"

#include <algorithm>

#include "zip/ZAConst.h"
#include "zip/ZAExcept.h"
#include "zip/directory/DirManager.h"
#include "zip/records/LittleEndian.h"
#include "zip/streams/Stream.h"

namespace zip {

namespace {

// Headers are read through one window: a walk costs one read per window, not one per header.
constexpr int64_t kWindow = 64 * 1024;
// No directory that may be opened holds more headers than this; walks stop there.
constexpr size_t kMaxBounds = size_t(TZADirManager::kMaxEntries) + 1;
// What following a run into an earlier one costs beside the bytes read, so that the many hops of
// runs joining one another count too.
constexpr int64_t kHopCost = 64;

} // namespace

TZAHeaderChains::TZAHeaderChains(Stream& stream, int64_t limit, uint32_t signature,
                                 std::string componentName)
    : stream_(stream), limit_(limit), signature_(signature),
      componentName_(std::move(componentName)) {}

int64_t TZAHeaderChains::headerLength(int64_t position) {
    if (position < 0 || position + kCentralHeaderSize > limit_)
        return 0;
    if (position < windowStart_ ||
        position + kCentralHeaderSize > windowStart_ + int64_t(window_.size())) {
        const int64_t want = std::min(kWindow, limit_ - position);
        window_.resize(size_t(want));
        windowStart_ = position;
        cost_ += want;
        if (!stream_.SetPosition(position) || !stream_.ReadExact(window_.data(), want)) {
            window_.clear();
            windowStart_ = -1;
            throw EZAException(ZAError::DirectoryUnreadable, componentName_);
        }
    }
    const uint8_t* header = window_.data() + (position - windowStart_);
    const uint32_t signature = le::Get32(header);
    if (signature != signature_ && signature != kCentralHeaderSignature)
        return 0;
    const int64_t length = kCentralHeaderSize + int64_t{le::Get16(header + 28)} +
                           le::Get16(header + 30) + le::Get16(header + 32);
    return length <= limit_ - position ? length : 0;
}

std::pair<int32_t, size_t> TZAHeaderChains::locate(int64_t position) {
    if (const auto known = where_.find(position); known != where_.end())
        return known->second;
    const auto index = static_cast<int32_t>(chains_.size());
    chains_.emplace_back();
    int64_t at = position;
    for (;;) {
        if (const auto joined = where_.find(at); joined != where_.end()) {
            chains_[size_t(index)].Bounds.push_back(at);
            chains_[size_t(index)].Joins = joined->second.first;
            chains_[size_t(index)].JoinIndex = joined->second.second;
            break;
        }
        std::vector<int64_t>& bounds = chains_[size_t(index)].Bounds;
        where_.emplace(at, std::make_pair(index, bounds.size()));
        bounds.push_back(at);
        const int64_t length = where_.size() < kMaxBounds ? headerLength(at) : 0;
        if (length == 0)
            break;
        at += length;
    }
    return {index, 0};
}

std::optional<uint64_t> TZAHeaderChains::EntriesBetween(int64_t start, int64_t end) {
    if (start < 0 || end < start || end > limit_)
        return std::nullopt;
    auto [chain, from] = locate(start);
    uint64_t entries = 0;
    for (;;) {
        const Chain& c = chains_[size_t(chain)];
        const auto first = c.Bounds.begin() + std::ptrdiff_t(from);
        const auto hit = std::lower_bound(first, c.Bounds.end(), end);
        if (hit != c.Bounds.end() && *hit == end)
            return entries + uint64_t(hit - first);
        if (hit != c.Bounds.end() || c.Joins < 0)
            return std::nullopt;
        entries += c.Bounds.size() - 1 - from;
        from = c.JoinIndex;
        chain = c.Joins;
        cost_ += kHopCost;
    }
}

} // namespace zip
