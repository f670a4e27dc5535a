// Result row texts per value type, the key path of a row, and the sort order.
#include <gtest/gtest.h>

#include <cstring>

#include "KeyPath.h"
#include "RowText.h"
#include "TestSupport.h"

namespace {

TString DataText(uint32_t type, const std::vector<uint8_t>& data)
{
    return HitDataText(type, data.data(), static_cast<uint32_t>(data.size()));
}

std::vector<uint8_t> Bytes(std::initializer_list<int> bytes)
{
    std::vector<uint8_t> data;
    for (int b : bytes)
        data.push_back(static_cast<uint8_t>(b));
    return data;
}

}  // namespace

TEST(RowTexts, StringDataIsCutAfter256Bytes)
{
    const size_t unitsIn256 = 256 / sizeof(KChar);
    // Exactly 256 bytes with the NUL shows whole.
    TString fits(unitsIn256 - 1, KT('x'));
    EXPECT_EQ(DataText(RegSz, StringData(fits)), fits);
    // One unit more is cut to 256 bytes and marked.
    TString longer(unitsIn256, KT('y'));
    EXPECT_EQ(DataText(RegExpandSz, StringData(longer)), TString(unitsIn256, KT('y')) + KT("...(省略)"));
    // 300 bytes.
    TString big(300 / sizeof(KChar) - 1, KT('z'));
    EXPECT_EQ(DataText(RegSz, StringData(big)), TString(unitsIn256, KT('z')) + KT("...(省略)"));
}

TEST(RowTexts, StringDataStopsAtNulAndAtItsSize)
{
    std::vector<uint8_t> data = StringData(KT("ab"));
    data.resize(2 * sizeof(KChar));  // no terminating NUL stored
    EXPECT_EQ(DataText(RegSz, data), KT("ab"));
    EXPECT_EQ(DataText(RegSz, StringData(TString(KT("ab\0cd"), 5))), KT("ab"));
    EXPECT_EQ(DataText(RegSz, {}), KT(""));
}

TEST(RowTexts, MultiStringsShowASpaceAfterEachString)
{
    EXPECT_EQ(DataText(RegMultiSz, StringData(TString(KT("a\0b\0"), 4))), KT("a b "));
    EXPECT_EQ(DataText(RegMultiSz, StringData(TString(KT(""), 0))), KT(""));
    EXPECT_EQ(DataText(RegMultiSz, Bytes({})), KT(""));
    TString many;
    for (int i = 0; i < 100; ++i)
        many += TString(KT("ab")) + KChar(0);
    TString shown = DataText(RegMultiSz, StringData(many));
    const size_t unitsIn256 = 256 / sizeof(KChar);
    EXPECT_EQ(shown.size(), unitsIn256 + TString(KT("...(省略)")).size());
    EXPECT_EQ(shown.substr(0, 6), KT("ab ab "));
}

TEST(RowTexts, DwordShowsHexAndSignedDecimal)
{
    EXPECT_EQ(DataText(RegDword, Bytes({0x10, 0, 0, 0})), KT("0x00000010 (16)"));
    EXPECT_EQ(DataText(RegDword, Bytes({0xFF, 0xFF, 0xFF, 0x7F})), KT("0x7fffffff (2147483647)"));
    EXPECT_EQ(DataText(RegDword, Bytes({0, 0, 0, 0x80})), KT("0x80000000 (-2147483648)"));
    EXPECT_EQ(DataText(RegDword, Bytes({0xFF, 0xFF, 0xFF, 0xFF})), KT("0xffffffff (-1)"));
}

TEST(RowTexts, ShortDwordHasZeroHighBytes)
{
    // Whatever lies beyond the value's bytes must not show.
    std::vector<uint8_t> buffer = Bytes({0x34, 0x12, 0xEE, 0xEE});
    EXPECT_EQ(HitDataText(RegDword, buffer.data(), 2), KT("0x00001234 (4660)"));
    EXPECT_EQ(HitDataText(RegDword, buffer.data(), 1), KT("0x00000034 (52)"));
    TString none = HitDataText(RegDword, buffer.data(), 0);
    EXPECT_TRUE(none == KT("0x00000000 (0)") || none == KT("00000000 (0)")) << Printable(none);
}

TEST(RowTexts, OtherTypesShowNoData)
{
    std::vector<uint8_t> data = StringData(KT("text"));
    for (uint32_t type : {0u, 3u, 5u, 6u, 8u, 9u, 10u, 12u, 0x20u})
        EXPECT_EQ(DataText(type, data), KT("")) << type;
}

TEST(RowTexts, KeysAndTheTypeElevenValue)
{
    // A key hit carries its class; a value of type 11 reads the same way up to its first NUL.
    EXPECT_EQ(DataText(KeyHitType, StringData(KT("MyClass"))), KT("MyClass"));
    EXPECT_EQ(DataText(KeyHitType, StringData(KT(""))), KT(""));
    std::vector<uint8_t> qword = Bytes({'A', 0, 'B', 0, 0, 0, 0, 0});
    if (sizeof(KChar) == 1)
        EXPECT_EQ(DataText(KeyHitType, qword), KT("A"));
    else
        EXPECT_EQ(DataText(KeyHitType, qword), KT("AB"));
    EXPECT_EQ(HitTypeText(KeyHitType), KT("(キー)"));
    EXPECT_EQ(HitImageIndex(KeyHitType), 0);
}

TEST(RowTexts, TypeTextsAndImages)
{
    EXPECT_EQ(HitTypeText(0), KT("REG_NONE"));
    EXPECT_EQ(HitTypeText(7), KT("REG_MULTI_SZ"));
    EXPECT_EQ(HitTypeText(12), KT("0x0000000c"));
    EXPECT_EQ(HitTypeText(0x20), KT("0x00000020"));
    EXPECT_EQ(HitTypeText(0xFFFFFFFF), KT("0xffffffff"));
    EXPECT_EQ(HitImageIndex(1), 1);
    EXPECT_EQ(HitImageIndex(2), 1);
    EXPECT_EQ(HitImageIndex(7), 1);
    for (uint32_t type : {0u, 3u, 4u, 5u, 6u, 8u, 12u})
        EXPECT_EQ(HitImageIndex(type), 2) << type;
}

TEST(RowTexts, NameOfTheUnnamedValue)
{
    EXPECT_EQ(HitNameText(KT(""), 0, KT("(既定)")), KT("(既定)"));
    EXPECT_EQ(HitNameText(KT("Path"), 4, KT("(既定)")), KT("Path"));
}

TEST(RowTexts, TimeIsLocalAndZeroPadded)
{
    // The tests run with TZ=Asia/Tokyo (nine hours ahead of UTC, no daylight saving).
    // 2024-05-01 00:03:07 UTC.
    const TFileTime utc = 133589953870000000ull;
    EXPECT_EQ(HitTimeText(utc), KT("2024/05/01 09:03:07"));
    // 1999-12-31 15:00:00 UTC is already the next year in Tokyo.
    EXPECT_EQ(HitTimeText(125911260000000000ull), KT("2000/01/01 00:00:00"));
}

TEST(RowKeys, KeyRowsAddTheirNameToTheLocation)
{
    EXPECT_EQ(RowKeyPath(KT("Sub"), KT("HKCU\\Software\\Example"), KeyTypeLabel), KT("HKCU\\Software\\Example\\Sub"));
    EXPECT_EQ(RowKeyPath(KT("Path"), KT("HKCU\\Software\\Example"), KT("REG_SZ")), KT("HKCU\\Software\\Example"));
    EXPECT_EQ(RowKeyPath(KT("HKCU"), KT(""), KeyTypeLabel), KT("HKCU"));
    // Only the exact label marks a key row.
    EXPECT_EQ(RowKeyPath(KT("Sub"), KT("HKCU"), KT("(キー) ")), KT("HKCU"));
}

TEST(Sorting, SameColumnFlipsOtherColumnStartsAscending)
{
    TListSortState state;
    ChooseSortDirection(state, 0);
    EXPECT_TRUE(state.SortAscending);
    ChooseSortDirection(state, 0);
    EXPECT_FALSE(state.SortAscending);
    ChooseSortDirection(state, 0);
    EXPECT_TRUE(state.SortAscending);
    ChooseSortDirection(state, 0);
    ChooseSortDirection(state, 1);
    EXPECT_EQ(state.SortColumn, 1);
    EXPECT_TRUE(state.SortAscending);
    // The first sort by a column other than 0 is ascending too.
    TListSortState fresh;
    ChooseSortDirection(fresh, 3);
    EXPECT_TRUE(fresh.SortAscending);
}

TEST(Sorting, ComparesTextsIgnoringCaseInTheChosenDirection)
{
    TListSortState state;
    state.SortTexts = {KT("beta"), KT("Alpha"), KT("ALPHA"), KT("2024/05/01 09:03:07"), KT("2024/04/30 23:59:59")};
    state.SortAscending = true;
    EXPECT_LT(CompareSortTexts(state, 1, 0), 0);
    EXPECT_EQ(CompareSortTexts(state, 1, 2), 0);
    EXPECT_LT(CompareSortTexts(state, 4, 3), 0);  // the time text sorts chronologically
    state.SortAscending = false;
    EXPECT_GT(CompareSortTexts(state, 1, 0), 0);
    EXPECT_GT(CompareSortTexts(state, 4, 3), 0);
}

TEST(Sorting, OnlyTheFirst1023UnitsCount)
{
    TString a = TString(1023, KT('x')) + KT("a");
    TString b = TString(1023, KT('x')) + KT("b");
    EXPECT_EQ(SortKeyText(a).size(), 1023u);
    TListSortState state;
    state.SortAscending = true;
    state.SortTexts = {SortKeyText(a), SortKeyText(b)};
    EXPECT_EQ(CompareSortTexts(state, 0, 1), 0);
}
