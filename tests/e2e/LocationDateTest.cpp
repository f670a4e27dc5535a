// The location and date pages: what their buttons enable, where a search looks, and which keys
// the modification-time window keeps.
#include <regex>
#include "KeyfinchFixture.h"

typedef TKeyfinch LocationDateTest;

static void SetCheck(HWND button, bool on)
{
    SendMessageW(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

static std::vector<bool> Enabled(HWND page, std::initializer_list<int> ids)
{
    std::vector<bool> result;
    for (int id : ids)
        result.push_back(IsEnabled(GetDlgItem(page, id)) != FALSE);
    return result;
}

TEST_F(LocationDateTest, EachLocationEnablesOnlyItsOwnControlsAndKeepsTheOthersStates)
{
    ASSERT_TRUE(Start());
    ASSERT_TRUE(ClickTab(App.Process, Tab, 1));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(LocationPage) != FALSE; }, 5000));
    SetCheck(LocationControl(201), false);
    SetComboEditText(LocationControl(302), L"HKCU\\Software");
    const std::initializer_list<int> controls = {200, 201, 202, 203, 204, 300, 301, 302};
    struct TCase {
        int Radio;
        std::vector<bool> Expected;
    } cases[] = {
        {101, {true, true, true, true, true, false, false, false}},
        {102, {false, false, false, false, false, true, true, true}},
        {100, {false, false, false, false, false, false, false, false}},
    };
    for (const TCase& c : cases) {
        ASSERT_TRUE(ClickButton(LocationControl(c.Radio)));
        EXPECT_TRUE(WaitUntil([&] { return Enabled(LocationPage, controls) == c.Expected; }, 5000)) << c.Radio;
        if (c.Radio == 102)
            Screenshot(L"location-page-key");
        if (c.Radio == 101)
            Screenshot(L"location-page-entries");
    }
    EXPECT_EQ(BST_UNCHECKED, CheckState(LocationControl(201)));
    EXPECT_EQ(BST_CHECKED, CheckState(LocationControl(202)));
    EXPECT_EQ(L"HKCU\\Software", WindowText(LocationControl(302)));
}

// The same key name under the local machine and the current user.
class TMachineKey {
public:
    explicit TMachineKey(const std::wstring& path) : Path(path)
    {
        HKEY key;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
            ERROR_SUCCESS)
            RegCloseKey(key);
    }
    ~TMachineKey() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\KeyfinchTest"); }
    const std::wstring Path;
};

TEST_F(LocationDateTest, ChosenRootsAreVisitedInRootOrderAndOnlyThose)
{
    TMachineKey machine(TestKey + L"\\kfRootsNeedle7");
    ASSERT_TRUE(CreateKey(TestKey + L"\\kfRootsNeedle7"));
    ASSERT_TRUE(Start());
    ChooseLocation(101);
    for (int id = 200; id <= 204; ++id)
        SetCheck(LocationControl(id), id == 202 || id == 203);  // HKLM and HKU
    ASSERT_TRUE(Search(L"kfRootsNeedle7"));
    TRows rows = Rows();
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ(L"HKLM\\" + TestKey, rows[0][1]);
    EXPECT_EQ(0u, rows[1][1].find(L"HKU\\S-"));
}

TEST_F(LocationDateTest, OneKeyWithOrWithoutItsSubkeys)
{
    SetStringValue(TestKey, L"needle0", L"");
    ASSERT_TRUE(CreateKey(TestKey + L"\\needle1"));
    SetStringValue(TestKey + L"\\needle1", L"needle2", L"");
    ASSERT_TRUE(Start());
    ASSERT_TRUE(SearchIn(TestKey, L"needle"));
    EXPECT_EQ((std::vector<std::wstring>{L"needle0", L"needle1", L"needle2"}), Column(0));
    LookIn(TestKey, false);
    ASSERT_TRUE(Search(L"needle"));
    EXPECT_EQ((std::vector<std::wstring>{L"needle0", L"needle1"}), Column(0));
}

static SYSTEMTIME LocalTime(const FILETIME& utc, LONGLONG shiftSeconds)
{
    ULARGE_INTEGER value;
    value.LowPart = utc.dwLowDateTime;
    value.HighPart = utc.dwHighDateTime;
    value.QuadPart += shiftSeconds * 10000000LL;
    FILETIME shifted = {value.LowPart, value.HighPart}, local;
    FileTimeToLocalFileTime(&shifted, &local);
    SYSTEMTIME time;
    FileTimeToSystemTime(&local, &time);
    return time;
}

TEST_F(LocationDateTest, TheTimeWindowKeepsAndDropsKeysByTheirLastWrite)
{
    ASSERT_TRUE(CreateKey(TestKey + L"\\kfDateNeedle"));
    FILETIME written = {};
    ASSERT_TRUE(KeyWriteTime(TestKey + L"\\kfDateNeedle", written));
    ASSERT_TRUE(Start());
    LookIn(TestKey);
    const LONGLONG day = 86400;
    struct TCase {
        const char* Name;
        bool After;
        LONGLONG AfterShift;
        bool Before;
        LONGLONG BeforeShift;
        bool Time;
        bool Kept;
    } cases[] = {
        {"on or after the same day", true, 0, false, 0, false, true},
        {"on or after the next day", true, day, false, 0, false, false},
        {"on or before the day before", false, 0, true, -day, false, false},
        {"between the day before and the same day", true, -day, true, 0, false, true},
        {"on or after a minute later, to the second", true, 60, false, 0, true, false},
        {"within a minute either side, to the second", true, -60, true, 60, true, true},
        {"on or before a minute earlier, to the second", false, 0, true, -60, true, false},
        {"on or after its own second, which is inclusive", true, 0, false, 0, true, true},
        {"on or before its own second, which is inclusive", false, 0, true, 0, true, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        SYSTEMTIME after = LocalTime(written, c.AfterShift), before = LocalTime(written, c.BeforeShift);
        SetDateTimeValue(App.Process, DateControl(201), &after);
        SetDateTimeValue(App.Process, DateControl(202), &after);
        SetDateTimeValue(App.Process, DateControl(301), &before);
        SetDateTimeValue(App.Process, DateControl(302), &before);
        SetCheck(DateControl(200), c.After);
        SetCheck(DateControl(300), c.Before);
        SetCheck(DateControl(102), c.Time);
        ASSERT_TRUE(Search(L"kfDateNeedle"));
        EXPECT_EQ(c.Kept ? 1 : 0, ListRowCount(List));
    }
}

TEST_F(LocationDateTest, DatePageEnablesByItsTableAndTheNowButtonsAndClockWork)
{
    ASSERT_TRUE(Start());
    ASSERT_TRUE(ClickTab(App.Process, Tab, 2));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(DatePage) != FALSE; }, 5000));
    const std::initializer_list<int> controls = {201, 202, 203, 301, 302, 303, 102};
    auto expect = [&](std::vector<bool> expected, const char* step) {
        EXPECT_TRUE(WaitUntil([&] { return Enabled(DatePage, controls) == expected; }, 5000)) << step;
    };
    expect({false, false, false, false, false, false, false}, "both bounds off");
    ClickButton(DateControl(200));
    expect({true, false, true, false, false, false, true}, "lower bound on, time off");
    ClickButton(DateControl(102));
    expect({true, true, true, false, false, false, true}, "time on");
    ClickButton(DateControl(300));
    expect({true, true, true, true, true, true, true}, "both bounds on");
    Screenshot(L"date-page-both-bounds");
    ClickButton(DateControl(200));
    expect({false, false, false, true, true, true, true}, "lower bound off again");
    ClickButton(DateControl(102));
    expect({false, false, false, true, false, true, true}, "time off again");

    // With the time unchecked, now changes only the date.
    ClickButton(DateControl(200));
    SYSTEMTIME old = {2020, 1, 0, 1, 1, 2, 3, 0};
    SetDateTimeValue(App.Process, DateControl(201), &old);
    SetDateTimeValue(App.Process, DateControl(202), &old);
    ClickButton(DateControl(203));
    SYSTEMTIME today;
    GetLocalTime(&today);
    SYSTEMTIME date = {}, time = {};
    EXPECT_TRUE(WaitUntil([&] {
        DateTimeValue(App.Process, DateControl(201), date);
        return date.wYear == today.wYear && date.wMonth == today.wMonth && date.wDay == today.wDay;
    }, 5000));
    DateTimeValue(App.Process, DateControl(202), time);
    EXPECT_EQ(1, time.wHour);
    EXPECT_EQ(2, time.wMinute);
    EXPECT_EQ(3, time.wSecond);

    std::wstring first;
    ASSERT_TRUE(WaitUntil([&] { return !(first = WindowText(DateControl(400))).empty(); }, 5000));
    EXPECT_TRUE(std::regex_match(first, std::wregex(L"\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2}"))) << first;
    EXPECT_TRUE(WaitUntil([&] { return WindowText(DateControl(400)) != first; }, 3000));
}
