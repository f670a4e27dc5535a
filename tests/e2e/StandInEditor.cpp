// A stand-in for the system's registry editor, started by the program under test as "regedit"
// from the program's own folder. It has what a jump relies on: the main window class, a tree of
// keys filled from the real registry as items are expanded, a value list refilled when the
// selection changes, and hooks through which a test sees what the program sent.
//
// Modes (words on the command line, else in standin.txt beside the exe):
//   nested         the views sit in one child window of class REGEDIT, as in Wine's editor
//   slowvalues     the value list is refilled 300 ms after it was emptied
//   launcher       start this exe again as the editor, wait until it is idle, and exit
//   quicklauncher  the same without waiting
//   editor         (given to the relaunched process) never relaunch
#include "Driver.h"

#include <cwchar>
#include <map>
#include <string>
#include <vector>

namespace {

const wchar_t NestedClass[] = L"REGEDIT";
const wchar_t Title[] = L"Registry Editor (stand-in)";
const wchar_t TopItemText[] = L"コンピューター";
const UINT_PTR SlowValuesTimer = 1;
const UINT SlowValuesDelayMs = 300;
const DWORD LauncherWaitMs = 10000;
const int TreeId = 1;
const int ListId = 2;

struct TModes {
    bool Nested = false;
    bool SlowValues = false;
    bool Launcher = false;
    bool QuickLauncher = false;
    bool Editor = false;
    std::vector<std::wstring> Words;
};

// What a tree item stands for; the item's lParam is its index in g_Keys.
struct TKeyItem {
    HKEY Root = nullptr;  // nullptr for the top item
    std::wstring Path;    // below Root, empty for a root key
    bool Filled = false;  // children inserted
    int ChildCount = 0;   // once filled
};

TModes g_Modes;
HWND g_Main = nullptr;
HWND g_Tree = nullptr;
HWND g_List = nullptr;
std::vector<TKeyItem> g_Keys;
std::map<UINT, int> g_Counts;
HWND g_FocusedView = nullptr;  // the view that had the focus last
size_t g_SlowValuesKey = 0;  // whose values the slowvalues timer shows

// --- Modes ---------------------------------------------------------------------------------

std::vector<std::wstring> SplitWords(const std::wstring& text)
{
    std::vector<std::wstring> words;
    std::wstring word;
    for (wchar_t c : text) {
        if (iswspace(c)) {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

std::wstring OwnExePath()
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size())
            return std::wstring(path.data(), length);
        path.resize(path.size() * 2);
    }
}

// The program under test starts the editor without arguments, so a test leaves the modes in a
// file beside the copy.
std::wstring ModesFileText()
{
    std::wstring path = OwnExePath();
    path = path.substr(0, path.find_last_of(L"\\/") + 1) + L"standin.txt";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::wstring();
    std::string bytes;
    char chunk[512];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0)
        bytes.append(chunk, read);
    CloseHandle(file);
    int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], length);
    return text;
}

TModes ReadModes(const wchar_t* commandLine)
{
    TModes modes;
    modes.Words = SplitWords(commandLine ? commandLine : L"");
    if (modes.Words.empty())
        modes.Words = SplitWords(ModesFileText());
    for (const std::wstring& word : modes.Words) {
        modes.Nested |= word == L"nested";
        modes.SlowValues |= word == L"slowvalues";
        modes.Launcher |= word == L"launcher";
        modes.QuickLauncher |= word == L"quicklauncher";
        modes.Editor |= word == L"editor";
    }
    return modes;
}

// --- Launcher ------------------------------------------------------------------------------

// Starts this exe again as the editor with the other modes and the same show command, the way a
// launcher hands over to the real editor.
int RunLauncher(bool waitForEditor)
{
    std::wstring exe = OwnExePath();
    std::wstring commandLine = L"\"" + exe + L"\"";
    for (const std::wstring& word : g_Modes.Words)
        if (word != L"launcher" && word != L"quicklauncher")
            commandLine += L" " + word;
    commandLine += L" editor";
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');

    STARTUPINFOW own = {};
    own.cb = sizeof own;
    GetStartupInfoW(&own);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = own.dwFlags & STARTF_USESHOWWINDOW;
    startup.wShowWindow = own.wShowWindow;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return 1;
    if (waitForEditor)
        WaitForInputIdle(info.hProcess, LauncherWaitMs);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return 0;
}

// --- Views ---------------------------------------------------------------------------------

// Counts every message the views get, from the program under test and from the stand-in's own
// filling alike (a test sees the editor empty its list after a jump emptied it).
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    ++g_Counts[message];
    return DefSubclassProc(window, message, wParam, lParam);
}

const wchar_t* UnnamedValueLabel()
{
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExW(&version);
    bool xpOrLater = version.dwMajorVersion > 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1);
    return xpOrLater ? L"(既定)" : L"(標準)";
}

HKEY OpenItemKey(const TKeyItem& item, REGSAM access)
{
    HKEY key = nullptr;
    if (!item.Root || RegOpenKeyExW(item.Root, item.Path.empty() ? nullptr : item.Path.c_str(), 0, access, &key) !=
                          ERROR_SUCCESS)
        return nullptr;
    return key;
}

bool HasSubkeys(const TKeyItem& item)
{
    if (!item.Root)
        return true;
    HKEY key = OpenItemKey(item, KEY_QUERY_VALUE);
    if (!key)
        return false;
    DWORD subkeys = 0;
    LONG status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && subkeys > 0;
}

// Whether an item has children is asked for through TVN_GETDISPINFO: a key with subkeys can be
// expanded, which sends TVN_ITEMEXPANDING, before any child item exists.
HTREEITEM InsertTreeItem(HTREEITEM parent, const std::wstring& text, size_t keyIndex)
{
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.cChildren = I_CHILDRENCALLBACK;
    insert.item.lParam = static_cast<LPARAM>(keyIndex);
    return reinterpret_cast<HTREEITEM>(SendMessageW(g_Tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

size_t AddKey(HKEY root, const std::wstring& path)
{
    TKeyItem item;
    item.Root = root;
    item.Path = path;
    g_Keys.push_back(item);
    return g_Keys.size() - 1;
}

void FillRootKeys(HTREEITEM top)
{
    static const struct {
        HKEY Key;
        const wchar_t* Name;
    } Roots[] = {{HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT"},
                 {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER"},
                 {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE"},
                 {HKEY_USERS, L"HKEY_USERS"},
                 {HKEY_CURRENT_CONFIG, L"HKEY_CURRENT_CONFIG"}};
    for (const auto& root : Roots)
        InsertTreeItem(top, root.Name, AddKey(root.Key, L""));
}

void FillSubkeys(HTREEITEM parent, size_t keyIndex)
{
    HKEY root = g_Keys[keyIndex].Root;
    std::wstring path = g_Keys[keyIndex].Path;
    HKEY key = OpenItemKey(g_Keys[keyIndex], KEY_ENUMERATE_SUB_KEYS);
    int count = 0;
    if (key) {
        wchar_t name[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = 256;
            if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            std::wstring child(name, length);
            InsertTreeItem(parent, child, AddKey(root, path.empty() ? child : path + L"\\" + child));
            ++count;
        }
        RegCloseKey(key);
    }
    g_Keys[keyIndex].ChildCount = count;
}

// Children are read from the registry once, when the item is first expanded.
void OnItemExpanding(const NMTREEVIEWW& notice)
{
    if (!(notice.action & TVE_EXPAND))
        return;
    size_t index = static_cast<size_t>(notice.itemNew.lParam);
    if (index >= g_Keys.size() || g_Keys[index].Filled)
        return;
    g_Keys[index].Filled = true;
    if (g_Keys[index].Root)
        FillSubkeys(notice.itemNew.hItem, index);
    else
        FillRootKeys(notice.itemNew.hItem);
}

void OnTreeDispInfo(NMTVDISPINFOW& info)
{
    if (!(info.item.mask & TVIF_CHILDREN))
        return;
    size_t index = static_cast<size_t>(info.item.lParam);
    if (index >= g_Keys.size())
        info.item.cChildren = 0;
    else if (g_Keys[index].Filled)
        info.item.cChildren = g_Keys[index].ChildCount > 0 ? 1 : 0;
    else
        info.item.cChildren = HasSubkeys(g_Keys[index]) ? 1 : 0;
}

std::wstring TypeName(DWORD type)
{
    switch (type) {
    case REG_NONE: return L"REG_NONE";
    case REG_SZ: return L"REG_SZ";
    case REG_EXPAND_SZ: return L"REG_EXPAND_SZ";
    case REG_BINARY: return L"REG_BINARY";
    case REG_DWORD: return L"REG_DWORD";
    case REG_DWORD_BIG_ENDIAN: return L"REG_DWORD_BIG_ENDIAN";
    case REG_LINK: return L"REG_LINK";
    case REG_MULTI_SZ: return L"REG_MULTI_SZ";
    case REG_RESOURCE_LIST: return L"REG_RESOURCE_LIST";
    case REG_QWORD: return L"REG_QWORD";
    default: return L"0x" + std::to_wstring(type);
    }
}

std::wstring DataText(DWORD type, const std::vector<BYTE>& data)
{
    const wchar_t* chars = reinterpret_cast<const wchar_t*>(data.data());
    size_t charCount = data.size() / sizeof(wchar_t);
    wchar_t number[64];
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return std::wstring(chars, wcsnlen(chars, charCount));
    case REG_MULTI_SZ: {
        std::wstring text;
        for (size_t i = 0; i < charCount && chars[i];) {
            size_t length = wcsnlen(chars + i, charCount - i);
            if (!text.empty())
                text += L' ';
            text.append(chars + i, length);
            i += length + 1;
        }
        return text;
    }
    case REG_DWORD:
        if (data.size() == sizeof(DWORD)) {
            DWORD value = *reinterpret_cast<const DWORD*>(data.data());
            swprintf(number, 64, L"0x%08lx (%lu)", static_cast<unsigned long>(value), static_cast<unsigned long>(value));
            return number;
        }
        break;
    case REG_QWORD:
        if (data.size() == sizeof(ULONGLONG)) {
            ULONGLONG value = *reinterpret_cast<const ULONGLONG*>(data.data());
            swprintf(number, 64, L"0x%016llx (%llu)", value, value);
            return number;
        }
        break;
    default:
        break;
    }
    if (data.empty())
        return L"(長さ 0 のバイナリ値)";
    std::wstring text;
    for (BYTE b : data) {
        swprintf(number, 64, text.empty() ? L"%02x" : L" %02x", b);
        text += number;
    }
    return text;
}

void AddValueRow(int row, const std::wstring& name, const std::wstring& type, const std::wstring& data)
{
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<wchar_t*>(name.c_str());
    int inserted = static_cast<int>(SendMessageW(g_List, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    const std::wstring* cells[] = {&type, &data};
    for (int column = 1; column <= 2; ++column) {
        LVITEMW cell = {};
        cell.iSubItem = column;
        cell.pszText = const_cast<wchar_t*>(cells[column - 1]->c_str());
        SendMessageW(g_List, LVM_SETITEMTEXTW, inserted, reinterpret_cast<LPARAM>(&cell));
    }
}

// The unnamed value comes first whether or not it is set, then the named ones in enumeration
// order, as in the system's editor. Reads nothing back from the views, so the counts of the
// tree's and the list's reading messages are the program's alone.
void FillValues(size_t index)
{
    if (index >= g_Keys.size() || !g_Keys[index].Root)
        return;
    HKEY key = OpenItemKey(g_Keys[index], KEY_QUERY_VALUE);
    DWORD nameRoom = 0, dataRoom = 0;
    if (key)
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &nameRoom, &dataRoom,
                         nullptr, nullptr);
    std::vector<wchar_t> name(nameRoom + 2);
    std::vector<BYTE> data(dataRoom + 2);

    DWORD type = 0, size = static_cast<DWORD>(data.size());
    if (key && RegQueryValueExW(key, nullptr, nullptr, &type, data.data(), &size) == ERROR_SUCCESS)
        AddValueRow(0, UnnamedValueLabel(), TypeName(type),
                    DataText(type, std::vector<BYTE>(data.begin(), data.begin() + size)));
    else
        AddValueRow(0, UnnamedValueLabel(), L"REG_SZ", L"(値の設定なし)");
    if (!key)
        return;
    int row = 1;
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        size = static_cast<DWORD>(data.size());
        if (RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
            break;
        if (nameLength == 0)
            continue;
        AddValueRow(row++, std::wstring(name.data(), nameLength), TypeName(type),
                    DataText(type, std::vector<BYTE>(data.begin(), data.begin() + size)));
    }
    RegCloseKey(key);
}

void OnSelectionChanged(const NMTREEVIEWW& notice)
{
    SendMessageW(g_List, LVM_DELETEALLITEMS, 0, 0);
    size_t index = static_cast<size_t>(notice.itemNew.lParam);
    if (!g_Modes.SlowValues) {
        FillValues(index);
        return;
    }
    // A later selection before the delay is over restarts it.
    g_SlowValuesKey = index;
    SetTimer(g_Main, SlowValuesTimer, SlowValuesDelayMs, nullptr);
}

void OnSlowValuesTimer()
{
    KillTimer(g_Main, SlowValuesTimer);
    FillValues(g_SlowValuesKey);
}

LRESULT OnNotify(const NMHDR* header)
{
    if (header->code == NM_SETFOCUS && (header->hwndFrom == g_Tree || header->hwndFrom == g_List)) {
        g_FocusedView = header->hwndFrom;
        return 0;
    }
    if (header->hwndFrom != g_Tree)
        return 0;
    switch (header->code) {
    case TVN_ITEMEXPANDINGW:
        OnItemExpanding(*reinterpret_cast<const NMTREEVIEWW*>(header));
        return FALSE;
    case TVN_SELCHANGEDW:
        OnSelectionChanged(*reinterpret_cast<const NMTREEVIEWW*>(header));
        return 0;
    case TVN_GETDISPINFOW:
        OnTreeDispInfo(*reinterpret_cast<NMTVDISPINFOW*>(const_cast<NMHDR*>(header)));
        return 0;
    default:
        return 0;
    }
}

void AddColumn(int index, const wchar_t* text, int width)
{
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(text);
    column.cx = width;
    column.iSubItem = index;
    SendMessageW(g_List, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

void CreateViews(HWND parent)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    g_Tree = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                 TVS_SHOWSELALWAYS,
                             0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(TreeId)), instance,
                             nullptr);
    g_List = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(ListId)), instance, nullptr);
    SendMessageW(g_List, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    AddColumn(0, L"名前", 160);
    AddColumn(1, L"種類", 110);
    AddColumn(2, L"データ", 200);
    SetWindowSubclass(g_Tree, CountingProc, 0, 0);
    SetWindowSubclass(g_List, CountingProc, 0, 0);

    // The system's editor starts with the top item open on the root keys, and selected.
    HTREEITEM top = InsertTreeItem(TVI_ROOT, TopItemText, AddKey(nullptr, L""));
    SendMessageW(g_Tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top));
    SendMessageW(g_Tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(top));
}

void LayOutViews(HWND parent)
{
    RECT area = {};
    GetClientRect(parent, &area);
    int treeWidth = area.right / 3;
    MoveWindow(g_Tree, 0, 0, treeWidth, area.bottom, TRUE);
    MoveWindow(g_List, treeWidth + 3, 0, area.right - treeWidth - 3, area.bottom, TRUE);
}

// --- Test hooks ----------------------------------------------------------------------------

// Shown while the main window is disabled, as when the editor shows one of its dialogs.
void ShowBusyBox()
{
    MessageBoxW(g_Main, L"処理中です。", Title, MB_OK | MB_ICONINFORMATION);
}

LRESULT ShowCommandOfStart()
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    return MAKELRESULT(startup.wShowWindow, (startup.dwFlags & STARTF_USESHOWWINDOW) ? 1 : 0);
}

void ShowSelectionInTitle()
{
    std::wstring title;
    for (HTREEITEM item = TreeView_GetSelection(g_Tree); item != nullptr && TreeView_GetParent(g_Tree, item) != nullptr;
         item = TreeView_GetParent(g_Tree, item)) {
        wchar_t text[260] = {};
        TVITEMW record = {};
        record.mask = TVIF_TEXT;
        record.hItem = item;
        record.pszText = text;
        record.cchTextMax = 260;
        TreeView_GetItem(g_Tree, &record);
        title = title.empty() ? std::wstring(text) : std::wstring(text) + L"\\" + title;
    }
    for (int row = -1; (row = ListView_GetNextItem(g_List, row, LVNI_SELECTED)) >= 0;) {
        wchar_t text[260] = {};
        ListView_GetItemText(g_List, row, 0, text, 260);
        title += L"|" + std::wstring(text);
    }
    SetWindowTextW(g_Main, title.c_str());
}

// --- Windows -------------------------------------------------------------------------------

LRESULT CALLBACK NestedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        LayOutViews(window);
        return 0;
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<const NMHDR*>(lParam));
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void OnCreateMain(HWND window)
{
    g_Main = window;
    HWND parent = window;
    if (g_Modes.Nested)
        parent = CreateWindowExW(0, NestedClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, window,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    CreateViews(parent);
}

void OnSizeMain(HWND window)
{
    if (!g_Modes.Nested) {
        LayOutViews(window);
        return;
    }
    RECT area = {};
    GetClientRect(window, &area);
    MoveWindow(GetParent(g_Tree), 0, 0, area.right, area.bottom, TRUE);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreateMain(window);
        return 0;
    case WM_SIZE:
        OnSizeMain(window);
        return 0;
    case WM_SETFOCUS:
        // Back to the view that had the focus, as the system's editor does on activation.
        SetFocus(g_FocusedView ? g_FocusedView : g_Tree);
        return 0;
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<const NMHDR*>(lParam));
    case WM_TIMER:
        if (wParam == SlowValuesTimer)
            OnSlowValuesTimer();
        return 0;
    case WM_CLOSE:
        // Leaves the windows, a message box included, to the system: under Wine without a window
        // manager, destroying a shown window waits two seconds for it to be unmapped, and the
        // tests close many editors.
        ExitProcess(0);
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case StandInBusy:
        ShowBusyBox();
        return 0;
    case StandInCount:
        return g_Counts[static_cast<UINT>(wParam)];
    case StandInResetCounts:
        g_Counts.clear();
        return 0;
    case StandInShowCommand:
        return ShowCommandOfStart();
    case StandInShowSelection:
        ShowSelectionInTitle();
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool RegisterClasses(HINSTANCE instance)
{
    WNDCLASSEXW main = {};
    main.cbSize = sizeof main;
    main.lpfnWndProc = MainProc;
    main.hInstance = instance;
    main.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
    main.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main.lpszClassName = EditorMainClass;
    WNDCLASSEXW nested = main;
    nested.lpfnWndProc = NestedProc;
    nested.hIcon = nullptr;
    nested.lpszClassName = NestedClass;
    return RegisterClassExW(&main) && RegisterClassExW(&nested);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, wchar_t* commandLine, int showCommand)
{
    g_Modes = ReadModes(commandLine);
    if (!g_Modes.Editor && (g_Modes.Launcher || g_Modes.QuickLauncher))
        return RunLauncher(g_Modes.Launcher);

    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES;
    InitCommonControlsEx(&controls);
    if (!RegisterClasses(instance))
        return 1;
    HWND main = CreateWindowExW(0, EditorMainClass, Title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                CW_USEDEFAULT, 640, 480, nullptr, nullptr, instance, nullptr);
    if (!main)
        return 1;
    ShowWindow(main, showCommand);
    UpdateWindow(main);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
