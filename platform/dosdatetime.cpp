#include "platform/dosdatetime.h"

namespace {

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<uint32_t> DosDateTimeFromTime(time_t t) {
    tm local{};
    if (localtime_r(&t, &local) == nullptr) return std::nullopt;
    const int year = local.tm_year + 1900;
    if (year < 1980 || year > 2107) return std::nullopt;
    // A leap second (60) still fits: it reads as 30 in the 5-bit field.
    const uint32_t date =
        uint32_t(year - 1980) << 9 | uint32_t(local.tm_mon + 1) << 5 | uint32_t(local.tm_mday);
    const uint32_t time =
        uint32_t(local.tm_hour) << 11 | uint32_t(local.tm_min) << 5 | uint32_t(local.tm_sec / 2);
    return date << 16 | time;
}

std::optional<time_t> TimeFromDosDateTime(uint32_t value) {
    const int year = int(value >> 25) + 1980;
    const int month = int(value >> 21 & 0x0F);
    const int day = int(value >> 16 & 0x1F);
    const int hour = int(value >> 11 & 0x1F);
    const int minute = int(value >> 5 & 0x3F);
    const int second = int(value & 0x1F) * 2;
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59)
        return std::nullopt;
    tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;  // whatever daylight saving says for that day
    const time_t t = mktime(&local);
    if (t == time_t(-1)) return std::nullopt;
    return t;
}
