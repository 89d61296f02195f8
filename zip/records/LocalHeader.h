#pragma once
// The local file header that stands in front of every member's data.

#include <cstdint>
#include <string>
#include <vector>

#include "zip/ZAConst.h"
#include "zip/records/HeaderFields.h"

namespace zip {

struct TDirItem;

// The signature, then the fields shared with the central header.
struct TZALocalHeader : TZAHeaderFields {
    uint32_t Signature = kLocalHeaderSignature;

    // The 30 fixed bytes.
    void Encode(uint8_t* out) const;
    static TZALocalHeader Decode(const uint8_t* in);

    // The header of a member from its directory entry: version, flags, method, time, date, CRC
    // and sizes as the entry holds them (the 32-bit fields, sentinels included), the name
    // length of storedName and, when withZip64Field, the extra length of the local Zip64 field.
    // A header with the local Zip64 field has 0xFFFFFFFF in both size fields, whatever the
    // entry's own fields say: readers take both sizes from the field then, and a header with
    // one real size beside the field is reported as damaged by some of them.
    static TZALocalHeader FromItem(const TDirItem& item, const std::string& storedName,
                                   bool withZip64Field);
    // The whole header as written: 30 bytes, the stored name and, when given, the 20-byte local
    // Zip64 field with the two 64-bit sizes.
    std::vector<uint8_t> Assemble(const std::string& storedName, bool withZip64Field,
                                  uint64_t uncompressedSize, uint64_t compressedSize) const;
};

} // namespace zip
