// The date and time page: a window of key modification times, with a clock.
#include "KeyfinchPages.h"

#include <commctrl.h>
#include "Resource.h"
#include "StringRoutines.h"

static const UINT_PTR ClockTimer = 1;

static void Enable(HWND page, int id, bool enabled)
{
    EnableWindow(GetDlgItem(page, id), enabled);
}

// The controls of one bound follow its check box; the time check box serves both bounds. A
// click changes only the controls its row names.
static void EnableForBound(HWND page, int checkId)
{
    bool on = IsChecked(page, checkId);
    bool time = IsChecked(page, IDC_TIME);
    Enable(page, checkId + 1, on);         // date picker
    Enable(page, checkId + 2, on && time); // time picker
    Enable(page, checkId + 3, on);         // now button
    Enable(page, IDC_TIME, IsChecked(page, IDC_AFTER) || IsChecked(page, IDC_BEFORE));
}

static void EnableTimePickers(HWND page)
{
    bool time = IsChecked(page, IDC_TIME);
    Enable(page, IDC_AFTERTIME, IsChecked(page, IDC_AFTER) && time);
    Enable(page, IDC_BEFORETIME, IsChecked(page, IDC_BEFORE) && time);
}

// The date picker always takes today; the time picker only when the time counts.
static void SetBoundToNow(HWND page, int dateId, int timeId)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    SendMessage(GetDlgItem(page, dateId), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&now));
    if (IsChecked(page, IDC_TIME))
        SendMessage(GetDlgItem(page, timeId), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&now));
}

static void ShowClock(HWND page)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    TString text = FormatText(KT("%04d/%02d/%02d %02d:%02d:%02d"),
                              {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond});
    SetDlgItemText(page, IDC_CLOCK, text.c_str());
}

static void InitDatePage(HWND page)
{
    for (int id : {IDC_AFTERDATE, IDC_BEFOREDATE})
        SendMessage(GetDlgItem(page, id), DTM_SETFORMAT, 0, reinterpret_cast<LPARAM>(KT("yyyy/MM/dd")));
    for (int id : {IDC_AFTERTIME, IDC_BEFORETIME})
        SendMessage(GetDlgItem(page, id), DTM_SETFORMAT, 0, reinterpret_cast<LPARAM>(KT("HH:mm:ss")));
    EnableForBound(page, IDC_AFTER);
    EnableForBound(page, IDC_BEFORE);
    SetTimer(page, ClockTimer, 500, nullptr);
}

static void OnDateCommand(HWND page, int id)
{
    switch (id) {
    case IDC_AFTER:
    case IDC_BEFORE:
        EnableForBound(page, id);
        break;
    case IDC_TIME:
        EnableTimePickers(page);
        break;
    case IDC_AFTERNOW:
        SetBoundToNow(page, IDC_AFTERDATE, IDC_AFTERTIME);
        break;
    case IDC_BEFORENOW:
        SetBoundToNow(page, IDC_BEFOREDATE, IDC_BEFORETIME);
        break;
    }
}

INT_PTR CALLBACK DatePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitDatePage(page);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
            OnDateCommand(page, LOWORD(wParam));
        break;
    case WM_TIMER:
        ShowClock(page);
        break;
    case WM_DESTROY:
        KillTimer(page, ClockTimer);
        break;
    }
    return FALSE;
}
