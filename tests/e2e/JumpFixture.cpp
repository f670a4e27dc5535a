#include "JumpFixture.h"

void TJumpTest::SetUp()
{
    TKeyfinch::SetUp();
    CloseAllEditors();
}

void TJumpTest::TearDown()
{
    TKeyfinch::TearDown();  // the failure screenshot still shows the editor
    if (EditorProcess != nullptr)
        CloseHandle(EditorProcess);
    CloseAllEditors();
}

bool TJumpTest::StartWithStandIn(const std::wstring& words)
{
    StandInBeside = true;
    StandInWords = words;
    return StartAlone();
}

bool TJumpTest::StartAlone()
{
    return Start();
}

bool TJumpTest::FindWindows()
{
    if (!TKeyfinch::FindWindows())
        return false;
    Dialog = FindTopWindow(App.ProcessId, L"KeyfinchSpec", nullptr, false);
    Combo = GetDlgItem(Dialog, 100);
    return Dialog != nullptr && Combo != nullptr;
}

std::wstring TJumpTest::Key(const std::wstring& sub) const
{
    return L"HKCU\\" + TestKey + (sub.empty() ? L"" : L"\\" + sub);
}

std::wstring TJumpTest::LongKey(const std::wstring& sub) const
{
    return L"HKEY_CURRENT_USER\\" + TestKey + (sub.empty() ? L"" : L"\\" + sub);
}

bool TJumpTest::ShowDialog()
{
    PostMessageW(Main, WM_COMMAND, 230, 0);
    return WaitUntil([this] { return IsWindowVisible(Dialog) != FALSE; });
}

void TJumpTest::JumpByDialog(const std::wstring& text)
{
    if (!IsWindowVisible(Dialog))
        ShowDialog();
    SetComboEditText(Combo, text);
    ClickButton(GetDlgItem(Dialog, IDOK));
}

bool TJumpTest::WaitForComboTop(const std::wstring& text, DWORD timeoutMs) const
{
    return WaitUntil([&] {
        std::vector<std::wstring> items = ComboItems(Combo);
        return !items.empty() && items[0] == text;
    }, timeoutMs);
}

void TJumpTest::SelectRow(int row)
{
    // Not with the mouse: the editor, a later window of another process, may lie above the list.
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    for (int i = 0, count = ListRowCount(List); i < count; ++i) {
        item.state = i == row ? LVIS_SELECTED | LVIS_FOCUSED : 0;
        void* remote = VirtualAllocEx(App.Process, nullptr, sizeof item, MEM_COMMIT, PAGE_READWRITE);
        ASSERT_NE(nullptr, remote);
        WriteProcessMemory(App.Process, remote, &item, sizeof item, nullptr);
        SendMessageW(List, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(remote));
        VirtualFreeEx(App.Process, remote, 0, MEM_RELEASE);
    }
}

void TJumpTest::JumpToRow(int row)
{
    SelectRow(row);
    PostMessageW(Main, WM_COMMAND, 210, 0);
}

bool TJumpTest::FindEditor(DWORD timeoutMs)
{
    if (Editor != nullptr && IsWindow(Editor) && Tree != nullptr && Values != nullptr)
        return true;
    Editor = WaitForEditor(0, timeoutMs);
    if (Editor == nullptr)
        return false;
    if (EditorProcess != nullptr)
        CloseHandle(EditorProcess);
    EditorProcess = OpenWindowProcess(Editor);
    return WaitUntil([this] {
        Tree = FindEditorView(Editor, L"SysTreeView32");
        Values = FindEditorView(Editor, L"SysListView32");
        return Tree != nullptr && Values != nullptr;
    }, 5000);
}

std::wstring TJumpTest::EditorKey() const
{
    return TreeCaretKeyPath(EditorProcess, Tree);
}

bool TJumpTest::WaitForEditorKey(const std::wstring& longPath, DWORD timeoutMs)
{
    return FindEditor() && WaitUntil([&] { return EditorKey() == longPath; }, timeoutMs);
}

std::vector<std::wstring> TJumpTest::ValueStates() const
{
    std::vector<std::wstring> states;
    int count = ListRowCount(Values);
    for (int row = 0; row < count; ++row) {
        std::wstring state = ListCellText(EditorProcess, Values, row, 0);
        if (ListItemState(Values, row, LVIS_SELECTED))
            state += L" S";
        if (ListItemState(Values, row, LVIS_FOCUSED))
            state += L" F";
        states.push_back(state);
    }
    return states;
}

::testing::AssertionResult TJumpTest::WaitForValueStates(const std::vector<std::wstring>& states,
                                                         DWORD timeoutMs)
{
    if (!FindEditor())
        return ::testing::AssertionFailure() << "no editor";
    if (WaitUntil([&] { return ValueStates() == states; }, timeoutMs))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the editor shows " << ::testing::PrintToString(ValueStates())
                                         << " in " << ::testing::PrintToString(EditorKey());
}

int TJumpTest::Count(UINT message) const
{
    return StandInMessageCount(Editor, message);
}

void TJumpTest::ResetCounts() const
{
    ResetStandInCounts(Editor);
}
