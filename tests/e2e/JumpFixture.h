// The fixture of the jump tests: KeyfinchNT with its jump dialog, and the registry editor it
// drives, read back from outside.
#pragma once

#include "KeyfinchFixture.h"

class TJumpTest : public TKeyfinch {
protected:
    HWND Dialog = nullptr;  // the jump dialog, hidden until shown
    HWND Combo = nullptr;
    HWND Editor = nullptr;  // the registry editor's main window, once found
    HWND Tree = nullptr;
    HWND Values = nullptr;
    HANDLE EditorProcess = nullptr;

    void SetUp() override;
    void TearDown() override;
    bool FindWindows() override;

    // Starts the program with the stand-in editor beside it; false when either is missing.
    bool StartWithStandIn(const std::wstring& words = L"");
    // Starts the program alone, so that "regedit" is the system's own editor.
    bool StartAlone();

    // HKCU\<test key>[\sub] and the same with the root's full name.
    std::wstring Key(const std::wstring& sub = L"") const;
    std::wstring LongKey(const std::wstring& sub = L"") const;

    // Shows the jump dialog as its menu item does.
    bool ShowDialog();
    // Types the text into the jump dialog and presses Jump.
    void JumpByDialog(const std::wstring& text);
    // The first entry of the dialog's list, which a jump to a key puts there when it is done.
    bool WaitForComboTop(const std::wstring& text, DWORD timeoutMs = 20000) const;

    // Selects and focuses one result row, and deselects the others.
    void SelectRow(int row);
    // Selects the result row and gives the jump command from the menu.
    void JumpToRow(int row);

    // Waits for the editor's window and its two views.
    bool FindEditor(DWORD timeoutMs = 20000);
    // Waits until the editor's selected key has this path (root under its full name).
    bool WaitForEditorKey(const std::wstring& longPath, DWORD timeoutMs = 15000);
    std::wstring EditorKey() const;
    // The value rows, each as its name followed by " S" when selected and " F" when focused.
    std::vector<std::wstring> ValueStates() const;
    ::testing::AssertionResult WaitForValueStates(const std::vector<std::wstring>& states,
                                                  DWORD timeoutMs = 10000);
    // How often the stand-in's tree or list has received the message.
    int Count(UINT message) const;
    void ResetCounts() const;
};
