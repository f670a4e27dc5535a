// The jump history that the History button lists, and the jump dialog. Jumps go to the stand-in
// editor beside the program.
#include <algorithm>

#include "JumpFixture.h"

class JumpHistoryTest : public TJumpTest {
protected:
    // The history button's listing: each row's name, location and type.
    std::vector<std::wstring> Listing()
    {
        std::vector<std::wstring> rows;
        for (const auto& row : Rows())
            rows.push_back(row[0] + L" | " + row[1] + L" | " + row[3]);
        return rows;
    }
    bool PressHistory()
    {
        // The status text is written last, so it marks the listing as done.
        SetComboEditText(StringControl(100), L"");
        return ClickButton(HistoryButton) &&
               WaitUntil([this] { return StatusPart(0).find(L" 個の履歴があります。") != std::wstring::npos; });
    }
};

TEST_F(JumpHistoryTest, WithNoJumpsTheListIsEmptiedAndCountsNone)
{
    ASSERT_TRUE(CreateKey(TestKey + L"\\Hit"));
    ASSERT_TRUE(StartWithStandIn());
    ASSERT_TRUE(SearchIn(TestKey, L"Hit"));
    ASSERT_EQ(1, ListRowCount(List));

    ASSERT_TRUE(PressHistory());
    EXPECT_EQ(0, ListRowCount(List));
    EXPECT_EQ(L"0 個の履歴があります。", StatusPart(0));
    EXPECT_EQ(L"", StatusPart(1));
    EXPECT_EQ(L"", StatusPart(2));
    EXPECT_EQ(List, FocusedWindowOf(Main));
}

TEST_F(JumpHistoryTest, ListsNewestFirstAndDropsKeysAndValuesThatAreGoneForGood)
{
    ASSERT_TRUE(CreateKey(TestKey + L"\\First", L"classy"));
    ASSERT_TRUE(CreateKey(TestKey + L"\\Doomed"));
    ASSERT_TRUE(SetStringValue(TestKey + L"\\Data", L"kept", L"payload one"));
    ASSERT_TRUE(SetStringValue(TestKey + L"\\Data", L"gone", L"payload two"));
    ASSERT_TRUE(StartWithStandIn());
    ASSERT_TRUE(SearchIn(TestKey, L"payload"));
    ASSERT_EQ((std::vector<std::wstring>{L"gone", L"kept"}), Column(0));

    JumpByDialog(Key(L"First"));
    ASSERT_TRUE(WaitForComboTop(Key(L"First")));
    JumpToRow(1);  // kept
    ASSERT_TRUE(WaitForEditorKey(LongKey(L"Data")));
    JumpByDialog(Key(L"Doomed"));
    ASSERT_TRUE(WaitForComboTop(Key(L"Doomed")));
    JumpToRow(0);  // gone
    ASSERT_TRUE(WaitForValueStates({L"(既定)", L"gone S F", L"kept"}));

    DeleteTree(TestKey + L"\\Doomed");
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyValueW(HKEY_CURRENT_USER, (TestKey + L"\\Data").c_str(), L"gone"));
    ASSERT_TRUE(PressHistory());
    const std::vector<std::wstring> expected = {
        L"kept | " + Key(L"Data") + L" | REG_SZ",
        L"First | " + Key() + L" | (キー)",
    };
    EXPECT_EQ(expected, Listing());
    EXPECT_EQ(L"payload one", Rows().at(0).at(2));
    EXPECT_EQ(L"classy", Rows().at(1).at(2));
    EXPECT_EQ(L"2 個の履歴があります。", StatusPart(0));
    EXPECT_EQ(List, FocusedWindowOf(Main));

    // Dropped entries stay dropped although the key is back.
    ASSERT_TRUE(CreateKey(TestKey + L"\\Doomed"));
    ASSERT_TRUE(PressHistory());
    EXPECT_EQ(expected, Listing());
}

TEST_F(JumpHistoryTest, TheSameJumpInOtherCaseIsKeptOnceInTheNewestCaseAndValuesStayOutOfTheDialog)
{
    ASSERT_TRUE(CreateKey(TestKey + L"\\Mixed"));
    ASSERT_TRUE(SetStringValue(TestKey + L"\\Mixed", L"value", L"payload"));
    ASSERT_TRUE(StartWithStandIn());
    JumpByDialog(Key(L"Mixed"));
    ASSERT_TRUE(WaitForComboTop(Key(L"Mixed")));
    JumpByDialog(Key(L"MIXED"));
    ASSERT_TRUE(WaitForComboTop(Key(L"MIXED")));
    EXPECT_EQ(std::vector<std::wstring>{Key(L"MIXED")}, ComboItems(Combo));

    ASSERT_TRUE(SearchIn(TestKey, L"payload"));
    JumpToRow(0);
    ASSERT_TRUE(WaitForValueStates({L"(既定)", L"value S F"}));
    ASSERT_TRUE(PressHistory());
    EXPECT_EQ((std::vector<std::wstring>{L"value | " + Key(L"Mixed") + L" | REG_SZ",
                                         L"MIXED | " + Key() + L" | (キー)"}),
              Listing());
    EXPECT_EQ(std::vector<std::wstring>{Key(L"MIXED")}, ComboItems(Combo));
}

class JumpDialogTest : public TJumpTest {};

TEST_F(JumpDialogTest, ShowingItDropsDeletedKeysFromItsListAndKeepsTheTypedText)
{
    ASSERT_TRUE(CreateKey(TestKey + L"\\One"));
    ASSERT_TRUE(CreateKey(TestKey + L"\\Two"));
    ASSERT_TRUE(StartWithStandIn());
    JumpByDialog(Key(L"One"));
    ASSERT_TRUE(WaitForComboTop(Key(L"One")));
    JumpByDialog(L"HKEY_CURRENT_USER\\" + TestKey + L"\\Two");
    ASSERT_TRUE(WaitForComboTop(Key(L"Two")));

    ClickButton(GetDlgItem(Dialog, IDCANCEL));
    ASSERT_TRUE(WaitUntil([this] { return !IsWindowVisible(Dialog); }));
    DeleteTree(TestKey + L"\\One");
    SetComboEditText(Combo, L"typed text");
    ASSERT_TRUE(ShowDialog());
    EXPECT_TRUE(WaitUntil([this] { return ComboItems(Combo) == std::vector<std::wstring>{Key(L"Two")}; }));
    EXPECT_EQ(L"typed text", WindowText(Combo));
    EXPECT_TRUE(WaitUntil([this] { return GetParent(FocusedWindowOf(Dialog)) == Combo; }))
        << "the focus is not in the combo box";
}

TEST_F(JumpDialogTest, AKeyThatDoesNotOpenIsRefusedInAWarningOwnedByTheDialog)
{
    ASSERT_TRUE(StartWithStandIn());
    for (const std::wstring& text : {std::wstring(L"HKXX\\Software"), Key(L"Missing"), std::wstring(L"")}) {
        JumpByDialog(text);
        HWND box = WaitForMessageBox(App.ProcessId, 10000, Dialog);
        ASSERT_NE(nullptr, box) << "no warning for \"" << std::string(text.begin(), text.end()) << "\"";
        EXPECT_EQ(L"有効なキー名を指定してください。", MessageBoxText(box));
        EXPECT_EQ(L"Keyfinch", MessageBoxTitle(box));
        EXPECT_EQ(IDI_WARNING, MessageBoxIcon(box));
        AnswerMessageBox(box);
    }
    EXPECT_TRUE(ComboItems(Combo).empty());
    EXPECT_EQ(nullptr, FindTopWindow(0, EditorMainClass)) << "an editor was started";
}

TEST_F(JumpDialogTest, ItOnlyWidensAndThenStretchesItsComboBoxBesideFixedButtons)
{
    ASSERT_TRUE(StartWithStandIn());
    ASSERT_TRUE(ShowDialog());
    RECT start = WindowRect(Dialog);
    MINMAXINFO limits = {};
    limits.ptMaxTrackSize = {5000, 5000};
    SendMessageW(Dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(start.right - start.left, limits.ptMinTrackSize.x);
    EXPECT_EQ(start.bottom - start.top, limits.ptMinTrackSize.y);
    EXPECT_EQ(start.bottom - start.top, limits.ptMaxTrackSize.y);
    EXPECT_EQ(5000, limits.ptMaxTrackSize.x) << "the widest size is the system's";

    // Dialog units of this dialog: its client area is 240 of them wide at creation.
    const RECT client = ClientRect(Dialog);
    auto units = [&](int n) { return MulDiv(n, client.right, 240); };
    MoveWindow(Dialog, start.left, start.top, start.right - start.left + 200, start.bottom - start.top, TRUE);
    const RECT wide = ClientRect(Dialog);
    ASSERT_EQ(client.right + 200, wide.right);
    auto childRect = [&](int id) {
        RECT rect = WindowRect(GetDlgItem(Dialog, id));
        MapWindowPoints(nullptr, Dialog, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    };
    RECT combo = childRect(100), jump = childRect(IDOK), close = childRect(IDCANCEL), grip = childRect(102);
    EXPECT_NEAR(wide.right - units(6), combo.right, 1);
    EXPECT_NEAR(wide.right - units(6), close.right, 1);
    EXPECT_NEAR(units(50), close.right - close.left, 1);
    EXPECT_NEAR(units(50), jump.right - jump.left, 1);
    EXPECT_NEAR(close.left - units(4), jump.right, 1);
    EXPECT_EQ(wide.right, grip.right);
    EXPECT_EQ(wide.bottom, grip.bottom);
    Screenshot(L"jump-dialog-wide");
}

TEST_F(JumpDialogTest, TheCheckBoxKeepsItOnTopAndCloseOnlyHidesIt)
{
    ASSERT_TRUE(StartWithStandIn());
    ASSERT_TRUE(ShowDialog());
    HWND check = GetDlgItem(Dialog, 101);
    auto topMost = [this] { return (GetWindowLongW(Dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    EXPECT_TRUE(WaitUntil(topMost)) << "not on top from the start";
    EXPECT_EQ(BST_CHECKED, CheckState(check));
    ClickButton(check);
    EXPECT_TRUE(WaitUntil([&] { return !topMost(); }));
    EXPECT_EQ(BST_UNCHECKED, CheckState(check));
    ClickButton(check);
    EXPECT_TRUE(WaitUntil(topMost));

    SetComboEditText(Combo, L"HKCU\\Software");
    SendMessageW(Dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitUntil([this] { return !IsWindowVisible(Dialog); }));
    EXPECT_TRUE(IsWindow(Dialog));
    ASSERT_TRUE(ShowDialog());
    EXPECT_EQ(L"HKCU\\Software", WindowText(Combo));
}
