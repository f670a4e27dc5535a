// The main window as a whole: its size limits and layout, sorting by the column headers, and
// the start-up checks that depend on the version of Windows.
#include "KeyfinchFixture.h"

typedef TKeyfinch WindowTest;

static int Width(const RECT& r) { return r.right - r.left; }
static int Height(const RECT& r) { return r.bottom - r.top; }

// Asks the window itself what it allows, as the system does when the user drags its border. The
// system carries this message's structure across processes.
static POINT MinTrackSizeOf(HWND window)
{
    MINMAXINFO info = {};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    return info.ptMinTrackSize;
}

TEST_F(WindowTest, CannotShrinkBelowItsFirstSizeAndOnlyTheListGrowsDownwards)
{
    ASSERT_TRUE(Start());
    RECT window = WindowRect(Main);
    POINT least = MinTrackSizeOf(Main);
    EXPECT_EQ(Width(window), least.x);
    EXPECT_EQ(Height(window), least.y);

    RECT tab = WindowRect(Tab), search = WindowRect(SearchButton), list = WindowRect(List), status = WindowRect(Status);
    // Stretching the text boxes keeps their caret and selection.
    for (HWND combo : {StringControl(100), LocationControl(302)}) {
        SetComboEditText(combo, L"abcdef");
        SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(2, 4));
    }
    MoveWindow(Main, window.left, window.top, Width(window) + 120, Height(window) + 80, TRUE);
    ASSERT_TRUE(WaitUntil([&] { return Width(WindowRect(Tab)) == Width(tab) + 120; }, 5000));
    EXPECT_EQ(Height(tab), Height(WindowRect(Tab)));
    EXPECT_EQ(search.left + 120, WindowRect(SearchButton).left);
    EXPECT_EQ(search.top, WindowRect(SearchButton).top);
    EXPECT_EQ(Width(list) + 120, Width(WindowRect(List)));
    EXPECT_EQ(Height(list) + 80, Height(WindowRect(List)));
    EXPECT_EQ(status.top + 80, WindowRect(Status).top);
    // The pages fill the tab control's display area.
    RECT page = WindowRect(StringPage);
    RECT tabNow = WindowRect(Tab);
    EXPECT_TRUE(page.left > tabNow.left && page.right < tabNow.right && page.bottom < tabNow.bottom);
    // The search text box keeps 6 dialog units from the page's right edge at every width.
    EXPECT_EQ(page.right - WindowRect(StringControl(100)).right,
              page.right - WindowRect(StringControl(101)).right);
    EXPECT_EQ(WindowRect(StringControl(100)).right, WindowRect(LocationControl(302)).right);
    for (HWND combo : {StringControl(100), LocationControl(302)})
        EXPECT_EQ(MAKELONG(2, 4), SendMessageW(combo, CB_GETEDITSEL, 0, 0));
}

TEST_F(WindowTest, HeaderClicksSortAscendingDescendingAscending)
{
    // The walk lists the values first, then the subkeys, each in the registry's name order.
    SetStringValue(TestKey, L"zeta-needle", L"");
    SetStringValue(TestKey, L"Mid-needle", L"");
    CreateKey(TestKey + L"\\alpha-needle");
    CreateKey(TestKey + L"\\Beta-needle");
    ASSERT_TRUE(Start());
    ASSERT_TRUE(SearchIn(TestKey, L"needle"));
    ASSERT_EQ((std::vector<std::wstring>{L"Mid-needle", L"zeta-needle", L"alpha-needle", L"Beta-needle"}), Column(0));

    // Letter case does not count.
    const std::vector<std::wstring> ascending = {L"alpha-needle", L"Beta-needle", L"Mid-needle", L"zeta-needle"};
    const std::vector<std::wstring> descending(ascending.rbegin(), ascending.rend());
    for (const auto* expected : {&ascending, &descending, &ascending}) {
        Sleep(GetDoubleClickTime() + 50);  // two quick clicks would be a double click
        ASSERT_TRUE(ClickListHeader(App.Process, List, 0));
        EXPECT_TRUE(WaitUntil([&] { return Column(0) == *expected; }, 5000));
    }
    // Another column starts ascending, whatever the direction was; "(キー)" sorts before "REG_SZ".
    ASSERT_TRUE(ClickListHeader(App.Process, List, 3));
    EXPECT_TRUE(WaitUntil([&] { return Rows().front()[3] == L"(キー)" && Rows().back()[3] == L"REG_SZ"; }, 5000));
}

// The layer reports another Windows version for one program file when asked.
class VersionSetting {
public:
    explicit VersionSetting(const wchar_t* version)
    {
        SetStringValue(Key, L"Version", version);
    }
    ~VersionSetting() { DeleteTree(Key); }
private:
    const std::wstring Key = L"Software\\Wine\\AppDefaults\\KeyfinchNT.exe";
};

TEST_F(WindowTest, ANonNTSystemGetsOnlyTheMessageAndExitCodeOne)
{
    VersionSetting win98(L"win98");
    ASSERT_TRUE(LaunchApp(ProgramPath, WorkRoot, App));
    HWND box = WaitForMessageBox(App.ProcessId, 20000);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(L"この実行可能ファイルはUnicode版です。\r\nNT系のWindowsで実行してください。", MessageBoxText(box));
    EXPECT_EQ(L"Keyfinch", MessageBoxTitle(box));
    EXPECT_EQ(IDI_ERROR, MessageBoxIcon(box));
    EXPECT_EQ(std::vector<int>{IDOK}, MessageBoxButtons(box));
    EXPECT_EQ(nullptr, FindTopWindow(App.ProcessId, L"KeyfinchMain", nullptr, false));
    ASSERT_TRUE(AnswerMessageBox(box));
    DWORD exitCode = 0;
    ASSERT_TRUE(WaitForExit(App, 10000, &exitCode));
    EXPECT_EQ(1u, exitCode);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((App.Folder + L"\\KeyfinchNT.ini").c_str()));
}

TEST_F(WindowTest, Windows2000NamesTheDefaultValueStandard)
{
    SetStringValue(TestKey, L"", L"needle");
    VersionSetting win2k(L"win2k");
    ASSERT_TRUE(Start());
    ASSERT_TRUE(SearchIn(TestKey, L"needle"));
    ASSERT_EQ(1, ListRowCount(List));
    EXPECT_EQ(L"(標準)", ListCellText(App.Process, List, 0, 0));
}

TEST_F(WindowTest, AboutBoxShowsTheThreeLinesOfTheVersionBlock)
{
    ASSERT_TRUE(Start());
    PostMessageW(Main, WM_COMMAND, 240, 0);
    HWND box = WaitForMessageBox(App.ProcessId, 10000);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(L"バージョン情報", MessageBoxTitle(box));
    EXPECT_EQ(L"Keyfinch 2.6.1\r\nCopyright (C) 2026 The Keyfinch developers\r\nUnicode Version\r\n", MessageBoxText(box));
    EXPECT_EQ(std::vector<int>{IDOK}, MessageBoxButtons(box));
    EXPECT_TRUE(AnswerMessageBox(box));
}
