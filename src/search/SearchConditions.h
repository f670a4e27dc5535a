// The one record of search conditions: written when a search starts, read by the walk.
#pragma once

#include "FileTimes.h"
#include "Registry.h"

// Where a search looks.
enum TLocationType : int32_t {
    LocationAllRoots = 0,
    LocationChosenRoots = 1,
    LocationOneKey = 2,
};

// How far the matcher may move on past a tested unit, by the unit's low byte: never further
// than to the next place where the search text could end. All ones scan every position.
struct TSkipTable {
    uint8_t Shift[256];
    TSkipTable();
};

struct TSearchConditions {
    TString SubString;  // upper-cased when MatchCase is false
    int32_t SubStringLength = 0;
    bool Key = true;
    bool Value = true;
    bool Data = true;
    bool WholeWord = false;
    bool MatchCase = false;
    int32_t Type = LocationAllRoots;
    bool HKCR = true;
    bool HKCU = true;
    bool HKLM = true;
    bool HKU = true;
    bool HKCC = true;
    bool SubKey = true;
    TString KeyName;     // the start key of LocationOneKey, short root form
    TRegKey KeyHandle = 0;
    bool After = false;
    TFileTime AfterDateTime = 0;
    bool Before = false;
    TFileTime BeforeDateTime = 0;
    bool Time = false;
    // Made from SubString and MatchCase by SetSearchText, for the matcher.
    TSkipTable Skip;
};

// Takes the search text as typed; without MatchCase it is stored upper-cased, which the
// matcher relies on. Change SubString and MatchCase only through here.
void SetSearchText(TSearchConditions& conditions, const TString& text, bool wholeWord, bool matchCase);

// The local calendar day (and, with useTime, the time of day to the second) of a date bound,
// turned into a UTC file time: a lower bound starts at .000 (00:00:00 without useTime), an
// upper bound ends at .999 (23:59:59 without useTime). False when the fields make no time.
bool MakeDateBound(const TCalendarTime& date, const TCalendarTime& time, bool useTime, bool upper,
                   TFileTime* utc);
