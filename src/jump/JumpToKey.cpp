// Driving the registry editor from outside: its tree view and list view are told, with window
// messages, to expand and select the key and the value. The records of those messages must lie
// in the editor's address space, so they are written into buffers reserved in its process.
#include "KeyfinchJump.h"

#include <commctrl.h>

#include "DialogHelpers.h"
#include "KeyPath.h"
#include "KeyfinchMain.h"
#include "KeyfinchSearch.h"
#include "RemoteRecords.h"
#include "StringRoutines.h"

namespace {

typedef LPVOID(WINAPI* TVirtualAllocEx)(HANDLE, LPVOID, SIZE_T, DWORD, DWORD);
typedef BOOL(WINAPI* TVirtualFreeEx)(HANDLE, LPVOID, SIZE_T, DWORD);
typedef BOOL(WINAPI* TIsWow64Process)(HANDLE, PBOOL);

// NT mode when both are bound; the Windows 95 family shares mapped views between processes.
TVirtualAllocEx VirtualAllocExPointer;
TVirtualFreeEx VirtualFreeExPointer;

const KChar EditorClass[] = KT("RegEdit_RegEdit");
const DWORD TextRoom = 260;  // characters of the text buffer
const DWORD StartTimeoutMs = 10000;
const DWORD ValueWaitMs = 1000;
// A message the editor has not answered in this time ends the jump instead of hanging Keyfinch.
const UINT EditorAnswerMs = 15000;
const DWORD EditorAccess = PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE;

#if defined(KEYFINCH_ANSI)
const UINT TreeGetItem = TVM_GETITEMA;
const UINT ListGetItem = LVM_GETITEMA;
const UINT ListSetItem = LVM_SETITEMA;
#else
const UINT TreeGetItem = TVM_GETITEMW;
const UINT ListGetItem = LVM_GETITEMW;
const UINT ListSetItem = LVM_SETITEMW;
#endif

const KChar BusyText[] =
    KT("レジストリエディタが作業中のためジャンプできません。\r\nジャンプするにはレジストリエディタの作業を終わらせてください。");
const KChar WrongBitnessText[] =
    KT("64ビット版のレジストリエディタにはジャンプできません。\r\nレジストリエディタを閉じてからジャンプしてください。");

// The editor as one jump sees it.
struct TEditor {
    HWND Window = nullptr;
    HWND Tree = nullptr;
    HWND List = nullptr;
    HANDLE Process = nullptr;  // the process that owns Window
    TRemoteBitness Bitness = RemoteBitness32;
    void* Text = nullptr;  // the text buffer in Process
    bool Lost = false;     // a message went unanswered: send nothing more
};

// SendMessage that cannot hang Keyfinch on an editor that stopped answering.
LRESULT SendToEditor(TEditor& editor, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (editor.Lost)
        return 0;
    DWORD_PTR result = 0;
    if (!SendMessageTimeout(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, EditorAnswerMs,
                            &result)) {
        editor.Lost = true;
        return 0;
    }
    return static_cast<LRESULT>(result);
}

LPARAM RemoteParam(const void* buffer)
{
    return reinterpret_cast<LPARAM>(buffer);
}

uint64_t RemoteAddress(const void* buffer)
{
    return reinterpret_cast<uintptr_t>(buffer);
}

bool IsWow64(TIsWow64Process isWow64Process, HANDLE process)
{
    BOOL wow64 = FALSE;
    return isWow64Process != nullptr && isWow64Process(process, &wow64) && wow64;
}

// False for an editor that this build cannot drive (a 64-bit one from the 32-bit build).
bool ChooseRecords(TEditor& editor)
{
    auto isWow64Process = reinterpret_cast<TIsWow64Process>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandle(KT("kernel32.dll")), "IsWow64Process")));
    bool programIs64 = sizeof(void*) == 8;
    bool windowsIs64 = programIs64 || IsWow64(isWow64Process, GetCurrentProcess());
    return ChooseEditorRecords(programIs64, windowsIs64, IsWow64(isWow64Process, editor.Process), &editor.Bitness);
}

// The process that owns the editor's window. The bitness test and a started editor's wait need
// query and synchronize rights as well; a system that refuses them still gets the plain request.
HANDLE OpenEditorProcess(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const DWORD extra[] = {PROCESS_QUERY_INFORMATION | SYNCHRONIZE, 0x1000 /* limited query */ | SYNCHRONIZE, 0};
    for (DWORD access : extra) {
        if (HANDLE process = OpenProcess(EditorAccess | access, FALSE, processId))
            return process;
    }
    return nullptr;
}

void BringToFront(HWND window)
{
    AttachToWindowThread(window);
    SetForegroundWindow(window);
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    DetachFromWindowThread(window);
}

// Starts "regedit" and returns its main window, or none. The process that CreateProcess gives can
// be a launcher that starts the editor as another process and returns at once, so the window is
// looked for until the start time-out has passed.
HWND StartEditor()
{
    STARTUPINFO startup = {};
    startup.cb = sizeof startup;
    GetStartupInfo(&startup);
    startup.wShowWindow = SW_SHOWNA;
    PROCESS_INFORMATION started = {};
    KChar commandLine[] = KT("regedit");
    DWORD startTick = GetTickCount();
    if (!CreateProcess(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr,
                       &startup, &started))
        return nullptr;
    CloseHandle(started.hThread);
    WaitForInputIdle(started.hProcess, StartTimeoutMs);
    CloseHandle(started.hProcess);

    HWND window = FindWindow(EditorClass, nullptr);
    while (window == nullptr && GetTickCount() - startTick < StartTimeoutMs) {
        Sleep(25);
        window = FindWindow(EditorClass, nullptr);
    }
    return window;
}

// The editor's views are its direct children; some editors keep them one window deeper.
HWND FindEditorView(HWND editor, const KChar* className)
{
    if (HWND view = FindWindowEx(editor, nullptr, className, nullptr))
        return view;
    for (HWND child = FindWindowEx(editor, nullptr, nullptr, nullptr); child != nullptr;
         child = FindWindowEx(editor, child, nullptr, nullptr)) {
        if (HWND view = FindWindowEx(child, nullptr, className, nullptr))
            return view;
    }
    return nullptr;
}

// Finds the editor or starts it, and opens its process. False, with nothing sent to the editor,
// when the jump cannot go on; the editor's messages are shown here, the ones about this jump
// owned by the window where it was asked for.
bool OpenEditor(TEditor& editor, HWND owner)
{
    editor.Window = FindWindow(EditorClass, nullptr);
    bool started = editor.Window == nullptr;
    if (started) {
        editor.Window = StartEditor();
        if (editor.Window == nullptr)
            return false;
    } else if (!IsWindowEnabled(editor.Window)) {
        ShowWarning(MainWindow, BusyText);
        return false;
    }

    editor.Process = OpenEditorProcess(editor.Window);
    if (editor.Process != nullptr && !ChooseRecords(editor)) {
        CloseHandle(editor.Process);
        editor.Process = nullptr;
        ShowWarning(owner, WrongBitnessText);
        return false;
    }
    if (started) {
        // Under a launcher the editor may still be building its windows.
        if (editor.Process != nullptr)
            WaitForInputIdle(editor.Process, StartTimeoutMs);
    } else {
        BringToFront(editor.Window);
    }
    editor.Tree = FindEditorView(editor.Window, KT("SysTreeView32"));
    editor.List = FindEditorView(editor.Window, KT("SysListView32"));
    return true;
}

TString ReadRemoteText(const TEditor& editor)
{
    KChar text[TextRoom] = {};
    RemoteRead(editor.Process, editor.Text, text, sizeof text);
    size_t length = 0;
    while (length < TextRoom && text[length] != 0)
        ++length;
    return TString(text, length);
}

// Sends the record in bytes to the view with the message that fills it in, reads the record back
// into bytes, and returns the item text the view wrote into the text buffer.
TString ReadItemText(TEditor& editor, HWND view, UINT message, void* remoteRecord, uint8_t* bytes, size_t size)
{
    RemoteWrite(editor.Process, remoteRecord, bytes, static_cast<DWORD>(size));
    SendToEditor(editor, view, message, 0, RemoteParam(remoteRecord));
    RemoteRead(editor.Process, remoteRecord, bytes, static_cast<DWORD>(size));
    return ReadRemoteText(editor);
}

HTREEITEM NextTreeItem(TEditor& editor, WPARAM relation, HTREEITEM item)
{
    return reinterpret_cast<HTREEITEM>(
        SendToEditor(editor, editor.Tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

// Expands each component of the path in turn and returns the deepest one found, or none when not
// even the root is in the tree.
HTREEITEM WalkTree(TEditor& editor, const TStringArray& components)
{
    size_t recordSize = TreeItemRecordSize(editor.Bitness);
    void* remoteRecord = RemoteAlloc(editor.Process, static_cast<DWORD>(recordSize));
    if (remoteRecord == nullptr)
        return nullptr;
    uint8_t bytes[64];
    HTREEITEM target = nullptr;
    size_t index = 0;
    HTREEITEM item = NextTreeItem(editor, TVGN_CHILD, NextTreeItem(editor, TVGN_ROOT, nullptr));
    while (item != nullptr && index < components.size()) {
        TTreeItemRecord record;
        record.Mask = TVIF_TEXT;
        record.Item = reinterpret_cast<uintptr_t>(item);
        record.Text = RemoteAddress(editor.Text);
        record.TextMax = TextRoom;
        WriteTreeItemRecord(record, editor.Bitness, bytes);
        if (CompareNoCase(ReadItemText(editor, editor.Tree, TreeGetItem, remoteRecord, bytes, recordSize),
                          components[index]) == 0) {
            target = item;
            SendToEditor(editor, editor.Tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
            item = NextTreeItem(editor, TVGN_CHILD, target);
            ++index;
        } else {
            item = NextTreeItem(editor, TVGN_NEXT, item);
        }
    }
    RemoteFree(editor.Process, remoteRecord);
    return target;
}

void SelectTarget(TEditor& editor, HTREEITEM target, bool withValue)
{
    if (NextTreeItem(editor, TVGN_CARET, nullptr) != target) {
        // The wait for the values must see the new key's values, not the old ones.
        if (withValue && editor.List != nullptr)
            SendToEditor(editor, editor.List, LVM_DELETEALLITEMS, 0, 0);
        SendToEditor(editor, editor.Tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(target));
    }
    SendToEditor(editor, editor.Tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(target));
}

// The editor fills its value list after the selection changed, maybe later; a key that no longer
// opens has no count to wait for.
void WaitForValues(TEditor& editor, const TString& keyName)
{
    uint32_t valueCount = 0;
    TRegKey key = 0;
    if (OpenKeyPath(SystemRegistry, keyName, KeyRead, &key) == RegSuccess) {
        SystemRegistry.QueryInfoKey(key, nullptr, nullptr, &valueCount, nullptr);
        SystemRegistry.CloseKey(key);
    }
    DWORD startTick = GetTickCount();
    while (static_cast<uint32_t>(SendToEditor(editor, editor.List, LVM_GETITEMCOUNT, 0, 0)) < valueCount &&
           !editor.Lost && GetTickCount() - startTick < ValueWaitMs)
        Sleep(100);
}

// Selects and focuses the value of that name and deselects every other one.
void SelectValue(TEditor& editor, const TString& valueName)
{
    size_t recordSize = ListItemRecordSize(editor.Bitness);
    void* remoteRecord = RemoteAlloc(editor.Process, static_cast<DWORD>(recordSize));
    if (remoteRecord == nullptr)
        return;
    uint8_t bytes[64];
    int count = static_cast<int>(SendToEditor(editor, editor.List, LVM_GETITEMCOUNT, 0, 0));
    for (int j = 0; j < count && !editor.Lost; ++j) {
        TListItemRecord record;
        record.Mask = LVIF_TEXT;
        record.Item = j;
        record.Text = RemoteAddress(editor.Text);
        record.TextMax = TextRoom;
        WriteListItemRecord(record, editor.Bitness, bytes);
        TString text = ReadItemText(editor, editor.List, ListGetItem, remoteRecord, bytes, recordSize);
        record = ReadListItemRecord(bytes, editor.Bitness);
        record.Mask = LVIF_STATE;
        if (CompareNoCase(text, valueName) == 0) {
            SendToEditor(editor, editor.List, LVM_ENSUREVISIBLE, j, FALSE);
            record.State = LVIS_SELECTED | LVIS_FOCUSED;
            record.StateMask = LVIS_SELECTED | LVIS_FOCUSED;
        } else {
            record.State = 0;
            record.StateMask = LVIS_SELECTED;
        }
        WriteListItemRecord(record, editor.Bitness, bytes);
        RemoteWrite(editor.Process, remoteRecord, bytes, static_cast<DWORD>(recordSize));
        SendToEditor(editor, editor.List, ListSetItem, 0, RemoteParam(remoteRecord));
    }
    RemoteFree(editor.Process, remoteRecord);
}

// Everything a jump does once the editor's buffers exist.
void ShowKeyInEditor(TEditor& editor, const TString& keyName, const TString& valueName)
{
    TStringArray components = SplitPathComponents(ToLongKeyPath(keyName));
    HTREEITEM target = WalkTree(editor, components);
    if (target == nullptr || editor.Lost)
        return;  // a root that the editor does not show
    bool withValue = !valueName.empty() && editor.List != nullptr;
    SelectTarget(editor, target, withValue);

    AttachToWindowThread(editor.Window);
    if (!withValue) {
        SetFocus(editor.Tree);
    } else {
        WaitForValues(editor, keyName);
        SetFocus(editor.List);
        SelectValue(editor, valueName);
    }
    DetachFromWindowThread(editor.Window);
}

}  // namespace

void InitRemoteMemory()
{
    if (PlatformId() != VER_PLATFORM_WIN32_NT)
        return;
    HMODULE kernel = LoadLibrary(KT("kernel32.dll"));
    if (kernel == nullptr)
        return;
    VirtualAllocExPointer =
        reinterpret_cast<TVirtualAllocEx>(reinterpret_cast<void*>(GetProcAddress(kernel, "VirtualAllocEx")));
    VirtualFreeExPointer =
        reinterpret_cast<TVirtualFreeEx>(reinterpret_cast<void*>(GetProcAddress(kernel, "VirtualFreeEx")));
    FreeLibrary(kernel);  // kernel32 stays loaded for the whole run
}

// The Windows 95 family maps views at one address in every process; the mapping's handle is kept
// in front of the buffer so that RemoteFree can close it.
void* RemoteAlloc(HANDLE process, DWORD size)
{
    if (VirtualAllocExPointer != nullptr) {
        if (process == nullptr)
            return nullptr;
        return VirtualAllocExPointer(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    HANDLE mapping =
        CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size + sizeof(HANDLE), nullptr);
    if (mapping == nullptr)
        return nullptr;
    auto* view = static_cast<BYTE*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (view == nullptr) {
        CloseHandle(mapping);
        return nullptr;
    }
    CopyMemory(view, &mapping, sizeof mapping);
    return view + sizeof(HANDLE);
}

void RemoteFree(HANDLE process, void* buffer)
{
    if (buffer == nullptr)
        return;
    if (VirtualAllocExPointer != nullptr) {
        VirtualFreeExPointer(process, buffer, 0, MEM_RELEASE);
        return;
    }
    BYTE* view = static_cast<BYTE*>(buffer) - sizeof(HANDLE);
    HANDLE mapping;
    CopyMemory(&mapping, view, sizeof mapping);
    UnmapViewOfFile(view);
    CloseHandle(mapping);
}

void RemoteRead(HANDLE process, const void* buffer, void* local, DWORD size)
{
    if (VirtualAllocExPointer != nullptr)
        ReadProcessMemory(process, buffer, local, size, nullptr);
    else
        CopyMemory(local, buffer, size);
}

void RemoteWrite(HANDLE process, void* buffer, const void* local, DWORD size)
{
    if (VirtualAllocExPointer != nullptr)
        WriteProcessMemory(process, buffer, local, size, nullptr);
    else
        CopyMemory(buffer, local, size);
}

void JumpToKey(const TString& keyName, const TString& valueName, HWND owner)
{
    TEditor editor;
    if (!OpenEditor(editor, owner))
        return;
    LockWindowUpdate(editor.Window);
    // Without a buffer in the editor's process no record address could be valid there, and
    // nothing is sent.
    if (editor.Tree != nullptr)
        editor.Text = RemoteAlloc(editor.Process, TextRoom * sizeof(KChar));
    if (editor.Text != nullptr)
        ShowKeyInEditor(editor, keyName, valueName);
    RemoteFree(editor.Process, editor.Text);
    LockWindowUpdate(nullptr);
    if (editor.Process != nullptr)
        CloseHandle(editor.Process);
}
