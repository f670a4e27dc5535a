// What the pages share: the collection of the search conditions when a search starts, with a
// warning on the first page that cannot make a search, and the two history combo boxes.
#include "KeyfinchPages.h"

#include <commctrl.h>
#include "DialogHelpers.h"
#include "KeyPath.h"
#include "KeyfinchMain.h"
#include "KeyfinchSearch.h"
#include "Resource.h"

enum { StringPageIndex = 0, LocationPageIndex = 1, DatePageIndex = 2 };

// Brings the page forward, warns, and then puts the focus on the control to correct, or without
// one on the page's first tab stop unless the tab control had the focus. The focus is posted
// after the box has closed: the box's own loop would run an earlier posted change while it is
// up, and closing it gives the focus back to where it was.
static bool Refuse(int pageIndex, HWND page, const KChar* text, int focusId)
{
    bool tabHadFocus = GetFocus() == TabControl;
    SelectTabPage(TabControl, pageIndex);
    ShowWarning(MainWindow, text);
    HWND focus = focusId != 0 ? GetDlgItem(page, focusId) : tabHadFocus ? nullptr : GetNextDlgTabItem(page, nullptr, FALSE);
    if (focus != nullptr)
        PostMessage(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
    return false;
}

void AddToHistory(HWND combo, const TString& text)
{
    LRESULT found = SendMessage(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(text.c_str()));
    if (found != CB_ERR)
        SendMessage(combo, CB_DELETESTRING, found, 0);
    SendMessage(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessage(combo, CB_SETCURSEL, 0, 0);
}

bool CollectStringPage()
{
    TSearchConditions& c = SearchConditions;
    TString text = GetWindowTextString(GetDlgItem(StringPage, IDC_SUBSTRING));
    // The history keeps the text as typed; the conditions get it upper-cased unless the case counts.
    if (!text.empty())
        AddToHistory(GetDlgItem(StringPage, IDC_SUBSTRING), text);
    SetSearchText(c, text, IsChecked(StringPage, IDC_WHOLEWORD), IsChecked(StringPage, IDC_MATCHCASE));
    c.Key = IsChecked(StringPage, IDC_KEY);
    c.Value = IsChecked(StringPage, IDC_VALUE);
    c.Data = IsChecked(StringPage, IDC_DATA);
    if (!c.Key && !c.Value && !c.Data)
        return Refuse(StringPageIndex, StringPage, KT("検索対象を少なくとも一つ選択してください。"), IDC_KEY);
    return true;
}

bool CollectLocationPage()
{
    TSearchConditions& c = SearchConditions;
    int checked = FirstCheckedButton(LocationPage, IDC_ALLROOTS, IDC_ONEKEY);
    // With no radio button checked the type names no location and the search covers nothing.
    c.Type = checked != 0 ? checked - IDC_ALLROOTS : -1;
    if (c.Type == LocationChosenRoots) {
        c.HKCR = IsChecked(LocationPage, IDC_HKCR);
        c.HKCU = IsChecked(LocationPage, IDC_HKCU);
        c.HKLM = IsChecked(LocationPage, IDC_HKLM);
        c.HKU = IsChecked(LocationPage, IDC_HKU);
        c.HKCC = IsChecked(LocationPage, IDC_HKCC);
        if (!c.HKCR && !c.HKCU && !c.HKLM && !c.HKU && !c.HKCC)
            return Refuse(LocationPageIndex, LocationPage, KT("エントリを少なくとも一つ選択してください。"), IDC_HKCR);
        c.SubKey = true;
        return true;
    }
    if (c.Type != LocationOneKey) {
        c.SubKey = true;
        return true;
    }
    HWND combo = GetDlgItem(LocationPage, IDC_KEYNAME);
    c.KeyName = GetWindowTextString(combo);
    // A start key left open by an earlier refused start is closed before the field is set again.
    if (c.KeyHandle != 0) {
        SystemRegistry.CloseKey(c.KeyHandle);
        c.KeyHandle = 0;
    }
    if (OpenKeyPath(SystemRegistry, c.KeyName, KeyRead, &c.KeyHandle) != RegSuccess)
        c.KeyHandle = 0;
    c.SubKey = IsChecked(LocationPage, IDC_SUBKEY);
    if (c.KeyHandle == 0)
        return Refuse(LocationPageIndex, LocationPage, KT("有効なキー名を指定してください。"), IDC_KEYNAME);
    c.KeyName = ToShortKeyPath(c.KeyName);
    AddToHistory(combo, c.KeyName);
    return true;
}

#if !defined(KEYFINCH_ANSI)
static TCalendarTime PickerTime(HWND page, int id)
{
    SYSTEMTIME time = {};
    SendMessage(GetDlgItem(page, id), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    TCalendarTime calendar = {};
    calendar.Year = time.wYear;
    calendar.Month = time.wMonth;
    calendar.Day = time.wDay;
    calendar.Hour = time.wHour;
    calendar.Minute = time.wMinute;
    calendar.Second = time.wSecond;
    return calendar;
}

// One bound from its date and time pickers; without the time check box the whole local day.
static void CollectDateBound(int checkId, int dateId, int timeId, bool upper, bool* enabled, TFileTime* bound)
{
    *enabled = IsChecked(DatePage, checkId);
    if (*enabled)
        MakeDateBound(PickerTime(DatePage, dateId), PickerTime(DatePage, timeId), IsChecked(DatePage, IDC_TIME), upper,
                      bound);
}
#endif

bool CollectDatePage()
{
#if !defined(KEYFINCH_ANSI)
    TSearchConditions& c = SearchConditions;
    c.Time = IsChecked(DatePage, IDC_TIME);
    CollectDateBound(IDC_AFTER, IDC_AFTERDATE, IDC_AFTERTIME, false, &c.After, &c.AfterDateTime);
    CollectDateBound(IDC_BEFORE, IDC_BEFOREDATE, IDC_BEFORETIME, true, &c.Before, &c.BeforeDateTime);
    if (c.After && c.Before && c.AfterDateTime > c.BeforeDateTime)
        return Refuse(DatePageIndex, DatePage,
                      KT("[次の日時より以後] と比べて\r\n[次の日時より以前] が新しくなるように更新日時を指定してください。"), 0);
#endif
    return true;
}

bool CollectConditions()
{
    return CollectStringPage() && CollectLocationPage() && CollectDatePage();
}
