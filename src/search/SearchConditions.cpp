// Filling the search conditions from what the user typed and chose.
#include "SearchConditions.h"

#include <cstring>

#include "Platform.h"

TSkipTable::TSkipTable()
{
    std::memset(Shift, 1, sizeof Shift);
}

namespace {

// For each unit that could match search unit i (i < m - 1), the scan may move on only as far as
// would bring that unit under position i. Units that share a low byte share the smallest shift.
void MakeSkipTable(const TSearchConditions& conditions, TSkipTable& table)
{
    const int32_t m = conditions.SubStringLength;
    const uint8_t longest = static_cast<uint8_t>(m < 255 ? (m > 0 ? m : 1) : 255);
    std::memset(table.Shift, longest, sizeof table.Shift);
    for (int32_t i = 0; i + 1 < m; ++i) {
        int32_t distance = m - 1 - i;
        uint8_t shift = static_cast<uint8_t>(distance < 255 ? distance : 255);
        unsigned unit = CharCode(conditions.SubString[i]);
        table.Shift[unit & 0xFF] = shift;
        if (!conditions.MatchCase && unit >= 'A' && unit <= 'Z')
            table.Shift[(unit + 0x20) & 0xFF] = shift;
    }
}

}  // namespace

void SetSearchText(TSearchConditions& conditions, const TString& text, bool wholeWord, bool matchCase)
{
    conditions.SubString = text;
    conditions.SubStringLength = static_cast<int32_t>(text.size());
    conditions.WholeWord = wholeWord;
    conditions.MatchCase = matchCase;
    if (!matchCase && !conditions.SubString.empty())
        PlatformUpperCase(&conditions.SubString[0], conditions.SubString.size());
    MakeSkipTable(conditions, conditions.Skip);
}

bool MakeDateBound(const TCalendarTime& date, const TCalendarTime& time, bool useTime, bool upper,
                   TFileTime* utc)
{
    TCalendarTime local = date;
    local.DayOfWeek = 0;
    if (useTime) {
        local.Hour = time.Hour;
        local.Minute = time.Minute;
        local.Second = time.Second;
    } else {
        local.Hour = upper ? 23 : 0;
        local.Minute = upper ? 59 : 0;
        local.Second = upper ? 59 : 0;
    }
    local.Milliseconds = upper ? 999 : 0;
    TFileTime localTime;
    if (!CalendarToFileTime(local, &localTime))
        return false;
    *utc = PlatformLocalToUtc(localTime);
    return true;
}
