// Path splitting, number conversion and comparison routines.
#include <gtest/gtest.h>

#include "StringRoutines.h"
#include "TestSupport.h"

TEST(PathComponents, EveryBackslashEndsAComponent)
{
    EXPECT_EQ(SplitPathComponents(KT("A\\B")), (TStringArray{KT("A"), KT("B")}));
    EXPECT_EQ(SplitPathComponents(KT("A\\\\B")), (TStringArray{KT("A"), KT(""), KT("B")}));
    EXPECT_EQ(SplitPathComponents(KT("HKCU\\Software\\")), (TStringArray{KT("HKCU"), KT("Software"), KT("")}));
    EXPECT_EQ(SplitPathComponents(KT("")), (TStringArray{KT("")}));
    EXPECT_EQ(SplitPathComponents(KT("\\")), (TStringArray{KT(""), KT("")}));
}

TEST(PathComponents, LastComponentAndParent)
{
    EXPECT_EQ(ExtractLastComponent(KT("HKCU")), KT("HKCU"));
    EXPECT_EQ(ExtractParentPath(KT("HKCU")), KT(""));
    EXPECT_EQ(ExtractLastComponent(KT("HKCU\\Software\\Run")), KT("Run"));
    EXPECT_EQ(ExtractParentPath(KT("HKCU\\Software\\Run")), KT("HKCU\\Software"));
    EXPECT_EQ(ExtractLastComponent(KT("HKCU\\Software\\")), KT(""));
    EXPECT_EQ(ExtractParentPath(KT("HKCU\\Software\\")), KT("HKCU\\Software"));
}

TEST(PathComponents, DelimiterPositionsCountFromOne)
{
    TString path = KT("A\\B");
    EXPECT_FALSE(IsPathDelimiter(path, 0));
    EXPECT_FALSE(IsPathDelimiter(path, 1));
    EXPECT_TRUE(IsPathDelimiter(path, 2));
    EXPECT_FALSE(IsPathDelimiter(path, 3));
    EXPECT_FALSE(IsPathDelimiter(path, 4));
    EXPECT_FALSE(IsPathDelimiter(path, -1));
}

#if defined(KEYFINCH_ANSI)
// ソ is 0x83 0x5C in code page 932: its second byte is the backslash's value.
TEST(PathComponentsAnsi, TrailByteBackslashIsPartOfTheName)
{
    TString path = "HKCU\\\x83\x5C\x83\x5C\\x";
    EXPECT_EQ(SplitPathComponents(path), (TStringArray{"HKCU", "\x83\x5C\x83\x5C", "x"}));
    EXPECT_EQ(ExtractLastComponent("HKCU\\\x83\x5C"), TString("\x83\x5C"));
    EXPECT_EQ(ExtractParentPath("HKCU\\\x83\x5C"), TString("HKCU"));
    EXPECT_FALSE(IsPathDelimiter(path, 7));
    EXPECT_TRUE(IsPathDelimiter(path, 10));
    EXPECT_TRUE(IsPathDelimiter("\\x", 1));
}

// 検 is 0x8C 0x9F: its trail byte 0x9F has the value of a lead byte, so a backslash after it
// is still a separator.
TEST(PathComponentsAnsi, TrailByteWithLeadByteValueBeforeABackslash)
{
    TString path = "A\\\x8C\x9F\\B";
    EXPECT_TRUE(IsPathDelimiter(path, 5));
    EXPECT_EQ(SplitPathComponents(path), (TStringArray{"A", "\x8C\x9F", "B"}));
    EXPECT_EQ(ExtractLastComponent(path), TString("B"));
    EXPECT_EQ(ExtractParentPath(path), TString("A\\\x8C\x9F"));
}
#endif

TEST(FileNames, ChangeExtension)
{
    EXPECT_EQ(ChangeExtension(KT("D:\\tools\\finder.exe"), KT(".ini")), KT("D:\\tools\\finder.ini"));
    EXPECT_EQ(ChangeExtension(KT("D:\\tools\\finder"), KT(".ini")), KT("D:\\tools\\finder.ini"));
    EXPECT_EQ(ChangeExtension(KT("a.b.c"), KT(".ini")), KT("a.b.ini"));
}

TEST(Numbers, IntToTextAndBack)
{
    EXPECT_EQ(IntToText(0), KT("0"));
    EXPECT_EQ(IntToText(-2147483647), KT("-2147483647"));
    EXPECT_EQ(IntToText(INT32_MIN), KT("-2147483648"));
    EXPECT_EQ(IntToText(1234567), KT("1234567"));
    EXPECT_EQ(TextToInt(KT("-12")), -12);
    EXPECT_EQ(TextToInt(KT("007")), 7);
    EXPECT_EQ(TextToInt(KT("")), 0);
    EXPECT_EQ(TextToInt(KT("-")), 0);
    for (int32_t value : {0, 1, -1, 99, 2147483647, -2147483647, INT32_MIN})
        EXPECT_EQ(TextToInt(IntToText(value)), value);
}

TEST(Numbers, TextToIntDoesNotValidate)
{
    // Each unit counts as its code minus '0': "1a" is 1 * 10 + 49.
    EXPECT_EQ(TextToInt(KT("1a")), 59);
    // Far too many digits wrap instead of failing.
    TextToInt(KT("99999999999999999999999"));
}

TEST(Comparisons, OrdinalComparesUnits)
{
    EXPECT_EQ(CompareOrdinal(KT("abc"), KT("abc")), 0);
    EXPECT_LT(CompareOrdinal(KT("ab"), KT("abc")), 0);
    EXPECT_GT(CompareOrdinal(KT("abc"), KT("ab")), 0);
    EXPECT_NE(CompareOrdinal(KT("ABC"), KT("abc")), 0);
    EXPECT_LT(CompareOrdinal(KT("A"), KT("a")), 0);
    EXPECT_EQ(CompareOrdinal(KT(""), KT("")), 0);
}

TEST(Comparisons, NoCaseIgnoresLetterCase)
{
    EXPECT_EQ(CompareNoCase(KT("hkey_local_machine"), KT("HKEY_LOCAL_MACHINE")), 0);
    EXPECT_LT(CompareNoCase(KT("apple"), KT("Banana")), 0);
    EXPECT_GT(CompareNoCase(KT("Banana"), KT("apple")), 0);
    EXPECT_NE(CompareNoCase(KT("HKLM2"), KT("HKLM")), 0);
}

TEST(Substrings, LeftAndMidStopAtTheEnd)
{
    EXPECT_EQ(LeftText(KT("abcdef"), 3), KT("abc"));
    EXPECT_EQ(LeftText(KT("ab"), 5), KT("ab"));
    EXPECT_EQ(LeftText(KT("ab"), 0), KT(""));
    EXPECT_EQ(MidText(KT("abcdef"), 2, 3), KT("bcd"));
    EXPECT_EQ(MidText(KT("abcdef"), 5, 10), KT("ef"));
    EXPECT_EQ(MidText(KT("abcdef"), 7, 1), KT(""));
    EXPECT_EQ(ReplaceChar(TString(KT("a\0b\0"), 4), 0, KT(' ')), KT("a b "));
}

TEST(Formatting, FormatTextKeepsWhatTheFormatterKept)
{
    EXPECT_EQ(FormatText(KT("%d.%d 秒"), {12, 3}), KT("12.3 秒"));
    EXPECT_EQ(FormatText(KT("%s-%d"), {KT("abc"), -5}), KT("abc--5"));
    // The system formatter stops at 1023 units and then reports more than it kept.
    TString longText(2000, KT('x'));
    EXPECT_EQ(FormatText(KT("%s"), {longText.c_str()}), TString(1023, KT('x')));
    EXPECT_EQ(FormatText(KT(""), {}), KT(""));
}
