// FileTimeToCalendar and CalendarToFileTime against FileTimeToSystemTime and
// SystemTimeToFileTime, over the limits, every field just inside and outside its range, and
// many values at random.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "FileTimes.h"

namespace {

bool RunsOnWine()
{
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Wine's SystemTimeToFileTime takes February 29 of any year and years up to 32767; Windows
// refuses both, and so do we.
bool IsWineLeniency(const SYSTEMTIME& time)
{
    return (time.wMonth == 2 && time.wDay == 29 && !IsLeapYear(time.wYear)) || (time.wYear > 30827 && time.wYear <= 32767);
}

std::string Describe(const SYSTEMTIME& t)
{
    char text[80];
    snprintf(text, sizeof text, "%u-%u-%u %u:%u:%u.%u w%u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
             t.wMilliseconds, t.wDayOfWeek);
    return text;
}

::testing::AssertionResult AgreeToCalendar(TFileTime fileTime)
{
    FILETIME system;
    system.dwLowDateTime = static_cast<DWORD>(fileTime);
    system.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
    SYSTEMTIME expected = {};
    const bool expectedOk = FileTimeToSystemTime(&system, &expected) != FALSE;

    TCalendarTime actual = {};
    const bool actualOk = FileTimeToCalendar(fileTime, &actual);
    if (expectedOk != actualOk)
        return ::testing::AssertionFailure() << std::hex << fileTime << ": system " << expectedOk << ", ours " << actualOk;
    if (!expectedOk)
        return ::testing::AssertionSuccess();
    SYSTEMTIME ours = {};
    ours.wYear = static_cast<WORD>(actual.Year);
    ours.wMonth = static_cast<WORD>(actual.Month);
    ours.wDayOfWeek = static_cast<WORD>(actual.DayOfWeek);
    ours.wDay = static_cast<WORD>(actual.Day);
    ours.wHour = static_cast<WORD>(actual.Hour);
    ours.wMinute = static_cast<WORD>(actual.Minute);
    ours.wSecond = static_cast<WORD>(actual.Second);
    ours.wMilliseconds = static_cast<WORD>(actual.Milliseconds);
    if (Describe(expected) != Describe(ours))
        return ::testing::AssertionFailure()
            << std::hex << fileTime << ": system " << Describe(expected) << ", ours " << Describe(ours);
    return ::testing::AssertionSuccess();
}

// Compares one conversion; a case where Wine is known to be lenient counts in *skipped.
::testing::AssertionResult AgreeToFileTime(const SYSTEMTIME& time, bool onWine, int* skipped)
{
    FILETIME system = {0x11111111, 0x22222222};
    const bool expectedOk = SystemTimeToFileTime(&time, &system) != FALSE;
    const TFileTime expected = static_cast<TFileTime>(system.dwHighDateTime) << 32 | system.dwLowDateTime;

    TCalendarTime calendar;
    calendar.Year = time.wYear;
    calendar.Month = time.wMonth;
    calendar.DayOfWeek = time.wDayOfWeek;
    calendar.Day = time.wDay;
    calendar.Hour = time.wHour;
    calendar.Minute = time.wMinute;
    calendar.Second = time.wSecond;
    calendar.Milliseconds = time.wMilliseconds;
    TFileTime actual = 0x2222222211111111ull;
    const bool actualOk = CalendarToFileTime(calendar, &actual);

    if (onWine && expectedOk && !actualOk && IsWineLeniency(time)) {
        ++*skipped;
        return ::testing::AssertionSuccess();
    }
    if (expectedOk != actualOk || expected != actual)
        return ::testing::AssertionFailure() << Describe(time) << ": system " << expectedOk << " " << std::hex
                                             << expected << ", ours " << actualOk << " " << actual;
    return ::testing::AssertionSuccess();
}

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD milliseconds, WORD weekday)
{
    SYSTEMTIME time;
    time.wYear = year;
    time.wMonth = month;
    time.wDayOfWeek = weekday;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    time.wMilliseconds = milliseconds;
    return time;
}

const TFileTime TicksPerDay = 864000000000ull;

}  // namespace

TEST(SystemAgreement, FileTimeToCalendar)
{
    const TFileTime edges[] = {
        0, 1, 9999, 10000, TicksPerDay - 1, TicksPerDay, 365 * TicksPerDay, 116444736000000000ull,
        125911584000000000ull, 0x7FFFFFFFFFFFFFFFull, 0x7FFFFFFFFFFFFFFFull - TicksPerDay, 0x8000000000000000ull,
        0x8000000000000001ull, 0xFFFFFFFFFFFFFFFFull,
    };
    for (TFileTime fileTime : edges)
        EXPECT_TRUE(AgreeToCalendar(fileTime));

    // Every millisecond around the leap days of 1900 (none), 2000 and 2100 (none).
    const TFileTime leapDays[] = {0x014F6598C43F8000ull, 0x01BF8247EBCC8000ull, 0x022F9FC03DC34000ull};
    for (TFileTime day : leapDays) {
        for (TFileTime fileTime = day - TicksPerDay; fileTime < day + 2 * TicksPerDay; fileTime += 10000 * 997)
            ASSERT_TRUE(AgreeToCalendar(fileTime));
    }

    std::mt19937_64 random(1601);
    for (int i = 0; i < 200000; ++i) {
        const TFileTime any = random();
        ASSERT_TRUE(AgreeToCalendar(any));
        ASSERT_TRUE(AgreeToCalendar(any >> 1));
        ASSERT_TRUE(AgreeToCalendar(any >> (random() % 64)));
    }
}

TEST(SystemAgreement, CalendarToFileTime)
{
    const bool onWine = RunsOnWine();
    int skipped = 0;
    const WORD years[] = {0, 1, 1600, 1601, 1602, 1899, 1900, 1904, 1970, 1999, 2000, 2023, 2024, 2100,
                          2400, 9999, 30826, 30827, 30828, 32767, 32768, 65535};
    const WORD months[] = {0, 1, 2, 3, 4, 6, 9, 11, 12, 13, 65535};
    const WORD days[] = {0, 1, 28, 29, 30, 31, 32, 65535};
    const WORD hours[] = {0, 23, 24};
    const WORD minutes[] = {0, 59, 60};
    const WORD seconds[] = {0, 59, 60};
    const WORD milliseconds[] = {0, 999, 1000, 65535};
    for (WORD year : years)
        for (WORD month : months)
            for (WORD day : days)
                for (WORD hour : hours)
                    for (WORD minute : minutes)
                        for (WORD second : seconds)
                            for (WORD millisecond : milliseconds)
                                ASSERT_TRUE(AgreeToFileTime(
                                    Time(year, month, day, hour, minute, second, millisecond, year % 9), onWine, &skipped));

    std::mt19937 random(30827);
    for (int i = 0; i < 200000; ++i) {
        const SYSTEMTIME time = Time(static_cast<WORD>(1590 + random() % 29250), static_cast<WORD>(random() % 14),
                                     static_cast<WORD>(random() % 33), static_cast<WORD>(random() % 25),
                                     static_cast<WORD>(random() % 61), static_cast<WORD>(random() % 61),
                                     static_cast<WORD>(random() % 1001), static_cast<WORD>(random()));
        ASSERT_TRUE(AgreeToFileTime(time, onWine, &skipped));
    }
    if (skipped > 0)
        printf("[ note ] %d dates Windows refuses but Wine accepts were not compared\n", skipped);
}
