#pragma once
// The data descriptor after a member's data.

#include <cstdint>

namespace zip {

// The optional record that follows the data of a member with flag bit 3 (read only). The
// signature is optional on disk; with Zip64 the two sizes are 8 bytes each.
struct TZADataDescriptor {
    uint32_t Crc32 = 0;
    uint64_t CompressedSize = 0;
    uint64_t UncompressedSize = 0;

    // Decodes the record at in (signature included) of 16 bytes, or 24 when zip64.
    static TZADataDescriptor Decode(const uint8_t* in, bool zip64);
};

} // namespace zip
