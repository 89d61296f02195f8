#include "zip/directory/MemberSpans.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "zip/ZAExcept.h"
#include "zip/directory/DirArray.h"
#include "zip/directory/DirItem.h"
#include "zip/names/ZAStrFunc.h"
#include "zip/records/ExtraField.h"
#include "zip/records/LittleEndian.h"
#include "zip/records/LocalHeader.h"
#include "zip/streams/Stream.h"

namespace zip {

namespace {

// Headers are read through one window, so that the many small members of an album cost one
// read per window rather than one per member.
class HeaderWindow {
public:
    explicit HeaderWindow(Stream& stream) : stream_(stream) {}

    // count bytes at position, valid until the next call; nullptr when they cannot be read.
    const uint8_t* At(int64_t position, int64_t count) {
        if (position < start_ || position + count > start_ + int64_t(bytes_.size())) {
            const int64_t want = std::max<int64_t>(count, kWindow);
            bytes_.resize(size_t(want));
            start_ = position;
            if (!stream_.SetPosition(position))
                return fail();
            const int64_t got = stream_.Read(bytes_.data(), want);
            if (got < count)
                return fail();
            bytes_.resize(size_t(got));
        }
        return bytes_.data() + (position - start_);
    }

private:
    static constexpr int64_t kWindow = 64 * 1024;
    const uint8_t* fail() {
        bytes_.clear();
        start_ = -1;
        return nullptr;
    }
    Stream& stream_;
    std::vector<uint8_t> bytes_;
    int64_t start_ = -1;
};

// A local size field: the 32-bit value, or the value of the local Zip64 field when the field
// holds the sentinel (uncompressed size first, each only where its field holds the sentinel).
struct LocalSizes {
    bool Known = true; // false: a sentinel without its Zip64 value
    uint64_t Compressed = 0;
    uint64_t Uncompressed = 0;
};

LocalSizes SizesOf(const TZALocalHeader& local, const uint8_t* extra) {
    LocalSizes sizes{true, local.CompressedSize, local.UncompressedSize};
    const bool needUncompressed = local.UncompressedSize == kSentinel32;
    const bool needCompressed = local.CompressedSize == kSentinel32;
    if (!needUncompressed && !needCompressed)
        return sizes;
    for (const TZAExtraBlock& block : TZAExtraField::Split(extra, local.ExtraLength)) {
        if (block.Id != kZip64ExtraId)
            continue;
        size_t at = 0;
        const auto next = [&](uint64_t& value) {
            if (at + 8 > block.Data.size())
                return false;
            value = le::Get64(block.Data.data() + at);
            at += 8;
            return true;
        };
        const bool ok = (!needUncompressed || next(sizes.Uncompressed)) &&
                        (!needCompressed || next(sizes.Compressed));
        sizes.Known = ok;
        return sizes;
    }
    sizes.Known = false;
    return sizes;
}

bool SameSizes(const TZALocalHeader& local, const LocalSizes& sizes, const TDirItem& item) {
    // With a data descriptor the sizes follow the data; the header holds zeros, or sentinels
    // with zeros in its Zip64 field, written before the sizes were known.
    if (local.Flags & kFlagDataDescriptor)
        return true;
    if (!sizes.Known)
        // A 32-bit sentinel without its value stands only for a size that needs 64 bits.
        return (local.CompressedSize != kSentinel32 || item.CompressedSize64() >= kSentinel32) &&
               (local.UncompressedSize != kSentinel32 ||
                item.UncompressedSize64() >= kSentinel32) &&
               (local.CompressedSize == kSentinel32 ||
                local.CompressedSize == item.CompressedSize64()) &&
               (local.UncompressedSize == kSentinel32 ||
                local.UncompressedSize == item.UncompressedSize64());
    return sizes.Compressed == item.CompressedSize64() &&
           sizes.Uncompressed == item.UncompressedSize64();
}

bool SameName(std::string_view stored, const TZALocalHeader& local, const TDirItem& item,
              bool oemFileNames) {
    // Read as the directory entry reads its own name, or as the header says it is stored.
    for (const uint16_t flags : {item.Flags, local.Flags}) {
        const auto name = ZADecodeStoredName(stored, flags, oemFileNames, item.VersionMadeBy);
        if (name && *name == item.Name)
            return true;
    }
    return false;
}

} // namespace

void TZAMemberSpans::Check(Stream& stream, const TZADirArray& items, int64_t dataEnd,
                           bool oemFileNames, const std::string& componentName) {
    std::vector<int32_t> order(static_cast<size_t>(items.Count()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
        return items.At(a).LocalHeaderOffset64() < items.At(b).LocalHeaderOffset64();
    });
    HeaderWindow window(stream);
    const auto refuse = [&](const TDirItem& item) {
        throw EZAException(ZAError::MemberOverlap, componentName,
                           {TZAFormatArg(ZAPrintableName(item.Name))});
    };
    for (size_t k = 0; k < order.size(); ++k) {
        const TDirItem& item = items.At(order[k]);
        const uint64_t offset = item.LocalHeaderOffset64();
        // The next member's header, or the directory, ends this member's bytes.
        const uint64_t end = k + 1 < order.size() ? items.At(order[k + 1]).LocalHeaderOffset64()
                                                  : uint64_t(std::max<int64_t>(dataEnd, 0));
        if (offset > end || end - offset < uint64_t(kLocalHeaderSize))
            refuse(item);
        const int64_t at = int64_t(offset);
        const uint8_t* fixed = window.At(at, kLocalHeaderSize);
        if (!fixed)
            throw EZAException(ZAError::DirectoryUnreadable, componentName);
        const TZALocalHeader local = TZALocalHeader::Decode(fixed);
        if (local.Signature != kLocalHeaderSignature &&
            local.Signature != kNativeLocalHeaderSignature)
            refuse(item);
        const int64_t variable = int64_t(local.NameLength) + local.ExtraLength;
        if (uint64_t(kLocalHeaderSize + variable) > end - offset)
            refuse(item);
        const uint8_t* names = window.At(at + kLocalHeaderSize, variable);
        if (!names)
            throw EZAException(ZAError::DirectoryUnreadable, componentName);
        const std::string_view stored(reinterpret_cast<const char*>(names), local.NameLength);
        if (!SameName(stored, local, item, oemFileNames) ||
            !SameSizes(local, SizesOf(local, names + local.NameLength), item))
            refuse(item);
        const uint64_t room = end - offset - uint64_t(kLocalHeaderSize + variable);
        if (item.CompressedSize64() > room)
            refuse(item);
    }
}

} // namespace zip
