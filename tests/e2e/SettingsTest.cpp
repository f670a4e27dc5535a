// The settings file beside the program: what a first run starts with, what an exit writes, what
// the next start brings back, and damaged files.
#include <algorithm>
#include <cwctype>

#include "JumpFixture.h"

namespace {

typedef std::vector<std::wstring> TLines;

// The key of each key=value line.
TLines Keys(const TLines& lines)
{
    TLines keys;
    for (const std::wstring& line : lines)
        keys.push_back(line.substr(0, line.find(L'=')));
    return keys;
}

std::wstring ValueOf(const TLines& lines, const std::wstring& key)
{
    for (const std::wstring& line : lines) {
        if (line.compare(0, key.size() + 1, key + L"=") == 0)
            return line.substr(key.size() + 1);
    }
    return L"(missing)";
}

bool IsDateTimeText(const std::wstring& text)
{
    const std::wstring shape = L"9999/99/99 99:99:99";
    if (text.size() != shape.size())
        return false;
    for (size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == L'9' ? !iswdigit(text[i]) : text[i] != shape[i])
            return false;
    }
    return true;
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

}  // namespace

class SettingsTest : public TJumpTest {
protected:
    int ColumnWidth(int column) const { return ListColumnWidth(List, column); }
    bool TopMost() const { return (GetWindowLongW(Dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
    // Prepares the program's folder with this settings file and starts it there.
    bool StartWith(const std::string& settings)
    {
        if (!PrepareApp(ProgramPath, WorkRoot, App))
            return false;
        WriteSettings(settings);
        return Launch();
    }
};

TEST_F(SettingsTest, WithoutAFileEverythingStartsAtItsDefaultAndTheFirstExitWritesEveryKeyInOrder)
{
    ASSERT_TRUE(StartAlone());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(SettingsPath().c_str()));
    for (int id : {102, 103, 104})
        EXPECT_EQ(BST_CHECKED, CheckState(StringControl(id))) << id;
    for (int id : {105, 106})
        EXPECT_EQ(BST_UNCHECKED, CheckState(StringControl(id))) << id;
    for (int id : {100, 200, 201, 202, 203, 204, 300})
        EXPECT_EQ(BST_CHECKED, CheckState(LocationControl(id))) << id;
    for (int id : {200, 300, 102})
        EXPECT_EQ(BST_UNCHECKED, CheckState(DateControl(id))) << id;
    EXPECT_EQ((std::vector<int>{100, 200, 100, 100, 100}),
              (std::vector<int>{ColumnWidth(0), ColumnWidth(1), ColumnWidth(2), ColumnWidth(3), ColumnWidth(4)}));
    EXPECT_EQ(0, TabCurSel(Tab));
    EXPECT_FALSE(IsWindowVisible(Dialog));
    EXPECT_EQ(BST_CHECKED, CheckState(GetDlgItem(Dialog, 101)));
    EXPECT_TRUE(WaitUntil([this] { return TopMost(); }));
    SYSTEMTIME now, shown;
    GetLocalTime(&now);
    ASSERT_EQ(GDT_VALID, DateTimeValue(App.Process, DateControl(201), shown));
    EXPECT_EQ(now.wYear * 10000 + now.wMonth * 100 + now.wDay, shown.wYear * 10000 + shown.wMonth * 100 + shown.wDay);

    ASSERT_TRUE(CloseApp(App));
    EXPECT_EQ((TLines{L"Placement", L"String", L"Location", L"Time", L"Columns", L"History", L"Specify", L"Other"}),
              SettingsSections());
    EXPECT_EQ((TLines{L"Left", L"Top", L"Right", L"Bottom", L"Maximized"}), Keys(SettingsLines(L"Placement")));
    EXPECT_EQ((TLines{L"Key=1", L"Value=1", L"Data=1", L"WholeWord=0", L"MatchCase=0", L"SubStringMaxCount=5",
                      L"SubStringCount=0", L"SubString="}),
              SettingsLines(L"String"));
    EXPECT_EQ((TLines{L"Type=0", L"HKCR=1", L"HKCU=1", L"HKLM=1", L"HKU=1", L"HKCC=1", L"SubKey=1",
                      L"KeyNameMaxCount=5", L"KeyNameCount=0", L"KeyName="}),
              SettingsLines(L"Location"));
    const TLines time = SettingsLines(L"Time");
    EXPECT_EQ((TLines{L"After", L"AfterDateTime", L"Before", L"BeforeDateTime", L"Time"}), Keys(time));
    EXPECT_TRUE(IsDateTimeText(ValueOf(time, L"AfterDateTime"))) << Narrow(ValueOf(time, L"AfterDateTime"));
    EXPECT_EQ((TLines{L"Name=100", L"Location=200", L"Data=100", L"Type=100", L"Time=100"}), SettingsLines(L"Columns"));
    EXPECT_EQ((TLines{L"MaxCount=20", L"Count=0"}), SettingsLines(L"History"));
    const TLines specify = SettingsLines(L"Specify");
    EXPECT_EQ((TLines{L"Left", L"Top", L"Right", L"Bottom", L"KeyName", L"TopMost", L"Visible"}), Keys(specify));
    EXPECT_EQ(L"1", ValueOf(specify, L"TopMost"));
    EXPECT_EQ(L"0", ValueOf(specify, L"Visible"));
    EXPECT_EQ((TLines{L"Page=0", L"AllKeyCount=0"}), SettingsLines(L"Other"));
}

TEST_F(SettingsTest, TheStringSectionAfterASearchHoldsExactlyItsKeysAndOtherSectionsStay)
{
    ASSERT_TRUE(StartWith("[Mine]\r\nKept=yes\r\n[String]\r\nSubString9=stale\r\n"));
    ASSERT_TRUE(SearchIn(TestKey, L"xyz"));
    ASSERT_TRUE(Search(L"abc"));
    ASSERT_TRUE(CloseApp(App));
    EXPECT_EQ((TLines{L"Key=1", L"Value=1", L"Data=1", L"WholeWord=0", L"MatchCase=0", L"SubStringMaxCount=5",
                      L"SubStringCount=2", L"SubString=abc", L"SubString1=abc", L"SubString2=xyz"}),
              SettingsLines(L"String"));
    EXPECT_EQ(TLines{L"Kept=yes"}, SettingsLines(L"Mine"));
    EXPECT_EQ(L"Mine", SettingsSections().front()) << "a section of its own moves behind the program's";
}

TEST_F(SettingsTest, AHistoryIsCutToItsSizeOnlyInTheFileAndSizeZeroWritesNone)
{
    std::string settings = "[String]\r\nSubStringMaxCount=10\r\nSubStringCount=8\r\n";
    for (int i = 1; i <= 8; ++i)
        settings += "SubString" + std::to_string(i) + "=text" + std::to_string(i) + "\r\n";
    settings += "[Location]\r\nKeyNameMaxCount=0\r\nKeyNameCount=1\r\nKeyName1=HKCU\\Ignored\r\n";
    ASSERT_TRUE(StartWith(settings));
    ASSERT_EQ(8u, ComboItems(StringControl(100)).size());
    EXPECT_TRUE(ComboItems(LocationControl(302)).empty()) << "size 0 reads nothing back";

    // A smaller size leaves the list as it is during the run; size 0 still keeps a history.
    PostMessageW(Main, WM_COMMAND, 231, 0);
    HWND options = WaitForTopWindow(App.ProcessId, L"#32770", L"オプション", 10000);
    ASSERT_NE(nullptr, options);
    SetWindowTextW(GetDlgItem(options, 200), L"5");
    ClickButton(GetDlgItem(options, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(options); }));
    EXPECT_EQ(8u, ComboItems(StringControl(100)).size());
    ASSERT_TRUE(SearchIn(TestKey, L"new"));
    EXPECT_EQ(1u, ComboItems(LocationControl(302)).size());

    ASSERT_TRUE(CloseApp(App));
    const TLines string = SettingsLines(L"String");
    EXPECT_EQ((TLines{L"SubStringCount=5", L"SubString=new", L"SubString1=new", L"SubString2=text1",
                      L"SubString3=text2", L"SubString4=text3", L"SubString5=text4"}),
              TLines(string.begin() + 6, string.end()));
    const TLines location = SettingsLines(L"Location");
    EXPECT_EQ((TLines{L"KeyNameMaxCount=0", L"KeyNameCount=0", L"KeyName=HKCU\\" + TestKey}),
              TLines(location.begin() + 7, location.end()));
}

TEST_F(SettingsTest, TheJumpHistoryKeepsItsNewestEntriesAndOnlyKeysReachTheDialog)
{
    ASSERT_TRUE(CreateKey(TestKey + L"\\Newest"));
    std::string settings = "[History]\r\nMaxCount=20\r\nCount=30\r\n";
    // Entry 1 is the newest; every third one names a value.
    for (int i = 1; i <= 30; ++i)
        settings += "KeyName" + std::to_string(i) + "=HKCU\\K" + std::to_string(i) + "\r\nValueName" +
                    std::to_string(i) + "=" + (i % 3 == 0 ? "v" + std::to_string(i) : "") + "\r\n";
    StandInBeside = true;
    ASSERT_TRUE(PrepareApp(ProgramPath, WorkRoot, App));
    ASSERT_TRUE(PlaceStandInEditor(StandInPath, App.Folder));
    WriteSettings(settings);
    ASSERT_TRUE(Launch());
    const TLines items = ComboItems(Combo);
    ASSERT_EQ(20u, items.size());
    EXPECT_EQ(L"HKCU\\K1", items.front());
    EXPECT_EQ(L"HKCU\\K2", items[1]);
    EXPECT_EQ(L"HKCU\\K4", items[2]);
    EXPECT_EQ(L"HKCU\\K29", items.back());

    JumpByDialog(Key(L"Newest"));
    ASSERT_TRUE(WaitForComboTop(Key(L"Newest")));
    ASSERT_TRUE(CloseApp(App));
    const TLines history = SettingsLines(L"History");
    ASSERT_EQ(42u, history.size());
    EXPECT_EQ((TLines{L"MaxCount=20", L"Count=20", L"KeyName1=" + Key(L"Newest"), L"ValueName1=", L"KeyName2=HKCU\\K1",
                      L"ValueName2=", L"KeyName3=HKCU\\K2", L"ValueName3=", L"KeyName4=HKCU\\K3", L"ValueName4=v3"}),
              TLines(history.begin(), history.begin() + 10));
    EXPECT_EQ(L"KeyName20=HKCU\\K19", history[40]);
}

TEST_F(SettingsTest, TheWindowReopensWhereItWasAndMaximizedOverItsNormalRectangle)
{
    ASSERT_TRUE(StartAlone());
    const RECT start = WindowRect(Main);
    SetWindowPos(Main, nullptr, 40, 30, start.right - start.left + 60, start.bottom - start.top + 20,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitUntil([this] { return WindowRect(Main).left == 40; }));
    const RECT normal = WindowRect(Main);
    ASSERT_TRUE(Restart());
    RECT reopened = WindowRect(Main);
    EXPECT_TRUE(EqualRect(&normal, &reopened));
    EXPECT_FALSE(IsZoomed(Main));

    // (A window that starts maximized is not restored here: without a window manager the layer
    // maximizes it again at once.)
    PostMessageW(Main, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ASSERT_TRUE(WaitUntil([this] { return IsZoomed(Main) != FALSE; }));
    ASSERT_TRUE(Restart());
    EXPECT_TRUE(WaitUntil([this] { return IsZoomed(Main) != FALSE; }));
    WINDOWPLACEMENT placement = {sizeof placement, 0, 0, {}, {}, {}};
    GetWindowPlacement(Main, &placement);
    EXPECT_TRUE(EqualRect(&normal, &placement.rcNormalPosition));
    EXPECT_EQ(L"1", ValueOf(SettingsLines(L"Placement"), L"Maximized"));
}

TEST_F(SettingsTest, TheJumpDialogThePageTheWidthsAndTheKeyCountComeBack)
{
    ASSERT_TRUE(StartWithStandIn());
    ASSERT_TRUE(ShowDialog());
    RECT rect = WindowRect(Dialog);
    MoveWindow(Dialog, 300, 500, rect.right - rect.left + 80, rect.bottom - rect.top, TRUE);
    SetComboEditText(Combo, L"HKLM\\Typed");
    ClickButton(GetDlgItem(Dialog, 101));
    ASSERT_TRUE(WaitUntil([this] { return !TopMost(); }));
    ASSERT_TRUE(ClickTab(App.Process, Tab, 2));
    SendMessageW(List, LVM_SETCOLUMNWIDTH, 1, 321);
    SendMessageW(List, LVM_SETCOLUMNWIDTH, 4, 0);
    const RECT moved = WindowRect(Dialog);

    ASSERT_TRUE(Restart());
    EXPECT_TRUE(WaitUntil([this] { return IsWindowVisible(Dialog) != FALSE; }));
    EXPECT_EQ(moved.left, WindowRect(Dialog).left);
    EXPECT_EQ(moved.top, WindowRect(Dialog).top);
    EXPECT_EQ(moved.right, WindowRect(Dialog).right);
    EXPECT_EQ(L"HKLM\\Typed", WindowText(Combo));
    EXPECT_EQ(BST_UNCHECKED, CheckState(GetDlgItem(Dialog, 101)));
    EXPECT_FALSE(TopMost());
    EXPECT_EQ(2, TabCurSel(Tab));
    EXPECT_TRUE(IsVisible(DatePage));
    EXPECT_EQ(321, ColumnWidth(1));
    EXPECT_EQ(0, ColumnWidth(4));

    // The dialog is not restored narrower or taller than it was made.
    ASSERT_TRUE(CloseApp(App));
    WriteSettings("[Specify]\r\nLeft=10\r\nTop=10\r\nRight=40\r\nBottom=900\r\n");
    ASSERT_TRUE(Launch());
    RECT limited = WindowRect(Dialog);
    EXPECT_EQ(rect.right - rect.left, limited.right - limited.left);
    EXPECT_EQ(rect.bottom - rect.top, limited.bottom - limited.top);
}

// Files a person may have edited by hand or copied from elsewhere: each loads without harm, and
// what it holds besides the damage still counts (every file sets the type column's width).
TEST_F(SettingsTest, DamagedFilesLoadWithoutHarmAndTheRestOfThemStillCounts)
{
    const std::string longLine(100000, 'x');
    const std::string text300(300, 'y');
    struct TCase {
        const char* Name;
        std::string Text;
        std::function<void()> Check;
    };
    const TCase cases[] = {
        {"huge jump count", "[History]\r\nCount=2147483647\r\nKeyName1=HKCU\\Software\r\n",
         [&] { EXPECT_EQ(TLines{L"HKCU\\Software"}, ComboItems(Combo)); }},
        {"huge sizes and counts",
         "[String]\r\nSubStringMaxCount=2147483647\r\nSubStringCount=2147483647\r\nSubString2=two\r\n"
         "[Location]\r\nKeyNameMaxCount=-7\r\nKeyNameCount=3\r\nKeyName1=HKCU\r\n",
         [&] {
             EXPECT_EQ(TLines{L"two"}, ComboItems(StringControl(100)));
             EXPECT_TRUE(ComboItems(LocationControl(302)).empty());
         }},
        {"absurd widths", "[Columns]\r\nName=-1\r\nLocation=99999999\r\nData=250\r\nType=77\r\n",
         [&] {
             EXPECT_EQ(100, ColumnWidth(0));
             EXPECT_EQ(200, ColumnWidth(1));
             EXPECT_EQ(250, ColumnWidth(2));
         }},
        {"page and type out of range", "[Other]\r\nPage=7\r\n[Location]\r\nType=5\r\n",
         [&] {
             EXPECT_EQ(0, TabCurSel(Tab));
             EXPECT_TRUE(IsVisible(StringPage));
             for (int id : {100, 101, 102})
                 EXPECT_EQ(BST_UNCHECKED, CheckState(LocationControl(id))) << id;
         }},
        {"dates that do not parse", "[Time]\r\nAfter=1\r\nAfterDateTime=2023/02/29 25:00:00\r\n"
                                    "BeforeDateTime=garbage\r\n",
         [&] {
             SYSTEMTIME now, shown;
             GetLocalTime(&now);
             EXPECT_EQ(BST_CHECKED, CheckState(DateControl(200)));
             ASSERT_EQ(GDT_VALID, DateTimeValue(App.Process, DateControl(201), shown));
             EXPECT_EQ(now.wYear, shown.wYear);
             EXPECT_EQ(now.wDay, shown.wDay);
         }},
        {"long texts", "[String]\r\nSubString=" + text300 + "\r\n[Specify]\r\nKeyName=" + longLine + "\r\n",
         [&] {
             EXPECT_EQ(std::wstring(260, L'y'), WindowText(StringControl(100)));
             EXPECT_EQ(260u, WindowText(Combo).size());
         }},
        {"placements off every screen", "[Placement]\r\nLeft=-100000\r\nTop=-100000\r\nRight=-99000\r\nBottom=-99500\r\n"
                                        "[Specify]\r\nLeft=50\r\nTop=50\r\nRight=10\r\nBottom=10\r\n",
         [&] {
             RECT main = WindowRect(Main), screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
             RECT overlap;
             EXPECT_TRUE(IntersectRect(&overlap, &main, &screen));
             EXPECT_GT(WindowRect(Dialog).right, WindowRect(Dialog).left);
         }},
        // (No byte-order mark: with one the system reads the file as UTF-16.)
        {"binary noise", std::string("\x01\x00\x02[[[=\r\n\x80\x81\x82=\x83\r\n=\r\n[]\r\n\x1A", 24), [] {}},
        {"lines without sections or equals signs", "Count=99\r\nno equals sign here\r\n" + longLine + "\r\n", [] {}},
    };
    const TLines programSections = {L"Placement", L"String", L"Location", L"Time",
                                    L"Columns", L"History", L"Specify", L"Other"};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ASSERT_TRUE(PrepareApp(ProgramPath, WorkRoot, App));
        // A second section of the same name would not be read.
        WriteSettings(c.Text.find("[Columns]") == std::string::npos ? c.Text + "\r\n[Columns]\r\nType=77\r\n" : c.Text);
        ASSERT_TRUE(Launch());
        c.Check();
        EXPECT_EQ(77, ColumnWidth(3));
        ASSERT_TRUE(CloseApp(App)) << "did not end by itself";
        const TLines sections = SettingsSections();
        ASSERT_GE(sections.size(), programSections.size());
        EXPECT_EQ(programSections, TLines(sections.end() - programSections.size(), sections.end()));
    }
}
