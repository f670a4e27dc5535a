// Drives a running KeyfinchNT.exe from another process, the way a user would: finds its windows,
// reads its controls, clicks and types. Test programs and target are both 64-bit Windows
// programs (under Wine here); messages whose parameters point into memory are sent with buffers
// placed inside the target, which assumes the target has the driver's pointer size.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

// A started program under test.
struct TApp {
    HANDLE Process = nullptr;
    DWORD ProcessId = 0;
    HWND Main = nullptr;   // the visible top-level window of the wanted class
    std::wstring Folder;   // the fresh folder the program was copied into
    std::wstring ExePath;  // the copy
};

// --- Starting and ending -------------------------------------------------------------------

// Copies exePath into a new empty folder workRoot\<name>-<driver pid>-<counter>-<tick> and fills
// app.Folder and app.ExePath; nothing is started. Files the program should find beside itself
// (a settings file) can be written into app.Folder before RunApp.
bool PrepareApp(const std::wstring& exePath, const std::wstring& workRoot, TApp& app);
// Starts app.ExePath with app.Folder as current directory. With a mainClass, waits (bounded) for
// a visible top-level window of that class of the new process and sets app.Main; on timeout the
// process is ended and false returned. Can be called again after CloseApp to restart the
// program in the same folder.
bool RunApp(TApp& app, const wchar_t* mainClass, DWORD timeoutMs = 20000, const std::wstring& arguments = L"");
// PrepareApp + RunApp.
bool StartApp(const std::wstring& exePath, const std::wstring& workRoot, const wchar_t* mainClass, TApp& app,
              DWORD timeoutMs = 20000);
// PrepareApp + RunApp without waiting for a window (a program that only shows a message box).
bool LaunchApp(const std::wstring& exePath, const std::wstring& workRoot, TApp& app);
// Bounded wait for the process to end; the exit code is stored when it did.
bool WaitForExit(TApp& app, DWORD timeoutMs, DWORD* exitCode = nullptr);
// Posts WM_CLOSE to app.Main and waits (bounded) for the process to end, ending it by force
// otherwise. Closes the process handle and clears Process, ProcessId and Main (Folder and
// ExePath stay, for a restart). True when the program ended by itself.
bool CloseApp(TApp& app, DWORD timeoutMs = 10000);

// --- Waiting and finding windows -----------------------------------------------------------

// Tests cond every 20 ms until it holds or timeoutMs has passed; returns its last result.
bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs = 10000);
// A top-level window of the process (processId 0: of any process) with that class (nullptr:
// any) and title (nullptr: any).
HWND FindTopWindow(DWORD processId, const wchar_t* className, const wchar_t* title = nullptr, bool visibleOnly = true);
HWND WaitForTopWindow(DWORD processId, const wchar_t* className, const wchar_t* title, DWORD timeoutMs);
std::wstring WindowText(HWND window);  // WM_GETTEXT
std::wstring ClassName(HWND window);
RECT WindowRect(HWND window);          // screen coordinates
RECT ClientRect(HWND window);          // client coordinates
RECT ClientRectOnScreen(HWND window);  // the client area in screen coordinates

// --- List view (report mode) ---------------------------------------------------------------

int ListRowCount(HWND list);
// LVM_GETITEMTEXTW with room for 1024 characters; also works for an owner-data list.
std::wstring ListCellText(HANDLE process, HWND list, int row, int column);
std::vector<std::vector<std::wstring>> ListRows(HANDLE process, HWND list, int columns);
int ListItemImage(HANDLE process, HWND list, int row);  // -1 when it cannot be read
UINT ListItemState(HWND list, int row, UINT mask);      // LVM_GETITEMSTATE
std::vector<int> ListSelectedRows(HWND list);
int ListColumnCount(HWND list);  // HDM_GETITEMCOUNT of its header
int ListColumnWidth(HWND list, int column);
// Bounds of a row (LVIR_BOUNDS) or of its label in the first column (LVIR_LABEL), client
// coordinates of the list.
bool ListRowRect(HANDLE process, HWND list, int row, RECT& rect, int part = LVIR_LABEL);
// A mouse click (SendInput) at the centre of the header item, which makes the list send
// LVN_COLUMNCLICK. Activates the list's top-level window first. Under Wine without a window
// manager, a top-level window of another process created later stays above the list whatever
// the driver does, and would take the click; postedMessages then posts WM_LBUTTONDOWN and
// WM_LBUTTONUP to the header instead, which gives the same notification.
bool ClickListHeader(HANDLE process, HWND list, int column, bool postedMessages = false);
// A mouse click (or double click) on the row's label in the first column.
bool ClickListRow(HANDLE process, HWND list, int row, bool doubleClick = false, bool right = false);

// --- Status bar, tab control, date and time picker -----------------------------------------

std::wstring StatusText(HANDLE process, HWND status, int part);  // SB_GETTEXTW
int TabCurSel(HWND tab);
int TabCount(HWND tab);
bool ClickTab(HANDLE process, HWND tab, int index);  // a mouse click on the tab
// DTM_GETSYSTEMTIME: GDT_VALID with the time, GDT_NONE when unchecked, -1 when unreadable.
int DateTimeValue(HANDLE process, HWND picker, SYSTEMTIME& time);
// DTM_SETSYSTEMTIME (GDT_NONE when time is nullptr). The picker does not notify its parent.
bool SetDateTimeValue(HANDLE process, HWND picker, const SYSTEMTIME* time);

// --- Buttons, checks, combos, edits --------------------------------------------------------

bool IsEnabled(HWND window);
bool IsVisible(HWND window);  // the window and all its ancestors are visible
int CheckState(HWND button);  // BM_GETCHECK
// Posts BM_CLICK: a sent click would not return while a modal box the click opens is up. Does
// nothing and returns false for a hidden or disabled button, which a user could not click.
bool ClickButton(HWND button);
std::vector<std::wstring> ComboItems(HWND combo);
void SetComboEditText(HWND combo, const std::wstring& text);  // WM_SETTEXT
// The window with the keyboard focus in the target's thread (GetGUIThreadInfo); works for a
// window of another process.
HWND FocusedWindowOf(HWND anyWindowOfTarget);
// DM_GETDEFID: the id of the default push button of a dialog, 0 if there is none.
int DefaultButtonId(HWND dialog);
bool IsDefaultPushButton(HWND button);  // has the BS_DEFPUSHBUTTON style

// --- Keyboard and mouse (SendInput goes to the foreground window) --------------------------

// Brings the top-level window to the foreground and waits (bounded) until it stays there. Keys
// then go to it; under Wine without a window manager it is not raised above a later-created
// window of another process, which still takes mouse clicks where the two overlap.
bool Activate(HWND topLevel);
// Presses the modifiers, the key, and releases them in reverse order.
void SendKey(WORD vk, bool ctrl = false, bool shift = false, bool alt = false);
void TypeText(const std::wstring& text);  // KEYEVENTF_UNICODE, one character at a time
// A mouse click at a point in screen coordinates.
void ClickAt(POINT screen, bool doubleClick = false, bool right = false);
// A mouse click at a point in window's client coordinates (centre when point is nullptr).
void ClickWindow(HWND window, const POINT* client = nullptr, bool doubleClick = false, bool right = false);

// --- Message boxes -------------------------------------------------------------------------

// A message box is a dialog-class top-level window with the message text control (id 0xFFFF);
// with an owner, only a box owned by it counts.
bool IsMessageBox(HWND window);
HWND FindMessageBox(DWORD processId, HWND owner = nullptr);
HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs, HWND owner = nullptr);
std::wstring MessageBoxText(HWND box);
std::wstring MessageBoxTitle(HWND box);
// Which standard icon (IDI_WARNING, IDI_ERROR, IDI_INFORMATION, IDI_QUESTION) the box shows,
// found by comparing the screen pixels with the icons drawn here; nullptr if none matches.
const wchar_t* MessageBoxIcon(HWND box);
// The ids of the box's push buttons, in the order they were created.
std::vector<int> MessageBoxButtons(HWND box);
// Clicks the button and waits (bounded) until the box is gone.
bool AnswerMessageBox(HWND box, int buttonId = IDOK, DWORD timeoutMs = 5000);

// --- Clipboard -----------------------------------------------------------------------------

std::wstring ClipboardText();  // CF_UNICODETEXT, empty if there is none

// --- Registry fixtures (HKEY_CURRENT_USER, 64-bit view; paths relative to it) --------------

bool CreateKey(const std::wstring& path, const std::wstring& className = L"");
// REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ (value holds the embedded nulls; the final null is added).
bool SetStringValue(const std::wstring& path, const std::wstring& name, const std::wstring& value,
                    DWORD type = REG_SZ);
bool SetDwordValue(const std::wstring& path, const std::wstring& name, DWORD value);
bool SetBinaryValue(const std::wstring& path, const std::wstring& name, const std::vector<BYTE>& bytes,
                    DWORD type = REG_BINARY);
bool KeyWriteTime(const std::wstring& path, FILETIME& time);
void DeleteTree(const std::wstring& path);  // the key with everything below it

// --- Screenshots ---------------------------------------------------------------------------

// The whole screen as a 24-bit BMP file.
bool SaveScreenshot(const std::wstring& bmpPath);
// Where SaveScreenshotForFailure writes; by default the workRoot last given to PrepareApp, else
// the current directory.
void SetScreenshotFolder(const std::wstring& folder);
// Saves <folder>\<testName>.bmp, characters not allowed in a file name replaced by '_'.
void SaveScreenshotForFailure(const std::wstring& testName);

// --- Registry editor -----------------------------------------------------------------------

// The main window class of the system's registry editor and of the stand-in.
const wchar_t* const EditorMainClass = L"RegEdit_RegEdit";

// Private messages to the stand-in editor's main window (tests/e2e/StandInEditor.cpp).
// StandInBusy (posted): shows a modal message box owned by the main window, which disables it
// until the box is answered.
const UINT StandInBusy = WM_APP + 1;
// StandInCount (sent, wParam = a message id): how often the tree or list view got that message
// since start or the last StandInResetCounts, from any sender. The stand-in's own part: when the
// selection changes it sends LVM_DELETEALLITEMS, then per value row LVM_INSERTITEMW and two
// LVM_SETITEMTEXTW; an item's first expansion sends TVM_INSERTITEMW per subkey. It never sends
// TVM_GETITEMW, TVM_GETNEXTITEM, TVM_SELECTITEM, TVM_EXPAND (after start-up), LVM_SETITEMW or
// LVM_SETITEMSTATE.
const UINT StandInCount = WM_APP + 2;
// StandInResetCounts (sent): zeroes the counts.
const UINT StandInResetCounts = WM_APP + 3;
// StandInShowCommand (sent): the wShowWindow of the stand-in's start-up information in the low
// word; the high word is 1 when STARTF_USESHOWWINDOW was set.
const UINT StandInShowCommand = WM_APP + 4;
// StandInShowSelection (sent): the stand-in puts the selected key's path (root under its full
// name) and the names of the selected values into its title, as "path|value|value", for tests
// that cannot read an editor of another bitness with their own records.
const UINT StandInShowSelection = WM_APP + 5;

// The process owning the window, with the rights the readers here need (memory, query, wait,
// terminate); nullptr when it cannot be opened. The caller closes it.
HANDLE OpenWindowProcess(HWND window);
// A visible top-level editor window of the process (0: of any process), waiting up to timeoutMs.
HWND WaitForEditor(DWORD processId, DWORD timeoutMs);
// The tree or list view (by class name, e.g. WC_TREEVIEWW) among the direct children of the
// editor's main window, else among their children (Wine's editor nests them in a REGEDIT window).
HWND FindEditorView(HWND editorMain, const wchar_t* className);

struct TTreeNode {
    std::wstring Text;
    bool Expanded;
};
// The items from the top-level item down to the selected one, each with its text and whether it
// is expanded; empty when nothing is selected. Assumes the editor is 64-bit, like the driver.
std::vector<TTreeNode> TreeCaretPath(HANDLE process, HWND tree);
// The texts of TreeCaretPath below the top item, joined with backslashes
// ("HKEY_CURRENT_USER\Software\X"); empty when nothing below the top item is selected.
std::wstring TreeCaretKeyPath(HANDLE process, HWND tree);
// Ends every process that owns a top-level editor window: WM_CLOSE first, then by force once
// timeoutMs has passed. Tests start and end with no editor running.
void CloseAllEditors(DWORD timeoutMs = 5000);

// Copies the stand-in editor into folder as regedit.exe, where a program in that folder finds
// it before the system's, and writes its modes (e.g. L"nested slowvalues") to standin.txt there;
// no file for no modes.
bool PlaceStandInEditor(const std::wstring& standInExe, const std::wstring& folder, const std::wstring& modes = L"");
// Thin wrappers over the stand-in's hooks.
int StandInMessageCount(HWND editorMain, UINT message);
void ResetStandInCounts(HWND editorMain);
// The show command the stand-in was started with; false when STARTF_USESHOWWINDOW was not set
// (or the editor did not answer).
bool StandInStartShowCommand(HWND editorMain, WORD& showCommand);
