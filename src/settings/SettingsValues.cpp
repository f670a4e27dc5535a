#include "SettingsValues.h"

#include <algorithm>

int32_t EntriesToRead(int32_t count, int32_t size)
{
    int32_t entries = std::min(std::min(count, size), MaxStoredEntries);
    return entries < 1 ? 0 : entries;
}

int32_t StoredHistorySize(int32_t size)
{
    return std::max(0, std::min(size, MaxStoredEntries));
}

int32_t StoredColumnWidth(int32_t width, int32_t defaultWidth)
{
    // Wider than any screen is a damaged value, and negative widths ask the list to size itself.
    return width >= 0 && width <= 10000 ? width : defaultWidth;
}

// Digits at 1-based positions first to first + count - 1; -1 when one is not a digit.
static int FieldAt(const TString& text, size_t first, size_t count)
{
    int value = 0;
    for (size_t i = first - 1; i < first - 1 + count; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool ParseStoredDateTime(const TString& text, TCalendarTime* time)
{
    TCalendarTime parsed = {};
    parsed.Year = FieldAt(text, 1, 4);
    parsed.Month = FieldAt(text, 6, 2);
    parsed.Day = FieldAt(text, 9, 2);
    parsed.Hour = FieldAt(text, 12, 2);
    parsed.Minute = FieldAt(text, 15, 2);
    parsed.Second = FieldAt(text, 18, 2);
    TFileTime check;
    if (parsed.Year < 0 || parsed.Month < 0 || parsed.Day < 0 || parsed.Hour < 0 || parsed.Minute < 0 ||
        parsed.Second < 0 || !CalendarToFileTime(parsed, &check))
        return false;
    *time = parsed;
    return true;
}
