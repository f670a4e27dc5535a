// How values read from the settings file are taken: the file may have been edited by hand or
// come from another machine, so every number is bounded before it sizes anything.
#pragma once

#include "FileTimes.h"

// No stored list is read beyond this many entries, whatever its count says.
const int32_t MaxStoredEntries = 10000;

// How many entries of a numbered list to read: the stored count, no more than the size (for the
// two combo-box histories; pass MaxStoredEntries for the jump history) and the bound; 0 when
// either is below 1.
int32_t EntriesToRead(int32_t count, int32_t size);
// A history size: below 0 means 0; above the bound means the bound.
int32_t StoredHistorySize(int32_t size);
// A column width in pixels; a negative or absurd one gives the default.
int32_t StoredColumnWidth(int32_t width, int32_t defaultWidth);
// "yyyy/MM/dd HH:mm:ss" read at its fixed positions; false, with *time untouched, when a field
// is not a number or the date or time does not exist.
bool ParseStoredDateTime(const TString& text, TCalendarTime* time);
