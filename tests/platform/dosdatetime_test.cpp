#include "platform/dosdatetime.h"

#include <gtest/gtest.h>

#include "tests/support/localtime.h"

namespace {

constexpr uint32_t Dos(int year, int month, int day, int hour, int minute, int second) {
    return uint32_t(year - 1980) << 25 | uint32_t(month) << 21 | uint32_t(day) << 16 |
           uint32_t(hour) << 11 | uint32_t(minute) << 5 | uint32_t(second / 2);
}

TEST(DosDateTime, FromLocalTimeRoundsSecondsDownAndBack) {
    const struct {
        time_t t;
        uint32_t dos;
        time_t back;  // the moment the DOS value names
    } rows[] = {
        {LocalTime(2024, 5, 17, 10, 0, 1), Dos(2024, 5, 17, 10, 0, 0),
         LocalTime(2024, 5, 17, 10, 0, 0)},
        {LocalTime(2024, 5, 17, 10, 0, 59), Dos(2024, 5, 17, 10, 0, 58),
         LocalTime(2024, 5, 17, 10, 0, 58)},
        {LocalTime(1980, 1, 1, 0, 0, 0), Dos(1980, 1, 1, 0, 0, 0), LocalTime(1980, 1, 1, 0, 0, 0)},
        {LocalTime(2107, 12, 31, 23, 59, 59), Dos(2107, 12, 31, 23, 59, 58),
         LocalTime(2107, 12, 31, 23, 59, 58)},
        {LocalTime(2000, 2, 29, 12, 34, 56), Dos(2000, 2, 29, 12, 34, 56),
         LocalTime(2000, 2, 29, 12, 34, 56)},
    };
    for (const auto& r : rows) {
        const auto dos = DosDateTimeFromTime(r.t);
        ASSERT_TRUE(dos) << r.t;
        EXPECT_EQ(*dos, r.dos) << r.t;
        EXPECT_EQ(TimeFromDosDateTime(r.dos), r.back) << r.t;
    }
}

TEST(DosDateTime, OutsideTheRangeIsNoDate) {
    EXPECT_FALSE(DosDateTimeFromTime(LocalTime(1979, 12, 31, 23, 59, 59)));
    EXPECT_FALSE(DosDateTimeFromTime(LocalTime(2108, 1, 1, 0, 0, 0)));
    EXPECT_FALSE(DosDateTimeFromTime(0));  // 1970
}

TEST(DosDateTime, InvalidFieldsConvertToNothing) {
    const uint32_t rows[] = {
        0,  // the initial value
        Dos(2024, 13, 1, 0, 0, 0),
        Dos(2024, 0, 1, 0, 0, 0),  // month
        Dos(2023, 2, 29, 0, 0, 0),
        Dos(2024, 4, 31, 0, 0, 0),  // day
        Dos(2024, 1, 1, 24, 0, 0),
        Dos(2024, 1, 1, 0, 60, 0),      // hour, minute
        Dos(2024, 1, 1, 0, 0, 0) | 30,  // 60 seconds
    };
    for (uint32_t value : rows) EXPECT_FALSE(TimeFromDosDateTime(value)) << std::hex << value;
    EXPECT_TRUE(TimeFromDosDateTime(Dos(2024, 2, 29, 0, 0, 0)));
}

}  // namespace
