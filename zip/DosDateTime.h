#pragma once
// MS-DOS packed date and time (local time), as the archive headers hold them.

#include <cstdint>
#include <ctime>

namespace zip {

// Date in the high 16 bits, time in the low 16 bits. Times before 1980-01-01 00:00:00 and
// after 2107-12-31 23:59:58 are clamped to those limits.
uint32_t DateTimeToDosDateTime(std::time_t t);
// The local time of a packed date and time. Fields out of range (month 0, day 0, hour 25, as
// hostile archives may hold) are clamped rather than trusted.
std::time_t DosDateTimeToDateTime(uint16_t date, uint16_t time);

} // namespace zip
