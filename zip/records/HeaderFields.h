#pragma once
// The run of fields that a local header and a central header share: the same fields, in the
// same order and widths, from the version needed to extract to the length of the extra field.

#include <cstdint>

namespace zip {

struct TZAHeaderFields {
    uint16_t VersionNeeded = 0;
    uint16_t Flags = 0;
    uint16_t Method = 0;
    uint16_t Time = 0;
    uint16_t Date = 0;
    uint32_t Crc32 = 0;
    uint32_t CompressedSize = 0;
    uint32_t UncompressedSize = 0;
    uint16_t NameLength = 0;
    uint16_t ExtraLength = 0;

    // Length of the run in either header.
    static constexpr int kSize = 26;

    // The 26 bytes, little-endian, at out (or in).
    void EncodeFields(uint8_t* out) const;
    void DecodeFields(const uint8_t* in);
};

} // namespace zip
