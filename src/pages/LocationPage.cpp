// The location page: all roots, chosen roots, or one key with or without its subkeys.
#include "KeyfinchPages.h"

#include "Resource.h"

INT_PTR CALLBACK LocationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_SIZE:
        StretchComboBox(page, IDC_KEYNAME, LOWORD(lParam));
        break;
    }
    return FALSE;
}
