// The location page: all roots, chosen roots, or one key with or without its subkeys.
#include "KeyfinchPages.h"

#include "Resource.h"

// Only the controls of the chosen mode are enabled. The rule follows the clicked button, so a
// posted click applies it to a state the program has just set.
static void EnableForLocation(HWND page, int clicked)
{
    for (int id = IDC_HKCR; id <= IDC_HKCC; ++id)
        EnableWindow(GetDlgItem(page, id), clicked == IDC_CHOSENROOTS);
    for (int id : {IDC_SUBKEY, IDC_KEYNAMELABEL, IDC_KEYNAME})
        EnableWindow(GetDlgItem(page, id), clicked == IDC_ONEKEY);
}

INT_PTR CALLBACK LocationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_SIZE:
        StretchComboBox(page, IDC_KEYNAME, LOWORD(lParam));
        break;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) >= IDC_ALLROOTS && LOWORD(wParam) <= IDC_ONEKEY)
            EnableForLocation(page, LOWORD(wParam));
        break;
    }
    return FALSE;
}
