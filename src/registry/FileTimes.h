// File times and calendar times, converted the way FileTimeToSystemTime and
// SystemTimeToFileTime do it.
#pragma once

#include "KeyfinchChar.h"

// The fields of a SYSTEMTIME.
struct TCalendarTime {
    int Year;
    int Month;
    int DayOfWeek;  // 0 = Sunday; ignored when converting to a file time
    int Day;
    int Hour;
    int Minute;
    int Second;
    int Milliseconds;
};

// False, with *calendar untouched, for a time the system cannot convert (0x8000000000000000 or later).
bool FileTimeToCalendar(TFileTime fileTime, TCalendarTime* calendar);
// False, with *fileTime untouched, for fields out of range (year 1601 to 30827, a day the month
// does not have, hour 0..23 and so on).
bool CalendarToFileTime(const TCalendarTime& calendar, TFileTime* fileTime);
