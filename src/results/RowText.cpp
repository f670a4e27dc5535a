// Result row texts and the sort order.
#include "RowText.h"

#include "FileTimes.h"
#include "KeyPath.h"
#include "Platform.h"
#include "StringRoutines.h"

const KChar* const CutMark = KT("...(省略)");

namespace {

// Up to the first NUL, and never beyond count units.
TString TextUpToNul(const KChar* text, size_t count)
{
    size_t length = 0;
    while (length < count && text[length] != 0)
        ++length;
    return TString(text, length);
}

const KChar* DataUnits(const uint8_t* data)
{
    return reinterpret_cast<const KChar*>(data);
}

}  // namespace

TString HitNameText(const KChar* name, size_t length, const TString& defaultValueLabel)
{
    return length == 0 ? defaultValueLabel : TString(name, length);
}

TString HitDataText(uint32_t type, const uint8_t* data, uint32_t dataSize)
{
    const size_t limitUnits = DataTextLimit / sizeof(KChar);
    switch (type) {
    case 1:
    case 2:
        if (dataSize <= DataTextLimit)
            return TextUpToNul(DataUnits(data), dataSize / sizeof(KChar));
        return TextUpToNul(DataUnits(data), limitUnits) + CutMark;
    case 4: {
        // Bytes the value does not have count as zero.
        uint32_t value = 0;
        for (uint32_t i = 0; i < 4 && i < dataSize; ++i)
            value |= static_cast<uint32_t>(data[i]) << (8 * i);
        return FormatText(KT("%#.8lx (%d)"), {value, value});
    }
    case 7: {
        // Every string with the NUL after it, but the final one; the NULs show as spaces.
        bool cut = dataSize > DataTextLimit;
        int64_t units = cut ? static_cast<int64_t>(limitUnits) : static_cast<int64_t>(dataSize / sizeof(KChar)) - 1;
        if (units <= 0)
            return cut ? TString(CutMark) : TString();
        TString text = ReplaceChar(TString(DataUnits(data), static_cast<size_t>(units)), 0, KT(' '));
        return cut ? text + CutMark : text;
    }
    case 11:
        return TextUpToNul(DataUnits(data), dataSize / sizeof(KChar));
    default:
        return TString();
    }
}

TString HitTypeText(uint32_t type)
{
    if (type < 12)
        return ValueTypeNames[type];
    return FormatText(KT("%#.8lx"), {type});
}

TString HitTimeText(TFileTime lastWrite)
{
    TCalendarTime t = {};
    FileTimeToCalendar(PlatformUtcToLocal(lastWrite), &t);
    return FormatText(KT("%04d/%02d/%02d %02d:%02d:%02d"), {t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second});
}

int HitImageIndex(uint32_t type)
{
    if (type == KeyHitType)
        return 0;
    if (IsStringType(type))
        return 1;
    return 2;
}

TString RowKeyPath(const TString& name, const TString& location, const TString& typeText)
{
    if (CompareOrdinal(typeText, KeyTypeLabel) != 0)
        return location;
    if (location.empty())
        return name;
    return location + KT('\\') + name;
}

void ChooseSortDirection(TListSortState& state, int column)
{
    if (column == state.SortColumn) {
        state.SortAscending = !state.SortAscending;
    } else {
        state.SortColumn = column;
        state.SortAscending = true;
    }
}

TString SortKeyText(const TString& cellText)
{
    return LeftText(cellText, static_cast<int>(CellTextRoom - 1));
}

int CompareSortTexts(const TListSortState& state, size_t row1, size_t row2)
{
    int r = CompareNoCase(state.SortTexts[row1], state.SortTexts[row2]);
    return state.SortAscending ? r : -r;
}
