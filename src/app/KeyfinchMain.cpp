// The main window: creation and teardown, the layout that follows its size, the tab pages and
// the focus rules that decide what Enter does.
#include "KeyfinchMain.h"

#include "DialogHelpers.h"
#include "KeyfinchIni.h"
#include "KeyfinchJump.h"
#include "KeyfinchList.h"
#include "KeyfinchPages.h"
#include "KeyfinchSearch.h"
#include "Resource.h"

HWND MainWindow;
HWND StringPage;
HWND LocationPage;
HWND DatePage;
HWND JumpDialog;
HWND TabControl;
HWND SearchButton;
HWND AbortButton;
HWND NewButton;
HWND HistoryButton;
HWND ListLabel;
HWND ResultList;
HWND StatusBar;
HWND ProgressBar;
HIMAGELIST ResultImageList;
SIZE MinTrackSize;
WNDPROC ListDefaultProc;

struct TPage {
    const KChar* TabText;
    int DialogId;
    DLGPROC Procedure;
    HWND* Window;
};

// The tab items in order; item i shows page i.
static const TPage Pages[] = {
    {KT("文字列"), IDD_STRINGPAGE, StringPageProc, &StringPage},
    {KT("場所"), IDD_LOCATIONPAGE, LocationPageProc, &LocationPage},
#if !defined(KEYFINCH_ANSI)
    {KT("更新日時"), IDD_DATEPAGE, DatePageProc, &DatePage},
#endif
};
static const int PageCount = sizeof(Pages) / sizeof(Pages[0]);

static void MakePageBackgroundsThemed()
{
#if !defined(KEYFINCH_ANSI)
    HMODULE theme = LoadLibraryW(L"UxTheme.dll");
    if (theme == nullptr)
        return;
    typedef HRESULT(WINAPI * TEnableThemeDialogTexture)(HWND, DWORD);
    auto enable = reinterpret_cast<TEnableThemeDialogTexture>(
        reinterpret_cast<void*>(GetProcAddress(theme, "EnableThemeDialogTexture")));
    if (enable != nullptr) {
        for (const TPage& page : Pages)
            enable(*page.Window, 6);  // ETDT_ENABLETAB: the tab control's background
    }
    FreeLibrary(theme);
#endif
}

void InitMainControls()
{
    HINSTANCE instance = GetModuleHandle(nullptr);
    SetMenuDefaultItem(FindMenuWithItem(GetMenu(MainWindow), IDM_JUMP), IDM_JUMP, FALSE);

    TabControl = GetDlgItem(MainWindow, IDC_TAB);
    SearchButton = GetDlgItem(MainWindow, IDC_SEARCH);
    AbortButton = GetDlgItem(MainWindow, IDC_ABORT);
    NewButton = GetDlgItem(MainWindow, IDC_NEW);
    HistoryButton = GetDlgItem(MainWindow, IDC_HISTORY);
    ListLabel = GetDlgItem(MainWindow, IDC_LISTLABEL);
    ResultList = GetDlgItem(MainWindow, IDC_RESULTLIST);
    StatusBar = GetDlgItem(MainWindow, IDC_STATUSBAR);
    ProgressBar = GetDlgItem(MainWindow, IDC_PROGRESS);

    MakePageBackgroundsThemed();

    for (int icon : {IDI_KEY, IDI_STRING, IDI_BINARY})
        ImageList_ReplaceIcon(ResultImageList, -1, LoadIcon(instance, MAKEINTRESOURCE(icon)));

    for (int i = 0; i < PageCount; ++i) {
        TCITEM item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<KChar*>(Pages[i].TabText);
        SendMessage(TabControl, TCM_INSERTITEM, i, reinterpret_cast<LPARAM>(&item));
    }
    SelectTabPage(TabControl, 0);

    InitResultColumns();

    ShowWindow(ProgressBar, SW_HIDE);
    EnableWindow(AbortButton, FALSE);
}

static void OnInitDialog(HWND window)
{
    HINSTANCE instance = GetModuleHandle(nullptr);
    MainWindow = window;
    for (const TPage& page : Pages)
        *page.Window = CreateDialogFromTemplate(instance, page.DialogId, window, page.Procedure);
    ResultImageList = ImageList_Create(16, 16, ILC_MASK, 3, 1);
    JumpDialog = CreateDialogFromTemplate(instance, IDD_JUMP, nullptr, JumpDialogProc);
    InitMainControls();
    GetWindowSize(window, &MinTrackSize);
    ListDefaultProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(ResultList, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListSubclassProc)));
    LoadSettings();
}

static void OnDestroy()
{
    // A search still running must not go on reading the windows; it is not waited for.
    StopSearchAtExit();
    SaveSettings();
    SetWindowLongPtr(ResultList, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListDefaultProc));
    ImageList_Destroy(ResultImageList);
    for (int i = PageCount - 1; i >= 0; --i)
        DestroyWindow(*Pages[i].Window);
    DestroyWindow(JumpDialog);
    PostQuitMessage(0);
}

// Dialog units of the button column, from the top of the page area.
struct TButtonPlace {
    int Id;
    int Top;
    int Bottom;
};
static const TButtonPlace ButtonColumn[] = {
    {IDC_SEARCH, 0, 14},
    {IDC_ABORT, 18, 32},
    {IDC_NEW, 40, 54},
    {IDC_HISTORY, 58, 72},
};

// The tab control and the pages stretch with the width; the buttons and the label keep to the
// right edge; the status bar keeps to the bottom; only the list grows in both directions.
void LayoutMainWindow(WPARAM wParam, LPARAM lParam)
{
    PlaceControl(MainWindow, IDC_TAB, {4, 4, -58, 127}, true);

    RECT pageArea;
    GetClientRect(TabControl, &pageArea);
    SendMessage(TabControl, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&pageArea));
    MapWindowPoints(TabControl, MainWindow, reinterpret_cast<POINT*>(&pageArea), 2);
    for (const TPage& page : Pages)
        MoveWindowRect(*page.Window, pageArea, true);

    int top = PixelsToDluY(MainWindow, pageArea.top);
    for (const TButtonPlace& button : ButtonColumn)
        PlaceControl(MainWindow, button.Id, {-54, top + button.Top, -4, top + button.Bottom}, true);
    PlaceControl(MainWindow, IDC_LISTLABEL, {-54, 121, -4, 131}, true);

    SendMessage(StatusBar, WM_SIZE, wParam, lParam);
    RECT status;
    GetClientRect(StatusBar, &status);
    int parts[3];
    parts[0] = status.right - DluToPixelsX(MainWindow, 100);
    parts[1] = parts[0] + DluToPixelsX(MainWindow, 50);
    parts[2] = parts[1] + DluToPixelsX(MainWindow, 50);
    SendMessage(StatusBar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));

    RECT progress;
    SendMessage(StatusBar, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&progress));
    MapWindowPoints(StatusBar, MainWindow, reinterpret_cast<POINT*>(&progress), 2);
    MoveWindowRect(ProgressBar, progress, false);
    RedrawWindow(ProgressBar, nullptr, nullptr, RDW_INVALIDATE);

    RECT statusRect;
    GetChildRect(StatusBar, &statusRect);
    RECT list = {statusRect.left, DluToPixelsY(MainWindow, 131), statusRect.right, statusRect.top};
    MoveWindowRect(ResultList, list, true);
}

void ShowSelectedPage()
{
    int selected = static_cast<int>(SendMessage(TabControl, TCM_GETCURSEL, 0, 0));
    for (const TPage& page : Pages)
        ShowWindow(*page.Window, SW_HIDE);
    if (selected < 0 || selected >= PageCount)
        return;
    HWND page = *Pages[selected].Window;
    ShowWindow(page, SW_SHOW);
    // A click on the tab control leaves the focus there; any other change moves it into the page.
    if (GetFocus() != TabControl) {
        HWND first = GetNextDlgTabItem(page, nullptr, FALSE);
        PostMessage(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    }
}

// While the list has the focus, Enter jumps to the selected hit instead of searching.
static void MoveDefaultButton(bool toList)
{
    SendMessage(MainWindow, DM_SETDEFID, toList ? IDC_RESULTLIST : IDC_SEARCH, 0);
    SendMessage(SearchButton, BM_SETSTYLE, toList ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON, TRUE);
}

static void OnNotify(const NMHDR* header)
{
    if (header->idFrom == IDC_TAB) {
        if (header->code == TCN_SELCHANGE)
            ShowSelectedPage();
        return;
    }
    if (header->idFrom != IDC_RESULTLIST)
        return;
    switch (header->code) {
    case NM_SETFOCUS:
        MoveDefaultButton(true);
        break;
    case NM_KILLFOCUS:
        MoveDefaultButton(false);
        break;
    case LVN_COLUMNCLICK:
        SortByColumn(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
        break;
    case NM_DBLCLK:
        JumpToSelectedResult();
        break;
    }
}

// An etched line under the menu bar.
static void PaintMainWindow(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    DrawEdge(dc, &client, EDGE_ETCHED, BF_TOP);
    EndPaint(window, &paint);
}

void SetStatusText(int part, const TString& text)
{
    SendMessage(StatusBar, SB_SETTEXT, part, reinterpret_cast<LPARAM>(text.c_str()));
}

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(window);
        break;
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_CLOSE:
        DestroyWindow(window);
        break;
    case WM_SIZE:
        LayoutMainWindow(wParam, lParam);
        break;
    case WM_GETMINMAXINFO:
        if (MinTrackSize.cx > 0)
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {MinTrackSize.cx, MinTrackSize.cy};
        break;
    case WM_PAINT:
        PaintMainWindow(window);
        break;
    case WM_NOTIFY:
        OnNotify(reinterpret_cast<const NMHDR*>(lParam));
        break;
    case WM_COMMAND:
        OnMainCommand(LOWORD(wParam));
        break;
    case WM_INITMENUPOPUP:
        UpdateMenuItems(reinterpret_cast<HMENU>(wParam));
        break;
    }
    return FALSE;
}
