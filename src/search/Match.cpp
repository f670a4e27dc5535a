// The matcher. It runs once or twice for every value and key of the registry, so it copies and
// allocates nothing. It tests one unit per step, the one under the end of the search text, and
// moves on by the skip table of the conditions: as far as the search text cannot end sooner.
#include "Match.h"

#include "Platform.h"

bool MatchText(const TSearchConditions& conditions, const KChar* text, int32_t length)
{
    const int32_t m = conditions.SubStringLength;
    if (conditions.WholeWord && length != m)
        return false;
    if (m == 0)
        return true;
    if (length < m)
        return false;

    const KChar* search = conditions.SubString.data();
    const uint8_t* shift = conditions.Skip.Shift;
    // A unit t can stand for the last search unit exactly when (t | fold) == target: without
    // MatchCase a capital letter also takes its lower-case letter, which differs only in bit 5.
    const unsigned last = CharCode(search[m - 1]);
    const unsigned fold = (!conditions.MatchCase && last >= 'A' && last <= 'Z') ? 0x20 : 0;
    const unsigned target = last | fold;

    // ANSI only: the start of the character reached so far, for telling lead from trail bytes.
    // Occurrences are found in increasing order, so it only moves forward.
    int32_t character = 0;

    for (int32_t end = m - 1; end < length; end += shift[CharCode(text[end]) & 0xFF]) {
        if ((CharCode(text[end]) | fold) != target)
            continue;
        int32_t i = m - 2;
        const KChar* p = text + end - 1;
        while (i >= 0 && SameChar(conditions, *p, search[i])) {
            --i;
            --p;
        }
        if (i >= 0)
            continue;
        if (sizeof(KChar) == 1) {
            // An occurrence must begin on a character, not on a trail byte; a trail byte may
            // have the value of a lead byte, so the text is read from its start.
            const int32_t start = end - m + 1;
            while (character < start)
                character += PlatformIsLeadByte(static_cast<unsigned char>(text[character])) ? 2 : 1;
            if (character != start)
                continue;
        }
        return true;
    }
    return false;
}
