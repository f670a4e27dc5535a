// File times and calendar times converted by plain arithmetic, with the same results and the
// same limits as FileTimeToSystemTime and SystemTimeToFileTime.
#include "FileTimes.h"

namespace {

const uint64_t TicksPerMillisecond = 10000;
const uint64_t TicksPerSecond = 10000000;
const int64_t SecondsPerDay = 86400;
const TFileTime FirstInvalidFileTime = 0x8000000000000000ULL;
// The day counts below run from 0000-03-01 of the proleptic Gregorian calendar: with years
// starting in March the leap day comes last, and 400 years make a cycle of 146097 days.
const int64_t DaysBefore1601 = 584694;
const int64_t DaysPer400Years = 146097;

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month)
{
    static const int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : Days[month - 1];
}

// Days since 1601-01-01 of a date from that day on.
int64_t DaysSince1601(int year, int month, int day)
{
    const int64_t marchYear = year - (month <= 2 ? 1 : 0);
    const int64_t era = marchYear / 400;
    const int64_t yearOfEra = marchYear - era * 400;
    const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * DaysPer400Years + dayOfEra - DaysBefore1601;
}

void DateOfDay(int64_t daysSince1601, int* year, int* month, int* day)
{
    const int64_t days = daysSince1601 + DaysBefore1601;
    const int64_t era = days / DaysPer400Years;
    const int64_t dayOfEra = days - era * DaysPer400Years;
    // The leap days of the era so far (one in 4 years, none in 100, one in 400) taken out.
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    *day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    *month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    *year = static_cast<int>(era * 400 + yearOfEra + (*month <= 2 ? 1 : 0));
}

}  // namespace

bool FileTimeToCalendar(TFileTime fileTime, TCalendarTime* calendar)
{
    if (fileTime >= FirstInvalidFileTime)
        return false;
    const uint64_t totalSeconds = fileTime / TicksPerSecond;
    const int64_t days = static_cast<int64_t>(totalSeconds / SecondsPerDay);
    const int secondOfDay = static_cast<int>(totalSeconds % SecondsPerDay);

    TCalendarTime result;
    DateOfDay(days, &result.Year, &result.Month, &result.Day);
    result.DayOfWeek = static_cast<int>((days + 1) % 7);  // 1601-01-01 was a Monday
    result.Hour = secondOfDay / 3600;
    result.Minute = secondOfDay / 60 % 60;
    result.Second = secondOfDay % 60;
    result.Milliseconds = static_cast<int>(fileTime % TicksPerSecond / TicksPerMillisecond);
    *calendar = result;
    return true;
}

bool CalendarToFileTime(const TCalendarTime& calendar, TFileTime* fileTime)
{
    if (calendar.Year < 1601 || calendar.Year > 30827 || calendar.Month < 1 || calendar.Month > 12
        || calendar.Day < 1 || calendar.Day > DaysInMonth(calendar.Year, calendar.Month)
        || calendar.Hour < 0 || calendar.Hour > 23 || calendar.Minute < 0 || calendar.Minute > 59
        || calendar.Second < 0 || calendar.Second > 59 || calendar.Milliseconds < 0
        || calendar.Milliseconds > 999)
        return false;

    const int64_t days = DaysSince1601(calendar.Year, calendar.Month, calendar.Day);
    const int64_t seconds = days * SecondsPerDay + calendar.Hour * 3600 + calendar.Minute * 60 + calendar.Second;
    *fileTime = static_cast<uint64_t>(seconds) * TicksPerSecond
        + static_cast<uint64_t>(calendar.Milliseconds) * TicksPerMillisecond;
    return true;
}
