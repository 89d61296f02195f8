#include "zip/records/EndRecord.h"

#include <algorithm>
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

std::optional<TZAEndRecord::Found> TZAEndRecord::Find(Stream& stream, uint32_t signature,
                                                      std::string_view componentName) {
    const int64_t size = stream.Size();
    if (size < kEndRecordSize)
        return std::nullopt;
    const int64_t window = std::min<int64_t>(size, kEndRecordSearchWindow);
    const int64_t windowStart = size - window;
    std::vector<uint8_t> buffer(static_cast<size_t>(window));
    if (!stream.SetPosition(windowStart) || !stream.ReadExact(buffer.data(), window))
        throw EZAException(ZAError::DirectoryUnreadable, componentName);
    for (int64_t i = window - kEndRecordSize; i >= 0; --i) {
        const uint8_t* p = buffer.data() + i;
        if (le::Get32(p) != signature)
            continue;
        const int64_t after = window - i - kEndRecordSize;
        if (le::Get16(p + 20) != after)
            continue;
        Found found;
        found.Record = Decode(p);
        found.Position = windowStart + i;
        found.Comment.assign(reinterpret_cast<const char*>(p + kEndRecordSize),
                             static_cast<size_t>(after));
        return found;
    }
    return std::nullopt;
}

} // namespace zip
