// The jump dialog and the jump commands of the result list. Driving the registry editor is not
// built yet: the commands exist so that the keys and menus that reach them can be used.
#include "KeyfinchJump.h"

#include "KeyfinchMain.h"

INT_PTR CALLBACK JumpDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL)
            ShowWindow(dialog, SW_HIDE);
        break;
    case WM_CLOSE:
        ShowWindow(dialog, SW_HIDE);
        break;
    }
    return FALSE;
}

void ShowJumpDialog()
{
    ShowWindow(JumpDialog, SW_SHOW);
    SetForegroundWindow(JumpDialog);
}

void JumpToSelectedResult()
{
}

void ShowJumpHistory()
{
}
