// The ANSI program Keyfinch.exe (run with --ansi, in the Japanese code page 932): names whose
// double-byte characters have a trail byte that looks like a backslash or a Latin letter, and
// what it leaves out (the date page, the time column, the time settings).
#include "JumpFixture.h"

namespace {

// ソ is 0x83 0x5C in code page 932, the second byte a backslash; ア is 0x83 0x41, an "A".
const std::wstring So = L"Aソ";

}  // namespace

class AnsiTest : public TJumpTest {
protected:
    void SetUp() override
    {
        if (!ProgramIsAnsi)
            GTEST_SKIP() << "for the ANSI program (--ansi)";
        TJumpTest::SetUp();
    }
};

TEST_F(AnsiTest, ANameWithABackslashTrailByteStaysWholeInListClipboardJumpAndHistory)
{
    ASSERT_TRUE(CreateKey(TestKey + L"\\" + So + L"\\Child"));
    ASSERT_TRUE(StartWithStandIn());
    ASSERT_TRUE(SearchIn(TestKey, L"Child"));
    ASSERT_EQ((TRows{{L"Child", Key(So), L"", L"(キー)"}}), Rows());

    ASSERT_TRUE(Activate(Main));
    ASSERT_TRUE(ClickListRow(App.Process, List, 0));
    SendKey('C', true);
    EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == LongKey(So + L"\\Child"); }, 5000)) << "copied a cut path";

    JumpToRow(0);
    EXPECT_TRUE(WaitForEditorKey(LongKey(So + L"\\Child")));
    ClickButton(HistoryButton);
    ASSERT_TRUE(WaitUntil([this] { return StatusPart(0) == L"1 個の履歴があります。"; }));
    EXPECT_EQ((TRows{{L"Child", Key(So), L"", L"(キー)"}}), Rows());

    // Typed into the jump dialog, the name is not cut either, and the key-name history keeps it.
    JumpByDialog(Key(So));
    EXPECT_TRUE(WaitForComboTop(Key(So)));
    EXPECT_TRUE(WaitForEditorKey(LongKey(So)));
    LookIn(TestKey + L"\\" + So);
    ASSERT_TRUE(Search(L"Child"));
    EXPECT_EQ(Key(So), ComboItems(LocationControl(302)).at(0));
}

TEST_F(AnsiTest, AValueIsSelectedThroughAnsiRecordsAlsoUnderItsLabel)
{
    const std::wstring key = TestKey + L"\\" + So;
    ASSERT_TRUE(SetStringValue(key, L"", L"payload"));
    ASSERT_TRUE(SetStringValue(key, L"ソース", L"payload"));
    ASSERT_TRUE(StartWithStandIn(L"nested"));
    ASSERT_TRUE(SearchIn(TestKey, L"payload"));
    ASSERT_EQ((std::vector<std::wstring>{L"(既定)", L"ソース"}), Column(0));
    JumpToRow(1);
    ASSERT_TRUE(WaitForEditorKey(LongKey(So)));
    EXPECT_TRUE(WaitForValueStates({L"(既定)", L"ソース S F"}));
    JumpToRow(0);
    EXPECT_TRUE(WaitForValueStates({L"(既定) S F", L"ソース"}));
}

TEST_F(AnsiTest, ALatinTextDoesNotMatchFromATrailByteAndIgnoresCase)
{
    ASSERT_TRUE(SetStringValue(TestKey, L"split", L"アB"));  // bytes 83 41 42: "AB" from the trail byte
    ASSERT_TRUE(SetStringValue(TestKey, L"lower", L"zabcz"));
    ASSERT_TRUE(SetStringValue(TestKey, L"upper", L"ZABCZ"));
    ASSERT_TRUE(SetStringValue(TestKey, L"after", L"アAB"));  // the second A starts a character
    ASSERT_TRUE(StartAlone());
    ASSERT_TRUE(SearchIn(TestKey, L"AB"));
    EXPECT_EQ((std::vector<std::wstring>{L"after", L"lower", L"upper"}), Column(0));
    ASSERT_TRUE(Search(L"abc"));
    EXPECT_EQ((std::vector<std::wstring>{L"lower", L"upper"}), Column(0));
}

TEST_F(AnsiTest, ItHasNoDatePageTimeColumnSortByTimeOrTimeSettings)
{
    ASSERT_TRUE(StartAlone());
    EXPECT_EQ(2, TabCount(Tab));
    EXPECT_EQ(4, ListColumnCount(List));

    HMODULE program = LoadLibraryExW(App.ExePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, program);
    EXPECT_EQ(nullptr, FindResourceW(program, MAKEINTRESOURCEW(403), MAKEINTRESOURCEW(5))) << "a date page";
    HMENU menu = LoadMenuW(program, MAKEINTRESOURCEW(200));
    ASSERT_NE(nullptr, menu);
    HMENU sort = nullptr;
    for (int i = 0; i < GetMenuItemCount(menu) && sort == nullptr; ++i) {
        HMENU popup = GetSubMenu(menu, i);
        for (int j = 0; popup != nullptr && j < GetMenuItemCount(popup) && sort == nullptr; ++j) {
            HMENU inner = GetSubMenu(popup, j);
            if (inner != nullptr && GetMenuItemID(inner, 0) == 220)
                sort = inner;
        }
    }
    ASSERT_NE(nullptr, sort) << "no sort menu";
    EXPECT_EQ(4, GetMenuItemCount(sort));
    EXPECT_EQ(223u, GetMenuItemID(sort, GetMenuItemCount(sort) - 1));
    DestroyMenu(menu);
    FreeLibrary(program);

    // The command of the missing item does nothing harmful.
    PostMessageW(Main, WM_COMMAND, 224, 0);
    PostMessageW(Main, WM_COMMAND, 240, 0);
    HWND box = WaitForMessageBox(App.ProcessId, 10000);
    ASSERT_NE(nullptr, box);
    EXPECT_NE(std::wstring::npos, MessageBoxText(box).find(L"\r\nAnsi Version\r\n"));
    AnswerMessageBox(box);

    // Its settings file is its own and holds nothing about times.
    const std::wstring unicodeSettings = App.Folder + L"\\KeyfinchNT.ini";
    FILE* file = _wfopen(unicodeSettings.c_str(), L"wb");
    ASSERT_NE(nullptr, file);
    fputs("[Other]\r\nPage=1\r\n", file);
    fclose(file);
    ASSERT_TRUE(CloseApp(App));
    EXPECT_EQ(L"Keyfinch.ini", SettingsPath().substr(SettingsPath().find_last_of(L'\\') + 1));
    const std::vector<std::wstring> sections = SettingsSections();
    EXPECT_EQ((std::vector<std::wstring>{L"Placement", L"String", L"Location", L"Columns", L"History", L"Specify",
                                         L"Other"}),
              sections);
    EXPECT_EQ((std::vector<std::wstring>{L"Name=100", L"Location=200", L"Data=100", L"Type=100"}),
              SettingsLines(L"Columns"));
    file = _wfopen(unicodeSettings.c_str(), L"rb");
    ASSERT_NE(nullptr, file);
    char text[64] = {};
    fread(text, 1, sizeof text - 1, file);
    fclose(file);
    EXPECT_STREQ("[Other]\r\nPage=1\r\n", text);
}
