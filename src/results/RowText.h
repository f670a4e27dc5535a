// The texts and image of a result row, made from a hit, and the order the list sorts by.
#pragma once

#include "KeyfinchChar.h"

// Longer data is cut to this many bytes and marked with CutMark.
const uint32_t DataTextLimit = 256;
extern const KChar* const CutMark;
// A cell is read back with room for 1024 units, so at most 1023 take part in a sort.
const size_t CellTextRoom = 1024;

// Column 0: the name, or defaultValueLabel for a key's unnamed value.
TString HitNameText(const KChar* name, size_t length, const TString& defaultValueLabel);
// Column 2: string, multi-string, DWORD and class data as text; nothing for other types.
TString HitDataText(uint32_t type, const uint8_t* data, uint32_t dataSize);
// Column 3: the type name, or the code in hexadecimal for codes without one.
TString HitTypeText(uint32_t type);
// Column 4: the last-write time in local time.
TString HitTimeText(TFileTime lastWrite);
// 0 for a key, 1 for the string types, 2 for the rest.
int HitImageIndex(uint32_t type);

// The key a row stands for: for a key row (type text KeyTypeLabel) the location and the name,
// or the name alone when the location is empty; for a value row its location.
TString RowKeyPath(const TString& name, const TString& location, const TString& typeText);

// The sort of the result list.
struct TListSortState {
    int SortColumn = 0;
    bool SortAscending = false;
    TStringArray SortTexts;  // the sorted column's texts, by row position before the sort
};
// Picks the direction for a sort by column: the same column again reverses it, another one
// sorts ascending.
void ChooseSortDirection(TListSortState& state, int column);
// The text of a cell as the sort sees it.
TString SortKeyText(const TString& cellText);
// The comparison handed to the list control for two rows (their positions before the sort).
int CompareSortTexts(const TListSortState& state, size_t row1, size_t row2);
