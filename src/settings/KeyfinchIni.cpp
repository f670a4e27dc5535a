// The settings file: one INI file named after the program, in its folder, handled only through
// the system's profile functions. Each section is read into the controls it belongs to and, at
// exit, erased and written anew from them.
#include "KeyfinchIni.h"

#include <windows.h>
#include <commctrl.h>

#include "DialogHelpers.h"
#include "KeyfinchJump.h"
#include "KeyfinchList.h"
#include "KeyfinchMain.h"
#include "KeyfinchSearch.h"
#include "Resource.h"
#include "SettingsValues.h"
#include "StringRoutines.h"

int32_t SubStringMaxCount = DefaultSubStringMaxCount;
int32_t KeyNameMaxCount = DefaultKeyNameMaxCount;
int32_t JumpHistoryMaxCount = DefaultJumpHistoryMaxCount;

namespace {

const int DefaultColumnWidths[] = {100, 200, 100, 100, 100};
const KChar* const ColumnKeys[] = {KT("Name"), KT("Location"), KT("Data"), KT("Type"), KT("Time")};
const DWORD TextRoom = 260;  // characters of a stored text that are read back

// One section of the settings file.
class TIniSection {
public:
    TIniSection(const TString& fileName, const KChar* section) : FileName(fileName), Section(section) {}

    int32_t ReadInt(const KChar* key, int32_t defaultValue) const
    {
        return static_cast<int32_t>(GetPrivateProfileInt(Section, key, defaultValue, FileName.c_str()));
    }
    TString ReadText(const KChar* key) const
    {
        KChar text[TextRoom + 1] = {};
        DWORD length = GetPrivateProfileString(Section, key, KT(""), text, TextRoom + 1, FileName.c_str());
        return TString(text, length);
    }
    bool ReadFlag(const KChar* key, bool defaultValue) const { return ReadInt(key, defaultValue ? 1 : 0) != 0; }
    void WriteInt(const KChar* key, int32_t value) const { WriteText(key, IntToText(value)); }
    void WriteText(const KChar* key, const TString& text) const
    {
        WritePrivateProfileString(Section, key, text.c_str(), FileName.c_str());
    }
    void Erase() const { WritePrivateProfileString(Section, nullptr, nullptr, FileName.c_str()); }

private:
    const TString& FileName;
    const KChar* Section;
};

TString NumberedKey(const KChar* name, int number)
{
    return TString(name) + IntToText(number);
}

TString SettingsFileName()
{
    return ChangeExtension(GetModulePath(), KT(".ini"));
}

void CheckFromFlag(HWND dialog, int id, const TIniSection& ini, const KChar* key, bool defaultValue)
{
    CheckDlgButton(dialog, id, ini.ReadFlag(key, defaultValue) ? BST_CHECKED : BST_UNCHECKED);
}

void WriteFlag(const TIniSection& ini, const KChar* key, HWND dialog, int id)
{
    ini.WriteInt(key, IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 1 : 0);
}

// The edit text and the list of a history combo box. Empty entries are skipped: a history never
// holds an empty text, so they can only come from a damaged file.
void LoadHistoryCombo(HWND combo, const TIniSection& ini, const KChar* countKey, const KChar* name, int32_t size)
{
    int32_t count = EntriesToRead(ini.ReadInt(countKey, 0), size);
    SetWindowText(combo, ini.ReadText(name).c_str());
    for (int i = 1; i <= count; ++i) {
        TString entry = ini.ReadText(NumberedKey(name, i).c_str());
        if (!entry.empty())
            SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
}

void SaveHistoryCombo(HWND combo, const TIniSection& ini, const KChar* countKey, const KChar* name, int32_t size)
{
    int32_t count = static_cast<int32_t>(SendMessage(combo, CB_GETCOUNT, 0, 0));
    if (count > size)
        count = size;
    ini.WriteInt(countKey, count);
    ini.WriteText(name, GetWindowTextString(combo));
    for (int i = 1; i <= count; ++i)
        ini.WriteText(NumberedKey(name, i).c_str(), GetComboItemText(combo, i - 1));
}

// A normal rectangle that shows no part of any monitor, or has no size, is not restored.
bool IsUsableRect(const RECT& rect)
{
    return rect.right > rect.left && rect.bottom > rect.top && MonitorFromRect(&rect, MONITOR_DEFAULTTONULL) != nullptr;
}

RECT ReadRect(const TIniSection& ini, const RECT& current)
{
    RECT rect;
    rect.left = ini.ReadInt(KT("Left"), current.left);
    rect.top = ini.ReadInt(KT("Top"), current.top);
    rect.right = ini.ReadInt(KT("Right"), current.right);
    rect.bottom = ini.ReadInt(KT("Bottom"), current.bottom);
    return IsUsableRect(rect) ? rect : current;
}

void WriteRect(const TIniSection& ini, const RECT& rect)
{
    ini.WriteInt(KT("Left"), rect.left);
    ini.WriteInt(KT("Top"), rect.top);
    ini.WriteInt(KT("Right"), rect.right);
    ini.WriteInt(KT("Bottom"), rect.bottom);
}

void LoadPlacement(const TString& file)
{
    TIniSection ini(file, KT("Placement"));
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(MainWindow, &placement);
    placement.showCmd = SW_HIDE;
    placement.rcNormalPosition = ReadRect(ini, placement.rcNormalPosition);
    SetWindowPlacement(MainWindow, &placement);
    MainShowCommand = ini.ReadFlag(KT("Maximized"), false) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
}

void SavePlacement(const TString& file)
{
    TIniSection ini(file, KT("Placement"));
    ini.Erase();
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(MainWindow, &placement);
    WriteRect(ini, placement.rcNormalPosition);
    ini.WriteInt(KT("Maximized"), placement.showCmd == SW_SHOWMAXIMIZED ? 1 : 0);
}

void LoadStringPage(const TString& file)
{
    TIniSection ini(file, KT("String"));
    CheckFromFlag(StringPage, IDC_KEY, ini, KT("Key"), true);
    CheckFromFlag(StringPage, IDC_VALUE, ini, KT("Value"), true);
    CheckFromFlag(StringPage, IDC_DATA, ini, KT("Data"), true);
    CheckFromFlag(StringPage, IDC_WHOLEWORD, ini, KT("WholeWord"), false);
    CheckFromFlag(StringPage, IDC_MATCHCASE, ini, KT("MatchCase"), false);
    SubStringMaxCount = StoredHistorySize(ini.ReadInt(KT("SubStringMaxCount"), DefaultSubStringMaxCount));
    LoadHistoryCombo(GetDlgItem(StringPage, IDC_SUBSTRING), ini, KT("SubStringCount"), KT("SubString"),
                     SubStringMaxCount);
}

void SaveStringPage(const TString& file)
{
    TIniSection ini(file, KT("String"));
    ini.Erase();
    WriteFlag(ini, KT("Key"), StringPage, IDC_KEY);
    WriteFlag(ini, KT("Value"), StringPage, IDC_VALUE);
    WriteFlag(ini, KT("Data"), StringPage, IDC_DATA);
    WriteFlag(ini, KT("WholeWord"), StringPage, IDC_WHOLEWORD);
    WriteFlag(ini, KT("MatchCase"), StringPage, IDC_MATCHCASE);
    ini.WriteInt(KT("SubStringMaxCount"), SubStringMaxCount);
    SaveHistoryCombo(GetDlgItem(StringPage, IDC_SUBSTRING), ini, KT("SubStringCount"), KT("SubString"),
                     SubStringMaxCount);
}

const KChar* const RootFlagKeys[] = {KT("HKCR"), KT("HKCU"), KT("HKLM"), KT("HKU"), KT("HKCC")};

void LoadLocationPage(const TString& file)
{
    TIniSection ini(file, KT("Location"));
    // A type outside 0 to 2 checks no radio button, and a search then covers nothing.
    int32_t type = ini.ReadInt(KT("Type"), 0);
    int radio = type >= 0 && type <= 2 ? IDC_ALLROOTS + type : 0;
    CheckRadioButton(LocationPage, IDC_ALLROOTS, IDC_ONEKEY, radio);
    for (int i = 0; i < 5; ++i)
        CheckFromFlag(LocationPage, IDC_HKCR + i, ini, RootFlagKeys[i], true);
    CheckFromFlag(LocationPage, IDC_SUBKEY, ini, KT("SubKey"), true);
    KeyNameMaxCount = StoredHistorySize(ini.ReadInt(KT("KeyNameMaxCount"), DefaultKeyNameMaxCount));
    LoadHistoryCombo(GetDlgItem(LocationPage, IDC_KEYNAME), ini, KT("KeyNameCount"), KT("KeyName"), KeyNameMaxCount);
    if (radio != 0)
        PostCommand(LocationPage, radio, BN_CLICKED);  // the page applies its enabling rules
}

void SaveLocationPage(const TString& file)
{
    TIniSection ini(file, KT("Location"));
    ini.Erase();
    ini.WriteInt(KT("Type"), FirstCheckedButton(LocationPage, IDC_ALLROOTS, IDC_ONEKEY) - IDC_ALLROOTS);
    for (int i = 0; i < 5; ++i)
        WriteFlag(ini, RootFlagKeys[i], LocationPage, IDC_HKCR + i);
    WriteFlag(ini, KT("SubKey"), LocationPage, IDC_SUBKEY);
    ini.WriteInt(KT("KeyNameMaxCount"), KeyNameMaxCount);
    SaveHistoryCombo(GetDlgItem(LocationPage, IDC_KEYNAME), ini, KT("KeyNameCount"), KT("KeyName"), KeyNameMaxCount);
}

#if !defined(KEYFINCH_ANSI)
// An empty text is the present moment; one that does not parse leaves both pickers alone.
void LoadDateTime(const TIniSection& ini, const KChar* key, int datePicker, int timePicker)
{
    TString text = ini.ReadText(key);
    SYSTEMTIME time = {};
    if (text.empty()) {
        GetLocalTime(&time);
    } else {
        TCalendarTime parsed;
        if (!ParseStoredDateTime(text, &parsed))
            return;
        time.wYear = static_cast<WORD>(parsed.Year);
        time.wMonth = static_cast<WORD>(parsed.Month);
        time.wDay = static_cast<WORD>(parsed.Day);
        time.wHour = static_cast<WORD>(parsed.Hour);
        time.wMinute = static_cast<WORD>(parsed.Minute);
        time.wSecond = static_cast<WORD>(parsed.Second);
    }
    for (int id : {datePicker, timePicker})
        SendMessage(GetDlgItem(DatePage, id), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

// The date picker's date and the time picker's time, as the two show them.
void SaveDateTime(const TIniSection& ini, const KChar* key, int datePicker, int timePicker)
{
    SYSTEMTIME date = {}, time = {};
    SendMessage(GetDlgItem(DatePage, datePicker), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date));
    SendMessage(GetDlgItem(DatePage, timePicker), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    ini.WriteText(key, FormatText(KT("%04d/%02d/%02d %02d:%02d:%02d"),
                                  {date.wYear, date.wMonth, date.wDay, time.wHour, time.wMinute, time.wSecond}));
}

void LoadDatePage(const TString& file)
{
    TIniSection ini(file, KT("Time"));
    CheckFromFlag(DatePage, IDC_AFTER, ini, KT("After"), false);
    LoadDateTime(ini, KT("AfterDateTime"), IDC_AFTERDATE, IDC_AFTERTIME);
    CheckFromFlag(DatePage, IDC_BEFORE, ini, KT("Before"), false);
    LoadDateTime(ini, KT("BeforeDateTime"), IDC_BEFOREDATE, IDC_BEFORETIME);
    CheckFromFlag(DatePage, IDC_TIME, ini, KT("Time"), false);
    for (int id : {IDC_AFTER, IDC_BEFORE})
        PostCommand(DatePage, id, BN_CLICKED);
}

void SaveDatePage(const TString& file)
{
    TIniSection ini(file, KT("Time"));
    ini.Erase();
    WriteFlag(ini, KT("After"), DatePage, IDC_AFTER);
    SaveDateTime(ini, KT("AfterDateTime"), IDC_AFTERDATE, IDC_AFTERTIME);
    WriteFlag(ini, KT("Before"), DatePage, IDC_BEFORE);
    SaveDateTime(ini, KT("BeforeDateTime"), IDC_BEFOREDATE, IDC_BEFORETIME);
    WriteFlag(ini, KT("Time"), DatePage, IDC_TIME);
}
#endif

void LoadColumns(const TString& file)
{
    TIniSection ini(file, KT("Columns"));
    for (int column = 0; column < ResultColumnCount; ++column) {
        int32_t width = StoredColumnWidth(ini.ReadInt(ColumnKeys[column], DefaultColumnWidths[column]),
                                          DefaultColumnWidths[column]);
        SendMessage(ResultList, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0));
    }
}

void SaveColumns(const TString& file)
{
    TIniSection ini(file, KT("Columns"));
    ini.Erase();
    for (int column = 0; column < ResultColumnCount; ++column)
        ini.WriteInt(ColumnKeys[column], static_cast<int32_t>(SendMessage(ResultList, LVM_GETCOLUMNWIDTH, column, 0)));
}

// File entry 1 is the newest jump, the list's last element. Entries without a key name are
// skipped: no jump records one.
void LoadJumpHistory(const TString& file)
{
    TIniSection ini(file, KT("History"));
    JumpHistoryMaxCount = StoredHistorySize(ini.ReadInt(KT("MaxCount"), DefaultJumpHistoryMaxCount));
    int32_t count = EntriesToRead(ini.ReadInt(KT("Count"), 0), MaxStoredEntries);
    JumpHistory.clear();
    for (int i = count; i >= 1; --i) {
        TJumpHistory entry = {ini.ReadText(NumberedKey(KT("KeyName"), i).c_str()),
                              ini.ReadText(NumberedKey(KT("ValueName"), i).c_str())};
        if (!entry.KeyName.empty())
            JumpHistory.push_back(entry);
    }
    HWND combo = GetDlgItem(JumpDialog, IDC_JUMPKEYNAME);
    for (size_t i = JumpHistory.size(); i-- > 0;) {
        if (JumpHistory[i].ValueName.empty())
            SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(JumpHistory[i].KeyName.c_str()));
    }
}

void SaveJumpHistory(const TString& file)
{
    TIniSection ini(file, KT("History"));
    ini.Erase();
    ini.WriteInt(KT("MaxCount"), JumpHistoryMaxCount);
    int32_t n = static_cast<int32_t>(JumpHistory.size());
    int32_t m = n < JumpHistoryMaxCount ? n : JumpHistoryMaxCount;
    ini.WriteInt(KT("Count"), m);
    for (int i = 1; i <= m; ++i) {
        ini.WriteText(NumberedKey(KT("KeyName"), i).c_str(), JumpHistory[n - i].KeyName);
        ini.WriteText(NumberedKey(KT("ValueName"), i).c_str(), JumpHistory[n - i].ValueName);
    }
}

void LoadJumpDialog(const TString& file)
{
    TIniSection ini(file, KT("Specify"));
    RECT current;
    GetWindowRect(JumpDialog, &current);
    RECT rect = ReadRect(ini, current);
    MoveWindow(JumpDialog, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    SetWindowText(GetDlgItem(JumpDialog, IDC_JUMPKEYNAME), ini.ReadText(KT("KeyName")).c_str());
    CheckFromFlag(JumpDialog, IDC_TOPMOST, ini, KT("TopMost"), true);
    PostCommand(JumpDialog, IDC_TOPMOST, BN_CLICKED);
    JumpDialogVisible = ini.ReadFlag(KT("Visible"), false);
}

void SaveJumpDialog(const TString& file)
{
    TIniSection ini(file, KT("Specify"));
    ini.Erase();
    RECT rect;
    GetWindowRect(JumpDialog, &rect);
    WriteRect(ini, rect);
    ini.WriteText(KT("KeyName"), GetWindowTextString(GetDlgItem(JumpDialog, IDC_JUMPKEYNAME)));
    WriteFlag(ini, KT("TopMost"), JumpDialog, IDC_TOPMOST);
    ini.WriteInt(KT("Visible"), (GetWindowLong(JumpDialog, GWL_STYLE) & WS_VISIBLE) != 0 ? 1 : 0);
}

void LoadOther(const TString& file)
{
    TIniSection ini(file, KT("Other"));
    int32_t page = ini.ReadInt(KT("Page"), 0);
    int pageCount = static_cast<int>(SendMessage(TabControl, TCM_GETITEMCOUNT, 0, 0));
    SelectTabPage(TabControl, page >= 0 && page < pageCount ? page : 0);
    AllKeyCount = ini.ReadInt(KT("AllKeyCount"), 0);
}

void SaveOther(const TString& file)
{
    TIniSection ini(file, KT("Other"));
    ini.Erase();
    ini.WriteInt(KT("Page"), static_cast<int32_t>(SendMessage(TabControl, TCM_GETCURSEL, 0, 0)));
    ini.WriteInt(KT("AllKeyCount"), AllKeyCount);
}

}  // namespace

void LoadSettings()
{
    const TString file = SettingsFileName();
    LoadPlacement(file);
    LoadStringPage(file);
    LoadLocationPage(file);
#if !defined(KEYFINCH_ANSI)
    LoadDatePage(file);
#endif
    LoadColumns(file);
    LoadJumpHistory(file);
    LoadJumpDialog(file);
    LoadOther(file);
}

void SaveSettings()
{
    const TString file = SettingsFileName();
    SavePlacement(file);
    SaveStringPage(file);
    SaveLocationPage(file);
#if !defined(KEYFINCH_ANSI)
    SaveDatePage(file);
#endif
    SaveColumns(file);
    SaveJumpHistory(file);
    SaveJumpDialog(file);
    SaveOther(file);
}
