// The result list: one row per hit, its columns and image list, and sorting by any column.
#pragma once

#include <windows.h>
#include "KeyfinchChar.h"
#include "RowText.h"

#if defined(KEYFINCH_ANSI)
const int ResultColumnCount = 4;  // no modification times
#else
const int ResultColumnCount = 5;
#endif

extern TListSortState ListSortState;

void InitResultColumns();
// Appends one row; called by the search thread for every hit and by the history listing.
void AddHit(const KChar* name, size_t nameLength, const TString& location, uint32_t type, TFileTime lastWrite,
            uint32_t dataSize, const uint8_t* data);
int GetSelectedRow();
TString GetRowText(int row, int column);
void ClearList();
void SortByColumn(int column);
