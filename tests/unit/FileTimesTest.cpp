// FileTimeToCalendar and CalendarToFileTime: known dates, the leap year rules, the limits of
// the system functions, and day-by-day walks.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "FileTimes.h"

namespace {

const TFileTime TicksPerMillisecond = 10000;
const TFileTime TicksPerDay = 864000000000ull;
const TFileTime LastValidFileTime = 0x7FFFFFFFFFFFFFFFull;

TCalendarTime Calendar(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int milliseconds = 0)
{
    TCalendarTime calendar = {};
    calendar.Year = year;
    calendar.Month = month;
    calendar.Day = day;
    calendar.Hour = hour;
    calendar.Minute = minute;
    calendar.Second = second;
    calendar.Milliseconds = milliseconds;
    return calendar;
}

// "YYYY-MM-DD hh:mm:ss.mmm wN", for readable failures.
std::string Describe(const TCalendarTime& c)
{
    char text[64];
    snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d w%d", c.Year, c.Month, c.Day, c.Hour, c.Minute,
             c.Second, c.Milliseconds, c.DayOfWeek);
    return text;
}

std::string CalendarOf(TFileTime fileTime)
{
    TCalendarTime calendar = {};
    if (!FileTimeToCalendar(fileTime, &calendar))
        return "invalid";
    return Describe(calendar);
}

bool Converts(const TCalendarTime& calendar)
{
    TFileTime fileTime = 0;
    return CalendarToFileTime(calendar, &fileTime);
}

TFileTime FileTimeOf(const TCalendarTime& calendar)
{
    TFileTime fileTime = 0;
    EXPECT_TRUE(CalendarToFileTime(calendar, &fileTime)) << Describe(calendar);
    return fileTime;
}

bool IsLeap(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Checks noon of each of count days from the first of January of year (firstDay days after
// 1601-01-01), as far as file times go.
void WalkDays(uint64_t firstDay, int year, uint64_t count)
{
    const int monthLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int month = 1;
    int day = 1;
    int weekday = static_cast<int>((firstDay + 1) % 7);
    for (uint64_t n = firstDay; n < firstDay + count; ++n) {
        const TFileTime fileTime = n * TicksPerDay + 12 * 3600 * 10000000ull;
        if (fileTime > LastValidFileTime) {
            EXPECT_EQ("30828-9-14", std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day))
                << "the range ends after the last day";
            return;
        }
        TCalendarTime calendar;
        ASSERT_TRUE(FileTimeToCalendar(fileTime, &calendar));
        ASSERT_TRUE(calendar.Year == year && calendar.Month == month && calendar.Day == day
                    && calendar.DayOfWeek == weekday && calendar.Hour == 12)
            << Describe(calendar) << " expected " << year << "-" << month << "-" << day << " w" << weekday;
        if (year <= 30827) {
            TFileTime back = 0;
            ASSERT_TRUE(CalendarToFileTime(calendar, &back));
            ASSERT_EQ(fileTime, back);
        }

        weekday = (weekday + 1) % 7;
        const int length = month == 2 && IsLeap(year) ? 29 : monthLengths[month - 1];
        if (++day > length) {
            day = 1;
            if (++month > 12) {
                month = 1;
                ++year;
            }
        }
    }
}

}  // namespace

TEST(FileTimes, KnownDates)
{
    EXPECT_EQ("1601-01-01 00:00:00.000 w1", CalendarOf(0)) << "file times start on a Monday";
    EXPECT_EQ("1601-01-01 00:00:00.000 w1", CalendarOf(TicksPerMillisecond - 1)) << "below a millisecond is dropped";
    EXPECT_EQ("1601-01-02 00:00:00.000 w2", CalendarOf(TicksPerDay));
    EXPECT_EQ("1970-01-01 00:00:00.000 w4", CalendarOf(116444736000000000ull));
    EXPECT_EQ("2000-01-01 00:00:00.000 w6", CalendarOf(125911584000000000ull));
    EXPECT_EQ("2022-11-24 12:26:38.414 w4", CalendarOf(0x01D9000000000000ull));

    EXPECT_EQ(0u, FileTimeOf(Calendar(1601, 1, 1)));
    EXPECT_EQ(116444736000000000ull, FileTimeOf(Calendar(1970, 1, 1)));
    EXPECT_EQ(116444736000000000ull + (23 * 3600 + 59 * 60 + 59) * 10000000ull + 999 * TicksPerMillisecond,
              FileTimeOf(Calendar(1970, 1, 1, 23, 59, 59, 999)));
}

TEST(FileTimes, LeapYears)
{
    EXPECT_TRUE(Converts(Calendar(2024, 2, 29)));
    EXPECT_FALSE(Converts(Calendar(2023, 2, 29)));
    EXPECT_TRUE(Converts(Calendar(2000, 2, 29))) << "divisible by 400";
    EXPECT_FALSE(Converts(Calendar(1900, 2, 29))) << "divisible by 100";
    EXPECT_FALSE(Converts(Calendar(2100, 2, 29)));
    EXPECT_FALSE(Converts(Calendar(2000, 2, 30)));
    for (int year = 1601; year <= 30827; ++year)
        ASSERT_EQ(IsLeap(year), Converts(Calendar(year, 2, 29))) << year;

    EXPECT_EQ(TicksPerDay, FileTimeOf(Calendar(1900, 3, 1)) - FileTimeOf(Calendar(1900, 2, 28)));
    EXPECT_EQ(2 * TicksPerDay, FileTimeOf(Calendar(2000, 3, 1)) - FileTimeOf(Calendar(2000, 2, 28)));
    EXPECT_EQ(366 * TicksPerDay, FileTimeOf(Calendar(2001, 1, 1)) - FileTimeOf(Calendar(2000, 1, 1)));
    EXPECT_EQ(365 * TicksPerDay, FileTimeOf(Calendar(2101, 1, 1)) - FileTimeOf(Calendar(2100, 1, 1)));
    EXPECT_EQ("2000-02-29 00:00:00.000 w2", CalendarOf(FileTimeOf(Calendar(2000, 2, 29))));
    EXPECT_EQ("2100-03-01 00:00:00.000 w1", CalendarOf(FileTimeOf(Calendar(2100, 2, 28)) + TicksPerDay));
}

TEST(FileTimes, Limits)
{
    EXPECT_EQ("30828-09-14 02:48:05.477 w4", CalendarOf(LastValidFileTime));
    EXPECT_EQ("invalid", CalendarOf(LastValidFileTime + 1));
    EXPECT_EQ("invalid", CalendarOf(~0ull));

    TCalendarTime untouched = Calendar(1999, 9, 9);
    EXPECT_FALSE(FileTimeToCalendar(0x8000000000000000ull, &untouched));
    EXPECT_EQ("1999-09-09 00:00:00.000 w0", Describe(untouched));

    EXPECT_EQ(0x7FFF35F4F06C58F0ull, FileTimeOf(Calendar(30827, 12, 31, 23, 59, 59, 999)));
    EXPECT_FALSE(Converts(Calendar(30828, 1, 1))) << "the system takes years up to 30827 only";
    EXPECT_FALSE(Converts(Calendar(1600, 12, 31, 23, 59, 59, 999)));
    EXPECT_FALSE(Converts(Calendar(0, 1, 1)));
    EXPECT_FALSE(Converts(Calendar(-2000, 1, 1)));
}

TEST(FileTimes, FieldsOutOfRangeAreRefused)
{
    const TCalendarTime invalid[] = {
        Calendar(2020, 0, 1),  Calendar(2020, 13, 1),     Calendar(2020, -1, 1),      Calendar(2020, 1, 0),
        Calendar(2020, 1, 32), Calendar(2020, 4, 31),     Calendar(2020, 6, 31),      Calendar(2020, 9, 31),
        Calendar(2020, 11, 31), Calendar(2020, 1, 1, 24), Calendar(2020, 1, 1, -1),   Calendar(2020, 1, 1, 0, 60),
        Calendar(2020, 1, 1, 0, -1), Calendar(2020, 1, 1, 0, 0, 60), Calendar(2020, 1, 1, 0, 0, -1),
        Calendar(2020, 1, 1, 0, 0, 0, 1000), Calendar(2020, 1, 1, 0, 0, 0, -1),
    };
    for (const TCalendarTime& calendar : invalid) {
        TFileTime fileTime = 12345;
        EXPECT_FALSE(CalendarToFileTime(calendar, &fileTime)) << Describe(calendar);
        EXPECT_EQ(12345u, fileTime) << "left untouched";
    }

    TCalendarTime anyWeekday = Calendar(2020, 1, 1);
    anyWeekday.DayOfWeek = 42;
    EXPECT_EQ(FileTimeOf(Calendar(2020, 1, 1)), FileTimeOf(anyWeekday)) << "the day of the week is not read";
}

TEST(FileTimes, RoundTripsKeepMilliseconds)
{
    // Steps of a large prime reach all parts of a day and of the range.
    for (TFileTime fileTime = 0; fileTime <= LastValidFileTime; fileTime += 0x0000F1F1F1F1F1F7ull) {
        TCalendarTime calendar;
        ASSERT_TRUE(FileTimeToCalendar(fileTime, &calendar));
        if (calendar.Year > 30827)
            continue;  // beyond what the system converts back
        TFileTime back = 0;
        ASSERT_TRUE(CalendarToFileTime(calendar, &back)) << Describe(calendar);
        ASSERT_EQ(fileTime - fileTime % TicksPerMillisecond, back) << Describe(calendar);
    }
}

TEST(FileTimes, EveryDayFollowsThePreviousOne)
{
    // Day by day against a plain calendar: the first two 400-year cycles (the leap days repeat
    // in every later cycle), and from 30401-01-01, 72 cycles of 146097 days on, to the end.
    WalkDays(0, 1601, 2 * 146097);
    WalkDays(72 * 146097ull, 30401, 2 * 146097);
}
