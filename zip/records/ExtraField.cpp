#include "zip/records/ExtraField.h"

#include <algorithm>

#include "zip/codec/Crc32.h"
#include "zip/directory/DirItem.h"
#include "zip/records/LittleEndian.h"

namespace zip {

std::vector<TZAExtraBlock> TZAExtraField::Split(const uint8_t* data, size_t size) {
    std::vector<TZAExtraBlock> blocks;
    size_t pos = 0;
    while (size - pos >= 4) {
        TZAExtraBlock block;
        block.Id = le::Get16(data + pos);
        size_t length = le::Get16(data + pos + 2);
        pos += 4;
        if (length > size - pos)
            length = size - pos;
        block.Data.assign(data + pos, data + pos + length);
        pos += length;
        blocks.push_back(std::move(block));
    }
    return blocks;
}

void TZAExtraField::ReadZip64Block(const TZAExtraBlock& block, TDirItem& item) {
    const uint8_t* p = block.Data.data();
    size_t left = block.Data.size();
    const auto take64 = [&](uint64_t& target) {
        if (left >= 8) {
            target = le::Get64(p);
            p += 8;
            left -= 8;
        }
    };
    if (item.UncompressedSize == kSentinel32)
        take64(item.Zip64UncompressedSize);
    if (item.CompressedSize == kSentinel32)
        take64(item.Zip64CompressedSize);
    if (item.LocalHeaderOffset == kSentinel32)
        take64(item.Zip64LocalHeaderOffset);
    if (item.DiskStart == kSentinel16 && left >= 4)
        item.Zip64DiskStart = le::Get32(p);
    item.HasZip64 = true;
}

std::vector<uint8_t> TZAExtraField::CentralZip64Block(const TDirItem& item) {
    std::vector<uint8_t> values;
    const auto put64 = [&](uint64_t v) {
        uint8_t b[8];
        le::Put64(b, v);
        values.insert(values.end(), b, b + 8);
    };
    if (item.UncompressedSize == kSentinel32)
        put64(item.Zip64UncompressedSize);
    if (item.CompressedSize == kSentinel32)
        put64(item.Zip64CompressedSize);
    if (item.LocalHeaderOffset == kSentinel32)
        put64(item.Zip64LocalHeaderOffset);
    if (item.DiskStart == kSentinel16) {
        uint8_t b[4];
        le::Put32(b, item.Zip64DiskStart);
        values.insert(values.end(), b, b + 4);
    }
    if (values.empty())
        return {};
    std::vector<uint8_t> out(4);
    le::Put16(out.data(), kZip64ExtraId);
    le::Put16(out.data() + 2, static_cast<uint16_t>(values.size()));
    out.insert(out.end(), values.begin(), values.end());
    return out;
}

std::vector<uint8_t> TZAExtraField::CentralExtraField(const TDirItem& item) {
    std::vector<uint8_t> out = CentralZip64Block(item);
    for (const TZAExtraBlock& block : item.ExtraBlocks) {
        if (block.Id == kZip64ExtraId)
            continue;
        uint8_t head[4];
        le::Put16(head, block.Id);
        le::Put16(head + 2, static_cast<uint16_t>(block.Data.size()));
        out.insert(out.end(), head, head + 4);
        out.insert(out.end(), block.Data.begin(), block.Data.end());
    }
    return out;
}

void TZAExtraField::EncodeLocalZip64(uint8_t* out, uint64_t uncompressedSize,
                                     uint64_t compressedSize) {
    le::Put16(out, kZip64ExtraId);
    le::Put16(out + 2, 16);
    le::Put64(out + 4, uncompressedSize);
    le::Put64(out + 12, compressedSize);
}

std::vector<uint8_t> TZAExtraField::UnicodePathBlock(const std::string& name,
                                                     const std::string& stored, uint16_t flags) {
    // Stored as it is (ASCII, or UTF-8 bytes of a system that writes them so) it needs none.
    if ((flags & kFlagUtf8) || stored == name || name.size() > 0xFFF0)
        return {};
    std::vector<uint8_t> out(9 + name.size());
    le::Put16(out.data(), kUnicodePathId);
    le::Put16(out.data() + 2, static_cast<uint16_t>(5 + name.size()));
    out[4] = 1;
    le::Put32(out.data() + 5, Crc32Of(stored.data(), static_cast<int64_t>(stored.size())));
    std::copy(name.begin(), name.end(), out.begin() + 9);
    return out;
}

void TZAExtraField::SetUnicodePath(TDirItem& item, const std::string& stored) {
    const std::vector<uint8_t> block = UnicodePathBlock(item.Name, stored, item.Flags);
    if (block.empty())
        return; // a block kept from elsewhere names another stored name: readers pass it over
    auto& blocks = item.ExtraBlocks;
    blocks.erase(std::remove_if(blocks.begin(), blocks.end(),
                                [](const TZAExtraBlock& b) { return b.Id == kUnicodePathId; }),
                 blocks.end());
    blocks.push_back({kUnicodePathId, std::vector<uint8_t>(block.begin() + 4, block.end())});
}

} // namespace zip
