// Values read from a settings file that may be damaged or edited by hand.
#include <gtest/gtest.h>

#include "SettingsValues.h"
#include "TestSupport.h"

TEST(SettingsValues, ListsReadNoMoreThanCountSizeAndTheBoundAndNothingBelowOne)
{
    EXPECT_EQ(EntriesToRead(2, 5), 2);
    EXPECT_EQ(EntriesToRead(8, 5), 5);
    EXPECT_EQ(EntriesToRead(5, 0), 0);
    EXPECT_EQ(EntriesToRead(0, 5), 0);
    EXPECT_EQ(EntriesToRead(-3, 5), 0);
    EXPECT_EQ(EntriesToRead(7, -1), 0);
    EXPECT_EQ(EntriesToRead(2147483647, MaxStoredEntries), MaxStoredEntries);
    EXPECT_EQ(EntriesToRead(2147483647, 2147483647), MaxStoredEntries);
    EXPECT_EQ(EntriesToRead(-2147483647 - 1, 2147483647), 0);
}

TEST(SettingsValues, SizesAndWidthsOutOfReasonAreBroughtBack)
{
    EXPECT_EQ(StoredHistorySize(0), 0);
    EXPECT_EQ(StoredHistorySize(100), 100);
    EXPECT_EQ(StoredHistorySize(-5), 0);
    EXPECT_EQ(StoredHistorySize(2000000000), MaxStoredEntries);
    EXPECT_EQ(StoredColumnWidth(0, 100), 0);  // a hidden column stays hidden
    EXPECT_EQ(StoredColumnWidth(345, 100), 345);
    EXPECT_EQ(StoredColumnWidth(-1, 100), 100);
    EXPECT_EQ(StoredColumnWidth(65536 + 80, 200), 200);
}

TEST(SettingsValues, DateTimesAreReadAtFixedPositionsAndOnlyWhenTheyExist)
{
    TCalendarTime time = {};
    ASSERT_TRUE(ParseStoredDateTime(KT("2024/05/01 13:45:00"), &time));
    EXPECT_EQ(time.Year, 2024);
    EXPECT_EQ(time.Month, 5);
    EXPECT_EQ(time.Day, 1);
    EXPECT_EQ(time.Hour, 13);
    EXPECT_EQ(time.Minute, 45);
    EXPECT_EQ(time.Second, 0);
    // The separators take no part.
    ASSERT_TRUE(ParseStoredDateTime(KT("2000x02y29z23:59-59 and more"), &time));
    EXPECT_EQ(time.Day, 29);
    EXPECT_EQ(time.Second, 59);

    const TCalendarTime before = time;
    for (const KChar* bad : {KT("2023/02/29 00:00:00"), KT("2024/13/01 00:00:00"), KT("2024/00/10 00:00:00"),
                             KT("2024/05/01 24:00:00"), KT("2024/05/01 12:60:00"), KT("2024/05/01 12:00:6"),
                             KT("2024/05/01"), KT("1600/12/31 00:00:00"), KT("abcd/ef/gh ij:kl:mn"),
                             KT("2024/+5/01 12:00:00"), KT("2024/ 5/01 12:00:00"), KT("")}) {
        EXPECT_FALSE(ParseStoredDateTime(bad, &time)) << Printable(bad);
        EXPECT_EQ(time.Day, before.Day) << "changed by " << Printable(bad);
    }
}
