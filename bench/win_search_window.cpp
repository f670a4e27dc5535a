// Benchmark under Windows (or Wine) of the program as a user meets it: start-up to the visible
// main window, a full search for a text with few hits, and a search with about 10,000 hits.
// Each figure is printed with a ratio against a baseline measured in the same run.
//   bench_search_window --program=<KeyfinchNT.exe> --work=<folder> [--smoke | --full-only]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BareWalker.h"
#include "BenchClock.h"
#include "Driver.h"

namespace {

const wchar_t* const HitsKey = L"Software\\KeyfinchTest\\Bench\\Hits";
const wchar_t* const EmptyWindowClass = L"KeyfinchBenchEmpty";

LRESULT CALLBACK EmptyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

// The start-up baseline: this program started again, showing one empty window.
int RunEmptyWindow()
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = EmptyWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = EmptyWindowClass;
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(EmptyWindowClass, L"empty", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}

// Seconds from process start to a visible window of the class.
double StartUp(const std::wstring& program, const std::wstring& work, const wchar_t* windowClass)
{
    TApp app;
    if (!PrepareApp(program, work, app))
        return -1;
    double start = Now();
    bool up = RunApp(app, windowClass);
    double seconds = Now() - start;
    CloseApp(app);
    return up ? seconds : -1;
}

struct TKeyfinchWindow {
    TApp App;
    HWND Search = nullptr, Status = nullptr, List = nullptr, StringPage = nullptr, LocationPage = nullptr;

    bool Start(const std::wstring& program, const std::wstring& work)
    {
        if (!StartApp(program, work, L"KeyfinchMain", App))
            return false;
        Search = GetDlgItem(App.Main, 101);
        List = GetDlgItem(App.Main, 106);
        Status = GetDlgItem(App.Main, 107);
        for (HWND child = GetWindow(App.Main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (GetDlgItem(child, 204) != nullptr)
                LocationPage = child;
            else if (GetDlgItem(child, 105) != nullptr)
                StringPage = child;
        }
        return StringPage && LocationPage;
    }

    void LookIn(int type, const std::wstring& key)
    {
        for (int id = 100; id <= 102; ++id)
            SendMessageW(GetDlgItem(LocationPage, id), BM_SETCHECK, id == 100 + type ? BST_CHECKED : BST_UNCHECKED, 0);
        PostMessageW(LocationPage, WM_COMMAND, MAKEWPARAM(100 + type, BN_CLICKED), 0);
        SetComboEditText(GetDlgItem(LocationPage, 302), key);
    }

    // Seconds from pressing Search to the final status text.
    double TimedSearch(const std::wstring& text)
    {
        SetComboEditText(GetDlgItem(StringPage, 100), text);
        double start = Now();
        ClickButton(Search);
        // While it runs only the button is watched, which costs the program nothing; reading the
        // status texts would make it serve a message at every look. The texts follow the button.
        WaitUntil([&] { return !IsEnabled(Search); }, 2000);
        bool ended = WaitUntil([&] { return IsEnabled(Search); }, 600000) && WaitUntil([&] {
            return StatusText(App.Process, Status, 0).find(L"見つかりました") != std::wstring::npos &&
                   StatusText(App.Process, Status, 2) == L"100% 完了";
        }, 10000);
        double seconds = Now() - start;
        WalkSeconds = _wtof(StatusText(App.Process, Status, 1).c_str());
        return ended ? seconds : -1;
    }

    // The program's own timing of its last search, without the pause and the texts at the end.
    double WalkSeconds = 0;
};

void SeedHits(int keys, int valuesPerKey)
{
    DeleteTree(HitsKey);
    for (int k = 0; k < keys; ++k) {
        std::wstring key = std::wstring(HitsKey) + L"\\k" + std::to_wstring(k);
        CreateKey(key);
        for (int v = 0; v < valuesPerKey; ++v)
            SetStringValue(key, L"v" + std::to_wstring(v), L"needle");
    }
}

double BareWalk(HKEY root, const wchar_t* subKey, unsigned long long* keys)
{
    TBareWalker bare;
    double start = Now();
    if (subKey == nullptr) {
        bare.WalkRoots();
    } else {
        HKEY key;
        if (RegOpenKeyExW(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return -1;
        bare.Walk(key);
        RegCloseKey(key);
    }
    *keys = bare.Keys;
    return Now() - start;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::wstring program, work;
    bool smoke = false, fullOnly = false;
    for (int i = 1; i < argc; ++i) {
        std::wstring argument = argv[i];
        if (argument == L"--empty-window")
            return RunEmptyWindow();
        if (argument.compare(0, 10, L"--program=") == 0)
            program = argument.substr(10);
        else if (argument.compare(0, 7, L"--work=") == 0)
            work = argument.substr(7);
        else if (argument == L"--smoke")
            smoke = true;
        else if (argument == L"--full-only")
            fullOnly = true;
    }
    if (program.empty() || work.empty()) {
        std::fprintf(stderr, "usage: bench_search_window --program=KeyfinchNT.exe --work=folder [--smoke]\n");
        return 2;
    }
    CreateDirectoryW(work.c_str(), nullptr);
    const int rounds = smoke ? 1 : 3;

    // Start-up, against this program showing an empty window.
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<double> keyfinch, empty;
    for (int round = 0; round < (fullOnly ? 0 : rounds); ++round) {
        keyfinch.push_back(StartUp(program, work, L"KeyfinchMain"));
        // The baseline is started with its switch through a copy that is run with arguments.
        TApp app;
        if (PrepareApp(self, work, app)) {
            double start = Now();
            bool up = RunApp(app, EmptyWindowClass, 20000, L"--empty-window");
            empty.push_back(up ? Now() - start : -1);
            CloseApp(app);
        }
    }
    if (!fullOnly)
        std::printf("start-up to the visible main window: %.3f s (median of %d); empty window: %.3f s; ratio %.2f\n",
                Median(keyfinch), rounds, Median(empty), Median(keyfinch) / Median(empty));

    TKeyfinchWindow window;
    if (!window.Start(program, work)) {
        std::fprintf(stderr, "KeyfinchNT did not start\n");
        return 1;
    }

    if (!smoke) {
        // A full search of all roots for a text with few hits, against the bare walker.
        window.LookIn(0, L"");
        // The machine's speed drifts, so the two alternate, each going first in turn, and the
        // fastest round of each counts.
        std::vector<double> full, floor, walk;
        unsigned long long allKeys = 0;
        for (int round = 0; round < 5; ++round) {
            if (round % 2 == 0)
                floor.push_back(BareWalk(nullptr, nullptr, &allKeys));
            full.push_back(window.TimedSearch(L"QzXq9kf"));
            walk.push_back(window.WalkSeconds);
            if (round % 2 != 0)
                floor.push_back(BareWalk(nullptr, nullptr, &allKeys));
        }
        double fastFull = *std::min_element(full.begin(), full.end());
        double fastFloor = *std::min_element(floor.begin(), floor.end());
        std::printf("full search of all roots (%llu keys), from pressing Search to the final status text: %.3f s;"
                    " bare walker: %.3f s; ratio %.3f (medians %.3f s and %.3f s)\n",
                    allKeys, fastFull, fastFloor, fastFull / fastFloor, Median(full), Median(floor));
        std::printf("  of which the search thread's walk, as the status bar shows it: %.1f s (median)\n", Median(walk));
    }

    // A search with many hits in a seeded subtree, against the bare walk of that subtree. The same
    // search finding nothing gives the walk's share; the search again with the window minimized,
    // so that the list is not painted, splits the rest into the list messages and the painting.
    if (fullOnly) {
        CloseApp(window.App);
        return 0;
    }
    int keys = smoke ? 10 : 100, perKey = smoke ? 10 : 100, hits = keys * perKey;
    SeedHits(keys, perKey);
    window.LookIn(2, L"HKCU\\" + std::wstring(HitsKey));
    unsigned long long subtreeKeys = 0;
    std::vector<double> bare, none;
    for (int round = 0; round < rounds; ++round) {
        bare.push_back(BareWalk(HKEY_CURRENT_USER, HitsKey, &subtreeKeys));
        none.push_back(window.TimedSearch(L"QzXq9kf"));
    }
    double shown = window.TimedSearch(L"needle");
    int rows = ListRowCount(window.List);
    ShowWindow(window.App.Main, SW_MINIMIZE);
    double minimized = window.TimedSearch(L"needle");
    ShowWindow(window.App.Main, SW_RESTORE);
    double walk = Median(none);
    std::printf("search with %d hits (%llu keys): %.3f s; bare walk of the subtree: %.3f s; ratio %.1f\n", rows,
                subtreeKeys, shown, Median(bare), shown / Median(bare));
    std::printf("  walk, finding nothing: %.3f s (with the 100 ms pause at the end)\n", walk);
    std::printf("  list messages (window minimized): %.3f s, %.0f us per hit\n", minimized - walk,
                (minimized - walk) * 1e6 / hits);
    std::printf("  painting the list between hits: %.3f s, %.0f us per hit\n", shown - minimized,
                (shown - minimized) * 1e6 / hits);
    DeleteTree(HitsKey);

    CloseApp(window.App);
    return 0;
}
