// The registry walk over an in-memory registry: hit order, what is tested, the date filter,
// large data, aborting, progress, and registries that fail or change under the walk.
#include <gtest/gtest.h>

#include "KeyPath.h"
#include "MemoryRegistry.h"
#include "StringRoutines.h"
#include "TestSupport.h"
#include "Walk.h"

namespace {

uint32_t FakeTick = 0;
uint32_t FakeTickCount()
{
    return FakeTick;
}

class WalkTest : public ::testing::Test {
protected:
    TMemoryRegistry Registry;
    TSearchConditions Conditions;
    TSearchState State;
    TRecordingSink Sink;

    void SetUp() override
    {
        FakeTick = 0;
        Search(KT("match"));
    }

    void Search(const TString& text, bool wholeWord = false, bool matchCase = false)
    {
        SetSearchText(Conditions, text, wholeWord, matchCase);
    }

    // Type 2 from a key of the registry.
    void StartAt(const TString& path, bool subKeys = true)
    {
        Conditions.Type = LocationOneKey;
        Conditions.SubKey = subKeys;
        Conditions.KeyName = ToShortKeyPath(path);
        ASSERT_EQ(OpenKeyPath(Registry, path, KeyRead, &Conditions.KeyHandle), 0);
    }

    std::vector<std::string> Run()
    {
        Sink.Hits.clear();
        State.KeyCount = 0;
        State.Aborted = false;
        TSearchWalk walk(Registry, Conditions, State, Sink);
        walk.TickCount = FakeTickCount;
        State.AllocateBuffers();
        walk.SearchRoots();
        EXPECT_EQ(Registry.OpenHandleCount(), 0) << "the walk left keys open";
        return Sink.Briefs();
    }

    int Key(const TString& path, TFileTime lastWrite = 0, const TString& className = TString())
    {
        return Registry.AddKeyPath(path, className, lastWrite);
    }
};

typedef std::vector<std::string> TBriefs;

}  // namespace

TEST_F(WalkTest, DepthFirstWithValuesBeforeSubkeys)
{
    int start = Key(KT("HKCU\\T"));
    Registry.SetString(start, KT("match1"), KT("match too"));  // name and data: listed once
    Registry.SetString(start, KT("other"), KT("has a match inside"));
    Registry.SetString(start, KT("plain"), KT("nothing"));
    int a = Key(KT("HKCU\\T\\A_match"));
    Registry.SetString(a, KT("v"), KT("MATCH"));
    Key(KT("HKCU\\T\\A_match\\deep_match"));
    int b = Key(KT("HKCU\\T\\B"));
    Registry.SetDword(b, KT("matchB"), 7);
    StartAt(KT("HKCU\\T"));

    EXPECT_EQ(Run(), (TBriefs{
                         "HKCU\\T|match1|1",
                         "HKCU\\T|other|1",
                         "HKCU\\T|A_match|11",
                         "HKCU\\T\\A_match|v|1",
                         "HKCU\\T\\A_match|deep_match|11",
                         "HKCU\\T\\B|matchB|4",
                     }));
    EXPECT_EQ(State.KeyCount, 4);
    EXPECT_EQ(Conditions.KeyHandle, 0u);
}

TEST_F(WalkTest, TargetsChooseWhatIsTested)
{
    int start = Key(KT("HKCU\\T"));
    Registry.SetString(start, KT("match_name"), KT("x"));
    Registry.SetString(start, KT("v"), KT("match_data"));
    Registry.SetString(start, KT("multi"), TString(KT("a\0match\0"), 8), RegMultiSz);
    Registry.SetString(start, KT("expand"), KT("%match%"), RegExpandSz);
    uint8_t bytes[] = {'m', 0, 'a', 0, 't', 0, 'c', 0, 'h', 0, 0, 0};
    Registry.SetValue(start, KT("binary"), RegBinary, bytes, sizeof bytes);
    Key(KT("HKCU\\T\\match_key"));
    Key(KT("HKCU\\T\\classy"), 0, KT("MatchClass"));
    StartAt(KT("HKCU\\T"));

    Conditions.Key = true;
    Conditions.Value = false;
    Conditions.Data = false;
    EXPECT_EQ(Run(), (TBriefs{"HKCU\\T|match_key|11"}));

    Sink.Hits.clear();
    StartAt(KT("HKCU\\T"));
    Conditions.Key = false;
    Conditions.Value = true;
    EXPECT_EQ(Run(), (TBriefs{"HKCU\\T|match_name|1"}));

    // Data means string data of types 1, 2 and 7 and the classes of keys, never other data.
    Sink.Hits.clear();
    StartAt(KT("HKCU\\T"));
    Conditions.Value = false;
    Conditions.Data = true;
    EXPECT_EQ(Run(), (TBriefs{"HKCU\\T|v|1", "HKCU\\T|multi|7", "HKCU\\T|expand|2", "HKCU\\T|classy|11"}));
    const TRecordedHit& classHit = Sink.Hits.back();
    EXPECT_EQ(classHit.Data, StringData(KT("MatchClass")));
}

TEST_F(WalkTest, AllRootsInOrderWithoutTestingTheRootsThemselves)
{
    Key(KT("HKCC\\Software"));
    Key(KT("HKLM\\SOFTWARE"));
    Key(KT("HKU\\S-1\\Software"));
    Key(KT("HKCU\\Software"));
    Key(KT("HKCR\\.software"));
    Key(KT("HKPD\\Software"));  // never visited by itself
    Key(KT("HKDD\\Software"));
    Search(KT("HK"));
    Conditions.Type = LocationAllRoots;
    EXPECT_EQ(Run(), TBriefs{});

    Search(KT("software"));
    EXPECT_EQ(Run(), (TBriefs{"HKCR|.software|11", "HKCU|Software|11", "HKLM|SOFTWARE|11",
                              "HKU\\S-1|Software|11", "HKCC|Software|11"}));
    // Five roots and six keys below them.
    EXPECT_EQ(State.KeyCount, 11);
}

TEST_F(WalkTest, ChosenRootsFollowRootOrderNotChoiceOrder)
{
    Key(KT("HKCU\\match"));
    Key(KT("HKLM\\match"));
    Key(KT("HKU\\match"));
    Conditions.Type = LocationChosenRoots;
    Conditions.HKCR = Conditions.HKCU = Conditions.HKCC = false;
    Conditions.HKLM = Conditions.HKU = true;
    EXPECT_EQ(Run(), (TBriefs{"HKLM|match|11", "HKU|match|11"}));

    // With all roots chosen by type 0, the flags do not matter.
    Sink.Hits.clear();
    Conditions.Type = LocationAllRoots;
    Conditions.HKLM = Conditions.HKU = false;
    EXPECT_EQ(Run().size(), 3u);
}

TEST_F(WalkTest, OneKeyWithoutSubkeysTestsOnlyItsDirectChildren)
{
    int start = Key(KT("HKCU\\match_start"));
    Registry.SetString(start, KT("match_value"), KT(""));
    int child = Key(KT("HKCU\\match_start\\match_child"));
    Registry.SetString(child, KT("match_deeper"), KT(""));
    Key(KT("HKCU\\match_start\\match_child\\match_grandchild"));
    StartAt(KT("hkey_current_user\\match_start"), false);
    EXPECT_EQ(Conditions.KeyName, KT("HKCU\\match_start"));
    EXPECT_EQ(Run(), (TBriefs{"HKCU\\match_start|match_value|1", "HKCU\\match_start|match_child|11"}));
    EXPECT_EQ(State.KeyCount, 1);
}

TEST_F(WalkTest, EmptySearchTextAndShortData)
{
    int start = Key(KT("HKCU\\T"));
    Registry.SetString(start, KT(""), KT("default"));
    Registry.SetString(start, KT("empty"), KT(""));
    Registry.SetValue(start, KT("tiny"), RegSz, "\0", sizeof(KChar) - 1);  // less than one unit
    Registry.SetValue(start, KT("none"), RegSz, nullptr, 0);
    Conditions.Key = false;

    // Without whole-text matching the empty text matches every name.
    Search(KT(""));
    StartAt(KT("HKCU\\T"));
    EXPECT_EQ(Run().size(), 4u);

    // With it, only empty names and empty strings: the unnamed value, and the value whose data
    // is a bare NUL. Data shorter than one unit has length -1 and matches nothing.
    Sink.Hits.clear();
    Search(KT(""), true);
    StartAt(KT("HKCU\\T"));
    EXPECT_EQ(Run(), (TBriefs{"HKCU\\T||1", "HKCU\\T|empty|1"}));

    Sink.Hits.clear();
    Conditions.Value = false;
    Search(KT(""));
    StartAt(KT("HKCU\\T"));
    EXPECT_EQ(Run().size(), 4u);
}

TEST_F(WalkTest, MultiStringIsTestedWithItsInnerNuls)
{
    int start = Key(KT("HKCU\\T"));
    Registry.SetString(start, KT("list"), TString(KT("a\0b\0"), 4), RegMultiSz);
    Conditions.Key = Conditions.Value = false;
    Search(KT("b"));
    StartAt(KT("HKCU\\T"));
    EXPECT_EQ(Run().size(), 1u);
    for (const KChar* whole : {KT("b"), KT("a")}) {
        Sink.Hits.clear();
        Search(whole, true);
        StartAt(KT("HKCU\\T"));
        EXPECT_EQ(Run().size(), 0u) << Printable(whole);
    }
}

TEST_F(WalkTest, LongStringsAreReadWholeOtherLongDataIsNot)
{
    int start = Key(KT("HKCU\\T"));
    TString longText = TString(6000, KT('x')) + KT("needle");
    Registry.SetString(start, KT("long"), longText);
    std::vector<uint8_t> bytes(10000, 'n');
    Registry.SetValue(start, KT("needle_binary"), RegBinary, bytes.data(), bytes.size());
    Registry.SetValue(start, KT("binary"), RegBinary, bytes.data(), bytes.size());
    Registry.SetString(start, KT("after"), KT("needle"));
    Search(KT("needle"));
    StartAt(KT("HKCU\\T"));

    EXPECT_EQ(Run(), (TBriefs{"HKCU\\T|long|1", "HKCU\\T|needle_binary|3", "HKCU\\T|after|1"}));
    EXPECT_EQ(Sink.Hits[0].Data, StringData(longText));
    EXPECT_TRUE(Sink.Hits[1].Data.empty());
    // The grown buffer stays grown; the next value still comes through whole.
    EXPECT_GE(State.DataBuffer.size(), StringData(longText).size());
    EXPECT_EQ(Sink.Hits[2].Data, StringData(KT("needle")));
}

TEST_F(WalkTest, LongBinaryDataDoesNotGrowTheBuffer)
{
    int start = Key(KT("HKCU\\T"));
    std::vector<uint8_t> bytes(100000, 'n');
    Registry.SetValue(start, KT("needle"), RegBinary, bytes.data(), bytes.size());
    Search(KT("needle"));
    StartAt(KT("HKCU\\T"));
    EXPECT_EQ(Run().size(), 1u);
    EXPECT_EQ(State.DataBuffer.size(), FirstDataRoom);
}

#if !defined(KEYFINCH_ANSI)
TEST_F(WalkTest, DateFilterIsInclusiveAndDoesNotStopTheDescent)
{
    int start = Key(KT("HKCU\\T"), 100);
    Registry.SetString(start, KT("match_start"), KT(""));
    int old = Key(KT("HKCU\\T\\match_old"), 50);
    Registry.SetString(old, KT("match_in_old"), KT(""));
    int inRange = Key(KT("HKCU\\T\\match_old\\match_child"), 200);
    Registry.SetString(inRange, KT("match_in_child"), KT(""));
    int late = Key(KT("HKCU\\T\\match_late"), 300);
    Registry.SetString(late, KT("match_in_late"), KT(""));

    Conditions.After = true;
    Conditions.AfterDateTime = 100;
    Conditions.Before = true;
    Conditions.BeforeDateTime = 200;
    StartAt(KT("HKCU\\T"));
    EXPECT_EQ(Run(), (TBriefs{"HKCU\\T|match_start|1", "HKCU\\T\\match_old|match_child|11",
                              "HKCU\\T\\match_old\\match_child|match_in_child|1"}));
    // A value hit carries its key's time, a key hit its own.
    EXPECT_EQ(Sink.Hits[0].LastWrite, 100u);
    EXPECT_EQ(Sink.Hits[1].LastWrite, 200u);
    EXPECT_EQ(Sink.Hits[2].LastWrite, 200u);

    // One tick past either bound drops the key.
    Sink.Hits.clear();
    Conditions.AfterDateTime = 101;
    Conditions.BeforeDateTime = 199;
    StartAt(KT("HKCU\\T"));
    EXPECT_EQ(Run(), TBriefs{});
}

TEST(DateBounds, WholeLocalDaysOrTheSecondsGiven)
{
    // The tests run in Tokyo time, nine hours ahead of UTC.
    const TCalendarTime day = {2024, 5, 0, 1, 0, 0, 0, 0};
    const TCalendarTime time = {2000, 1, 0, 1, 13, 45, 7, 500};
    TFileTime lower = 0, upper = 0;
    ASSERT_TRUE(MakeDateBound(day, time, false, false, &lower));
    ASSERT_TRUE(MakeDateBound(day, time, false, true, &upper));
    // 2024-04-30 15:00:00.000 and 2024-05-01 14:59:59.999 UTC.
    EXPECT_EQ(lower, 133589628000000000ull);
    EXPECT_EQ(upper, 133589628000000000ull + 864000000000ull - 10000ull);
    // With the time: its hour, minute and second; .000 below, .999 above; one second apart.
    ASSERT_TRUE(MakeDateBound(day, time, true, false, &lower));
    ASSERT_TRUE(MakeDateBound(day, time, true, true, &upper));
    EXPECT_EQ(lower, 133589628000000000ull + (13 * 3600 + 45 * 60 + 7) * 10000000ull);
    EXPECT_EQ(upper - lower, 9990000ull);
    const TCalendarTime noDay = {2023, 2, 0, 29, 0, 0, 0, 0};
    EXPECT_FALSE(MakeDateBound(noDay, time, false, false, &lower));
}
#else
TEST_F(WalkTest, AnsiBuildHasNoDateFilter)
{
    Registry.SetString(Key(KT("HKCU\\T\\old"), 50), KT("match"), KT(""));
    Conditions.After = true;
    Conditions.AfterDateTime = 100;
    StartAt(KT("HKCU\\T"));
    EXPECT_EQ(Run(), (TBriefs{"HKCU\\T\\old|match|1"}));
}
#endif

TEST_F(WalkTest, AbortEndsEveryLevelAndCountsTheKeysCutShort)
{
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j)
            Registry.SetString(Key(KT("HKCU\\T\\k") + TString(1, KChar(KT('0') + i)) + KT("\\m") +
                                   TString(1, KChar(KT('0') + j))),
                               KT("match"), KT(""));
    int opens = 0;
    Registry.Hook = [&](TMemoryRegistry::TOperation operation, int, uint32_t) {
        if (operation == TMemoryRegistry::OpOpen)
            ++opens;
    };
    Sink.OnHit = [&](const TRecordedHit&) {
        if (Sink.Hits.size() == 3)
            State.Aborted = true;
    };
    Conditions.Type = LocationAllRoots;
    Run();
    EXPECT_EQ(Sink.Hits.size(), 3u);
    // Every key whose walk began was counted: each opened key and the five roots.
    EXPECT_EQ(State.KeyCount, opens + 5);
}

TEST_F(WalkTest, ProgressAtMostEvery100Milliseconds)
{
    TString path = KT("HKCU\\T");
    Key(path);
    for (int i = 1; i <= 8; ++i) {
        path += KT("\\k") + TString(1, KChar(KT('0') + i));
        Key(path);
    }
    // Every open moves the clock on 50 ms: exactly 100 ms since the last display is not enough.
    Registry.Hook = [&](TMemoryRegistry::TOperation operation, int, uint32_t) {
        if (operation == TMemoryRegistry::OpOpen)
            FakeTick += 50;
    };
    StartAt(KT("HKCU\\T"));
    FakeTick = 0;
    State.LastProgressTick = 0;
    Run();
    EXPECT_EQ(Sink.ProgressPaths, (std::vector<TString>{KT("HKCU\\T\\k1\\k2\\k3"), KT("HKCU\\T\\k1\\k2\\k3\\k4\\k5\\k6")}));
}

TEST_F(WalkTest, KeysThatDoNotOpenAreSkippedButStillListed)
{
    Key(KT("HKCU\\T\\match_locked"));
    Registry.SetString(Key(KT("HKCU\\T\\match_locked\\inside")), KT("match"), KT(""));
    Registry.SetString(Key(KT("HKCU\\T\\next")), KT("match"), KT(""));
    Registry.FailOpen(Registry.FindKey(KT("HKCU\\T\\match_locked")), RegAccessDenied);
    StartAt(KT("HKCU\\T"));
    EXPECT_EQ(Run(), (TBriefs{"HKCU\\T|match_locked|11", "HKCU\\T\\next|match|1"}));
}

TEST_F(WalkTest, FailingSubkeyEnumerationEndsOnlyThatKeysPass)
{
    for (int32_t code : {RegInvalidHandle, RegKeyDeleted, RegAccessDenied}) {
        TMemoryRegistry registry;
        int broken = registry.AddKeyPath(KT("HKCU\\T\\broken"));
        registry.AddKeyPath(KT("HKCU\\T\\broken\\match_1"));
        registry.AddKeyPath(KT("HKCU\\T\\broken\\match_2"));
        registry.AddKeyPath(KT("HKCU\\T\\broken\\match_3"));
        registry.SetString(registry.AddKeyPath(KT("HKCU\\T\\later")), KT("match"), KT(""));
        registry.FailEnumKey(broken, 1, code);
        Conditions.Type = LocationChosenRoots;
        Conditions.HKCR = Conditions.HKLM = Conditions.HKU = Conditions.HKCC = false;
        TRecordingSink sink;
        TSearchState state;
        TSearchWalk walk(registry, Conditions, state, sink);
        walk.TickCount = FakeTickCount;
        state.AllocateBuffers();
        walk.SearchRoots();
        // No name from the failed call, no repeat of the one before it, and the walk goes on.
        EXPECT_EQ(sink.Briefs(), (TBriefs{"HKCU\\T\\broken|match_1|11", "HKCU\\T\\later|match|1"})) << code;
        EXPECT_EQ(registry.OpenHandleCount(), 0);
    }
}

TEST_F(WalkTest, FailingValueEnumerationReportsNothingStale)
{
    int key = Key(KT("HKCU\\T\\k"));
    Registry.SetString(key, KT("match_a"), KT(""));
    Registry.SetString(key, KT("match_b"), KT(""));
    Registry.SetString(Key(KT("HKCU\\T\\k\\match_sub")), KT("match_c"), KT(""));
    Registry.FailEnumValue(key, 1, RegKeyDeleted);
    StartAt(KT("HKCU\\T"));
    EXPECT_EQ(Run(), (TBriefs{"HKCU\\T\\k|match_a|1", "HKCU\\T\\k|match_sub|11",
                              "HKCU\\T\\k\\match_sub|match_c|1"}));
}

TEST_F(WalkTest, ValueThatCannotBeReadEvenAfterGrowingIsSkipped)
{
    int key = Key(KT("HKCU\\T"));
    Registry.SetString(key, KT("match_first"), KT("first data"));
    // A name longer than the name buffer answers "more data" on every try.
    Registry.SetString(key, TString(5000, KT('m')) + KT("match"), KT("x"));
    Registry.SetString(key, KT("match_last"), KT("last data"));
    StartAt(KT("HKCU\\T"));
    EXPECT_EQ(Run(), (TBriefs{"HKCU\\T|match_first|1", "HKCU\\T|match_last|1"}));
    EXPECT_EQ(Sink.Hits[1].Data, StringData(KT("last data")));
}

TEST_F(WalkTest, ValueThatGrowsBetweenTheTwoReadsIsSkipped)
{
    int key = Key(KT("HKCU\\T"));
    Registry.SetString(key, KT("match_growing"), TString(5000, KT('g')));
    Registry.SetString(key, KT("match_next"), KT("n"));
    int calls = 0;
    Registry.Hook = [&](TMemoryRegistry::TOperation operation, int node, uint32_t index) {
        if (operation == TMemoryRegistry::OpEnumValue && node == key && index == 0 && ++calls == 2)
            Registry.SetString(key, KT("match_growing"), TString(9000, KT('g')));
    };
    StartAt(KT("HKCU\\T"));
    EXPECT_EQ(Run(), (TBriefs{"HKCU\\T|match_next|1"}));
}

TEST_F(WalkTest, KeyDeletedDuringTheWalk)
{
    int doomed = Key(KT("HKCU\\T\\a_doomed"));
    Registry.SetString(doomed, KT("match_1"), KT(""));
    Registry.SetString(doomed, KT("match_2"), KT(""));
    Key(KT("HKCU\\T\\a_doomed\\match_child"));
    Registry.SetString(Key(KT("HKCU\\U\\survivor")), KT("match"), KT(""));
    Registry.Hook = [&](TMemoryRegistry::TOperation operation, int node, uint32_t index) {
        if (operation == TMemoryRegistry::OpEnumValue && node == doomed && index == 1)
            Registry.DeleteKey(doomed);
    };
    Conditions.Type = LocationChosenRoots;
    Conditions.HKCR = Conditions.HKLM = Conditions.HKU = Conditions.HKCC = false;
    // The deleted key answers no more; its parent's later indices shift, and the walk goes on
    // in the rest of the tree.
    EXPECT_EQ(Run(), (TBriefs{"HKCU\\T\\a_doomed|match_1|1", "HKCU\\U\\survivor|match|1"}));
}

TEST_F(WalkTest, LinkLoopEndsAtTheNestingLimit)
{
    int loopKey = Key(KT("HKCU\\L"));
    Registry.AddLink(loopKey, KT("loop"), loopKey);
    Search(KT("loop"));
    StartAt(KT("HKCU\\L"));
    Run();
    EXPECT_EQ(State.KeyCount, MaxWalkDepth + 1);
    ASSERT_EQ(Sink.Hits.size(), static_cast<size_t>(MaxWalkDepth + 1));
    EXPECT_EQ(SplitPathComponents(Sink.Hits.back().Location).size(), static_cast<size_t>(2 + MaxWalkDepth));
}

#if defined(KEYFINCH_ANSI)
TEST_F(WalkTest, DoubleByteNamesKeepTheirBackslashTrailBytes)
{
    // ソ is 0x83 0x5C.
    Registry.SetString(Key("HKCU\\T\\\x83\x5C"), "match", "");
    Search("\\");
    StartAt("HKCU\\T");
    EXPECT_EQ(Run(), TBriefs{});
    Search("match");
    StartAt("HKCU\\T");
    Run();
    ASSERT_EQ(Sink.Hits.size(), 1u);
    EXPECT_EQ(Sink.Hits[0].Location, TString("HKCU\\T\\\x83\x5C"));
}
#endif
