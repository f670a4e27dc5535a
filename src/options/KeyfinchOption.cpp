// The options dialog. Its fields are not kept yet; OK and Cancel only close it.
#include "KeyfinchOption.h"

#include <windows.h>
#include "DialogHelpers.h"
#include "KeyfinchMain.h"
#include "Resource.h"

static INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, LOWORD(wParam));
        break;
    }
    return FALSE;
}

void ShowOptionsDialog()
{
    DialogBoxFromTemplate(GetModuleHandle(nullptr), IDD_OPTIONS, MainWindow, OptionsDialogProc);
}
