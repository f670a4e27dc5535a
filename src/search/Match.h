// Whether a tested text (a name, string data or a class name) contains the search text.
#pragma once

#include "SearchConditions.h"

// One unit of the tested text against one unit of the (already upper-cased) search text:
// without MatchCase only the 26 ASCII capitals also accept their lower-case letter.
inline bool SameChar(const TSearchConditions& conditions, KChar tested, KChar searched)
{
    if (tested == searched)
        return true;
    if (conditions.MatchCase)
        return false;
    unsigned s = CharCode(searched);
    return s >= 'A' && s <= 'Z' && CharCode(tested) == s + 0x20;
}

// True when the text holds the search text (or, with WholeWord, is it). length may be -1 for
// string data shorter than one character; only an empty search text without WholeWord matches it.
bool MatchText(const TSearchConditions& conditions, const KChar* text, int32_t length);
