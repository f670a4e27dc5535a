#include "Driver.h"

#include <cwchar>

namespace {

// A queried window that stops answering must not hang the whole test run.
const UINT SendTimeoutMs = 5000;
const int TextRoom = 1024;

std::wstring g_LastWorkRoot;
std::wstring g_ScreenshotFolder;
unsigned g_FolderCounter = 0;

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0, LRESULT failed = 0)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, SendTimeoutMs, &result))
        return failed;
    return static_cast<LRESULT>(result);
}

// Memory inside the target process, for messages whose parameters the system does not copy
// between processes. Holds a structure at offset 0 and, if asked, a text buffer after it.
class TRemoteMemory {
public:
    TRemoteMemory(HANDLE process, SIZE_T size) : Process(process), Size(size)
    {
        if (process)
            Base = static_cast<BYTE*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~TRemoteMemory()
    {
        if (Base)
            VirtualFreeEx(Process, Base, 0, MEM_RELEASE);
    }
    TRemoteMemory(const TRemoteMemory&) = delete;
    TRemoteMemory& operator=(const TRemoteMemory&) = delete;

    bool Ok() const { return Base != nullptr; }
    BYTE* At(SIZE_T offset) const { return Base + offset; }
    LPARAM Param(SIZE_T offset = 0) const { return reinterpret_cast<LPARAM>(Base + offset); }
    bool Write(const void* data, SIZE_T size, SIZE_T offset = 0) const
    {
        SIZE_T done = 0;
        return Base && offset + size <= Size && WriteProcessMemory(Process, Base + offset, data, size, &done) &&
               done == size;
    }
    bool Read(void* data, SIZE_T size, SIZE_T offset = 0) const
    {
        SIZE_T done = 0;
        return Base && offset + size <= Size && ReadProcessMemory(Process, Base + offset, data, size, &done) &&
               done == size;
    }

private:
    HANDLE Process;
    SIZE_T Size;
    BYTE* Base = nullptr;
};

// Offset of the text buffer that follows a structure of the given size.
SIZE_T TextOffset(SIZE_T structSize)
{
    return (structSize + 15) & ~static_cast<SIZE_T>(15);
}

std::wstring ReadRemoteText(const TRemoteMemory& memory, SIZE_T offset)
{
    std::vector<wchar_t> text(TextRoom + 1, L'\0');
    if (!memory.Read(text.data(), TextRoom * sizeof(wchar_t), offset))
        return std::wstring();
    return std::wstring(text.data(), wcsnlen(text.data(), TextRoom));
}

// A text the target keeps at its own address (an owner-data list may hand out its pointer).
std::wstring ReadForeignText(HANDLE process, const wchar_t* address)
{
    std::wstring text;
    wchar_t chunk[64];
    while (text.size() < static_cast<size_t>(TextRoom)) {
        SIZE_T done = 0;
        if (!ReadProcessMemory(process, address + text.size(), chunk, sizeof chunk, &done) || done == 0)
            break;
        size_t count = done / sizeof(wchar_t);
        size_t length = wcsnlen(chunk, count);
        text.append(chunk, length);
        if (length < count)
            break;
    }
    return text;
}

bool IsProcessRunning(HANDLE process)
{
    return process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

std::wstring FileNameOf(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

void CreateFolders(const std::wstring& path)
{
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == L'\\' || path[i] == L'/') {
            std::wstring prefix = path.substr(0, i);
            if (!prefix.empty() && prefix.back() != L':' && prefix != L"\\" && prefix != L"\\\\")
                CreateDirectoryW(prefix.c_str(), nullptr);
        }
    }
}

BOOL CALLBACK CollectTopProc(HWND window, LPARAM param)
{
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

// The top-level windows of a process (0: of every process), visible ones only if asked.
std::vector<HWND> TopWindows(DWORD processId, bool visibleOnly)
{
    std::vector<HWND> all, result;
    EnumWindows(CollectTopProc, reinterpret_cast<LPARAM>(&all));
    for (HWND window : all) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if ((processId == 0 || owner == processId) && (!visibleOnly || IsWindowVisible(window)))
            result.push_back(window);
    }
    return result;
}

BOOL CALLBACK CollectChildProc(HWND window, LPARAM param)
{
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

std::vector<HWND> Descendants(HWND parent)
{
    std::vector<HWND> windows;
    EnumChildWindows(parent, CollectChildProc, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// The window, its parents and its top-level window are all enabled and visible.
bool CanBeClicked(HWND window)
{
    if (!IsWindow(window) || !IsWindowVisible(window))
        return false;
    for (HWND w = window; w && w != GetDesktopWindow(); w = GetAncestor(w, GA_PARENT))
        if (!IsWindowEnabled(w))
            return false;
    return true;
}

bool IsExtendedKey(WORD vk)
{
    switch (vk) {
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_NUMLOCK: case VK_DIVIDE:
    case VK_RCONTROL: case VK_RMENU: case VK_APPS: case VK_LWIN: case VK_RWIN:
        return true;
    default:
        return false;
    }
}

INPUT KeyInput(WORD vk, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
}

HKEY OpenKey(const std::wstring& path, REGSAM access)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, access | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

bool SetValue(const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// The pixels of a rectangle of the screen as 32-bit BGRX, top row first.
std::vector<DWORD> CaptureScreen(const RECT& rect)
{
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    std::vector<DWORD> pixels;
    if (width <= 0 || height <= 0)
        return pixels;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY)) {
            GdiFlush();
            const DWORD* p = static_cast<const DWORD*>(bits);
            pixels.assign(p, p + static_cast<size_t>(width) * height);
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The icon drawn over a plain background, as 32-bit BGRX.
std::vector<DWORD> RenderIcon(HICON icon, int width, int height, COLORREF background)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels;
    HDC memory = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        HBRUSH brush = CreateSolidBrush(background);
        RECT all = {0, 0, width, height};
        FillRect(memory, &all, brush);
        DeleteObject(brush);
        DrawIconEx(memory, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
        GdiFlush();
        const DWORD* p = static_cast<const DWORD*>(bits);
        pixels.assign(p, p + static_cast<size_t>(width) * height);
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    return pixels;
}

bool CloseChannel(DWORD a, DWORD b)
{
    int d = static_cast<int>(a & 0xFF) - static_cast<int>(b & 0xFF);
    return d >= -24 && d <= 24;
}

bool ClosePixel(DWORD a, DWORD b)
{
    return CloseChannel(a, b) && CloseChannel(a >> 8, b >> 8) && CloseChannel(a >> 16, b >> 16);
}

// Share of the icon's opaque pixels (equal over black and over white) that the screen shows.
double IconMatch(const std::vector<DWORD>& screen, HICON icon, int width, int height)
{
    std::vector<DWORD> overBlack = RenderIcon(icon, width, height, RGB(0, 0, 0));
    std::vector<DWORD> overWhite = RenderIcon(icon, width, height, RGB(255, 255, 255));
    if (overBlack.size() != screen.size() || overWhite.size() != screen.size())
        return 0;
    size_t opaque = 0, matching = 0;
    for (size_t i = 0; i < screen.size(); ++i) {
        if ((overBlack[i] & 0xFFFFFF) != (overWhite[i] & 0xFFFFFF))
            continue;
        ++opaque;
        if (ClosePixel(screen[i], overBlack[i]))
            ++matching;
    }
    return opaque < 16 ? 0 : static_cast<double>(matching) / opaque;
}

bool WriteWholeFile(const std::wstring& path, const std::vector<BYTE>& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(file);
    return ok;
}

void ResetProcess(TApp& app)
{
    if (app.Process)
        CloseHandle(app.Process);
    app.Process = nullptr;
    app.ProcessId = 0;
    app.Main = nullptr;
}

} // namespace

// --- Starting and ending -------------------------------------------------------------------

bool PrepareApp(const std::wstring& exePath, const std::wstring& workRoot, TApp& app)
{
    g_LastWorkRoot = workRoot;
    CreateFolders(workRoot);
    std::wstring name = FileNameOf(exePath);
    std::wstring stem = name.substr(0, name.find_last_of(L'.'));
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring folder = workRoot + L"\\" + stem + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(++g_FolderCounter) + L"-" + std::to_wstring(GetTickCount64());
        if (!CreateDirectoryW(folder.c_str(), nullptr)) {
            if (GetLastError() == ERROR_ALREADY_EXISTS)
                continue;
            return false;
        }
        std::wstring copy = folder + L"\\" + name;
        if (!CopyFileW(exePath.c_str(), copy.c_str(), TRUE))
            return false;
        app.Folder = folder;
        app.ExePath = copy;
        return true;
    }
    return false;
}

bool RunApp(TApp& app, const wchar_t* mainClass, DWORD timeoutMs, const std::wstring& arguments)
{
    if (app.Process || app.ExePath.empty())
        return false;
    std::wstring commandLine = L"\"" + app.ExePath + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(app.ExePath.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, app.Folder.c_str(),
                        &startup, &info))
        return false;
    CloseHandle(info.hThread);
    app.Process = info.hProcess;
    app.ProcessId = info.dwProcessId;
    app.Main = nullptr;
    if (!mainClass)
        return true;
    WaitUntil(
        [&] {
            app.Main = FindTopWindow(app.ProcessId, mainClass, nullptr, true);
            return app.Main != nullptr || !IsProcessRunning(app.Process);
        },
        timeoutMs);
    if (app.Main) {
        // Let the start-up finish its own activation, which would otherwise race with Activate.
        WaitForInputIdle(app.Process, timeoutMs);
        return true;
    }
    TerminateProcess(app.Process, 1);
    WaitForSingleObject(app.Process, 5000);
    ResetProcess(app);
    return false;
}

bool StartApp(const std::wstring& exePath, const std::wstring& workRoot, const wchar_t* mainClass, TApp& app,
              DWORD timeoutMs)
{
    return PrepareApp(exePath, workRoot, app) && RunApp(app, mainClass, timeoutMs);
}

bool LaunchApp(const std::wstring& exePath, const std::wstring& workRoot, TApp& app)
{
    return PrepareApp(exePath, workRoot, app) && RunApp(app, nullptr);
}

bool WaitForExit(TApp& app, DWORD timeoutMs, DWORD* exitCode)
{
    if (!app.Process || WaitForSingleObject(app.Process, timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (exitCode)
        GetExitCodeProcess(app.Process, exitCode);
    return true;
}

bool CloseApp(TApp& app, DWORD timeoutMs)
{
    if (!app.Process)
        return false;
    bool ended = !IsProcessRunning(app.Process);
    if (!ended && app.Main && IsWindow(app.Main)) {
        PostMessageW(app.Main, WM_CLOSE, 0, 0);
        ended = WaitForSingleObject(app.Process, timeoutMs) == WAIT_OBJECT_0;
    }
    if (!ended) {
        TerminateProcess(app.Process, 1);
        WaitForSingleObject(app.Process, 5000);
    }
    ResetProcess(app);
    return ended;
}

// --- Waiting and finding windows -----------------------------------------------------------

bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs)
{
    ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (cond())
            return true;
        if (GetTickCount64() >= end)
            return cond();
        Sleep(20);
    }
}

HWND FindTopWindow(DWORD processId, const wchar_t* className, const wchar_t* title, bool visibleOnly)
{
    for (HWND window : TopWindows(processId, visibleOnly)) {
        if ((!className || lstrcmpiW(ClassName(window).c_str(), className) == 0) &&
            (!title || WindowText(window) == title))
            return window;
    }
    return nullptr;
}

HWND WaitForTopWindow(DWORD processId, const wchar_t* className, const wchar_t* title, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(processId, className, title)) != nullptr; }, timeoutMs);
    return found;
}

std::wstring WindowText(HWND window)
{
    int length = static_cast<int>(Send(window, WM_GETTEXTLENGTH));
    std::vector<wchar_t> text(length + 2, L'\0');
    int copied = static_cast<int>(Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    if (copied < 0 || copied >= static_cast<int>(text.size()))
        copied = static_cast<int>(wcsnlen(text.data(), text.size()));
    return std::wstring(text.data(), copied);
}

std::wstring ClassName(HWND window)
{
    wchar_t name[256] = {};
    int length = GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? length : 0);
}

RECT WindowRect(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

RECT ClientRect(HWND window)
{
    RECT rect = {};
    GetClientRect(window, &rect);
    return rect;
}

RECT ClientRectOnScreen(HWND window)
{
    RECT rect = ClientRect(window);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// --- List view -----------------------------------------------------------------------------

int ListRowCount(HWND list)
{
    return static_cast<int>(Send(list, LVM_GETITEMCOUNT));
}

std::wstring ListCellText(HANDLE process, HWND list, int row, int column)
{
    const SIZE_T textAt = TextOffset(sizeof(LVITEMW));
    TRemoteMemory memory(process, textAt + (TextRoom + 1) * sizeof(wchar_t));
    if (!memory.Ok())
        return std::wstring();
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(memory.At(textAt));
    item.cchTextMax = TextRoom;
    if (!memory.Write(&item, sizeof item))
        return std::wstring();
    Send(list, LVM_GETITEMTEXTW, row, memory.Param());
    LVITEMW after = {};
    if (memory.Read(&after, sizeof after) && after.pszText && after.pszText != item.pszText &&
        after.pszText != LPSTR_TEXTCALLBACKW)
        return ReadForeignText(process, after.pszText);
    return ReadRemoteText(memory, textAt);
}

std::vector<std::vector<std::wstring>> ListRows(HANDLE process, HWND list, int columns)
{
    std::vector<std::vector<std::wstring>> rows;
    int count = ListRowCount(list);
    for (int row = 0; row < count; ++row) {
        std::vector<std::wstring> cells;
        for (int column = 0; column < columns; ++column)
            cells.push_back(ListCellText(process, list, row, column));
        rows.push_back(cells);
    }
    return rows;
}

int ListItemImage(HANDLE process, HWND list, int row)
{
    TRemoteMemory memory(process, sizeof(LVITEMW));
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = -1;
    if (!memory.Write(&item, sizeof item) || !Send(list, LVM_GETITEMW, 0, memory.Param()) ||
        !memory.Read(&item, sizeof item))
        return -1;
    return item.iImage;
}

UINT ListItemState(HWND list, int row, UINT mask)
{
    return static_cast<UINT>(Send(list, LVM_GETITEMSTATE, row, mask));
}

std::vector<int> ListSelectedRows(HWND list)
{
    std::vector<int> rows;
    int count = ListRowCount(list);
    int row = -1;
    while (static_cast<int>(rows.size()) < count) {
        row = static_cast<int>(Send(list, LVM_GETNEXTITEM, row, LVNI_SELECTED, -1));
        if (row < 0)
            break;
        rows.push_back(row);
    }
    return rows;
}

int ListColumnCount(HWND list)
{
    HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER));
    return header ? static_cast<int>(Send(header, HDM_GETITEMCOUNT, 0, 0, -1)) : -1;
}

int ListColumnWidth(HWND list, int column)
{
    return static_cast<int>(Send(list, LVM_GETCOLUMNWIDTH, column));
}

bool ListRowRect(HANDLE process, HWND list, int row, RECT& rect, int part)
{
    TRemoteMemory memory(process, sizeof(RECT));
    RECT query = {part, 0, 0, 0};
    return memory.Write(&query, sizeof query) && Send(list, LVM_GETITEMRECT, row, memory.Param()) &&
           memory.Read(&rect, sizeof rect);
}

bool ClickListHeader(HANDLE process, HWND list, int column, bool postedMessages)
{
    HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER));
    if (!header)
        return false;
    TRemoteMemory memory(process, sizeof(RECT));
    RECT item = {};
    if (!memory.Write(&item, sizeof item) || !Send(header, HDM_GETITEMRECT, column, memory.Param()) ||
        !memory.Read(&item, sizeof item))
        return false;
    // Only the part of the header the list shows can be clicked.
    RECT shown = {};
    RECT listArea = ClientRect(list);
    MapWindowPoints(list, header, reinterpret_cast<POINT*>(&listArea), 2);
    if (!IntersectRect(&shown, &item, &listArea))
        return false;
    POINT centre = {(shown.left + shown.right) / 2, (shown.top + shown.bottom) / 2};
    if (postedMessages) {
        LPARAM at = MAKELPARAM(centre.x, centre.y);
        return PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at) && PostMessageW(header, WM_LBUTTONUP, 0, at);
    }
    if (!Activate(GetAncestor(list, GA_ROOT)))
        return false;
    ClickWindow(header, &centre);
    return true;
}

bool ClickListRow(HANDLE process, HWND list, int row, bool doubleClick, bool right)
{
    RECT rect = {};
    if (!ListRowRect(process, list, row, rect, LVIR_LABEL))
        return false;
    RECT listArea = ClientRect(list);
    RECT shown = {};
    if (!IntersectRect(&shown, &rect, &listArea))
        return false;
    if (!Activate(GetAncestor(list, GA_ROOT)))
        return false;
    POINT point = {shown.left + (shown.right - shown.left) / 3, (shown.top + shown.bottom) / 2};
    ClickWindow(list, &point, doubleClick, right);
    return true;
}

// --- Status bar, tab control, date and time picker -----------------------------------------

std::wstring StatusText(HANDLE process, HWND status, int part)
{
    int length = LOWORD(Send(status, SB_GETTEXTLENGTHW, part));
    TRemoteMemory memory(process, (length + 1) * sizeof(wchar_t));
    std::vector<wchar_t> text(length + 1, L'\0');
    if (!memory.Write(text.data(), text.size() * sizeof(wchar_t)))
        return std::wstring();
    Send(status, SB_GETTEXTW, part, memory.Param());
    if (!memory.Read(text.data(), text.size() * sizeof(wchar_t)))
        return std::wstring();
    return std::wstring(text.data(), wcsnlen(text.data(), length));
}

int TabCurSel(HWND tab)
{
    return static_cast<int>(Send(tab, TCM_GETCURSEL, 0, 0, -1));
}

int TabCount(HWND tab)
{
    return static_cast<int>(Send(tab, TCM_GETITEMCOUNT));
}

bool ClickTab(HANDLE process, HWND tab, int index)
{
    TRemoteMemory memory(process, sizeof(RECT));
    RECT rect = {};
    if (!memory.Write(&rect, sizeof rect) || !Send(tab, TCM_GETITEMRECT, index, memory.Param()) ||
        !memory.Read(&rect, sizeof rect))
        return false;
    if (!Activate(GetAncestor(tab, GA_ROOT)))
        return false;
    POINT centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClickWindow(tab, &centre);
    return true;
}

int DateTimeValue(HANDLE process, HWND picker, SYSTEMTIME& time)
{
    TRemoteMemory memory(process, sizeof(SYSTEMTIME));
    SYSTEMTIME empty = {};
    if (!memory.Write(&empty, sizeof empty))
        return -1;
    LRESULT result = Send(picker, DTM_GETSYSTEMTIME, 0, memory.Param(), GDT_ERROR);
    if (result == GDT_VALID && !memory.Read(&time, sizeof time))
        return -1;
    return static_cast<int>(result);
}

bool SetDateTimeValue(HANDLE process, HWND picker, const SYSTEMTIME* time)
{
    // Wine's picker refuses GDT_NONE without a time to point at.
    SYSTEMTIME value = {};
    if (time)
        value = *time;
    TRemoteMemory memory(process, sizeof(SYSTEMTIME));
    return memory.Write(&value, sizeof value) &&
           Send(picker, DTM_SETSYSTEMTIME, time ? GDT_VALID : GDT_NONE, memory.Param()) != 0;
}

// --- Buttons, checks, combos, edits --------------------------------------------------------

bool IsEnabled(HWND window)
{
    return IsWindowEnabled(window) != FALSE;
}

bool IsVisible(HWND window)
{
    return IsWindowVisible(window) != FALSE;
}

int CheckState(HWND button)
{
    return static_cast<int>(Send(button, BM_GETCHECK));
}

bool ClickButton(HWND button)
{
    if (!CanBeClicked(button))
        return false;
    return PostMessageW(button, BM_CLICK, 0, 0) != FALSE;
}

std::vector<std::wstring> ComboItems(HWND combo)
{
    std::vector<std::wstring> items;
    int count = static_cast<int>(Send(combo, CB_GETCOUNT, 0, 0, CB_ERR));
    for (int i = 0; i < count; ++i) {
        int length = static_cast<int>(Send(combo, CB_GETLBTEXTLEN, i, 0, CB_ERR));
        if (length < 0)
            length = 0;
        std::vector<wchar_t> text(length + 2, L'\0');
        int copied = static_cast<int>(Send(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()), CB_ERR));
        items.push_back(copied > 0 ? std::wstring(text.data(), wcsnlen(text.data(), length + 1)) : std::wstring());
    }
    return items;
}

void SetComboEditText(HWND combo, const std::wstring& text)
{
    Send(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

HWND FocusedWindowOf(HWND anyWindowOfTarget)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(anyWindowOfTarget, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

int DefaultButtonId(HWND dialog)
{
    LRESULT result = Send(dialog, DM_GETDEFID);
    return HIWORD(result) == DC_HASDEFID ? LOWORD(result) : 0;
}

bool IsDefaultPushButton(HWND button)
{
    return (GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

// --- Keyboard and mouse --------------------------------------------------------------------

bool Activate(HWND topLevel)
{
    if (!IsWindow(topLevel))
        return false;
    // A window that is still starting up can take the foreground back, so the window must stay
    // in front for a few polls in a row.
    int inFront = 0;
    int attempts = 0;
    // The foreground window is not raised by itself under Wine without a window manager; a click
    // would hit whatever covers it.
    BringWindowToTop(topLevel);
    return WaitUntil(
        [&] {
            if (GetForegroundWindow() == topLevel)
                return ++inFront >= 3;
            inFront = 0;
            if (attempts++ % 10 == 0) {
                // Windows refuses the foreground to a process that did not get the last input
                // unless the caller shares the input state of the current foreground thread.
                HWND current = GetForegroundWindow();
                DWORD currentThread = current ? GetWindowThreadProcessId(current, nullptr) : 0;
                DWORD self = GetCurrentThreadId();
                bool attached = currentThread && currentThread != self && AttachThreadInput(self, currentThread, TRUE);
                BringWindowToTop(topLevel);
                SetForegroundWindow(topLevel);
                if (attached)
                    AttachThreadInput(self, currentThread, FALSE);
            }
            return false;
        },
        3000);
}

void SendKey(WORD vk, bool ctrl, bool shift, bool alt)
{
    std::vector<INPUT> inputs;
    if (ctrl)
        inputs.push_back(KeyInput(VK_CONTROL, false));
    if (shift)
        inputs.push_back(KeyInput(VK_SHIFT, false));
    if (alt)
        inputs.push_back(KeyInput(VK_MENU, false));
    inputs.push_back(KeyInput(vk, false));
    inputs.push_back(KeyInput(vk, true));
    if (alt)
        inputs.push_back(KeyInput(VK_MENU, true));
    if (shift)
        inputs.push_back(KeyInput(VK_SHIFT, true));
    if (ctrl)
        inputs.push_back(KeyInput(VK_CONTROL, true));
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void TypeText(const std::wstring& text)
{
    for (wchar_t c : text) {
        INPUT inputs[2] = {};
        for (int i = 0; i < 2; ++i) {
            inputs[i].type = INPUT_KEYBOARD;
            inputs[i].ki.wScan = c;
            inputs[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
        }
        SendInput(2, inputs, sizeof(INPUT));
    }
}

void ClickAt(POINT screen, bool doubleClick, bool right)
{
    // Wine picks the window under the cursor when the cursor moves, not when windows are
    // restacked: the cursor must really move, even if it already is at the point.
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    std::vector<INPUT> inputs;
    for (int step = 0; step < 2; ++step) {
        INPUT move = {};
        move.type = INPUT_MOUSE;
        int x = step == 0 ? (screen.x > 0 ? screen.x - 1 : screen.x + 1) : screen.x;
        // The system maps back with dx * width / 65536 rounded down: round up here.
        move.mi.dx = (x * 65536 + width - 1) / width;
        move.mi.dy = (screen.y * 65536 + height - 1) / height;
        move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        inputs.push_back(move);
    }
    for (int click = 0; click < (doubleClick ? 2 : 1); ++click) {
        for (int up = 0; up < 2; ++up) {
            INPUT button = {};
            button.type = INPUT_MOUSE;
            button.mi.dwFlags = right ? (up ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_RIGHTDOWN)
                                      : (up ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN);
            inputs.push_back(button);
        }
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void ClickWindow(HWND window, const POINT* client, bool doubleClick, bool right)
{
    RECT area = ClientRect(window);
    POINT point = client ? *client : POINT{(area.left + area.right) / 2, (area.top + area.bottom) / 2};
    ClientToScreen(window, &point);
    ClickAt(point, doubleClick, right);
}

// --- Message boxes -------------------------------------------------------------------------

namespace {

const int MessageTextId = 0xFFFF;

HWND MessageTextControl(HWND box)
{
    for (HWND child : Descendants(box))
        if ((GetDlgCtrlID(child) & 0xFFFF) == MessageTextId && lstrcmpiW(ClassName(child).c_str(), L"Static") == 0 &&
            (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
            return child;
    return nullptr;
}

HWND MessageIconControl(HWND box)
{
    for (HWND child : Descendants(box))
        if (lstrcmpiW(ClassName(child).c_str(), L"Static") == 0 &&
            (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child))
            return child;
    return nullptr;
}

} // namespace

bool IsMessageBox(HWND window)
{
    if (ClassName(window) != L"#32770" || (GetWindowLongW(window, GWL_STYLE) & WS_CHILD))
        return false;
    // The program's own dialogs may have a label with id 0xFFFF too, but they also hold other
    // controls than labels and push buttons.
    for (HWND child : Descendants(window)) {
        std::wstring name = ClassName(child);
        if (lstrcmpiW(name.c_str(), L"Static") == 0)
            continue;
        if (lstrcmpiW(name.c_str(), L"Button") != 0)
            return false;
        LONG type = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
        if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON)
            return false;
    }
    return MessageTextControl(window) != nullptr;
}

HWND FindMessageBox(DWORD processId, HWND owner)
{
    for (HWND window : TopWindows(processId, true)) {
        if ((!owner || GetWindow(window, GW_OWNER) == owner) && IsMessageBox(window))
            return window;
    }
    return nullptr;
}

HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs, HWND owner)
{
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindMessageBox(processId, owner)) != nullptr; }, timeoutMs);
    return box;
}

std::wstring MessageBoxText(HWND box)
{
    HWND text = MessageTextControl(box);
    return text ? WindowText(text) : std::wstring();
}

std::wstring MessageBoxTitle(HWND box)
{
    return WindowText(box);
}

const wchar_t* MessageBoxIcon(HWND box)
{
    // IDI_WARNING, IDI_ERROR, IDI_INFORMATION, IDI_QUESTION, whether or not UNICODE is defined.
    static const wchar_t* const Icons[] = {MAKEINTRESOURCEW(32515), MAKEINTRESOURCEW(32513), MAKEINTRESOURCEW(32516),
                                           MAKEINTRESOURCEW(32514)};
    HWND control = MessageIconControl(box);
    if (!control)
        return nullptr;
    const wchar_t* best = nullptr;
    // The box may not have painted yet.
    WaitUntil(
        [&] {
            RECT rect = ClientRectOnScreen(control);
            std::vector<DWORD> screen = CaptureScreen(rect);
            double bestScore = 0.9;
            best = nullptr;
            for (const wchar_t* id : Icons) {
                double score = IconMatch(screen, LoadIconW(nullptr, id), rect.right - rect.left, rect.bottom - rect.top);
                if (score > bestScore) {
                    bestScore = score;
                    best = id;
                }
            }
            return best != nullptr;
        },
        2000);
    return best;
}

std::vector<int> MessageBoxButtons(HWND box)
{
    std::vector<int> ids;
    for (HWND child : Descendants(box))
        if (lstrcmpiW(ClassName(child).c_str(), L"Button") == 0 && IsWindowVisible(child))
            ids.push_back(GetDlgCtrlID(child));
    return ids;
}

bool AnswerMessageBox(HWND box, int buttonId, DWORD timeoutMs)
{
    HWND button = GetDlgItem(box, buttonId);
    if (!button || !ClickButton(button))
        return false;
    return WaitUntil([&] { return !IsWindow(box); }, timeoutMs);
}

// --- Clipboard -----------------------------------------------------------------------------

namespace {

// Another process may hold the clipboard open for a moment.
bool OpenClipboardSoon()
{
    return WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 2000);
}

} // namespace

std::wstring ClipboardText()
{
    if (!OpenClipboardSoon())
        return std::wstring();
    std::wstring text;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data) {
        const wchar_t* p = static_cast<const wchar_t*>(GlobalLock(data));
        if (p) {
            text.assign(p, wcsnlen(p, GlobalSize(data) / sizeof(wchar_t)));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// --- Registry fixtures ---------------------------------------------------------------------

bool CreateKey(const std::wstring& path, const std::wstring& className)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0,
                        className.empty() ? nullptr : const_cast<wchar_t*>(className.c_str()), 0,
                        KEY_READ | KEY_WOW64_64KEY, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool SetStringValue(const std::wstring& path, const std::wstring& name, const std::wstring& value, DWORD type)
{
    return SetValue(path, name, type, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

bool SetDwordValue(const std::wstring& path, const std::wstring& name, DWORD value)
{
    return SetValue(path, name, REG_DWORD, &value, sizeof value);
}

bool SetBinaryValue(const std::wstring& path, const std::wstring& name, const std::vector<BYTE>& bytes, DWORD type)
{
    return SetValue(path, name, type, bytes.data(), static_cast<DWORD>(bytes.size()));
}

bool KeyWriteTime(const std::wstring& path, FILETIME& time)
{
    HKEY key = OpenKey(path, KEY_READ);
    if (!key)
        return false;
    LONG status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, &time);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void DeleteTree(const std::wstring& path)
{
    if (path.empty())
        return;  // never the whole of HKEY_CURRENT_USER
    HKEY key = OpenKey(path, DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!key)
        return;
    RegDeleteTreeW(key, nullptr);
    RegCloseKey(key);
    RegDeleteKeyExW(HKEY_CURRENT_USER, path.c_str(), KEY_WOW64_64KEY, 0);
}

// --- Screenshots ---------------------------------------------------------------------------

bool SaveScreenshot(const std::wstring& bmpPath)
{
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    std::vector<DWORD> pixels = CaptureScreen({0, 0, width, height});
    if (pixels.empty())
        return false;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    std::vector<BYTE> file(headers + stride * height, 0);
    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfSize = static_cast<DWORD>(file.size());
    fileHeader.bfOffBits = headers;
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // rows bottom-up, as most readers expect
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = stride * height;
    memcpy(file.data(), &fileHeader, sizeof fileHeader);
    memcpy(file.data() + sizeof fileHeader, &info, sizeof info);
    for (int y = 0; y < height; ++y) {
        BYTE* out = file.data() + headers + static_cast<size_t>(height - 1 - y) * stride;
        const DWORD* in = pixels.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            out[3 * x] = static_cast<BYTE>(in[x]);
            out[3 * x + 1] = static_cast<BYTE>(in[x] >> 8);
            out[3 * x + 2] = static_cast<BYTE>(in[x] >> 16);
        }
    }
    return WriteWholeFile(bmpPath, file);
}

void SetScreenshotFolder(const std::wstring& folder)
{
    g_ScreenshotFolder = folder;
}

void SaveScreenshotForFailure(const std::wstring& testName)
{
    std::wstring folder = !g_ScreenshotFolder.empty() ? g_ScreenshotFolder : !g_LastWorkRoot.empty() ? g_LastWorkRoot : L".";
    CreateFolders(folder);
    std::wstring name = testName;
    for (wchar_t& c : name)
        if (c < 32 || wcschr(L"\\/:*?\"<>|", c))
            c = L'_';
    SaveScreenshot(folder + L"\\" + name + L".bmp");
}

// --- Registry editor -----------------------------------------------------------------------

namespace {

// Depth beyond any registry path: a tree that links back to itself must not hang the reader.
const int MaxTreeDepth = 1024;

bool ReadTreeNode(HANDLE process, HWND tree, HTREEITEM handle, TTreeNode& node)
{
    const SIZE_T textAt = TextOffset(sizeof(TVITEMW));
    TRemoteMemory memory(process, textAt + (TextRoom + 1) * sizeof(wchar_t));
    TVITEMW item = {};
    item.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_STATE;
    item.hItem = handle;
    item.stateMask = TVIS_EXPANDED;
    item.pszText = reinterpret_cast<wchar_t*>(memory.At(textAt));
    item.cchTextMax = TextRoom;
    TVITEMW after = {};
    if (!memory.Write(&item, sizeof item) || !Send(tree, TVM_GETITEMW, 0, memory.Param()) ||
        !memory.Read(&after, sizeof after))
        return false;
    // A tree may hand out its own copy of the text instead of filling the buffer.
    if (after.pszText && after.pszText != item.pszText && after.pszText != LPSTR_TEXTCALLBACKW)
        node.Text = ReadForeignText(process, after.pszText);
    else
        node.Text = ReadRemoteText(memory, textAt);
    node.Expanded = (after.state & TVIS_EXPANDED) != 0;
    return true;
}

std::vector<HWND> EditorWindows()
{
    std::vector<HWND> editors;
    for (HWND window : TopWindows(0, false))
        if (lstrcmpiW(ClassName(window).c_str(), EditorMainClass) == 0)
            editors.push_back(window);
    return editors;
}

} // namespace

HANDLE OpenWindowProcess(HWND window)
{
    DWORD processId = 0;
    if (!GetWindowThreadProcessId(window, &processId) || !processId)
        return nullptr;
    return OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION |
                           SYNCHRONIZE | PROCESS_TERMINATE,
                       FALSE, processId);
}

HWND WaitForEditor(DWORD processId, DWORD timeoutMs)
{
    return WaitForTopWindow(processId, EditorMainClass, nullptr, timeoutMs);
}

HWND FindEditorView(HWND editorMain, const wchar_t* className)
{
    if (HWND view = FindWindowExW(editorMain, nullptr, className, nullptr))
        return view;
    for (HWND child = GetWindow(editorMain, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (HWND view = FindWindowExW(child, nullptr, className, nullptr))
            return view;
    return nullptr;
}

std::vector<TTreeNode> TreeCaretPath(HANDLE process, HWND tree)
{
    std::vector<TTreeNode> path;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    while (item && static_cast<int>(path.size()) < MaxTreeDepth) {
        TTreeNode node = {};
        if (!ReadTreeNode(process, tree, item, node))
            return std::vector<TTreeNode>();
        path.insert(path.begin(), node);
        item = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
    }
    return path;
}

std::wstring TreeCaretKeyPath(HANDLE process, HWND tree)
{
    std::vector<TTreeNode> path = TreeCaretPath(process, tree);
    std::wstring keyPath;
    for (size_t i = 1; i < path.size(); ++i)
        keyPath += (i > 1 ? L"\\" : L"") + path[i].Text;
    return keyPath;
}

void CloseAllEditors(DWORD timeoutMs)
{
    // A launcher may still be starting an editor while the first ones close, so look again.
    for (int round = 0; round < 3; ++round) {
        std::vector<HWND> editors = EditorWindows();
        if (editors.empty())
            return;
        std::vector<DWORD> ids;
        std::vector<HANDLE> processes;
        for (HWND window : editors) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            DWORD id = 0;
            GetWindowThreadProcessId(window, &id);
            bool known = id == GetCurrentProcessId();
            for (DWORD other : ids)
                known |= other == id;
            HANDLE process = known ? nullptr : OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
            if (process) {
                ids.push_back(id);
                processes.push_back(process);
            }
        }
        ULONGLONG end = GetTickCount64() + timeoutMs;
        for (HANDLE process : processes) {
            ULONGLONG now = GetTickCount64();
            if (WaitForSingleObject(process, now < end ? static_cast<DWORD>(end - now) : 0) != WAIT_OBJECT_0) {
                TerminateProcess(process, 1);
                WaitForSingleObject(process, 5000);
            }
            CloseHandle(process);
        }
        // The windows of an ended process go away a moment later.
        WaitUntil([] { return EditorWindows().empty(); }, 1000);
    }
}

bool PlaceStandInEditor(const std::wstring& standInExe, const std::wstring& folder, const std::wstring& modes)
{
    if (!CopyFileW(standInExe.c_str(), (folder + L"\\regedit.exe").c_str(), FALSE))
        return false;
    std::wstring modesPath = folder + L"\\standin.txt";
    if (modes.empty()) {
        DeleteFileW(modesPath.c_str());
        return true;
    }
    // The modes are plain ASCII words.
    return WriteWholeFile(modesPath, std::vector<BYTE>(modes.begin(), modes.end()));
}

int StandInMessageCount(HWND editorMain, UINT message)
{
    return static_cast<int>(Send(editorMain, StandInCount, message, 0, -1));
}

void ResetStandInCounts(HWND editorMain)
{
    Send(editorMain, StandInResetCounts);
}

bool StandInStartShowCommand(HWND editorMain, WORD& showCommand)
{
    LRESULT result = Send(editorMain, StandInShowCommand);
    showCommand = LOWORD(result);
    return HIWORD(result) == 1;
}
