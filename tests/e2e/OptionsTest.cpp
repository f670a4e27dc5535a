// The options dialog: the three history sizes, their range check, and the clear buttons.
#include "JumpFixture.h"

namespace {

const wchar_t RangeText[] = L"0 - 100 の数字を指定してください。";

}  // namespace

class OptionsTest : public TJumpTest {
protected:
    HWND Options = nullptr;

    bool OpenOptions()
    {
        PostMessageW(Main, WM_COMMAND, 231, 0);
        Options = WaitForTopWindow(App.ProcessId, L"#32770", L"オプション", 10000);
        return Options != nullptr && WaitUntil([this] { return IsWindowEnabled(Options) != FALSE; });
    }
    HWND Field(int id) const { return GetDlgItem(Options, id); }
    std::vector<std::wstring> Sizes() const
    {
        return {WindowText(Field(100)), WindowText(Field(200)), WindowText(Field(300))};
    }
    void SetSizes(const wchar_t* jump, const wchar_t* text, const wchar_t* key) const
    {
        SetWindowTextW(Field(100), jump);
        SetWindowTextW(Field(200), text);
        SetWindowTextW(Field(300), key);
    }
    bool Press(int id)
    {
        ClickButton(Field(id));
        return id == IDOK || id == IDCANCEL ? WaitUntil([this] { return !IsWindow(Options); }) : true;
    }
    // OK with a bad field: the range warning owned by the dialog, which stays open with the
    // focus in that field.
    ::testing::AssertionResult RefusedAt(int field)
    {
        ClickButton(Field(IDOK));
        HWND box = WaitForMessageBox(App.ProcessId, 10000, Options);
        if (box == nullptr)
            return ::testing::AssertionFailure() << "no warning";
        EXPECT_EQ(RangeText, MessageBoxText(box));
        EXPECT_EQ(L"Keyfinch", MessageBoxTitle(box));
        EXPECT_EQ(IDI_WARNING, MessageBoxIcon(box));
        AnswerMessageBox(box);
        if (!IsWindow(Options))
            return ::testing::AssertionFailure() << "the dialog closed";
        if (!WaitUntil([&] { return FocusedWindowOf(Options) == Field(field); }))
            return ::testing::AssertionFailure() << "the focus is not in field " << field;
        return ::testing::AssertionSuccess();
    }
};

TEST_F(OptionsTest, ItShowsTheSizesAndOffersToClearOnlyListsThatHoldSomething)
{
    ASSERT_TRUE(StartWithStandIn());
    ASSERT_TRUE(OpenOptions());
    EXPECT_EQ((std::vector<std::wstring>{L"20", L"5", L"5"}), Sizes());
    for (int id : {102, 203, 303})
        EXPECT_FALSE(IsEnabled(Field(id))) << id;
    Press(IDCANCEL);

    ASSERT_TRUE(SearchIn(TestKey, L"something"));
    JumpByDialog(Key());
    ASSERT_TRUE(WaitForComboTop(Key()));
    ASSERT_TRUE(OpenOptions());
    for (int id : {102, 203, 303})
        EXPECT_TRUE(IsEnabled(Field(id))) << id;
    Screenshot(L"options-dialog");
}

TEST_F(OptionsTest, ZeroIsAcceptedAndAHundredAndOneIsRefusedWithTheFocusInItsField)
{
    ASSERT_TRUE(StartAlone());
    ASSERT_TRUE(OpenOptions());
    SetSizes(L"101", L"5", L"5");
    ASSERT_TRUE(RefusedAt(100));
    SetSizes(L"0", L"", L"5");  // an empty field is refused as well
    ASSERT_TRUE(RefusedAt(200));

    SetSizes(L"0", L"100", L"0");
    ASSERT_TRUE(Press(IDOK));
    EXPECT_EQ(nullptr, FindMessageBox(App.ProcessId));
    ASSERT_TRUE(OpenOptions());
    EXPECT_EQ((std::vector<std::wstring>{L"0", L"100", L"0"}), Sizes());
}

TEST_F(OptionsTest, FieldsBeforeARefusedOneAreStoredAndCancelDoesNotUndoThem)
{
    ASSERT_TRUE(StartAlone());
    ASSERT_TRUE(OpenOptions());
    SetSizes(L"50", L"101", L"7");
    ASSERT_TRUE(RefusedAt(200));
    ASSERT_TRUE(Press(IDCANCEL));

    ASSERT_TRUE(OpenOptions());
    EXPECT_EQ((std::vector<std::wstring>{L"50", L"5", L"5"}), Sizes());
    // The close box is Cancel too.
    SetSizes(L"9", L"9", L"9");
    SendMessageW(Options, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitUntil([this] { return !IsWindow(Options); }));
    ASSERT_TRUE(CloseApp(App));
    std::vector<std::wstring> history = SettingsLines(L"History");
    ASSERT_FALSE(history.empty());
    EXPECT_EQ(L"MaxCount=50", history[0]);
}

TEST_F(OptionsTest, DefaultsOnlyFillTheFieldsUntilOK)
{
    ASSERT_TRUE(StartAlone());
    ASSERT_TRUE(OpenOptions());
    SetSizes(L"7", L"8", L"9");
    ASSERT_TRUE(Press(IDOK));
    ASSERT_TRUE(SearchIn(TestKey, L"kept"));

    ASSERT_TRUE(OpenOptions());
    EXPECT_EQ((std::vector<std::wstring>{L"7", L"8", L"9"}), Sizes());
    Press(400);
    EXPECT_EQ((std::vector<std::wstring>{L"20", L"5", L"5"}), Sizes());
    EXPECT_TRUE(IsEnabled(Field(203))) << "the defaults cleared a history";
    ASSERT_TRUE(Press(IDCANCEL));
    ASSERT_TRUE(OpenOptions());
    EXPECT_EQ((std::vector<std::wstring>{L"7", L"8", L"9"}), Sizes());
    Press(400);
    ASSERT_TRUE(Press(IDOK));
    ASSERT_TRUE(OpenOptions());
    EXPECT_EQ((std::vector<std::wstring>{L"20", L"5", L"5"}), Sizes());
}

TEST_F(OptionsTest, EachClearButtonEmptiesItsHistoryAtOnceAndIsThenDisabled)
{
    ASSERT_TRUE(StartWithStandIn());
    ASSERT_TRUE(SearchIn(TestKey, L"something"));
    JumpByDialog(Key());
    ASSERT_TRUE(WaitForComboTop(Key()));
    ASSERT_TRUE(OpenOptions());

    // From the keyboard the pressed button has the focus, which then moves to OK.
    SendMessageW(Options, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Field(203)), TRUE);
    ASSERT_TRUE(Activate(Options));
    SendKey(VK_SPACE);
    ASSERT_TRUE(WaitUntil([this] { return !IsEnabled(Field(203)); }));
    EXPECT_TRUE(ComboItems(StringControl(100)).empty());
    EXPECT_EQ(Field(IDOK), FocusedWindowOf(Options));
    EXPECT_FALSE(ComboItems(LocationControl(302)).empty()) << "another history was cleared";

    ClickButton(Field(303));
    ASSERT_TRUE(WaitUntil([this] { return !IsEnabled(Field(303)); }));
    EXPECT_TRUE(ComboItems(LocationControl(302)).empty());
    ClickButton(Field(102));
    ASSERT_TRUE(WaitUntil([this] { return !IsEnabled(Field(102)); }));
    EXPECT_TRUE(ComboItems(Combo).empty());
    EXPECT_EQ(L"", WindowText(Combo));
    // Cancel keeps what was cleared.
    ASSERT_TRUE(Press(IDCANCEL));
    ClickButton(HistoryButton);
    EXPECT_TRUE(WaitUntil([this] { return StatusPart(0) == L"0 個の履歴があります。"; }));
}
