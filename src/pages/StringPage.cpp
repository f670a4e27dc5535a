// The search string page: the search text with its history, the targets and the options.
#include "KeyfinchPages.h"

#include "DialogHelpers.h"
#include "Resource.h"

void StretchComboBox(HWND page, int comboId, int pageWidth)
{
    HWND combo = GetDlgItem(page, comboId);
    RECT rect;
    GetChildRect(combo, &rect);
    rect.right = pageWidth - DluToPixelsX(page, 6);
    // Moving a combo box resets the selection in its edit field.
    DWORD start = 0, end = 0;
    SendMessage(combo, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    MoveWindowRect(combo, rect, false);
    SendMessage(combo, CB_SETEDITSEL, 0, MAKELPARAM(start, end));
    RedrawWindow(combo, nullptr, nullptr, RDW_INVALIDATE);
}

static void LayoutStringPage(HWND page, int width)
{
    StretchComboBox(page, IDC_SUBSTRING, width);
    HWND group = GetDlgItem(page, IDC_TARGETGROUP);
    RECT rect;
    GetChildRect(group, &rect);
    rect.right = width - DluToPixelsX(page, 6);
    MoveWindowRect(group, rect, true);
}

INT_PTR CALLBACK StringPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_SIZE:
        LayoutStringPage(page, LOWORD(lParam));
        break;
    }
    return FALSE;
}
