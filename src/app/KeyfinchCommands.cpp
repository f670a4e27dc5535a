// The commands of the main window: buttons, menus, the list's keys and context menu, copying a
// key path and starting over with New.
#include "KeyfinchMain.h"

#include "DialogHelpers.h"
#include "KeyPath.h"
#include "KeyfinchJump.h"
#include "KeyfinchList.h"
#include "KeyfinchOption.h"
#include "KeyfinchSearch.h"
#include "Resource.h"
#include "RowText.h"

void OnMainCommand(int id)
{
    switch (id) {
    case IDC_SEARCH:
        StartSearch();
        break;
    case IDC_ABORT:
    case IDCANCEL:  // Esc stops a search and never closes the window
        AbortSearch();
        break;
    case IDC_NEW:
        ResetConditions();
        break;
    case IDC_HISTORY:
        ShowJumpHistory();
        break;
    case IDC_RESULTLIST:  // Enter while the list has the focus
    case IDM_JUMP:
        JumpToSelectedResult();
        break;
    case IDM_COPYKEYNAME:
        CopyKeyName();
        break;
    case IDM_EXIT:
        PostMessage(MainWindow, WM_CLOSE, 0, 0);
        break;
    case IDM_SORTBYNAME:
    case IDM_SORTBYLOCATION:
    case IDM_SORTBYDATA:
    case IDM_SORTBYTYPE:
    case IDM_SORTBYTIME:
        SortByColumn(id - IDM_SORTBYNAME);
        break;
    case IDM_JUMPDIALOG:
        ShowJumpDialog();
        break;
    case IDM_OPTIONS:
        ShowOptionsDialog();
        break;
    case IDM_ABOUT:
        ShowAboutBox();
        break;
    }
}

// Jump and Copy need a selected hit and the focus in the list.
void UpdateMenuItems(HMENU menu)
{
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        UINT id = GetMenuItemID(menu, position);
        if (id != IDM_JUMP && id != IDM_COPYKEYNAME)
            continue;
        bool enabled = GetFocus() == ResultList && GetSelectedRow() != -1;
        EnableMenuItem(menu, position, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    }
}

LRESULT CALLBACK ListSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CONTEXTMENU:
        ShowListContextMenu();
        return 0;
    case WM_KEYDOWN:
        if (wParam == 'C' && (GetKeyState(VK_CONTROL) & 0x8000)) {
            PostCommand(MainWindow, IDM_COPYKEYNAME, 0);
            return 0;
        }
        break;
    case WM_SYSKEYDOWN:
        if (wParam == VK_PRIOR || wParam == VK_NEXT) {
            PostMessage(window, WM_HSCROLL, wParam == VK_PRIOR ? SB_PAGELEFT : SB_PAGERIGHT, 0);
            return 0;
        }
        break;
    }
    return CallWindowProc(ListDefaultProc, window, message, wParam, lParam);
}

// At the mouse pointer, also when asked for from the keyboard.
void ShowListContextMenu()
{
    HMENU menu = LoadMenu(GetModuleHandle(nullptr), MAKEINTRESOURCE(IDM_LIST));
    if (menu == nullptr)
        return;
    HMENU popup = GetSubMenu(menu, 0);
    SetMenuDefaultItem(popup, IDM_JUMP, FALSE);
    POINT cursor;
    GetCursorPos(&cursor);
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, MainWindow, nullptr);
    DestroyMenu(menu);
}

void CopyKeyName()
{
    int row = GetSelectedRow();
    if (row < 0) {
        MessageBeep(MB_ICONHAND);
        return;
    }
    TString path = RowKeyPath(GetRowText(row, 0), GetRowText(row, 1), GetRowText(row, 3));
    CopyTextToClipboard(ToLongKeyPath(path));
}

void ResetConditions()
{
    ClearList();

    SetDlgItemText(StringPage, IDC_SUBSTRING, KT(""));
    for (int id : {IDC_KEY, IDC_VALUE, IDC_DATA})
        CheckDlgButton(StringPage, id, BST_CHECKED);
    for (int id : {IDC_WHOLEWORD, IDC_MATCHCASE})
        CheckDlgButton(StringPage, id, BST_UNCHECKED);

    // The posted clicks make the pages apply their enabling rules to the new states.
    CheckRadioButton(LocationPage, IDC_ALLROOTS, IDC_ONEKEY, IDC_ALLROOTS);
    PostCommand(LocationPage, IDC_ALLROOTS, BN_CLICKED);
#if !defined(KEYFINCH_ANSI)
    for (int id : {IDC_AFTER, IDC_BEFORE}) {
        CheckDlgButton(DatePage, id, BST_UNCHECKED);
        PostCommand(DatePage, id, BN_CLICKED);
    }
#endif

    for (int part = 0; part < 3; ++part)
        SetStatusText(part, TString());
    SelectTabPage(TabControl, static_cast<int>(SendMessage(TabControl, TCM_GETCURSEL, 0, 0)));
}
