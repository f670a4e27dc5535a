// FileTimeToCalendar and CalendarToFileTime: known dates, leap years, limits, daily round trips.
#include <gtest/gtest.h>
#include <cstdio>
#include "FileTimes.h"

namespace {

const TFileTime TicksPerDay = 864000000000, Refused = ~0ull;

// "YYYY-MM-DD hh:mm:ss.mmm wN", or "invalid" if refused with the output left untouched.
std::string CalendarOf(TFileTime fileTime)
{
    TCalendarTime c = {1999, 9, 9, 9, 9, 9, 9, 9};
    char text[64] = "invalid";
    if (FileTimeToCalendar(fileTime, &c) || c.Year != 1999)
        snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d w%d", c.Year, c.Month, c.Day, c.Hour,
                 c.Minute, c.Second, c.Milliseconds, c.DayOfWeek);
    return text;
}

TFileTime FileTimeOf(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0)
{
    TFileTime t = Refused;  // the day of the week given is nonsense: it must not be read
    return CalendarToFileTime({year, month, 42, day, hour, minute, second, ms}, &t) ? t : Refused;
}

}  // namespace

TEST(FileTimes, KnownDatesLeapYearsAndLimits)
{
    EXPECT_EQ("1970-01-01 00:00:00.000 w4", CalendarOf(116444736000000000));
    EXPECT_EQ("2022-11-24 12:26:38.414 w4", CalendarOf(0x01D9000000000000));
    EXPECT_EQ("30828-09-14 02:48:05.477 w4", CalendarOf(0x7FFFFFFFFFFFFFFF));
    EXPECT_EQ("invalid", CalendarOf(0x8000000000000000));
    EXPECT_EQ(0x7FFF35F4F06C58F0u, FileTimeOf(30827, 12, 31, 23, 59, 59, 999)) << "the last the system converts";
    // A leap day every 4 years, but not every 100, yet every 400.
    EXPECT_EQ("1900-03-01 00:00:00.000 w4", CalendarOf(FileTimeOf(1900, 2, 28) + TicksPerDay));
    EXPECT_EQ("2000-02-29 00:00:00.000 w2", CalendarOf(FileTimeOf(2000, 2, 28) + TicksPerDay));
    EXPECT_EQ("2100-03-01 00:00:00.000 w1", CalendarOf(FileTimeOf(2100, 2, 28) + TicksPerDay));
    const int refused[][7] = {{1900, 2, 29}, {2023, 2, 29}, {2100, 2, 29}, {30700, 2, 29}, {2000, 2, 30}, {2020, 4, 31},
                              {1600, 12, 31, 23, 59, 59, 999}, {30828, 1, 1}, {0, 1, 1}, {2020, 0, 1}, {2020, 13, 1},
                              {2020, 1, 0}, {2020, 1, 32}, {2020, 1, 1, 24}, {2020, 1, 1, -1}, {2020, 1, 1, 0, 60},
                              {2020, 1, 1, 0, 0, 60}, {2020, 1, 1, 0, 0, 0, 1000}, {2020, 1, 1, 0, 0, 0, -1}};
    for (const auto& r : refused)
        EXPECT_EQ(Refused, FileTimeOf(r[0], r[1], r[2], r[3], r[4], r[5], r[6])) << r[0] << "-" << r[1] << "-" << r[2];
}

TEST(FileTimes, DayByDayRoundTrips)
{
    // Two 400-year cycles from 1601, and 30401 to the end of the range; each day at another time.
    const uint64_t wholeDays = 0x7FFFFFFFFFFFFFFF / TicksPerDay;
    for (uint64_t day = 0; day < wholeDays; day += day == 2 * 146097 ? 70 * 146097 : 1) {
        const TFileTime time = day * TicksPerDay + day * 0x9E3779B97F4A7C15 % TicksPerDay;
        TCalendarTime c;
        ASSERT_TRUE(FileTimeToCalendar(time, &c));
        ASSERT_EQ(static_cast<int>((day + 1) % 7), c.DayOfWeek) << CalendarOf(time);
        ASSERT_EQ(c.Year > 30827 ? Refused : time - time % 10000,
                  FileTimeOf(c.Year, c.Month, c.Day, c.Hour, c.Minute, c.Second, c.Milliseconds)) << CalendarOf(time);
    }
}
