// The fixture of the end-to-end tests and their main program.
#include "KeyfinchFixture.h"

#include <cwchar>

std::wstring ProgramPath;
std::wstring WorkRoot;
std::wstring StandInPath;
std::wstring StandIn32Path;
bool ProgramIsAnsi = false;

static const wchar_t* const TestRoot = L"Software\\KeyfinchTest\\E2E";

// The pages are child dialogs of the main window; each is known by a control only it has.
static HWND FindPage(HWND main, int controlId)
{
    for (HWND child = GetWindow(main, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassName(child) == L"#32770" && GetDlgItem(child, controlId) != nullptr)
            return child;
    }
    return nullptr;
}

void TKeyfinch::SetUp()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    TestKey = std::wstring(TestRoot) + L"\\" + std::wstring(name.begin(), name.end());
    DeleteTree(TestKey);
    ASSERT_TRUE(CreateKey(TestKey));
}

void TKeyfinch::TearDown()
{
    if (HasFailure()) {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "." + info->name();
        SaveScreenshotForFailure(std::wstring(name.begin(), name.end()));
    }
    if (App.Process != nullptr) {
        // A box left open would keep the program from closing.
        HWND box;
        for (int tries = 0; tries < 5 && (box = FindMessageBox(App.ProcessId)) != nullptr; ++tries)
            AnswerMessageBox(box);
        CloseApp(App);
    }
    if (!TestKey.empty())
        DeleteTree(TestKey);
}

bool TKeyfinch::Start()
{
    if (!PrepareApp(ProgramPath, WorkRoot, App))
        return false;
    if (StandInBeside && !PlaceStandInEditor(StandInPath, App.Folder, StandInWords)) {
        ADD_FAILURE() << "cannot place the stand-in editor beside the program";
        return false;
    }
    return Launch();
}

bool TKeyfinch::Restart()
{
    if (!CloseApp(App))
        ADD_FAILURE() << "the program did not end by itself";
    return Launch();
}

bool TKeyfinch::Launch()
{
    if (!RunApp(App, nullptr))
        return false;
    WaitUntil([this] {
        App.Main = FindTopWindow(App.ProcessId, L"KeyfinchMain");
        return App.Main != nullptr || WaitForSingleObject(App.Process, 0) == WAIT_OBJECT_0;
    }, 20000);
    if (App.Main == nullptr) {
        DWORD exitCode = 0;
        GetExitCodeProcess(App.Process, &exitCode);
        ADD_FAILURE() << "no main window; the program's exit code is 0x" << std::hex << exitCode;
        return false;
    }
    return FindWindows();
}

bool TKeyfinch::FindWindows()
{
    WaitForInputIdle(App.Process, 10000);
    Main = App.Main;
    Tab = GetDlgItem(Main, 100);
    SearchButton = GetDlgItem(Main, 101);
    AbortButton = GetDlgItem(Main, 102);
    NewButton = GetDlgItem(Main, 103);
    HistoryButton = GetDlgItem(Main, 104);
    List = GetDlgItem(Main, 106);
    Status = GetDlgItem(Main, 107);
    Progress = GetDlgItem(Main, 108);
    DatePage = FindPage(Main, 400);
    LocationPage = FindPage(Main, 204);
    StringPage = FindPage(Main, 106);
    return Tab && List && Status && StringPage && LocationPage && (DatePage != nullptr) != ProgramIsAnsi;
}

// Named after the program: the file name with the extension .ini.
std::wstring TKeyfinch::SettingsPath() const
{
    return App.ExePath.substr(0, App.ExePath.find_last_of(L'.')) + L".ini";
}

// The program's profile functions write the file in the ANSI code page.
void TKeyfinch::WriteSettings(const std::string& text) const
{
    FILE* file = _wfopen(SettingsPath().c_str(), L"wb");
    ASSERT_NE(nullptr, file);
    fwrite(text.data(), 1, text.size(), file);
    fclose(file);
}

static std::vector<std::wstring> SettingsFileLines(const std::wstring& path)
{
    std::vector<std::wstring> lines;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr)
        return lines;
    std::string bytes;
    char chunk[4096];
    size_t read;
    while ((read = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, read);
    fclose(file);
    std::wstring text(bytes.size(), L'\0');
    text.resize(MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0],
                                    static_cast<int>(text.size())));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<std::wstring> TKeyfinch::SettingsSections() const
{
    std::vector<std::wstring> sections;
    for (const std::wstring& line : SettingsFileLines(SettingsPath())) {
        if (line.size() >= 2 && line.front() == L'[' && line.back() == L']')
            sections.push_back(line.substr(1, line.size() - 2));
    }
    return sections;
}

std::vector<std::wstring> TKeyfinch::SettingsLines(const std::wstring& section) const
{
    std::vector<std::wstring> lines;
    bool inside = false;
    for (const std::wstring& line : SettingsFileLines(SettingsPath())) {
        if (line.size() >= 2 && line.front() == L'[' && line.back() == L']')
            inside = line == L"[" + section + L"]";
        else if (inside)
            lines.push_back(line);
    }
    return lines;
}

void TKeyfinch::ChooseLocation(int radio)
{
    for (int id = 100; id <= 102; ++id)
        SendMessageW(LocationControl(id), BM_SETCHECK, id == radio ? BST_CHECKED : BST_UNCHECKED, 0);
    // What a click on the radio button tells the page, which enables the controls of that choice.
    PostMessageW(LocationPage, WM_COMMAND, MAKEWPARAM(radio, BN_CLICKED),
                 reinterpret_cast<LPARAM>(LocationControl(radio)));
}

void TKeyfinch::LookIn(const std::wstring& key, bool subkeys)
{
    ChooseLocation(102);
    SetComboEditText(LocationControl(302), L"HKCU\\" + key);
    SendMessageW(LocationControl(300), BM_SETCHECK, subkeys ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TKeyfinch::PressSearch(const std::wstring& text)
{
    SetComboEditText(StringControl(100), text);
    ClickButton(SearchButton);
}

static bool EndsWith(const std::wstring& text, const std::wstring& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool TKeyfinch::WaitForSearchEnd(DWORD timeoutMs) const
{
    // The search button comes back before the texts are written.
    return WaitUntil([this] { return IsEnabled(SearchButton) && EndsWith(StatusPart(0), L" 個の項目が見つかりました。") &&
                                     !StatusPart(1).empty(); },
                     timeoutMs);
}

// A message whose text must lie in the program's own memory.
static void SendRemoteText(HANDLE process, HWND window, UINT message, WPARAM wParam, const std::wstring& text)
{
    SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    void* remote = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
    if (remote == nullptr)
        return;
    WriteProcessMemory(process, remote, text.c_str(), bytes, nullptr);
    SendMessageW(window, message, wParam, reinterpret_cast<LPARAM>(remote));
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
}

bool TKeyfinch::Search(const std::wstring& text)
{
    // Only the end of a search writes the elapsed time, so its empty part marks the search as new.
    SendRemoteText(App.Process, Status, SB_SETTEXTW, 1, L"");
    PressSearch(text);
    return WaitForSearchEnd();
}

std::wstring TKeyfinch::AnswerWarning()
{
    HWND box = WaitForMessageBox(App.ProcessId, 10000, Main);
    if (box == nullptr)
        return L"(no message box)";
    std::wstring text = MessageBoxText(box);
    EXPECT_EQ(L"Keyfinch", MessageBoxTitle(box));
    EXPECT_EQ(IDI_WARNING, MessageBoxIcon(box));  // resource ordinals, compared as pointers
    AnswerMessageBox(box);
    return text;
}

void TKeyfinch::Screenshot(const std::wstring& name) const
{
    // A picture to look at, not a state to test: give the program time to paint what it just
    // changed (glyphs drawn for the first time are slow under Wine).
    if (App.Process != nullptr)
        WaitForInputIdle(App.Process, 5000);
    Sleep(1500);
    CreateDirectoryW((WorkRoot + L"\\screenshots").c_str(), nullptr);
    SaveScreenshot(WorkRoot + L"\\screenshots\\" + name + L".bmp");
}

std::wstring LocalTimeText(const FILETIME& utc)
{
    FILETIME local;
    SYSTEMTIME time;
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &time);
    wchar_t text[64];
    swprintf(text, 64, L"%04d/%02d/%02d %02d:%02d:%02d", time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute,
             time.wSecond);
    return text;
}

// --program=<KeyfinchNT.exe> --work=<folder for the copies, screenshots and settings files>
// [--standin=<the stand-in regedit.exe>] [--standin32=<a 32-bit one>] [--ansi: the program is the ANSI Keyfinch.exe]
int wmain(int argc, wchar_t** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        std::wstring argument = argv[i];
        if (argument.compare(0, 10, L"--program=") == 0)
            ProgramPath = argument.substr(10);
        else if (argument.compare(0, 7, L"--work=") == 0)
            WorkRoot = argument.substr(7);
        else if (argument.compare(0, 10, L"--standin=") == 0)
            StandInPath = argument.substr(10);
        else if (argument.compare(0, 12, L"--standin32=") == 0)
            StandIn32Path = argument.substr(12);
        else if (argument == L"--ansi")
            ProgramIsAnsi = true;
    }
    if (ProgramPath.empty() || WorkRoot.empty()) {
        fwprintf(stderr, L"usage: %ls --program=KeyfinchNT.exe --work=folder [gtest options]\n", argv[0]);
        return 2;
    }
    CreateDirectoryW(WorkRoot.c_str(), nullptr);
    SetScreenshotFolder(WorkRoot);
    int result = RUN_ALL_TESTS();
    DeleteTree(TestRoot);
    return result;
}
