// The search thread. It changes the main window's controls only through synchronous messages,
// which the user-interface thread serves while it pumps; so that thread never waits for this one.
#include "KeyfinchSearch.h"

#include <windows.h>
#include <commctrl.h>
#include "KeyfinchList.h"
#include "KeyfinchMain.h"
#include "KeyfinchPages.h"
#include "StringRoutines.h"
#include "WinRegistry.h"

TSearchConditions& SearchConditions = *new TSearchConditions;
TSearchState& SearchState = *new TSearchState;
TRegistry& SystemRegistry = *new TWinRegistry;
int32_t AllKeyCount = 0;

static TString PercentText(int percent)
{
    return FormatText(KT("%d%% 完了"), {percent});
}

// Hands the walk's hits and progress to the window.
class TWindowSink : public TSearchSink {
public:
    void AddHit(const THit& hit) override
    {
        ::AddHit(hit.Name, hit.NameLength, TString(hit.Location, hit.LocationLength), hit.Type, hit.LastWrite,
                 hit.DataSize, hit.Data);
    }
    void ShowProgress(const KChar* path, uint32_t length) override { ::ShowProgress(TString(path, length)); }
};

// The denominator grows as needed, so the percentage stays below 100 while the walk runs.
void ShowProgress(const TString& path)
{
    if (AllKeyCount <= SearchState.KeyCount)
        AllKeyCount = SearchState.KeyCount + 1;
    int percent = static_cast<int>(static_cast<int64_t>(SearchState.KeyCount) * 100 / AllKeyCount);
    SendMessage(ProgressBar, PBM_SETPOS, percent, 0);
    SetStatusText(0, path);
    SetStatusText(2, PercentText(percent));
}

static void SetButtonsSearching(bool searching)
{
    EnableWindow(SearchButton, !searching);
    EnableWindow(AbortButton, searching);
    EnableWindow(NewButton, !searching);
    EnableWindow(HistoryButton, !searching);
}

static DWORD WINAPI SearchThread(void*)
{
    DWORD start = GetTickCount();
    SearchState.AllocateBuffers();
    TWindowSink sink;
    TSearchWalk walk(SystemRegistry, SearchConditions, SearchState, sink);
    walk.SearchRoots();
    SearchState.ReleaseBuffers();
    DWORD elapsed = GetTickCount() - start;  // unsigned, so a wrap of the counter is harmless

    bool aborted = SearchState.Aborted.load(std::memory_order_relaxed);
    SetButtonsSearching(false);
    MessageBeep(aborted ? MB_ICONHAND : MB_ICONASTERISK);
    if (!aborted) {
        SendMessage(ProgressBar, PBM_SETPOS, 100, 0);
        if (SearchConditions.Type == LocationAllRoots)
            AllKeyCount = SearchState.KeyCount;
    }
    Sleep(100);  // so that the full bar can be seen
    ShowWindow(ProgressBar, SW_HIDE);

    int found = static_cast<int>(SendMessage(ResultList, LVM_GETITEMCOUNT, 0, 0));
    SetStatusText(0, FormatText(KT("%d 個の項目が見つかりました。"), {found}));
    int tenths = static_cast<int>(elapsed / 100);
    SetStatusText(1, FormatText(KT("%d.%d 秒"), {tenths / 10, tenths % 10}));
    if (!aborted)
        SetStatusText(2, PercentText(100));
    return 0;
}

static void FocusResultList()
{
    SendMessage(MainWindow, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(ResultList), TRUE);
}

void StartSearch()
{
    if (!CollectConditions())
        return;
    SearchState.Aborted = false;
    SearchState.LastProgressTick = GetTickCount();
    SearchState.KeyCount = 0;
    ClearList();
    FocusResultList();
    SetButtonsSearching(true);
    ShowProgress(TString());
    ShowWindow(ProgressBar, SW_SHOW);

    DWORD id;
    HANDLE thread = CreateThread(nullptr, 0, SearchThread, nullptr, CREATE_SUSPENDED, &id);
    if (thread == nullptr) {
        // Without a thread nothing would ever give the buttons back.
        SetButtonsSearching(false);
        ShowWindow(ProgressBar, SW_HIDE);
        return;
    }
    SetThreadPriority(thread, THREAD_PRIORITY_IDLE);
    ResumeThread(thread);
    CloseHandle(thread);
}

void AbortSearch()
{
    SearchState.Aborted = true;
    FocusResultList();
}

void StopSearchAtExit()
{
    SearchState.Aborted = true;
}
