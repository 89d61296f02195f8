#include "zip/codec/Crc32.h"

#include <zlib.h>

#include <algorithm>

namespace zip {

uint32_t Crc32Step(uint32_t k, uint8_t b) {
    static const z_crc_t* table = get_crc_table();
    return static_cast<uint32_t>(table[(k ^ b) & 0xFF]) ^ (k >> 8);
}

uint32_t UpdateCrc32(uint32_t crcRegister, const void* buffer, int64_t count) {
    if (buffer == nullptr || count < 1)
        return crcRegister;
    // zlib keeps the register inverted between calls; ours is the raw register.
    uLong crc = crcRegister ^ 0xFFFFFFFFu;
    const auto* p = static_cast<const Bytef*>(buffer);
    while (count > 0) {
        const auto n = static_cast<uInt>(std::min<int64_t>(count, 1 << 30));
        crc = crc32(crc, p, n);
        p += n;
        count -= n;
    }
    return static_cast<uint32_t>(crc) ^ 0xFFFFFFFFu;
}

uint32_t Crc32Of(const void* buffer, int64_t count) {
    return UpdateCrc32(kCrcInitial, buffer, count) ^ 0xFFFFFFFFu;
}

} // namespace zip
