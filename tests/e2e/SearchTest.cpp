// Searches as a user runs them: the rows and status texts they leave, stopping them, and
// closing the window while one runs.
#include <regex>
#include "KeyfinchFixture.h"

typedef TKeyfinch SearchTest;

static bool Matches(const std::wstring& text, const wchar_t* pattern)
{
    return std::regex_match(text, std::wregex(pattern));
}

static std::wstring WriteTime(const std::wstring& key)
{
    FILETIME time = {};
    KeyWriteTime(key, time);
    return LocalTimeText(time);
}

// The registry lists values and subkeys in name order, without regard to case.
TEST_F(SearchTest, SeededSubtreeGivesOneRowPerHitInWalkOrder)
{
    std::wstring seed = TestKey + L"\\Seed";
    ASSERT_TRUE(CreateKey(seed));
    SetStringValue(seed, L"", L"a needle in the default value");
    SetDwordValue(seed, L"NeedleDword", 16);
    SetStringValue(seed, L"plain", L"%NEEDLE%", REG_EXPAND_SZ);
    SetBinaryValue(seed, L"BinNeedle", {1, 2, 3});
    SetStringValue(seed, L"Multi", std::wstring(L"a\0needle\0", 9), REG_MULTI_SZ);
    SetStringValue(seed, L"unrelated", L"hay");
    ASSERT_TRUE(CreateKey(seed + L"\\NeedleKey", L"cls"));
    ASSERT_TRUE(CreateKey(seed + L"\\Other"));
    SetStringValue(seed + L"\\Other", L"x", L"NeEdLe");
    ASSERT_TRUE(Start());

    ASSERT_TRUE(SearchIn(TestKey + L"\\Seed", L"needle"));

    std::wstring at = L"HKCU\\" + seed;
    std::wstring time = WriteTime(seed);
    TRows expected = {
        {L"(既定)", at, L"a needle in the default value", L"REG_SZ", time},
        {L"BinNeedle", at, L"", L"REG_BINARY", time},
        {L"Multi", at, L"a needle ", L"REG_MULTI_SZ", time},
        {L"NeedleDword", at, L"0x00000010 (16)", L"REG_DWORD", time},
        {L"plain", at, L"%NEEDLE%", L"REG_EXPAND_SZ", time},
        {L"NeedleKey", at, L"cls", L"(キー)", WriteTime(seed + L"\\NeedleKey")},
        {L"x", at + L"\\Other", L"NeEdLe", L"REG_SZ", WriteTime(seed + L"\\Other")},
    };
    EXPECT_EQ(expected, Rows());
    std::vector<int> images;
    for (int row = 0; row < ListRowCount(List); ++row)
        images.push_back(ListItemImage(App.Process, List, row));
    EXPECT_EQ((std::vector<int>{1, 2, 1, 2, 1, 0, 1}), images);
    // Keyboard navigation starts at the first hit, which is not selected.
    EXPECT_EQ(static_cast<UINT>(LVIS_FOCUSED), ListItemState(List, 0, LVIS_FOCUSED | LVIS_SELECTED));

    EXPECT_EQ(L"7 個の項目が見つかりました。", StatusPart(0));
    EXPECT_TRUE(Matches(StatusPart(1), L"\\d+\\.\\d 秒")) << StatusPart(1);
    EXPECT_EQ(L"100% 完了", StatusPart(2));
    EXPECT_TRUE(IsEnabled(SearchButton) && !IsEnabled(AbortButton) && IsEnabled(NewButton) && IsEnabled(HistoryButton));
    EXPECT_FALSE(IsVisible(Progress));
    EXPECT_EQ(List, FocusedWindowOf(Main));
    Screenshot(L"main-after-search");
}

TEST_F(SearchTest, WholeWordCaseAndTargetsNarrowTheHits)
{
    std::wstring seed = TestKey + L"\\Seed";
    ASSERT_TRUE(CreateKey(seed + L"\\Abc"));
    SetStringValue(seed, L"abc", L"ABC");
    SetStringValue(seed, L"xabcx", L"abcd");
    ASSERT_TRUE(Start());
    LookIn(seed);

    SendMessageW(StringControl(105), BM_SETCHECK, BST_CHECKED, 0);
    ASSERT_TRUE(Search(L"abc"));
    EXPECT_EQ(2, ListRowCount(List));  // the value abc (one row, though name and data match) and the key Abc

    SendMessageW(StringControl(106), BM_SETCHECK, BST_CHECKED, 0);
    ASSERT_TRUE(Search(L"abc"));
    EXPECT_EQ((TRows{{L"abc", L"HKCU\\" + seed, L"ABC", L"REG_SZ", WriteTime(seed)}}), Rows());

    SendMessageW(StringControl(102), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(StringControl(103), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(StringControl(105), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(StringControl(106), BM_SETCHECK, BST_UNCHECKED, 0);
    ASSERT_TRUE(Search(L"ABC"));
    EXPECT_EQ(2, ListRowCount(List));  // only data: ABC and abcd
    EXPECT_EQ(L"2 個の項目が見つかりました。", StatusPart(0));
}

// A subtree big enough that a search of it is still running when it is stopped. Built once and
// shared by the tests that stop searches.
static const wchar_t* const LargeTree = L"Software\\KeyfinchTest\\E2E\\Large";

static bool SeedLargeTree()
{
    static bool seeded = false;
    if (seeded)
        return true;
    DeleteTree(LargeTree);
    for (int i = 0; i < 60 && CreateKey(std::wstring(LargeTree) + L"\\k" + std::to_wstring(i)); ++i) {
        for (int j = 0; j < 60; ++j) {
            std::wstring key = std::wstring(LargeTree) + L"\\k" + std::to_wstring(i) + L"\\s" + std::to_wstring(j);
            if (!CreateKey(key) || !SetStringValue(key, L"v", L"needle"))
                return false;
        }
    }
    seeded = true;
    return true;
}

// Waits until a search of the large tree runs and has shown hits.
static bool WaitUntilRunning(HWND searchButton, HWND list)
{
    return WaitUntil([&] { return !IsEnabled(searchButton); }, 10000) &&
           WaitUntil([&] { return ListRowCount(list) > 0; }, 10000);
}

TEST_F(SearchTest, AbortStopsTheSearchAndKeepsTheLastPercentage)
{
    ASSERT_TRUE(SeedLargeTree());
    ASSERT_TRUE(Start());
    LookIn(LargeTree);
    PressSearch(L"needle");
    ASSERT_TRUE(WaitUntilRunning(SearchButton, List));
    EXPECT_TRUE(IsVisible(Progress));
    Screenshot(L"searching");
    ClickButton(AbortButton);
    ASSERT_TRUE(WaitForSearchEnd());

    int rows = ListRowCount(List);
    EXPECT_LT(rows, 3600);
    EXPECT_EQ(std::to_wstring(rows) + L" 個の項目が見つかりました。", StatusPart(0));
    EXPECT_TRUE(Matches(StatusPart(2), L"\\d{1,2}% 完了")) << StatusPart(2);
    EXPECT_TRUE(IsEnabled(SearchButton) && !IsEnabled(AbortButton) && IsEnabled(NewButton) && IsEnabled(HistoryButton));
    EXPECT_FALSE(IsVisible(Progress));
    EXPECT_EQ(List, FocusedWindowOf(Main));
}

TEST_F(SearchTest, EscStopsTheSearchAndNeverClosesTheWindow)
{
    ASSERT_TRUE(SeedLargeTree());
    ASSERT_TRUE(Start());
    LookIn(LargeTree);
    ASSERT_TRUE(Activate(Main));
    PressSearch(L"needle");
    ASSERT_TRUE(WaitUntilRunning(SearchButton, List));
    SendKey(VK_ESCAPE);
    ASSERT_TRUE(WaitForSearchEnd());
    EXPECT_LT(ListRowCount(List), 3600);
    EXPECT_NE(L"100% 完了", StatusPart(2));

    // Without a search Esc only moves the focus to the list.
    SendKey('G', false, false, true);  // Alt+G: into the search text
    ASSERT_TRUE(WaitUntil([&] { return GetParent(FocusedWindowOf(Main)) == StringControl(100); }, 5000));
    SendKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindowOf(Main) == List; }, 5000));
    EXPECT_TRUE(IsWindow(Main) && IsWindowVisible(Main));
    EXPECT_EQ(nullptr, FindMessageBox(App.ProcessId));
}

TEST_F(SearchTest, ClosingTheWindowDuringASearchEndsTheProgramCleanly)
{
    ASSERT_TRUE(SeedLargeTree());
    ASSERT_TRUE(Start());
    LookIn(LargeTree);
    PressSearch(L"needle");
    ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List) > 0; }, 10000));
    PostMessageW(Main, WM_CLOSE, 0, 0);
    DWORD exitCode = 1234;
    ASSERT_TRUE(WaitForExit(App, 10000, &exitCode));
    EXPECT_EQ(0u, exitCode);
}

TEST_F(SearchTest, AFullSearchEndsAtOneHundredPercentAndSetsTheNextDenominator)
{
    CreateKey(TestKey + L"\\kfRareNeedle9");
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Search(L"kfRareNeedle9"));
    // The current user's hive is found again under HKEY_USERS, after it in root order.
    TRows rows = Rows();
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ((std::vector<std::wstring>{L"kfRareNeedle9", L"HKCU\\" + TestKey, L"", L"(キー)",
                                         WriteTime(TestKey + L"\\kfRareNeedle9")}), rows[0]);
    EXPECT_EQ(0u, rows[1][1].find(L"HKU\\S-"));
    EXPECT_EQ(rows[0][4], rows[1][4]);
    EXPECT_EQ(L"100% 完了", StatusPart(2));

    // The first search, knowing no size, shows 99% as soon as it has counted 99 keys; the second
    // knows the size of the registry, so its percentage rises in step with the walk.
    PressSearch(L"kfRareNeedle9");
    bool midway = false;
    WaitUntil([&] {
        int percent = _wtoi(StatusPart(2).c_str());
        midway = midway || (percent >= 10 && percent <= 90);
        return midway;
    }, 60000);
    ASSERT_TRUE(WaitForSearchEnd());
    EXPECT_TRUE(midway);
    EXPECT_EQ(L"100% 完了", StatusPart(2));
}
