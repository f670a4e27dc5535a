// The jump dialog, the jump command of the result list, and the history of earlier jumps that the
// History button lists.
#include "KeyfinchJump.h"

#include <commctrl.h>

#include "DialogHelpers.h"
#include "KeyPath.h"
#include "KeyfinchList.h"
#include "KeyfinchMain.h"
#include "KeyfinchPages.h"
#include "KeyfinchSearch.h"
#include "Resource.h"
#include "StringRoutines.h"

std::vector<TJumpHistory> JumpHistory;

namespace {

// The jump dialog's size at creation: its smallest width and its only height.
SIZE JumpDialogSize;

const DWORD HistoryDataRoom = 4096;  // characters

bool KeyOpens(const TString& keyName)
{
    TRegKey key = 0;
    if (OpenKeyPath(SystemRegistry, keyName, KeyRead, &key) != RegSuccess)
        return false;
    SystemRegistry.CloseKey(key);
    return true;
}

void LimitJumpDialogSize(MINMAXINFO* limits)
{
    if (JumpDialogSize.cx == 0)
        return;  // not yet created
    limits->ptMinTrackSize.x = JumpDialogSize.cx;
    limits->ptMinTrackSize.y = JumpDialogSize.cy;
    limits->ptMaxTrackSize.y = JumpDialogSize.cy;
}

// Places the right-hand part of a control so its right edge lies at right; keeps its width
// when width is negative.
void PlaceFromRight(HWND control, int right, int width)
{
    RECT rect;
    GetChildRect(control, &rect);
    rect.left = right - (width >= 0 ? width : rect.right - rect.left);
    rect.right = right;
    MoveWindowRect(control, rect, true);
}

void LayoutJumpDialog(HWND dialog, int width, int height)
{
    StretchComboBox(dialog, IDC_JUMPKEYNAME, width);
    HWND closeButton = GetDlgItem(dialog, IDCANCEL);
    PlaceFromRight(closeButton, width - DluToPixelsX(dialog, 6), DluToPixelsX(dialog, 50));
    RECT closeRect;
    GetChildRect(closeButton, &closeRect);
    PlaceFromRight(GetDlgItem(dialog, IDOK), closeRect.left - DluToPixelsX(dialog, 4), DluToPixelsX(dialog, 50));

    HWND grip = GetDlgItem(dialog, IDC_JUMPGRIP);
    RECT rect;
    GetChildRect(grip, &rect);
    OffsetRect(&rect, width - rect.right, height - rect.bottom);
    MoveWindowRect(grip, rect, true);
}

// Keys deleted since they were jumped to leave the list; the edit field is left as it is.
void PruneJumpCombo(HWND dialog)
{
    HWND combo = GetDlgItem(dialog, IDC_JUMPKEYNAME);
    for (int i = static_cast<int>(SendMessage(combo, CB_GETCOUNT, 0, 0)) - 1; i >= 0; --i) {
        if (!KeyOpens(GetComboItemText(combo, i)))
            SendMessage(combo, CB_DELETESTRING, i, 0);
    }
    PostMessage(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(combo), TRUE);
}

void JumpToTypedKey(HWND dialog)
{
    TString keyName = ToShortKeyPath(GetWindowTextString(GetDlgItem(dialog, IDC_JUMPKEYNAME)));
    if (!KeyOpens(keyName)) {
        ShowWarning(dialog, KT("有効なキー名を指定してください。"));
        return;
    }
    JumpToKey(keyName, TString(), dialog);
    AddJumpHistory({keyName, TString()});
}

void SetTopMost(HWND dialog)
{
    HWND order = IsDlgButtonChecked(dialog, IDC_TOPMOST) ? HWND_TOPMOST : HWND_NOTOPMOST;
    SetWindowPos(dialog, order, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void OnJumpDialogCommand(HWND dialog, int id)
{
    switch (id) {
    case IDOK:
        JumpToTypedKey(dialog);
        break;
    case IDCANCEL:
        ShowWindow(dialog, SW_HIDE);
        break;
    case IDC_TOPMOST:
        SetTopMost(dialog);
        break;
    }
}

// False when the value no longer exists.
bool AddValueRow(TRegKey key, const TJumpHistory& entry)
{
    bool unnamed = CompareNoCase(entry.ValueName, DefaultValueLabel) == 0;
    const TString name = unnamed ? TString() : entry.ValueName;
    std::vector<uint8_t> data(HistoryDataRoom * sizeof(KChar));
    uint32_t type = 0;
    uint32_t size = static_cast<uint32_t>(data.size());
    int32_t result = SystemRegistry.QueryValue(key, name.c_str(), &type, data.data(), &size);
    if (result == RegMoreData && IsStringType(type)) {
        data.resize(size);
        result = SystemRegistry.QueryValue(key, name.c_str(), &type, data.data(), &size);
    }
    if (result == RegFileNotFound)
        return false;
    // Data that did not fit is shown as far as it was read.
    if (result != RegSuccess)
        size = result == RegMoreData ? static_cast<uint32_t>(data.size()) : 0;
    TFileTime lastWrite = 0;
    SystemRegistry.QueryInfoKey(key, nullptr, nullptr, nullptr, &lastWrite);
    AddHit(name.c_str(), name.size(), entry.KeyName, type, lastWrite, size, data.data());
    return true;
}

void AddKeyRow(TRegKey key, const TJumpHistory& entry)
{
    std::vector<KChar> className(HistoryDataRoom, 0);
    uint32_t classLength = HistoryDataRoom;
    TFileTime lastWrite = 0;
    if (SystemRegistry.QueryInfoKey(key, className.data(), &classLength, nullptr, &lastWrite) != RegSuccess)
        classLength = 0;
    className[classLength] = 0;
    TString name = ExtractLastComponent(entry.KeyName);
    AddHit(name.c_str(), name.size(), ExtractParentPath(entry.KeyName), KeyHitType, lastWrite,
           (classLength + 1) * sizeof(KChar), reinterpret_cast<const uint8_t*>(className.data()));
}

}  // namespace

INT_PTR CALLBACK JumpDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        GetWindowSize(dialog, &JumpDialogSize);
        return TRUE;
    case WM_GETMINMAXINFO:
        LimitJumpDialogSize(reinterpret_cast<MINMAXINFO*>(lParam));
        break;
    case WM_SIZE:
        LayoutJumpDialog(dialog, LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_SHOWWINDOW:
        if (wParam)
            PruneJumpCombo(dialog);
        break;
    case WM_COMMAND:
        OnJumpDialogCommand(dialog, LOWORD(wParam));
        break;
    }
    return FALSE;
}

void AddJumpHistory(const TJumpHistory& entry)
{
    if (entry.ValueName.empty()) {
        HWND combo = GetDlgItem(JumpDialog, IDC_JUMPKEYNAME);
        LRESULT found =
            SendMessage(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry.KeyName.c_str()));
        if (found != CB_ERR)
            SendMessage(combo, CB_DELETESTRING, found, 0);
        SendMessage(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(entry.KeyName.c_str()));
        SendMessage(combo, CB_SETCURSEL, 0, 0);
    }
    // The same jump again moves to the end, in the letter case of the newest one.
    for (size_t i = JumpHistory.size(); i-- > 0;) {
        if (CompareNoCase(JumpHistory[i].KeyName, entry.KeyName) == 0 &&
            CompareNoCase(JumpHistory[i].ValueName, entry.ValueName) == 0) {
            DeleteJumpHistory(i);
            break;
        }
    }
    JumpHistory.push_back(entry);
}

void DeleteJumpHistory(size_t index)
{
    if (index < JumpHistory.size())
        JumpHistory.erase(JumpHistory.begin() + static_cast<std::ptrdiff_t>(index));
}

void ShowJumpDialog()
{
    ShowWindow(JumpDialog, SW_SHOW);
    SetActiveWindow(JumpDialog);
}

void JumpToSelectedResult()
{
    int row = GetSelectedRow();
    if (row < 0)
        return;
    TString name = GetRowText(row, 0);
    TString location = GetRowText(row, 1);
    TJumpHistory entry;
    if (GetRowText(row, 3) == KeyTypeLabel) {
        entry.KeyName = location.empty() ? name : location + KT("\\") + name;
    } else {
        entry.KeyName = location;
        entry.ValueName = name;
    }
    JumpToKey(entry.KeyName, entry.ValueName, MainWindow);
    AddJumpHistory(entry);
}

void ShowJumpHistory()
{
    ClearList();
    for (size_t i = JumpHistory.size(); i-- > 0;) {
        const TJumpHistory entry = JumpHistory[i];
        TRegKey key = 0;
        if (OpenKeyPath(SystemRegistry, entry.KeyName, KeyRead, &key) != RegSuccess) {
            DeleteJumpHistory(i);
            continue;
        }
        if (entry.ValueName.empty())
            AddKeyRow(key, entry);
        else if (!AddValueRow(key, entry))
            DeleteJumpHistory(i);
        SystemRegistry.CloseKey(key);
    }
    SendMessage(MainWindow, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(ResultList), TRUE);
    int count = static_cast<int>(SendMessage(ResultList, LVM_GETITEMCOUNT, 0, 0));
    SetStatusText(0, FormatText(KT("%d 個の履歴があります。"), {count}));
    SetStatusText(1, TString());
    SetStatusText(2, TString());
}
