#pragma once
// Extra fields of the headers: splitting into blocks, the Zip64 block of a central header and
// the local Zip64 field.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zip {

struct TDirItem;

struct TZAExtraBlock {
    uint16_t Id = 0;
    std::vector<uint8_t> Data;

    bool operator==(const TZAExtraBlock&) const = default;
};

class TZAExtraField {
public:
    // Splits an extra field into blocks. A block whose declared size exceeds the bytes left is
    // cut to them; 1 to 3 trailing bytes that cannot hold a block header end the split.
    static std::vector<TZAExtraBlock> Split(const uint8_t* data, size_t size);

    // Fills the item's Zip64 values from a Zip64 block: uncompressed size, compressed size,
    // local header offset (8 bytes each) and disk start (4), each only when its 32- or 16-bit
    // field holds the sentinel and while bytes of the block remain. Sets HasZip64.
    static void ReadZip64Block(const TZAExtraBlock& block, TDirItem& item);

    // The central Zip64 block the item needs (the values whose field holds its sentinel, in
    // order), or an empty vector when none does. Includes the 4-byte block header.
    static std::vector<uint8_t> CentralZip64Block(const TDirItem& item);

    // The whole central extra field as written: the Zip64 block first, then every kept block
    // other than id 1, in the order read.
    static std::vector<uint8_t> CentralExtraField(const TDirItem& item);

    // Id of the Info-ZIP Unicode Path block: version 1, the CRC-32 of the name as stored, the
    // name in UTF-8.
    static constexpr uint16_t kUnicodePathId = 0x7075;
    // The Unicode Path block, with its 4-byte header, for a name stored without flag bit 11 in
    // other bytes than its UTF-8 ones (an accented name in the OEM code page, which readers on
    // other systems would show as other characters); empty when the stored name says it all.
    static std::vector<uint8_t> UnicodePathBlock(const std::string& name, const std::string& stored,
                                                 uint16_t flags);
    // Gives the item the Unicode Path block its stored name needs, in place of one it had.
    static void SetUnicodePath(TDirItem& item, const std::string& stored);

    // The 20-byte local Zip64 field: id 1, size 16, uncompressed then compressed size.
    static void EncodeLocalZip64(uint8_t* out, uint64_t uncompressedSize, uint64_t compressedSize);
};

} // namespace zip
