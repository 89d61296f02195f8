#include "zip/records/EndRecord.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "zip/ZAExcept.h"
#include "zip/records/LittleEndian.h"
#include "zip/streams/Stream.h"

namespace zip {

void TZAEndRecord::Encode(uint8_t* out) const {
    le::Put32(out + 0, Signature);
    le::Put16(out + 4, ThisDisk);
    le::Put16(out + 6, DirectoryDisk);
    le::Put16(out + 8, EntriesOnDisk);
    le::Put16(out + 10, TotalEntries);
    le::Put32(out + 12, DirectorySize);
    le::Put32(out + 16, DirectoryOffset);
    le::Put16(out + 20, CommentLength);
}

TZAEndRecord TZAEndRecord::Decode(const uint8_t* in) {
    TZAEndRecord r;
    r.Signature = le::Get32(in + 0);
    r.ThisDisk = le::Get16(in + 4);
    r.DirectoryDisk = le::Get16(in + 6);
    r.EntriesOnDisk = le::Get16(in + 8);
    r.TotalEntries = le::Get16(in + 10);
    r.DirectorySize = le::Get32(in + 12);
    r.DirectoryOffset = le::Get32(in + 16);
    r.CommentLength = le::Get16(in + 20);
    return r;
}

void TZAEndRecord::SetValues(uint64_t entries, uint64_t directorySize, uint64_t directoryOffset) {
    const uint16_t count = entries >= kSentinel16 ? kSentinel16 : static_cast<uint16_t>(entries);
    EntriesOnDisk = count;
    TotalEntries = count;
    DirectorySize =
        directorySize >= kSentinel32 ? kSentinel32 : static_cast<uint32_t>(directorySize);
    DirectoryOffset =
        directoryOffset >= kSentinel32 ? kSentinel32 : static_cast<uint32_t>(directoryOffset);
}

namespace {

// The last min(size, window) bytes of stream and where they start; a read that fails raises
// error 44.
std::pair<std::vector<uint8_t>, int64_t> SearchWindow(Stream& stream, int64_t window,
                                                      std::string_view componentName) {
    const int64_t size = stream.Size();
    window = std::min<int64_t>(size, window);
    std::vector<uint8_t> buffer(static_cast<size_t>(std::max<int64_t>(window, 0)));
    if (!stream.SetPosition(size - window) || !stream.ReadExact(buffer.data(), window))
        throw EZAException(ZAError::DirectoryUnreadable, componentName);
    return {std::move(buffer), size - window};
}

// Walks window backwards over the records of signature whose comment fits inside it, handing
// each to take(record, offset, bytes after the record) until take returns true.
template <typename Take>
void ForEachRecord(const std::vector<uint8_t>& window, uint32_t signature, Take take) {
    const auto size = static_cast<int64_t>(window.size());
    for (int64_t i = size - kEndRecordSize; i >= 0; --i) {
        const uint8_t* p = window.data() + i;
        const int64_t after = size - i - kEndRecordSize;
        if (le::Get32(p) == signature && le::Get16(p + 20) <= after && take(p, i, after))
            return;
    }
}

} // namespace

std::optional<TZAEndRecord::Found> TZAEndRecord::Find(Stream& stream, uint32_t signature,
                                                      std::string_view componentName) {
    if (stream.Size() < kEndRecordSize)
        return std::nullopt;
    // Plain names, not a structured binding: the lambda below captures them.
    const auto searched = SearchWindow(stream, kEndRecordSearchWindow, componentName);
    const std::vector<uint8_t>& buffer = searched.first;
    const int64_t windowStart = searched.second;
    std::optional<Found> result;
    ForEachRecord(buffer, signature, [&](const uint8_t* p, int64_t offset, int64_t after) {
        if (le::Get16(p + 20) != after)
            return false;
        Found found;
        found.Record = Decode(p);
        found.Position = windowStart + offset;
        found.Comment.assign(reinterpret_cast<const char*>(p + kEndRecordSize),
                             static_cast<size_t>(after));
        result = std::move(found);
        return true;
    });
    return result;
}

void TZAEndRecord::FindEach(Stream& stream, uint32_t signature, int64_t window,
                            std::string_view componentName,
                            const std::function<bool(const Found&)>& take) {
    if (stream.Size() < kEndRecordSize)
        return;
    // Plain names, not a structured binding: the lambda below captures them.
    const auto searched = SearchWindow(stream, window, componentName);
    const std::vector<uint8_t>& buffer = searched.first;
    const int64_t windowStart = searched.second;
    ForEachRecord(buffer, signature, [&](const uint8_t* p, int64_t offset, int64_t) {
        Found found;
        found.Record = Decode(p);
        found.Position = windowStart + offset;
        return take(found);
    });
}

} // namespace zip
