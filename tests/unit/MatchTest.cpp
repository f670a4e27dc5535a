// The matcher: case folding, whole-text matches, the empty search text and odd lengths, and the
// fast scan checked against a plain scan over many generated texts.
#include <gtest/gtest.h>

#include <random>

#include "Match.h"
#include "Platform.h"
#include "StringRoutines.h"
#include "TestSupport.h"

namespace {

TSearchConditions Search(const TString& text, bool wholeWord = false, bool matchCase = false)
{
    TSearchConditions conditions;
    SetSearchText(conditions, text, wholeWord, matchCase);
    return conditions;
}

bool Matches(const TSearchConditions& conditions, const TString& text)
{
    return MatchText(conditions, text.data(), static_cast<int32_t>(text.size()));
}

// The scan written out plainly: every end position, compared backwards unit by unit.
bool PlainMatch(const TSearchConditions& c, const KChar* text, int32_t length)
{
    const int32_t m = c.SubStringLength;
    if (c.WholeWord && length != m)
        return false;
    if (m == 0)
        return true;
    for (int32_t e = m - 1; e <= length - 1; ++e) {
        bool all = true;
        for (int32_t k = 0; k < m && all; ++k)
            all = SameChar(c, text[e - k], c.SubString[m - 1 - k]);
        if (all && StartsCharacter(text, static_cast<size_t>(e - m + 1)))
            return true;
    }
    return false;
}

}  // namespace

TEST(Matching, OnlyAsciiCapitalsFold)
{
    TSearchConditions run = Search(KT("run"));
    EXPECT_EQ(run.SubString, KT("RUN"));
    for (const KChar* text : {KT("Run"), KT("run"), KT("RUN"), KT("RunOnce"), KT("xxrUn")})
        EXPECT_TRUE(Matches(run, text)) << Printable(text);
    EXPECT_FALSE(Matches(run, KT("ru")));
    EXPECT_FALSE(Matches(run, KT("r-u-n")));

    // Characters that differ from a capital's code by 0x20 but are not letters never fold.
    EXPECT_FALSE(Matches(Search(KT("[")), KT("{")));
    EXPECT_FALSE(Matches(Search(KT("@")), KT("`")));
    EXPECT_FALSE(Matches(Search(KT("^")), KT("~")));
    // A lower-case letter in the tested text never stands for a non-letter in the search text.
    EXPECT_FALSE(Matches(Search(KT("A[")), KT("a{")));
}

#if !defined(KEYFINCH_ANSI)
TEST(Matching, LettersOutsideAsciiCompareAsStored)
{
    // ä is stored as Ä and then matches only Ä.
    TSearchConditions umlaut = Search(KT("\u00E4"));
    EXPECT_EQ(umlaut.SubString, KT("\u00C4"));
    EXPECT_TRUE(Matches(umlaut, KT("x\u00C4x")));
    EXPECT_FALSE(Matches(umlaut, KT("x\u00E4x")));
    // Full-width a is stored as full-width A.
    TSearchConditions wide = Search(KT("\uFF41"));
    EXPECT_EQ(wide.SubString, KT("\uFF21"));
    EXPECT_TRUE(Matches(wide, KT("\uFF21")));
    EXPECT_FALSE(Matches(wide, KT("\uFF41")));
    // Surrogate pairs compare as their two units.
    TSearchConditions emoji = Search(KT("\U0001F600"));
    EXPECT_TRUE(Matches(emoji, KT("a\U0001F600b")));
    EXPECT_FALSE(Matches(emoji, KT("a\U0001F601b")));
}
#endif

TEST(Matching, MatchCaseComparesExactly)
{
    TSearchConditions run = Search(KT("Run"), false, true);
    EXPECT_EQ(run.SubString, KT("Run"));
    EXPECT_TRUE(Matches(run, KT("Run")));
    EXPECT_TRUE(Matches(run, KT("RunOnce")));
    EXPECT_FALSE(Matches(run, KT("run")));
    EXPECT_FALSE(Matches(run, KT("RUN")));
}

TEST(Matching, WholeWordMeansTheWholeText)
{
    TSearchConditions run = Search(KT("run"), true);
    EXPECT_TRUE(Matches(run, KT("Run")));
    EXPECT_TRUE(Matches(run, KT("RUN")));
    EXPECT_FALSE(Matches(run, KT("RunOnce")));
    EXPECT_FALSE(Matches(run, KT("my run")));
}

TEST(Matching, EmptySearchTextAndShortTexts)
{
    TSearchConditions empty = Search(KT(""));
    EXPECT_TRUE(Matches(empty, KT("anything")));
    EXPECT_TRUE(Matches(empty, KT("")));
    EXPECT_TRUE(MatchText(empty, nullptr, -1));

    TSearchConditions emptyWhole = Search(KT(""), true);
    EXPECT_TRUE(Matches(emptyWhole, KT("")));
    EXPECT_FALSE(Matches(emptyWhole, KT("x")));
    EXPECT_FALSE(MatchText(emptyWhole, nullptr, -1));

    TSearchConditions abc = Search(KT("abc"));
    EXPECT_FALSE(Matches(abc, KT("ab")));
    EXPECT_FALSE(MatchText(abc, KT("abc"), -1));
    EXPECT_FALSE(MatchText(abc, KT("abc"), 2));  // the length decides, not the NUL
    EXPECT_TRUE(Matches(abc, KT("xxABC")));
    EXPECT_TRUE(Matches(abc, KT("ABCxx")));
}

TEST(Matching, DataWithNulsInside)
{
    // A multi-string a, b is tested as the four units a NUL b NUL.
    const KChar data[] = {KT('a'), 0, KT('b'), 0, 0};
    EXPECT_TRUE(MatchText(Search(KT("b")), data, 4));
    EXPECT_FALSE(MatchText(Search(KT("b"), true), data, 4));
    EXPECT_FALSE(MatchText(Search(KT("a"), true), data, 4));
    EXPECT_TRUE(MatchText(Search(TString(KT("a\0b"), 3)), data, 4));
}

#if defined(KEYFINCH_ANSI)
TEST(MatchingAnsi, OccurrenceMustStartOnACharacter)
{
    // 0x83 0x41 is one character (ア); the A is its trail byte, not a letter.
    EXPECT_FALSE(Matches(Search("A"), "\x83\x41"));
    EXPECT_FALSE(Matches(Search("AB"), "\x83\x41" "B"));
    EXPECT_TRUE(Matches(Search("AB"), "\x83\x41" "AB"));
    // 検 (0x8C 0x9F) ends in a byte with a lead byte's value; the A after it is a character.
    EXPECT_TRUE(Matches(Search("A"), "\x8C\x9F" "A"));
    // A trail byte 0x5C is not a backslash.
    EXPECT_FALSE(Matches(Search("\\"), "\x83\x5C"));
    EXPECT_TRUE(Matches(Search("\\"), "\x83\x5C\\"));
    // Folding applies to every byte, trail bytes included, and the whole-text length is in bytes.
    EXPECT_TRUE(Matches(Search("\x83\x61"), "\x83\x61"));
    EXPECT_TRUE(Matches(Search("abc"), "ABC"));
    EXPECT_TRUE(Matches(Search("ABC"), "abc"));
    EXPECT_TRUE(Matches(Search("\x83\x5C", true), "\x83\x5C"));
    EXPECT_FALSE(Matches(Search("\x83\x5C", true), "\x83\x5C\x83\x5C"));
}
#endif

TEST(Matching, FastScanAgreesWithPlainScan)
{
    // Small alphabets make many near misses: letters of both cases, the 0x20 look-alikes and,
    // in the ANSI build, lead bytes and trail bytes that look like letters or backslashes.
#if defined(KEYFINCH_ANSI)
    const std::vector<KChar> alphabet = {'a', 'A', 'b', 'B', '[', '{', '\\', '\x83', '\x8C', '\x9F', '\x41', '\x61'};
#else
    const std::vector<KChar> alphabet = {KT('a'), KT('A'), KT('b'), KT('B'), KT('['), KT('{'), 0x00E4, 0x00C4, 0};
#endif
    std::mt19937 random(12345);
    auto randomText = [&](size_t maxLength) {
        TString text(random() % (maxLength + 1), 0);
        for (KChar& c : text)
            c = alphabet[random() % alphabet.size()];
        return text;
    };
    for (int round = 0; round < 20000; ++round) {
        TSearchConditions c = Search(randomText(4), random() % 4 == 0, random() % 2 == 0);
        TString text = randomText(12);
        int32_t length = random() % 10 == 0 ? -1 : static_cast<int32_t>(text.size());
        ASSERT_EQ(MatchText(c, text.data(), length), PlainMatch(c, text.data(), length))
            << "search " << Printable(c.SubString) << " in " << Printable(text) << " length " << length;
    }
}
