// The condition pages as the main window hosts them: the refusals of incomplete conditions, the
// history of search texts, switching pages from the keyboard and what Enter presses.
#include "KeyfinchFixture.h"

typedef TKeyfinch PagesTest;

// The focus rests on a control of the page, or on the edit field inside a combo box.
static bool FocusIsOn(HWND main, HWND control)
{
    HWND focus = FocusedWindowOf(main);
    return focus == control || GetParent(focus) == control;
}

TEST_F(PagesTest, EachRefusalShowsItsTextOnItsPageAndFocusesTheControlToCorrect)
{
    ASSERT_TRUE(Start());
    struct TCase {
        const wchar_t* Name;
        std::function<void()> Arrange;
        int Page;
        const wchar_t* Text;
        HWND Focus;
    };
    auto check = [&](HWND page, int id, bool on) {
        SendMessageW(GetDlgItem(page, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    };
    const TCase cases[] = {
        {L"no targets, and a key name that does not open, which is not looked at",
         [&] {
             for (int id = 102; id <= 104; ++id)
                 check(StringPage, id, false);
             ChooseLocation(102);
             SetComboEditText(LocationControl(302), L"HKCU\\NoSuchKeyfinchKey");
         },
         0, L"検索対象を少なくとも一つ選択してください。", StringControl(102)},
        {L"chosen roots, none checked",
         [&] {
             check(StringPage, 103, true);
             ChooseLocation(101);
             for (int id = 200; id <= 204; ++id)
                 check(LocationPage, id, false);
         },
         1, L"エントリを少なくとも一つ選択してください。", LocationControl(200)},
        {L"one key that does not open", [&] { ChooseLocation(102); }, 1, L"有効なキー名を指定してください。",
         LocationControl(302)},
        {L"one key with an empty name", [&] { SetComboEditText(LocationControl(302), L""); }, 1,
         L"有効なキー名を指定してください。", LocationControl(302)},
        {L"lower bound later than the upper one",
         [&] {
             LookIn(TestKey);
             SYSTEMTIME later = {2024, 5, 0, 2, 0, 0, 0, 0}, earlier = {2024, 5, 0, 1, 0, 0, 0, 0};
             SetDateTimeValue(App.Process, DateControl(201), &later);
             SetDateTimeValue(App.Process, DateControl(301), &earlier);
             check(DatePage, 200, true);
             check(DatePage, 300, true);
         },
         2,
         L"[次の日時より以後] と比べて\r\n[次の日時より以前] が新しくなるように更新日時を指定してください。",
         DateControl(200)},
    };
    ASSERT_TRUE(Activate(Main));
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Arrange();
        SendKey('G', false, false, true);  // the focus in the search text, not on the tab control
        ClickButton(SearchButton);
        if (c.Page == 2 && WaitForMessageBox(App.ProcessId, 10000, Main) != nullptr)
            Screenshot(L"warning");
        EXPECT_EQ(c.Text, AnswerWarning());
        EXPECT_EQ(c.Page, TabCurSel(Tab));
        EXPECT_TRUE(IsWindowVisible(c.Page == 0 ? StringPage : c.Page == 1 ? LocationPage : DatePage));
        EXPECT_TRUE(WaitUntil([&] { return FocusIsOn(Main, c.Focus); }, 5000));
        EXPECT_TRUE(IsEnabled(SearchButton) && !IsEnabled(AbortButton));
        EXPECT_EQ(L"", StatusPart(0));
    }

    // The same bound twice, without the time, is a whole day and is accepted.
    SYSTEMTIME day = {2024, 5, 0, 1, 0, 0, 0, 0};
    SetDateTimeValue(App.Process, DateControl(201), &day);
    SetDateTimeValue(App.Process, DateControl(301), &day);
    EXPECT_TRUE(Search(L"x"));
    Screenshot(L"date-page");
}

TEST_F(PagesTest, SearchTextsMoveToTheTopOfTheHistoryOnceEach)
{
    ASSERT_TRUE(Start());
    LookIn(TestKey);
    HWND combo = StringControl(100);
    for (const wchar_t* text : {L"one", L"two", L"three", L"ABC"})
        ASSERT_TRUE(Search(text));
    EXPECT_EQ((std::vector<std::wstring>{L"ABC", L"three", L"two", L"one"}), ComboItems(combo));

    ASSERT_TRUE(Search(L"two"));  // the third entry moves up; the others keep their order
    EXPECT_EQ((std::vector<std::wstring>{L"two", L"ABC", L"three", L"one"}), ComboItems(combo));

    ASSERT_TRUE(Search(L"abc"));  // replaces the entry that differs only in case
    EXPECT_EQ((std::vector<std::wstring>{L"abc", L"two", L"three", L"one"}), ComboItems(combo));
    EXPECT_EQ(L"abc", WindowText(combo));

    ASSERT_TRUE(Search(L""));  // an empty text searches and leaves the history alone
    EXPECT_EQ((std::vector<std::wstring>{L"abc", L"two", L"three", L"one"}), ComboItems(combo));

    // A typed long root name comes back in short form, in the box and in its history.
    SetComboEditText(LocationControl(302), L"hkey_current_user\\" + TestKey);
    ASSERT_TRUE(Search(L"x"));
    EXPECT_EQ(L"HKCU\\" + TestKey, WindowText(LocationControl(302)));
    EXPECT_EQ(std::vector<std::wstring>{L"HKCU\\" + TestKey}, ComboItems(LocationControl(302)));
}

TEST_F(PagesTest, CtrlTabSwitchesPagesBothWaysAndWraps)
{
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Activate(Main));
    EXPECT_EQ(0, TabCurSel(Tab));
    ClickWindow(List);  // works from the list too, not only from the tab control
    const int forward[] = {1, 2, 0};
    for (int expected : forward) {
        SendKey(VK_TAB, true);
        ASSERT_TRUE(WaitUntil([&] { return TabCurSel(Tab) == expected; }, 5000));
    }
    SendKey(VK_TAB, true, true);
    ASSERT_TRUE(WaitUntil([&] { return TabCurSel(Tab) == 2; }, 5000));
    // The keyboard puts the focus into the page that comes up: its first tab stop.
    EXPECT_TRUE(WaitUntil([&] { return FocusIsOn(Main, DateControl(200)); }, 5000));
    EXPECT_TRUE(IsWindowVisible(DatePage) && !IsWindowVisible(StringPage) && !IsWindowVisible(LocationPage));

    // A click on a tab leaves the focus on the tab control.
    ASSERT_TRUE(ClickTab(App.Process, Tab, 1));
    ASSERT_TRUE(WaitUntil([&] { return TabCurSel(Tab) == 1 && IsWindowVisible(LocationPage); }, 5000));
    EXPECT_EQ(Tab, FocusedWindowOf(Main));
    Screenshot(L"location-page");
}

TEST_F(PagesTest, EnterJumpsInsteadOfSearchingWhileTheListHasTheFocus)
{
    CreateKey(TestKey + L"\\hit1");
    CreateKey(TestKey + L"\\hit2");
    ASSERT_TRUE(Start());
    ASSERT_TRUE(SearchIn(TestKey, L"hit"));
    ASSERT_EQ(2, ListRowCount(List));
    ASSERT_TRUE(Activate(Main));
    ASSERT_TRUE(WaitUntil([&] { return FocusedWindowOf(Main) == List; }, 5000));
    EXPECT_EQ(106, DefaultButtonId(Main));
    EXPECT_FALSE(IsDefaultPushButton(SearchButton));

    SendKey(VK_RETURN);
    // Keys are handled in order: once Down has selected the second row, Enter has been handled too,
    // and a search it started would have emptied the list.
    SendKey(VK_DOWN);
    ASSERT_TRUE(WaitUntil([&] { return ListSelectedRows(List) == std::vector<int>{1}; }, 5000));
    EXPECT_EQ(2, ListRowCount(List));
    EXPECT_TRUE(IsEnabled(SearchButton));

    // Leaving the list for a control that is not a push button gives Search its default frame back.
    SendKey('G', false, false, true);
    ASSERT_TRUE(WaitUntil([&] { return FocusedWindowOf(Main) != List; }, 5000));
    EXPECT_EQ(101, DefaultButtonId(Main));
    EXPECT_TRUE(IsDefaultPushButton(SearchButton));
}
