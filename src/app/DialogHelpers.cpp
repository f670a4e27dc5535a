// Dialog and window helpers shared by every window of the program.
#include "DialogHelpers.h"

#include <commctrl.h>
#include <vector>
#include "DialogTemplate.h"
#include "StringRoutines.h"

// The structure without its last member, iPaddedBorderWidth, so that systems before Vista
// accept it too.
static const UINT MetricsSizeWithoutPadding = 500;

// The face name of the message font as UTF-16, whatever the build's character unit.
static std::vector<uint16_t> MessageFont(int* pointSize)
{
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = MetricsSizeWithoutPadding;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, MetricsSizeWithoutPadding, &metrics, 0);
    *pointSize = MessageFontPointSize(metrics.lfMessageFont);
    std::vector<uint16_t> face;
    for (const WCHAR* p = metrics.lfMessageFont.lfFaceName; *p != 0; ++p)
        face.push_back(*p);
    face.push_back(0);
    return face;
}

HGLOBAL LoadDialogTemplate(HINSTANCE instance, int resourceId)
{
    HRSRC info = FindResource(instance, MAKEINTRESOURCE(resourceId), RT_DIALOG);
    HGLOBAL loaded = info ? LoadResource(instance, info) : nullptr;
    const uint8_t* resource = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    if (resource == nullptr)
        return nullptr;
    DWORD size = SizeofResource(instance, info);
    int pointSize = 9;
    std::vector<uint16_t> face = MessageFont(&pointSize);
    std::vector<uint8_t> rewritten;
    if (!RewriteDialogTemplate(resource, size, static_cast<uint16_t>(pointSize), face.data(), rewritten))
        return nullptr;
    HGLOBAL block = GlobalAlloc(GPTR, rewritten.size());
    if (block != nullptr)
        CopyMemory(block, rewritten.data(), rewritten.size());
    return block;
}

HWND CreateDialogFromTemplate(HINSTANCE instance, int resourceId, HWND parent, DLGPROC dialogProc)
{
    HGLOBAL block = LoadDialogTemplate(instance, resourceId);
    if (block == nullptr)
        return nullptr;
    HWND dialog = CreateDialogIndirectParam(instance, static_cast<LPCDLGTEMPLATE>(block), parent, dialogProc, 0);
    GlobalFree(block);
    return dialog;
}

INT_PTR DialogBoxFromTemplate(HINSTANCE instance, int resourceId, HWND owner, DLGPROC dialogProc)
{
    HGLOBAL block = LoadDialogTemplate(instance, resourceId);
    if (block == nullptr)
        return -1;
    INT_PTR result = DialogBoxIndirectParam(instance, static_cast<LPCDLGTEMPLATE>(block), owner, dialogProc, 0);
    GlobalFree(block);
    return result;
}

// The full cell height, internal leading included, so a font with leading comes out larger
// than its nominal size; the dialog units of every template are measured in it.
int MessageFontPointSize(const LOGFONTW& logFont)
{
    HFONT font = CreateFontIndirectW(&logFont);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    int pixelsPerInch = GetDeviceCaps(dc, LOGPIXELSY);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return pixelsPerInch > 0 ? metrics.tmHeight * 72 / pixelsPerInch : 9;
}

TString GetModulePath()
{
    KChar path[MAX_PATH];
    DWORD length = GetModuleFileName(GetModuleHandle(nullptr), path, MAX_PATH);
    return TString(path, length < MAX_PATH ? length : MAX_PATH);
}

static bool QueryVersion(OSVERSIONINFO* info)
{
    ZeroMemory(info, sizeof(*info));
    info->dwOSVersionInfoSize = sizeof(*info);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    return GetVersionEx(info) != FALSE;
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

DWORD PlatformId()
{
    OSVERSIONINFO info;
    QueryVersion(&info);
    return info.dwPlatformId;
}

WORD WindowsVersion()
{
    OSVERSIONINFO info;
    QueryVersion(&info);
    return static_cast<WORD>(((info.dwMajorVersion & 0xFF) << 8) | (info.dwMinorVersion & 0xFF));
}

void ShowAboutBox()
{
    TString path = GetModulePath();
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSize(path.c_str(), &handle);
    std::vector<uint8_t> block(size > 0 ? size : 1);
    TString text;
    if (size > 0 && GetFileVersionInfo(path.c_str(), 0, size, block.data())) {
        DWORD* translation = nullptr;
        UINT length = 0;
        TString prefix;
        if (VerQueryValue(block.data(), KT("\\VarFileInfo\\Translation"), reinterpret_cast<void**>(&translation),
                          &length) && length >= sizeof(DWORD)) {
            prefix = KT("\\") + FormatText(KT("%04X%04X"), {static_cast<int>(LOWORD(*translation)),
                                                             static_cast<int>(HIWORD(*translation))});
        }
        for (const KChar* key : {KT("\\FileDescription"), KT("\\LegalCopyright"), KT("\\Comments")}) {
            TString name = KT("\\StringFileInfo") + prefix + key;
            KChar* value = nullptr;
            UINT valueLength = 0;
            if (VerQueryValue(block.data(), name.c_str(), reinterpret_cast<void**>(&value), &valueLength) && value)
                text += value;
            text += KT("\r\n");
        }
    }
    MSGBOXPARAMS params = {};
    params.cbSize = sizeof(params);
    params.hwndOwner = GetActiveWindow();
    params.hInstance = GetModuleHandle(nullptr);
    params.lpszText = text.c_str();
    params.lpszCaption = KT("バージョン情報");
    params.dwStyle = MB_USERICON | MB_OK;
    params.lpszIcon = KT("MAINICON");
    MessageBoxIndirect(&params);
}

void CopyTextToClipboard(const TString& text)
{
    if (!OpenClipboard(nullptr))
        return;
    EmptyClipboard();
    size_t bytes = (text.size() + 1) * sizeof(KChar);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes);
    if (block != nullptr) {
        void* memory = GlobalLock(block);
        if (memory != nullptr) {
            CopyMemory(memory, text.c_str(), bytes);
            GlobalUnlock(block);
        }
        // A refused block still belongs to us.
        if (memory == nullptr || SetClipboardData(sizeof(KChar) == 1 ? CF_TEXT : CF_UNICODETEXT, block) == nullptr)
            GlobalFree(block);
    }
    CloseClipboard();
}

void ShowWarning(HWND owner, const KChar* text)
{
    MessageBox(owner, text, KT("Keyfinch"), MB_ICONWARNING | MB_OK);
}

TString GetWindowTextString(HWND window)
{
    int length = GetWindowTextLength(window);
    if (length <= 0)
        return TString();
    std::vector<KChar> text(length + 1);
    int copied = GetWindowText(window, text.data(), length + 1);
    return TString(text.data(), copied > 0 ? copied : 0);
}

TString GetComboItemText(HWND combo, int index)
{
    LRESULT length = SendMessage(combo, CB_GETLBTEXTLEN, index, 0);
    if (length <= 0)
        return TString();
    std::vector<KChar> text(length + 1);
    LRESULT copied = SendMessage(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    return TString(text.data(), copied > 0 ? copied : 0);
}

bool GetChildRect(HWND window, RECT* rect)
{
    if (!GetWindowRect(window, rect))
        return false;
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(rect), 2);
    return true;
}

bool MoveWindowRect(HWND window, const RECT& rect, bool repaint)
{
    return MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint) != FALSE;
}

bool GetWindowSize(HWND window, SIZE* size)
{
    RECT rect;
    if (!GetWindowRect(window, &rect))
        return false;
    size->cx = rect.right - rect.left;
    size->cy = rect.bottom - rect.top;
    return true;
}

HMENU FindMenuWithItem(HMENU menu, UINT commandId)
{
    if (!IsMenu(menu))
        return nullptr;
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        if (GetMenuItemID(menu, position) == commandId)
            return menu;
        HMENU found = FindMenuWithItem(GetSubMenu(menu, position), commandId);
        if (found != nullptr)
            return found;
    }
    return nullptr;
}

bool PostCommand(HWND dialog, int controlId, WORD notificationCode)
{
    return PostMessage(dialog, WM_COMMAND, MAKEWPARAM(controlId, notificationCode),
                       reinterpret_cast<LPARAM>(GetDlgItem(dialog, controlId))) != FALSE;
}

int FirstCheckedButton(HWND dialog, int firstId, int lastId)
{
    for (int id = firstId; id <= lastId; ++id) {
        if (IsDlgButtonChecked(dialog, id))
            return id;
    }
    return 0;
}

void AttachToWindowThread(HWND window)
{
    AttachThreadInput(GetWindowThreadProcessId(window, nullptr), GetCurrentThreadId(), TRUE);
}

void DetachFromWindowThread(HWND window)
{
    AttachThreadInput(GetWindowThreadProcessId(window, nullptr), GetCurrentThreadId(), FALSE);
}

// Negative left and top, and zero or negative right and bottom, count back from the right and
// bottom client edges.
bool PlaceControl(HWND dialog, int controlId, const RECT& dialogUnits, bool repaint)
{
    RECT rect = dialogUnits;
    MapDialogRect(dialog, &rect);
    RECT client;
    GetClientRect(dialog, &client);
    if (rect.left < 0)
        rect.left += client.right;
    if (rect.top < 0)
        rect.top += client.bottom;
    if (rect.right <= 0)
        rect.right += client.right;
    if (rect.bottom <= 0)
        rect.bottom += client.bottom;
    return MoveWindowRect(GetDlgItem(dialog, controlId), rect, repaint);
}

int DluToPixelsX(HWND dialog, int n)
{
    RECT rect = {0, 0, n, 0};
    MapDialogRect(dialog, &rect);
    return rect.right;
}

int DluToPixelsY(HWND dialog, int n)
{
    RECT rect = {0, 0, 0, n};
    MapDialogRect(dialog, &rect);
    return rect.bottom;
}

int PixelsToDluY(HWND dialog, int pixels)
{
    int eight = DluToPixelsY(dialog, 8);
    return eight != 0 ? pixels * 8 / eight : 0;
}

// The tab control sends no notifications for a change made by the program; sending them here
// keeps all page switching in the parent's TCN_SELCHANGE handler.
int SelectTabPage(HWND tab, int index)
{
    HWND parent = GetParent(tab);
    NMHDR header = {};
    header.hwndFrom = tab;
    header.idFrom = GetDlgCtrlID(tab);
    header.code = TCN_SELCHANGING;
    SendMessage(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    int previous = static_cast<int>(SendMessage(tab, TCM_SETCURSEL, index, 0));
    header.code = TCN_SELCHANGE;
    SendMessage(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    return previous;
}
