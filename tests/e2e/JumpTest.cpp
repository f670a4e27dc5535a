// Jumps into the registry editor: the stand-in editor beside the program (direct and nested
// views, started directly or through a launcher, busy, slow to fill its values), and the
// system's own editor.
#include <algorithm>
#include <cwctype>

#include "JumpFixture.h"

namespace {

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return static_cast<wchar_t>(towlower(c)); });
    return text;
}

std::wstring Upper(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return static_cast<wchar_t>(towupper(c)); });
    return text;
}

bool DeleteValue(const std::wstring& key, const wchar_t* name)
{
    return RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), name) == ERROR_SUCCESS;
}

const wchar_t BusyText[] =
    L"レジストリエディタが作業中のためジャンプできません。\r\nジャンプするにはレジストリエディタの作業を終わらせてください。";
const wchar_t WrongBitnessText[] =
    L"64ビット版のレジストリエディタにはジャンプできません。\r\nレジストリエディタを閉じてからジャンプしてください。";

// The system's editor opens at the key it showed last and stores the key it shows when it closes.
const wchar_t EditorSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";

std::wstring EditorLastKey()
{
    wchar_t text[1024] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, EditorSettings, L"LastKey", RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return L"";
    return text;
}

}  // namespace

class JumpTest : public TJumpTest {
protected:
    // TestKey\Values: the unnamed value and alpha, needle and zulu, all holding "payload", and
    // a search that lists them as rows 0 to 3.
    void SearchValues()
    {
        const std::wstring values = TestKey + L"\\Values";
        ASSERT_TRUE(SetStringValue(values, L"", L"payload"));
        for (const wchar_t* name : {L"alpha", L"needle", L"zulu"})
            ASSERT_TRUE(SetStringValue(values, name, L"payload"));
        ASSERT_TRUE(SearchIn(TestKey, L"payload"));
        ASSERT_EQ((std::vector<std::wstring>{L"(既定)", L"alpha", L"needle", L"zulu"}), Column(0));
    }
};

TEST_F(JumpTest, ShortAndLongSpellingsInAnyCaseReachTheSameItemAndExpandTheWay)
{
    ASSERT_TRUE(CreateKey(TestKey + L"\\Alpha\\Beta\\Gamma"));
    ASSERT_TRUE(StartWithStandIn());

    JumpByDialog(Lower(Key(L"alpha\\beta")));
    ASSERT_TRUE(WaitForEditorKey(LongKey(L"Alpha\\Beta")));
    std::vector<TTreeNode> path = TreeCaretPath(EditorProcess, Tree);
    ASSERT_GE(path.size(), 3u);
    for (const TTreeNode& node : path)
        EXPECT_TRUE(node.Expanded) << std::string(node.Text.begin(), node.Text.end()) << " is not expanded";
    EXPECT_EQ(Tree, FocusedWindowOf(Editor));
    ASSERT_TRUE(WaitForComboTop(Lower(Key(L"alpha\\beta")).replace(0, 4, L"HKCU")));

    // The root is typed in full and rewritten to its short form for the history.
    JumpByDialog(Upper(LongKey(L"alpha\\beta")));
    const std::wstring newest = L"HKCU" + Upper(LongKey(L"alpha\\beta")).substr(17);
    ASSERT_TRUE(WaitForComboTop(newest));
    EXPECT_EQ(LongKey(L"Alpha\\Beta"), EditorKey());
    std::vector<std::wstring> items = ComboItems(Combo);
    EXPECT_EQ(1, std::count_if(items.begin(), items.end(), [&](const std::wstring& item) {
                  return Lower(item) == Lower(newest);
              })) << "the same key twice in the list";
}

TEST_F(JumpTest, ARootAloneIsSelectedItselfAndATrailingBackslashStopsAtTheKeyBeforeIt)
{
    ASSERT_TRUE(CreateKey(TestKey + L"\\Child"));
    ASSERT_TRUE(StartWithStandIn());
    JumpByDialog(L"HKCU");
    ASSERT_TRUE(WaitForEditorKey(L"HKEY_CURRENT_USER"));
    std::vector<TTreeNode> path = TreeCaretPath(EditorProcess, Tree);
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(path.back().Expanded);

    JumpByDialog(Key() + L"\\");
    EXPECT_TRUE(WaitForEditorKey(LongKey()));
}

TEST_F(JumpTest, AKeyDeletedSinceTheSearchLeavesItsParentSelected)
{
    ASSERT_TRUE(CreateKey(TestKey + L"\\Parent\\Doomed"));
    ASSERT_TRUE(CreateKey(TestKey + L"\\Parent\\Kept"));
    ASSERT_TRUE(StartWithStandIn());
    ASSERT_TRUE(SearchIn(TestKey, L"Doomed"));
    ASSERT_EQ((std::vector<std::wstring>{L"Doomed"}), Column(0));
    DeleteTree(TestKey + L"\\Parent\\Doomed");

    JumpToRow(0);
    ASSERT_TRUE(WaitForEditorKey(LongKey(L"Parent")));
    std::vector<TTreeNode> path = TreeCaretPath(EditorProcess, Tree);
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(path.back().Expanded);
}

TEST_F(JumpTest, AValueIsSelectedAndFocusedAndInTheSameKeyTheShownListIsUsed)
{
    ASSERT_TRUE(StartWithStandIn());
    SearchValues();
    // Enter on a selected hit, as a user jumps.
    SelectRow(1);
    PostMessageW(Main, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(List), TRUE);
    ASSERT_TRUE(Activate(Main));
    SendKey(VK_RETURN);
    ASSERT_TRUE(WaitForEditorKey(LongKey(L"Values")));
    ASSERT_TRUE(WaitForValueStates({L"(既定)", L"alpha S F", L"needle", L"zulu"}))
        << "shows " << ValueStates().size() << " rows";
    EXPECT_EQ(Values, FocusedWindowOf(Editor));
    SendMessageW(Editor, StandInShowSelection, 0, 0);
    EXPECT_EQ(LongKey(L"Values") + L"|alpha", WindowText(Editor));

    ResetCounts();
    // A double click jumps as well; the editor, above every window of the program, moves aside.
    MoveWindow(Editor, 700, 0, 320, 480, TRUE);
    ASSERT_TRUE(ClickListRow(App.Process, List, 2, true));
    ASSERT_TRUE(WaitForValueStates({L"(既定)", L"alpha", L"needle S F", L"zulu"}));
    EXPECT_EQ(0, Count(TVM_SELECTITEM)) << "the selected key was selected again";
    EXPECT_EQ(0, Count(LVM_DELETEALLITEMS)) << "the shown values were thrown away";
}

TEST_F(JumpTest, AValueGoneSinceTheSearchDeselectsEveryValueWithTheFocusInTheList)
{
    ASSERT_TRUE(StartWithStandIn());
    SearchValues();
    JumpByDialog(Key());
    ASSERT_TRUE(WaitForEditorKey(LongKey()));
    ASSERT_TRUE(DeleteValue(TestKey + L"\\Values", L"needle"));

    ResetCounts();
    JumpToRow(2);
    ASSERT_TRUE(WaitForEditorKey(LongKey(L"Values")));
    ASSERT_TRUE(WaitUntil([&] { return Count(LVM_SETITEMW) == ListRowCount(Values) && ListRowCount(Values) == 3; }));
    EXPECT_EQ(Values, FocusedWindowOf(Editor));
    EXPECT_EQ((std::vector<std::wstring>{L"(既定)", L"alpha", L"zulu"}), ValueStates());
}

TEST_F(JumpTest, TheUnnamedValueIsFoundThroughItsLabelAfterTheListWasEmptied)
{
    ASSERT_TRUE(StartWithStandIn());
    SearchValues();
    JumpByDialog(Key());
    ASSERT_TRUE(WaitForEditorKey(LongKey()));

    ResetCounts();
    JumpToRow(0);
    ASSERT_TRUE(WaitForEditorKey(LongKey(L"Values")));
    EXPECT_TRUE(WaitForValueStates({L"(既定) S F", L"alpha", L"needle", L"zulu"}));
    EXPECT_GE(Count(LVM_DELETEALLITEMS), 2) << "emptied by the jump and again by the editor";
}

TEST_F(JumpTest, ABusyEditorGetsTheBusyMessageAndIsLeftAlone)
{
    ASSERT_TRUE(CreateKey(TestKey + L"\\Other"));
    ASSERT_TRUE(StartWithStandIn());
    JumpByDialog(Key());
    ASSERT_TRUE(WaitForEditorKey(LongKey()));
    PostMessageW(Editor, StandInBusy, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(Editor); }));

    ResetCounts();
    JumpByDialog(Key(L"Other"));
    HWND box = WaitForMessageBox(App.ProcessId, 10000);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(Main, GetWindow(box, GW_OWNER));
    EXPECT_EQ(BusyText, MessageBoxText(box));
    EXPECT_EQ(L"Keyfinch", MessageBoxTitle(box));
    EXPECT_EQ(IDI_WARNING, MessageBoxIcon(box));
    EXPECT_EQ(std::vector<int>{IDOK}, MessageBoxButtons(box));
    AnswerMessageBox(box);

    // The jump still counts as made; nothing more is shown and nothing reached the editor.
    ASSERT_TRUE(WaitForComboTop(Key(L"Other")));
    EXPECT_EQ(nullptr, FindMessageBox(App.ProcessId));
    EXPECT_EQ(0, Count(TVM_GETNEXTITEM));
    EXPECT_EQ(0, Count(TVM_GETITEMW));
    EXPECT_EQ(LongKey(), EditorKey());

    DWORD editorId = 0;
    GetWindowThreadProcessId(Editor, &editorId);
    if (HWND editorBox = FindMessageBox(editorId))
        AnswerMessageBox(editorBox);
}

TEST_F(JumpTest, AnEditorThatIsNotRunningIsStartedHoweverItComesUp)
{
    ASSERT_TRUE(StartWithStandIn());
    SearchValues();
    // Plain, through a launcher that waits, one that does not, and one that keeps its views a
    // window deeper and fills its values late.
    for (const wchar_t* words : {L"", L"launcher", L"quicklauncher", L"nested slowvalues"}) {
        SCOPED_TRACE(std::string("mode words: \"") + std::string(words, words + wcslen(words)) + "\"");
        CloseAllEditors();
        Editor = Tree = Values = nullptr;
        ASSERT_TRUE(PlaceStandInEditor(StandInPath, App.Folder, words));

        JumpToRow(2);
        ASSERT_TRUE(WaitForEditorKey(LongKey(L"Values")));
        EXPECT_TRUE(WaitForValueStates({L"(既定)", L"alpha", L"needle S F", L"zulu"}));
        if (*words == 0) {
            WORD showCommand = 0;
            StandInStartShowCommand(Editor, showCommand);
            EXPECT_EQ(SW_SHOWNA, showCommand);
        }
    }
}

// The 40-byte records of a 32-bit editor, read back through the stand-in's title, where the
// machine runs 32-bit programs.
TEST_F(JumpTest, AThirtyTwoBitEditorIsDrivenWithTheFortyByteRecords)
{
    if (sizeof(void*) == 4)
        GTEST_SKIP() << "the 32-bit build drives a 32-bit editor in every other test";
    if (StandIn32Path.empty() || GetFileAttributesW(StandIn32Path.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no 32-bit stand-in editor was built";
    std::wstring commandLine = L"\"" + StandIn32Path + L"\" editor";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        GTEST_SKIP() << "this machine does not run 32-bit programs (error " << GetLastError() << ")";
    CloseHandle(started.hThread);
    bool runs = WaitForEditor(started.dwProcessId, 10000) != nullptr;
    TerminateProcess(started.hProcess, 0);
    WaitForSingleObject(started.hProcess, 5000);
    CloseHandle(started.hProcess);
    if (!runs)
        GTEST_SKIP() << "the 32-bit stand-in does not come up on this machine";

    ASSERT_TRUE(StartAlone());
    ASSERT_TRUE(PlaceStandInEditor(StandIn32Path, App.Folder));
    SearchValues();
    JumpToRow(2);
    Editor = WaitForEditor(0, 20000);
    ASSERT_NE(nullptr, Editor);
    EXPECT_TRUE(WaitUntil([&] {
        SendMessageW(Editor, StandInShowSelection, 0, 0);
        return WindowText(Editor) == LongKey(L"Values") + L"|needle";
    })) << "the editor shows " << std::string(WindowText(Editor).begin(), WindowText(Editor).end());
}

// The system's own editor: a 64-bit program under the layer, with its views one window deeper.
// The 32-bit program cannot drive it: it says so where the user asked for the jump, from the list
// and from the jump dialog alike, and sends the editor nothing, so that the editor still shows the
// key it opened at when it closes.
TEST_F(JumpTest, TheSystemEditorIsStartedAndThenFoundRunning)
{
    ASSERT_TRUE(CreateKey(TestKey + L"\\Sub"));
    ASSERT_TRUE(StartAlone());
    SearchValues();
    if (sizeof(void*) == 4) {
        const std::wstring lastKey = EditorLastKey();
        ASSERT_TRUE(SetStringValue(EditorSettings, L"LastKey", LongKey(L"Sub")));
        for (HWND owner : {Main, Dialog}) {
            SCOPED_TRACE(owner == Main ? "a jump from the list" : "a jump from the jump dialog");
            if (owner == Main)
                JumpToRow(2);
            else
                JumpByDialog(Key(L"Values"));
            HWND box = WaitForMessageBox(App.ProcessId, 30000);
            ASSERT_NE(nullptr, box);
            EXPECT_EQ(owner, GetWindow(box, GW_OWNER));
            EXPECT_EQ(WrongBitnessText, MessageBoxText(box));
            EXPECT_EQ(L"Keyfinch", MessageBoxTitle(box));
            EXPECT_EQ(IDI_WARNING, MessageBoxIcon(box));
            AnswerMessageBox(box);
            EXPECT_NE(nullptr, WaitForEditor(0, 10000)) << "the editor was not started";
            CloseAllEditors();
            EXPECT_EQ(LongKey(L"Sub"), EditorLastKey());
        }
        SetStringValue(EditorSettings, L"LastKey", lastKey);
        return;
    }
    JumpToRow(2);
    ASSERT_TRUE(WaitForEditorKey(LongKey(L"Values"), 30000));
    ASSERT_TRUE(WaitUntil([&] {
        std::vector<int> selected = ListSelectedRows(Values);
        return selected.size() == 1 && ListCellText(EditorProcess, Values, selected[0], 0) == L"needle";
    })) << "the value is not the only one selected";
    EXPECT_TRUE(ListItemState(Values, ListSelectedRows(Values)[0], LVIS_FOCUSED));
    EXPECT_EQ(Values, FocusedWindowOf(Editor));
    Screenshot(L"system-editor-value");

    JumpByDialog(Key(L"Sub"));
    EXPECT_TRUE(WaitForEditorKey(LongKey(L"Sub")));
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindowOf(Editor) == Tree; }));
    Screenshot(L"system-editor-key");
}
