#include "zip/records/DosDateTime.h"

#include <ctime>

namespace zip {

TZADosDateTime TZADosDateTime::FromUnix(int64_t secondsSinceEpoch) {
    const time_t t = time_t(secondsSinceEpoch);
    std::tm local{};
    if (!localtime_r(&t, &local))
        return {};
    TZADosDateTime result;
    int year = local.tm_year + 1900;
    if (year < 1980)
        return result;
    if (year > 2107) {
        result.Date = uint16_t((127 << 9) | (12 << 5) | 31);
        result.Time = uint16_t((23 << 11) | (59 << 5) | 29);
        return result;
    }
    result.Date = uint16_t(((year - 1980) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    result.Time = uint16_t((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
    return result;
}

int64_t TZADosDateTime::ToUnix() const {
    std::tm local{};
    local.tm_year = ((Date >> 9) & 0x7F) + 80;
    local.tm_mon = ((Date >> 5) & 0x0F) - 1;
    local.tm_mday = Date & 0x1F;
    local.tm_hour = (Time >> 11) & 0x1F;
    local.tm_min = (Time >> 5) & 0x3F;
    local.tm_sec = (Time & 0x1F) * 2;
    local.tm_isdst = -1;
    if (local.tm_mon < 0)
        local.tm_mon = 0;
    if (local.tm_mday == 0)
        local.tm_mday = 1;
    return int64_t(mktime(&local));
}

} // namespace zip
