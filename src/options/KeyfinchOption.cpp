// The options dialog: how many entries of each history the settings file keeps, and a button
// that clears each history at once.
#include "KeyfinchOption.h"

#include <windows.h>
#include <commctrl.h>

#include "DialogHelpers.h"
#include "KeyfinchIni.h"
#include "KeyfinchJump.h"
#include "KeyfinchMain.h"
#include "Resource.h"
#include "StringRoutines.h"

namespace {

const UINT MaxHistorySize = 100;

// Each history: its size setting, its edit field and up-down control, its clear button, and the
// combo box that shows it.
struct THistoryOption {
    int32_t* Size;
    int32_t DefaultSize;
    int EditId;
    int SpinId;
    int ClearId;
};

const THistoryOption HistoryOptions[] = {
    {&JumpHistoryMaxCount, DefaultJumpHistoryMaxCount, IDC_JUMPCOUNT, IDC_JUMPCOUNTSPIN, IDC_CLEARJUMPS},
    {&SubStringMaxCount, DefaultSubStringMaxCount, IDC_SUBSTRINGCOUNT, IDC_SUBSTRINGCOUNTSPIN, IDC_CLEARSUBSTRINGS},
    {&KeyNameMaxCount, DefaultKeyNameMaxCount, IDC_KEYNAMECOUNT, IDC_KEYNAMECOUNTSPIN, IDC_CLEARKEYNAMES},
};

HWND HistoryCombo(int clearId)
{
    switch (clearId) {
    case IDC_CLEARJUMPS:
        return GetDlgItem(JumpDialog, IDC_JUMPKEYNAME);
    case IDC_CLEARSUBSTRINGS:
        return GetDlgItem(StringPage, IDC_SUBSTRING);
    default:
        return GetDlgItem(LocationPage, IDC_KEYNAME);
    }
}

bool HistoryIsEmpty(int clearId)
{
    if (clearId == IDC_CLEARJUMPS)
        return JumpHistory.empty();
    return SendMessage(HistoryCombo(clearId), CB_GETCOUNT, 0, 0) <= 0;
}

void InitOptionsDialog(HWND dialog)
{
    for (const THistoryOption& option : HistoryOptions) {
        SetDlgItemInt(dialog, option.EditId, static_cast<UINT>(*option.Size), FALSE);
        SendDlgItemMessage(dialog, option.SpinId, UDM_SETRANGE, 0, MAKELPARAM(MaxHistorySize, 0));
        EnableWindow(GetDlgItem(dialog, option.ClearId), !HistoryIsEmpty(option.ClearId));
    }
}

// Stores each valid field at once, in order; at the first bad one says so and stays open.
void AcceptOptions(HWND dialog)
{
    for (const THistoryOption& option : HistoryOptions) {
        BOOL translated = FALSE;
        UINT size = GetDlgItemInt(dialog, option.EditId, &translated, FALSE);
        if (!translated || size > MaxHistorySize) {
            ShowWarning(dialog, FormatText(KT("%d - %d の数字を指定してください。"), {0, MaxHistorySize}).c_str());
            SendMessage(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, option.EditId)), TRUE);
            return;
        }
        *option.Size = static_cast<int32_t>(size);
    }
    EndDialog(dialog, IDOK);
}

void ClearHistory(HWND dialog, int clearId)
{
    if (clearId == IDC_CLEARJUMPS)
        JumpHistory.clear();
    SendMessage(HistoryCombo(clearId), CB_RESETCONTENT, 0, 0);
    HWND button = GetDlgItem(dialog, clearId);
    // A disabled button cannot keep the focus.
    if (GetFocus() == button)
        SendMessage(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDOK)), TRUE);
    EnableWindow(button, FALSE);
}

void RestoreDefaultSizes(HWND dialog)
{
    for (const THistoryOption& option : HistoryOptions)
        SetDlgItemInt(dialog, option.EditId, static_cast<UINT>(option.DefaultSize), FALSE);
}

void OnOptionsCommand(HWND dialog, int id)
{
    switch (id) {
    case IDOK:
        AcceptOptions(dialog);
        break;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        break;
    case IDC_CLEARJUMPS:
    case IDC_CLEARSUBSTRINGS:
    case IDC_CLEARKEYNAMES:
        ClearHistory(dialog, id);
        break;
    case IDC_DEFAULTS:
        RestoreDefaultSizes(dialog);
        break;
    }
}

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitOptionsDialog(dialog);
        return TRUE;
    case WM_CLOSE:
        PostMessage(dialog, WM_COMMAND, IDCANCEL, 0);
        break;
    case WM_COMMAND:
        OnOptionsCommand(dialog, LOWORD(wParam));
        break;
    }
    return FALSE;
}

}  // namespace

void ShowOptionsDialog()
{
    DialogBoxFromTemplate(GetModuleHandle(nullptr), IDD_OPTIONS, MainWindow, OptionsDialogProc);
}
