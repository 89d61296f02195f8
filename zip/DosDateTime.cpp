#include "zip/DosDateTime.h"

#include <algorithm>

namespace zip {

uint32_t DateTimeToDosDateTime(std::time_t t) {
    std::tm tm{};
    if (localtime_r(&t, &tm) == nullptr)
        return (1u << 5 | 1u) << 16; // 1980-01-01
    if (tm.tm_year < 80)
        return (1u << 5 | 1u) << 16;
    if (tm.tm_year > 207)
        return (static_cast<uint32_t>((127 << 9) | (12 << 5) | 31) << 16) |
               ((23 << 11) | (59 << 5) | 29);
    const uint32_t date =
        ((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | static_cast<uint32_t>(tm.tm_mday);
    const uint32_t time = (tm.tm_hour << 11) | (tm.tm_min << 5) | (std::min(tm.tm_sec, 59) / 2);
    return (date << 16) | time;
}

std::time_t DosDateTimeToDateTime(uint16_t date, uint16_t time) {
    std::tm tm{};
    tm.tm_year = 80 + (date >> 9);
    tm.tm_mon = std::clamp((date >> 5) & 0x0F, 1, 12) - 1;
    tm.tm_mday = std::clamp(date & 0x1F, 1, 31);
    tm.tm_hour = std::min(time >> 11, 23);
    tm.tm_min = std::min((time >> 5) & 0x3F, 59);
    tm.tm_sec = std::min((time & 0x1F) * 2, 58);
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

} // namespace zip
