// Benchmark under Windows (or Wine) of a jump to a key eight levels deep, typed into the jump
// dialog, into the registry editor:
//   - into an editor that Keyfinch starts, against starting the editor alone;
//   - into a running editor, against the bare messages of the same walk sent from here.
// Keys in four branches take turns, so every jump and every bare walk changes the selection.
// The editor is the system's, or with --editor one of this program's bitness put where Keyfinch
// finds it (under Wine the system's editor is a 64-bit program, which a 32-bit Keyfinch refuses).
//   bench_jump --program=<KeyfinchNT.exe> --work=<folder> [--editor=<regedit.exe>] [--smoke]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "Driver.h"

namespace {

// Eight levels below HKEY_CURRENT_USER: Keyfinch jumps to the first two, the bare walk goes to
// the other two.
const std::wstring DeepKeys[4] = {L"Software\\KeyfinchTest\\Bench\\Deep\\A5\\A6\\A7\\A8",
                                  L"Software\\KeyfinchTest\\Bench\\Deep\\B5\\B6\\B7\\B8",
                                  L"Software\\KeyfinchTest\\Bench\\Deep\\C5\\C6\\C7\\C8",
                                  L"Software\\KeyfinchTest\\Bench\\Deep\\D5\\D6\\D7\\D8"};

// Polls often, so the poll adds little to what is timed, yet seldom enough not to load the
// program it asks.
bool WaitFast(const std::function<bool()>& cond, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!cond()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(2);
    }
    return true;
}

struct TJumper {
    TApp App;
    HWND Dialog = nullptr, Combo = nullptr;
    int Failures = 0;

    bool Start(const std::wstring& program, const std::wstring& work)
    {
        if (!StartApp(program, work, L"KeyfinchMain", App))
            return false;
        Dialog = FindTopWindow(App.ProcessId, L"KeyfinchSpec", nullptr, false);
        Combo = GetDlgItem(Dialog, 100);
        PostMessageW(App.Main, WM_COMMAND, 230, 0);  // the jump dialog
        return Combo != nullptr && WaitUntil([this] { return IsWindowVisible(Dialog) != FALSE; });
    }

    // Seconds from pressing Jump to the key's arrival at the top of the dialog's list, which
    // happens when the jump has returned; -1 for a jump that showed a message or did not end
    // within its bound, which is reported here so that the run goes on.
    double Jump(const std::wstring& key)
    {
        const std::wstring typed = L"HKCU\\" + key;
        SetComboEditText(Combo, typed);
        double start = Now();
        ClickButton(GetDlgItem(Dialog, IDOK));
        HWND box = nullptr;
        bool done = WaitFast([&] {
            std::vector<std::wstring> items = ComboItems(Combo);
            return (!items.empty() && items[0] == typed) || (box = FindMessageBox(App.ProcessId)) != nullptr;
        }, 20000);
        double seconds = Now() - start;
        if (done && box == nullptr)
            return seconds;
        SaveScreenshotForFailure(L"bench_jump-" + std::to_wstring(++Failures));
        if (box != nullptr) {
            std::wstring text = MessageBoxText(box);
            std::fprintf(stderr, "the jump to %ls ended with a message: %ls\n", typed.c_str(), text.c_str());
            AnswerMessageBox(box);
        } else {
            std::fprintf(stderr, "the jump to %ls did not end within 20 s\n", typed.c_str());
        }
        return -1;
    }
};

// The editor alone: started as Keyfinch starts it, until its window is idle.
double StartEditorAlone(const std::wstring& editorPath)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    std::wstring commandLine = editorPath.empty() ? L"regedit" : L"\"" + editorPath + L"\"";
    double start = Now();
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return -1;
    CloseHandle(started.hThread);
    WaitForInputIdle(started.hProcess, 10000);
    CloseHandle(started.hProcess);
    HWND editor = nullptr;
    if (!WaitFast([&] { return (editor = FindWindowW(EditorMainClass, nullptr)) != nullptr; }, 10000))
        return -1;
    HANDLE process = OpenWindowProcess(editor);
    WaitForInputIdle(process, 10000);
    CloseHandle(process);
    return Now() - start;
}

// The same walk as a jump, sent from here without any of Keyfinch's care: item texts read
// through one remote record, each matching item expanded, the last one selected.
double BareWalk(HWND editor, const std::wstring& longPath)
{
    HWND tree = FindEditorView(editor, WC_TREEVIEWW);
    HANDLE process = OpenWindowProcess(editor);
    const SIZE_T textOffset = 64;
    BYTE* remote = static_cast<BYTE*>(VirtualAllocEx(process, nullptr, textOffset + 520, MEM_COMMIT, PAGE_READWRITE));
    std::vector<std::wstring> components;
    for (size_t start = 0, end; start <= longPath.size(); start = end + 1) {
        end = longPath.find(L'\\', start);
        if (end == std::wstring::npos)
            end = longPath.size();
        components.push_back(longPath.substr(start, end - start));
    }
    double start = Now();
    HTREEITEM item = TreeView_GetChild(tree, TreeView_GetRoot(tree));
    HTREEITEM target = nullptr;
    size_t index = 0;
    while (item != nullptr && index < components.size()) {
        TVITEMW record = {};
        record.mask = TVIF_TEXT;
        record.hItem = item;
        record.pszText = reinterpret_cast<LPWSTR>(remote + textOffset);
        record.cchTextMax = 260;
        WriteProcessMemory(process, remote, &record, sizeof record, nullptr);
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote));
        wchar_t text[260] = {};
        ReadProcessMemory(process, remote + textOffset, text, sizeof text, nullptr);
        text[259] = 0;
        if (lstrcmpiW(text, components[index].c_str()) == 0) {
            target = item;
            TreeView_Expand(tree, item, TVE_EXPAND);
            item = TreeView_GetChild(tree, item);
            ++index;
        } else {
            item = TreeView_GetNextSibling(tree, item);
        }
    }
    if (target != nullptr) {
        TreeView_SelectItem(tree, target);
        TreeView_EnsureVisible(tree, target);
    }
    double seconds = Now() - start;
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return index == components.size() ? seconds : -1;
}

void CreateDeepKeys()
{
    for (const std::wstring& key : DeepKeys) {
        HKEY handle;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) == ERROR_SUCCESS)
            RegCloseKey(handle);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::wstring program, work, editorPath;
    bool smoke = false;
    for (int i = 1; i < argc; ++i) {
        std::wstring argument = argv[i];
        if (argument.compare(0, 10, L"--program=") == 0)
            program = argument.substr(10);
        else if (argument.compare(0, 7, L"--work=") == 0)
            work = argument.substr(7);
        else if (argument.compare(0, 9, L"--editor=") == 0)
            editorPath = argument.substr(9);
        else if (argument == L"--smoke")
            smoke = true;
    }
    if (program.empty() || work.empty()) {
        std::fprintf(stderr, "usage: bench_jump --program=KeyfinchNT.exe --work=folder [--editor=regedit.exe] [--smoke]\n");
        return 2;
    }
    CreateDirectoryW(work.c_str(), nullptr);
    CreateDeepKeys();
    const int rounds = smoke ? 1 : 5;
    int failures = 0;

    TJumper jumper;
    if (!jumper.Start(program, work) || (!editorPath.empty() && !PlaceStandInEditor(editorPath, jumper.App.Folder))) {
        std::fprintf(stderr, "KeyfinchNT did not start\n");
        return 1;
    }

    // Into an editor that Keyfinch starts, against the editor started alone.
    std::vector<double> started, alone;
    for (int round = 0; round < rounds; ++round) {
        CloseAllEditors();
        alone.push_back(StartEditorAlone(editorPath));
        CloseAllEditors();
        started.push_back(jumper.Jump(DeepKeys[(rounds - 1 - round) % 2]));  // the last to the first key
    }
    std::printf("jump into an editor it starts: %.3f s (median of %d); the editor starting alone: %.3f s; ratio %.2f\n",
                Median(started), rounds, Median(alone), Median(started) / Median(alone));

    // Into a running editor, against the bare walk. Both have expanded the way before.
    std::vector<double> running, bare;
    HWND editor = FindWindowW(EditorMainClass, nullptr);
    for (int round = 0; round < rounds + 1; ++round) {
        // The last jump above went to the first key.
        const std::wstring key = DeepKeys[(round + 1) % 2];
        double jump = jumper.Jump(key);
        double walk = BareWalk(editor, L"HKEY_CURRENT_USER\\" + DeepKeys[2 + round % 2]);
        if (round == 0)
            continue;  // the first pass expands both branches
        running.push_back(jump);
        bare.push_back(walk);
    }
    std::printf("jump into a running editor: %.3f s (median of %d); bare walk of the same path: %.3f s; ratio %.2f\n",
                Median(running), rounds, Median(bare), Median(running) / Median(bare));

    std::printf("each jump (s):");
    for (double seconds : started)
        std::printf(" %.3f", seconds);
    std::printf(" |");
    for (double seconds : running)
        std::printf(" %.3f", seconds);
    std::printf("\n");
    for (double seconds : started)
        failures += seconds < 0;
    for (double seconds : running)
        failures += seconds < 0;
    CloseApp(jumper.App);
    CloseAllEditors();
    HKEY parent;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\KeyfinchTest\\Bench", 0, KEY_ALL_ACCESS, &parent) == ERROR_SUCCESS) {
        RegDeleteTreeW(parent, L"Deep");
        RegCloseKey(parent);
    }
    if (failures > 0)
        std::fprintf(stderr, "%d jumps did not finish\n", failures);
    return failures > 0 ? 1 : 0;
}
