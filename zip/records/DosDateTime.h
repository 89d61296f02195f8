#pragma once

#include <cstdint>

namespace zip {

// MS-DOS date and time (local time, two-second steps), as archives store them. Times before
// 1980 become 1980-01-01 00:00 and times after 2107 become the last representable moment.
struct TZADosDateTime {
    uint16_t Date = 0x21; // 1980-01-01
    uint16_t Time = 0;

    static TZADosDateTime FromUnix(int64_t secondsSinceEpoch);
    int64_t ToUnix() const;
    // Date in the high half, time in the low half; compared unsigned so that later is larger.
    uint32_t Packed() const { return uint32_t(Date) << 16 | Time; }
};

} // namespace zip
