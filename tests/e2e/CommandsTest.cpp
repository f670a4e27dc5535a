// The commands of the main window: copying key paths, the menus and their graying, the list's
// keys and context menu, New, and the routing of the other menu commands.
#include "KeyfinchFixture.h"

typedef TKeyfinch CommandsTest;

static bool PutOnClipboard(const std::wstring& text)
{
    if (!OpenClipboard(nullptr))
        return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(block);
    bool done = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    CloseClipboard();
    return done;
}

// Waits until a menu of the program is open, or until none is.
static bool MenuOpen(DWORD processId, bool open)
{
    return WaitUntil([&] { return (FindTopWindow(processId, L"#32768") != nullptr) == open; }, 5000);
}

// Keys are handled in order, and the commands they post before the next key is read: once a
// later Down has moved the selection, everything typed before it has been handled.
static bool Settle(HWND list, int row)
{
    SendKey(VK_DOWN);
    return WaitUntil([&] { return ListSelectedRows(list) == std::vector<int>{row}; }, 5000);
}

TEST_F(CommandsTest, CtrlCCopiesTheLongPathOfTheKeyEachRowStandsFor)
{
    std::wstring sub = TestKey + L"\\Sub";
    ASSERT_TRUE(CreateKey(sub + L"\\kfCopyKey"));
    SetStringValue(sub, L"kfCopyValue", L"");
    SetStringValue(sub, L"other", L"data kfCopy");
    ASSERT_TRUE(Start());
    ASSERT_TRUE(SearchIn(TestKey, L"kfCopy"));
    ASSERT_EQ(3, ListRowCount(List));
    std::wstring longSub = L"HKEY_CURRENT_USER\\" + sub;
    const std::wstring expected[] = {longSub, longSub, longSub + L"\\kfCopyKey"};  // value, data, key
    ASSERT_TRUE(Activate(Main));
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        ASSERT_TRUE(ClickListRow(App.Process, List, row));
        SendKey('C', true);
        EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == expected[row]; }, 5000)) << ClipboardText();
    }
}

TEST_F(CommandsTest, CtrlCWithoutASelectionLeavesTheClipboardAlone)
{
    ASSERT_TRUE(CreateKey(TestKey + L"\\hit1"));
    ASSERT_TRUE(CreateKey(TestKey + L"\\hit2"));
    ASSERT_TRUE(Start());
    ASSERT_TRUE(SearchIn(TestKey, L"hit"));
    ASSERT_TRUE(PutOnClipboard(L"as it was"));
    ASSERT_TRUE(Activate(Main));
    ASSERT_TRUE(WaitUntil([&] { return FocusedWindowOf(Main) == List; }, 5000));
    ASSERT_TRUE(ListSelectedRows(List).empty());
    SendKey('C', true);
    ASSERT_TRUE(Settle(List, 1));
    EXPECT_EQ(L"as it was", ClipboardText());
}

TEST_F(CommandsTest, FileMenuCopiesOnlyWhileTheListHasTheFocusAndASelection)
{
    ASSERT_TRUE(CreateKey(TestKey + L"\\kfMenuKey"));
    ASSERT_TRUE(Start());
    ASSERT_TRUE(SearchIn(TestKey, L"kfMenuKey"));
    ASSERT_TRUE(Activate(Main));
    ASSERT_TRUE(ClickListRow(App.Process, List, 0));
    ASSERT_TRUE(PutOnClipboard(L"as it was"));

    // With the focus on a button the item is grayed: its access key chooses nothing.
    SendKey(VK_TAB, false, true);
    ASSERT_TRUE(WaitUntil([&] { return FocusedWindowOf(Main) == HistoryButton; }, 5000));
    SendKey('F', false, false, true);
    ASSERT_TRUE(MenuOpen(App.ProcessId, true));
    Screenshot(L"file-menu-grayed");
    SendKey('C');
    SendKey(VK_ESCAPE);
    SendKey(VK_ESCAPE);
    ASSERT_TRUE(MenuOpen(App.ProcessId, false));
    EXPECT_EQ(L"as it was", ClipboardText());

    ASSERT_TRUE(ClickListRow(App.Process, List, 0));
    SendKey('F', false, false, true);
    ASSERT_TRUE(MenuOpen(App.ProcessId, true));
    SendKey('C');
    EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == L"HKEY_CURRENT_USER\\" + TestKey + L"\\kfMenuKey"; }, 5000));
}

TEST_F(CommandsTest, ContextMenuOpensAtTheMousePointerAlsoFromTheKeyboard)
{
    ASSERT_TRUE(CreateKey(TestKey + L"\\hit"));
    ASSERT_TRUE(Start());
    ASSERT_TRUE(SearchIn(TestKey, L"hit"));
    ASSERT_TRUE(Activate(Main));
    ASSERT_TRUE(WaitUntil([&] { return FocusedWindowOf(Main) == List; }, 5000));
    RECT status = WindowRect(Status);
    POINT pointer = {status.left + 40, status.top + 5};  // away from the list
    SetCursorPos(pointer.x, pointer.y);
    SendKey(VK_F10, false, true);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = FindTopWindow(App.ProcessId, L"#32768")) != nullptr; }, 5000));
    RECT rect = WindowRect(menu);
    // The system may move a menu to keep it on the screen, but never away from the pointer's corner.
    EXPECT_TRUE(PtInRect(&rect, pointer) || (abs(rect.left - pointer.x) <= 2 && abs(rect.bottom - pointer.y) <= 2) ||
                (abs(rect.left - pointer.x) <= 2 && abs(rect.top - pointer.y) <= 2))
        << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    SendKey(VK_ESCAPE);
    EXPECT_TRUE(MenuOpen(App.ProcessId, false));
}

TEST_F(CommandsTest, AltPageDownAndUpScrollTheListAPageSideways)
{
    ASSERT_TRUE(CreateKey(TestKey + L"\\hit"));
    ASSERT_TRUE(Start());
    ASSERT_TRUE(SearchIn(TestKey, L"hit"));
    SendMessageW(List, LVM_SETCOLUMNWIDTH, 1, 3000);
    HWND header = reinterpret_cast<HWND>(SendMessageW(List, LVM_GETHEADER, 0, 0));
    LONG home = WindowRect(header).left;
    ASSERT_TRUE(Activate(Main));
    ASSERT_TRUE(WaitUntil([&] { return FocusedWindowOf(Main) == List; }, 5000));
    // The header moves with the columns when the list scrolls sideways.
    SendKey(VK_NEXT, false, false, true);
    EXPECT_TRUE(WaitUntil([&] { return WindowRect(header).left < home; }, 5000));
    SendKey(VK_PRIOR, false, false, true);
    EXPECT_TRUE(WaitUntil([&] { return WindowRect(header).left == home; }, 5000));
}

TEST_F(CommandsTest, NewResetsExactlyTheSearchConditionsItOwns)
{
    ASSERT_TRUE(Start());
    ASSERT_TRUE(SearchIn(TestKey, L"abc"));
    SendMessageW(StringControl(102), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(StringControl(105), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(StringControl(106), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(LocationControl(201), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(LocationControl(300), BM_SETCHECK, BST_UNCHECKED, 0);
    SYSTEMTIME day = {2021, 3, 0, 4, 5, 6, 7, 0}, read = {};
    SetDateTimeValue(App.Process, DateControl(201), &day);
    for (int id : {200, 300, 102})
        SendMessageW(DateControl(id), BM_SETCHECK, BST_CHECKED, 0);

    ASSERT_TRUE(ClickButton(NewButton));
    ASSERT_TRUE(WaitUntil([&] { return StatusPart(0).empty() && StatusPart(1).empty() && StatusPart(2).empty(); }, 5000));
    EXPECT_EQ(0, ListRowCount(List));
    EXPECT_EQ(L"", WindowText(StringControl(100)));
    EXPECT_EQ(std::vector<std::wstring>{L"abc"}, ComboItems(StringControl(100)));
    for (int id : {102, 103, 104})
        EXPECT_EQ(BST_CHECKED, CheckState(StringControl(id))) << id;
    for (int id : {105, 106})
        EXPECT_EQ(BST_UNCHECKED, CheckState(StringControl(id))) << id;
    EXPECT_EQ(BST_CHECKED, CheckState(LocationControl(100)));
    EXPECT_EQ(BST_UNCHECKED, CheckState(LocationControl(102)));
    // The posted clicks make the pages apply the new states.
    EXPECT_TRUE(WaitUntil([&] { return !IsEnabled(LocationControl(302)) && !IsEnabled(DateControl(201)); }, 5000));
    EXPECT_EQ(L"HKCU\\" + TestKey, WindowText(LocationControl(302)));
    EXPECT_EQ(BST_UNCHECKED, CheckState(LocationControl(201)));
    EXPECT_EQ(BST_UNCHECKED, CheckState(LocationControl(300)));
    EXPECT_EQ(BST_UNCHECKED, CheckState(DateControl(200)));
    EXPECT_EQ(BST_UNCHECKED, CheckState(DateControl(300)));
    EXPECT_EQ(BST_CHECKED, CheckState(DateControl(102)));
    DateTimeValue(App.Process, DateControl(201), read);
    EXPECT_TRUE(read.wYear == 2021 && read.wMonth == 3 && read.wDay == 4);
    EXPECT_TRUE(WaitUntil([&] { return GetParent(FocusedWindowOf(Main)) == StringControl(100); }, 5000));
}

TEST_F(CommandsTest, MenuCommandsReachTheirOwners)
{
    SetStringValue(TestKey, L"b", L"needle 1");
    SetStringValue(TestKey, L"a", L"needle 2");
    ASSERT_TRUE(Start());
    ASSERT_TRUE(SearchIn(TestKey, L"needle"));
    PostMessageW(Main, WM_COMMAND, 222, 0);  // sort by data
    EXPECT_TRUE(WaitUntil([&] { return Rows()[0][2] == L"needle 1"; }, 5000));
    PostMessageW(Main, WM_COMMAND, 222, 0);
    EXPECT_TRUE(WaitUntil([&] { return Rows()[0][2] == L"needle 2"; }, 5000));

    ASSERT_TRUE(Activate(Main));
    SendKey('J', true);  // Ctrl+J opens the jump dialog
    EXPECT_TRUE(WaitUntil([&] { return FindTopWindow(App.ProcessId, L"KeyfinchSpec") != nullptr; }, 5000));

    PostMessageW(Main, WM_COMMAND, 231, 0);
    HWND options = WaitForTopWindow(App.ProcessId, L"#32770", L"オプション", 5000);
    ASSERT_NE(nullptr, options);
    Screenshot(L"options");
    ClickButton(GetDlgItem(options, IDCANCEL));
    EXPECT_TRUE(WaitUntil([&] { return FindTopWindow(App.ProcessId, L"#32770", L"オプション") == nullptr; }, 5000));

    PostMessageW(Main, WM_COMMAND, 213, 0);  // Exit
    DWORD exitCode = 1;
    ASSERT_TRUE(WaitForExit(App, 10000, &exitCode));
    EXPECT_EQ(0u, exitCode);
}
