#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

// DOS date-times: high 16 bits the date (bits 15..9 year - 1980, 8..5 month,
// 4..0 day), low 16 bits the time (15..11 hours, 10..5 minutes, 4..0 seconds / 2),
// in local time. They cover 1980 to 2107 in steps of 2 seconds.

// The local time of t, seconds rounded down to even; nothing outside 1980..2107.
std::optional<uint32_t> DosDateTimeFromTime(time_t t);

// The moment a DOS date-time names in local time; nothing when a field is out
// of range (0 is not a date: its month and day are 0).
std::optional<time_t> TimeFromDosDateTime(uint32_t value);
