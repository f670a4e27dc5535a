// FileTimeToCalendar and CalendarToFileTime against FileTimeToSystemTime and SystemTimeToFileTime:
// the limits, the leap days, and fields at random, half the time at an edge of their range.
#include <windows.h>
#include <gtest/gtest.h>
#include <random>
#include "FileTimes.h"

namespace {

typedef std::vector<int> TFields;

void CompareCalendar(TFileTime t)
{
    const FILETIME f = {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
    SYSTEMTIME s = {};  // all zeros where refused: both must leave the output untouched
    TCalendarTime c = {};
    FileTimeToSystemTime(&f, &s);
    FileTimeToCalendar(t, &c);
    ASSERT_EQ((TFields{s.wYear, s.wMonth, s.wDayOfWeek, s.wDay, s.wHour, s.wMinute, s.wSecond, s.wMilliseconds}),
              (TFields{c.Year, c.Month, c.DayOfWeek, c.Day, c.Hour, c.Minute, c.Second, c.Milliseconds}))
        << std::hex << t;
}

::testing::AssertionResult AgreeToFileTime(const std::vector<WORD>& f)
{
    static const bool onWine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    const SYSTEMTIME t = {f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]};
    FILETIME system = {0x11111111, 0x22222222};
    TFileTime actual = 0x2222222211111111;  // both must leave it untouched when they refuse
    SystemTimeToFileTime(&t, &system);
    CalendarToFileTime({f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]}, &actual);
    const TFileTime expected = static_cast<TFileTime>(system.dwHighDateTime) << 32 | system.dwLowDateTime;
    // Wine takes February 29 of any year and years up to 32767; Windows refuses both, and so do we.
    const bool notLeap = t.wYear % 4 != 0 || (t.wYear % 100 == 0 && t.wYear % 400 != 0);
    if (expected == actual || (onWine && actual == 0x2222222211111111
                               && ((t.wMonth == 2 && t.wDay == 29 && notLeap) || t.wYear > 30827)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << testing::PrintToString(f) << std::hex << " " << expected << " " << actual;
}

}  // namespace

TEST(SystemAgreement, FileTimeToCalendar)
{
    const TFileTime day = 864000000000;
    for (TFileTime t : {0ull, 9999ull, 10000ull, day - 1, 0x7FFFFFFFFFFFFFFFull, 0x8000000000000000ull, ~0ull})
        ASSERT_NO_FATAL_FAILURE(CompareCalendar(t));
    // Around February 29 of 1900 (none), 2000 and 2100 (none).
    for (TFileTime leap : {0x014F6598C43F8000ull, 0x01BF8247EBCC8000ull, 0x022F9FC03DC34000ull})
        for (TFileTime t = leap - day; t < leap + 2 * day; t += 9970000)
            ASSERT_NO_FATAL_FAILURE(CompareCalendar(t));
    std::mt19937_64 random(1601);
    for (int i = 0; i < 400000; ++i)  // half of them in range, half shifted down to any size
        ASSERT_NO_FATAL_FAILURE(CompareCalendar(random() >> (i % 2 ? 1 : i % 64)));
}

TEST(SystemAgreement, CalendarToFileTime)
{
    const std::vector<int> edges[] = {{0, 1600, 1601, 1900, 2000, 2100, 30827, 30828, 32767, 32768, 65535},
                                      {0, 1, 2, 4, 12, 13, 65535}, {0, 6, 7, 65535}, {0, 1, 28, 29, 30, 31, 32, 65535},
                                      {0, 23, 24, 65535}, {0, 59, 60}, {0, 59, 60}, {0, 999, 1000, 65535}};
    const int firsts[] = {1590, 0, 0, 0, 0, 0, 0, 0}, spans[] = {29250, 14, 65536, 33, 25, 61, 61, 1001};
    std::mt19937 random(30827);
    std::vector<WORD> f(8);
    for (int i = 0; i < 400000; ++i) {
        for (int k = 0; k < 8; ++k)
            f[k] = WORD(random() % 2 ? edges[k][random() % edges[k].size()] : firsts[k] + random() % spans[k]);
        ASSERT_TRUE(AgreeToFileTime(f));
    }
}
