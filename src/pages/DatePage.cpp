// The date and time page: a window of key modification times.
#include "KeyfinchPages.h"

#include <commctrl.h>
#include "Resource.h"

static void SetPickerFormats(HWND page)
{
    for (int id : {IDC_AFTERDATE, IDC_BEFOREDATE})
        SendMessage(GetDlgItem(page, id), DTM_SETFORMAT, 0, reinterpret_cast<LPARAM>(KT("yyyy/MM/dd")));
    for (int id : {IDC_AFTERTIME, IDC_BEFORETIME})
        SendMessage(GetDlgItem(page, id), DTM_SETFORMAT, 0, reinterpret_cast<LPARAM>(KT("HH:mm:ss")));
}

INT_PTR CALLBACK DatePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetPickerFormats(page);
        return TRUE;
    }
    return FALSE;
}
