#pragma once
// The ZIP CRC-32 (reflected polynomial 0xEDB88320).

#include <cstddef>
#include <cstdint>

namespace zip {

inline constexpr uint32_t kCrcInitial = 0xFFFFFFFF;

// Runs the register over count bytes (the register starts at 0xFFFFFFFF; the stored value is
// the register xor 0xFFFFFFFF). Returns the register unchanged for a nullptr buffer or
// count < 1.
uint32_t UpdateCrc32(uint32_t crcRegister, const void* buffer, int64_t count);
// One byte through the table: table[(k xor b) and 0xFF] xor (k shr 8).
uint32_t Crc32Step(uint32_t k, uint8_t b);
// The CRC-32 of a whole buffer.
uint32_t Crc32Of(const void* buffer, int64_t count);

} // namespace zip
