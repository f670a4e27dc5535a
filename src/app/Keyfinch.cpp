// The program entry: the checks before any window exists, the two window classes, the main
// window and the one message loop.
#include <windows.h>
#include <commctrl.h>
#include "DialogHelpers.h"
#include "KeyfinchJump.h"
#include "KeyfinchMain.h"
#include "Resource.h"

TString& DefaultValueLabel = *new TString;
HACCEL MainAccelerators;
int MainShowCommand = SW_SHOWNORMAL;
bool JumpDialogVisible;

#if !defined(KEYFINCH_ANSI)
// Shown through the ANSI entry point, which every Windows has, so its bytes are Shift-JIS:
// "この実行可能ファイルはUnicode版です。\r\nNT系のWindowsで実行してください。"
static const char UnicodeOnlyText[] = {
    '\x82', '\xB1', '\x82', '\xCC', '\x8E', '\xC0', '\x8D', '\x73', '\x89', '\xC2', '\x94', '\x5C', '\x83', '\x74',
    '\x83', '\x40', '\x83', '\x43', '\x83', '\x8B', '\x82', '\xCD', 'U',    'n',    'i',    'c',    'o',    'd',
    'e',    '\x94', '\xC5', '\x82', '\xC5', '\x82', '\xB7', '\x81', '\x42', '\r',   '\n',   'N',    'T',    '\x8C',
    '\x6E', '\x82', '\xCC', 'W',    'i',    'n',    'd',    'o',    'w',    's',    '\x82', '\xC5', '\x8E', '\xC0',
    '\x8D', '\x73', '\x82', '\xB5', '\x82', '\xC4', '\x82', '\xAD', '\x82', '\xBE', '\x82', '\xB3', '\x82', '\xA2',
    '\x81', '\x42', '\0'};
#endif

static void InitCommonControlClasses()
{
    InitCommonControls();
    typedef BOOL(WINAPI * TInitCommonControlsEx)(const INITCOMMONCONTROLSEX*);
    HMODULE comctl = GetModuleHandle(KT("comctl32.dll"));
    auto initEx = comctl ? reinterpret_cast<TInitCommonControlsEx>(
                               reinterpret_cast<void*>(GetProcAddress(comctl, "InitCommonControlsEx")))
                         : nullptr;
    if (initEx != nullptr) {
        INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_DATE_CLASSES};
        initEx(&classes);
    }
}

// Both classes are the system dialog class under the program's name and icon.
static void RegisterDialogClass(HINSTANCE instance, const KChar* name, const KChar* icon)
{
    WNDCLASS windowClass = {};
    GetClassInfo(nullptr, MAKEINTRESOURCE(0x8002), &windowClass);
    windowClass.hInstance = instance;
    windowClass.lpszClassName = name;
    windowClass.hIcon = LoadIcon(instance, icon);
    RegisterClass(&windowClass);
}

// Ctrl+Tab and Ctrl+Shift+Tab switch the pages, wrapping around, wherever the focus is.
static bool TabKeyFilter(HWND tab, const MSG& message)
{
    if (message.message != WM_KEYDOWN || message.wParam != VK_TAB || !(GetKeyState(VK_CONTROL) & 0x8000))
        return false;
    int index = static_cast<int>(SendMessage(tab, TCM_GETCURSEL, 0, 0));
    int count = static_cast<int>(SendMessage(tab, TCM_GETITEMCOUNT, 0, 0));
    index += (GetKeyState(VK_SHIFT) & 0x8000) ? -1 : 1;
    if (index < 0)
        index = count - 1;
    if (index > count - 1)
        index = 0;
    SelectTabPage(tab, index);
    return true;
}

static int RunMessageLoop()
{
    MSG message;
    // GetMessage gives -1 only for an invalid argument; it ends the loop instead of spinning.
    while (GetMessage(&message, nullptr, 0, 0) > 0) {
        if (JumpDialog != nullptr && IsDialogMessage(JumpDialog, &message))
            continue;
        if (TranslateAccelerator(MainWindow, MainAccelerators, &message))
            continue;
        if (TabKeyFilter(TabControl, message))
            continue;
        if (IsDialogMessage(MainWindow, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessage(&message);
    }
    return static_cast<int>(message.wParam);
}

#if defined(KEYFINCH_ANSI)
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
#else
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
#endif
{
#if !defined(KEYFINCH_ANSI)
    if (PlatformId() != VER_PLATFORM_WIN32_NT) {
        MessageBoxA(nullptr, UnicodeOnlyText, "Keyfinch", MB_ICONHAND | MB_OK);
        return 1;
    }
#endif
    DefaultValueLabel = WindowsVersion() >= 0x0501 ? KT("(既定)") : KT("(標準)");

    InitRemoteMemory();
    InitCommonControlClasses();
    RegisterDialogClass(instance, KT("KeyfinchMain"), KT("MAINICON"));
    RegisterDialogClass(instance, KT("KeyfinchSpec"), MAKEINTRESOURCE(IDI_JUMP));

    if (CreateDialogFromTemplate(instance, IDD_MAIN, nullptr, MainDialogProc) == nullptr)
        return 1;
    MainAccelerators = LoadAccelerators(instance, MAKEINTRESOURCE(IDA_MAIN));
    ShowWindow(MainWindow, MainShowCommand);
    if (JumpDialogVisible)
        ShowJumpDialog();
    return RunMessageLoop();
}
