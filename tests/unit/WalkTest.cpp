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

typedef std::vector<std::string> TBriefs;

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

    void Search(const TString& text, bool wholeWord = false)
    {
        SetSearchText(Conditions, text, wholeWord, false);
    }

    // Type 2 from a key of the registry.
    void StartAt(const TString& path, bool subKeys = true)
    {
        Conditions.Type = LocationOneKey;
        Conditions.SubKey = subKeys;
        Conditions.KeyName = ToShortKeyPath(path);
        ASSERT_EQ(OpenKeyPath(Registry, path, KeyRead, &Conditions.KeyHandle), 0);
    }

    TBriefs Run()
    {
        Sink.Hits.clear();
        State.KeyCount = 0;
        State.Aborted = false;
        TSearchWalk walk(Registry, Conditions, State, Sink);
        walk.TickCount = [] { return FakeTick; };
        State.AllocateBuffers();
        walk.SearchRoots();
        EXPECT_EQ(Registry.OpenHandleCount(), 0) << "the walk left keys open";
        return Sink.Briefs();
    }

    TBriefs RunAt(const TString& path, bool subKeys = true)
    {
        StartAt(path, subKeys);
        return Run();
    }

    int Key(const TString& path, TFileTime lastWrite = 0, const TString& className = TString())
    {
        return Registry.AddKeyPath(path, className, lastWrite);
    }

    // A new key holding one string value.
    int Value(const TString& path, const TString& name, const TString& data = TString(), TFileTime lastWrite = 0)
    {
        int key = Key(path, lastWrite);
        Registry.SetString(key, name, data);
        return key;
    }
};

}  // namespace

TEST_F(WalkTest, DepthFirstWithValuesBeforeSubkeys)
{
    int start = Value(KT("HKCU\\T"), KT("match1"), KT("match too"));  // name and data: listed once
    Registry.SetString(start, KT("other"), KT("has a match inside"));
    Registry.SetString(start, KT("plain"), KT("nothing"));
    Value(KT("HKCU\\T\\A_match"), KT("v"), KT("MATCH"));
    Key(KT("HKCU\\T\\A_match\\deep_match"));
    Registry.SetDword(Key(KT("HKCU\\T\\B")), KT("matchB"), 7);

    EXPECT_EQ(RunAt(KT("HKCU\\T")), (TBriefs{"HKCU\\T|match1|1", "HKCU\\T|other|1", "HKCU\\T|A_match|11",
                                             "HKCU\\T\\A_match|v|1", "HKCU\\T\\A_match|deep_match|11",
                                             "HKCU\\T\\B|matchB|4"}));
    EXPECT_EQ(State.KeyCount, 4);
    EXPECT_EQ(Conditions.KeyHandle, 0u);
}

TEST_F(WalkTest, TargetsChooseWhatIsTested)
{
    int start = Value(KT("HKCU\\T"), KT("match_name"), KT("x"));
    Registry.SetString(start, KT("v"), KT("match_data"));
    Registry.SetString(start, KT("multi"), TString(KT("a\0match\0"), 8), RegMultiSz);
    Registry.SetString(start, KT("expand"), KT("%match%"), RegExpandSz);
    uint8_t bytes[] = {'m', 0, 'a', 0, 't', 0, 'c', 0, 'h', 0, 0, 0};
    Registry.SetValue(start, KT("binary"), RegBinary, bytes, sizeof bytes);
    Key(KT("HKCU\\T\\match_key"));
    Key(KT("HKCU\\T\\classy"), 0, KT("MatchClass"));

    const struct { bool Key, Value, Data; TBriefs Hits; } runs[] = {
        {true, false, false, {"HKCU\\T|match_key|11"}},
        {false, true, false, {"HKCU\\T|match_name|1"}},
        // String data of types 1, 2 and 7 and the classes of keys, never other data.
        {false, false, true, {"HKCU\\T|v|1", "HKCU\\T|multi|7", "HKCU\\T|expand|2", "HKCU\\T|classy|11"}},
    };
    for (const auto& run : runs) {
        Conditions.Key = run.Key;
        Conditions.Value = run.Value;
        Conditions.Data = run.Data;
        EXPECT_EQ(RunAt(KT("HKCU\\T")), run.Hits);
    }
    EXPECT_EQ(Sink.Hits.back().Data, StringData(KT("MatchClass")));
    // "a\0match\0" is one text with an inner NUL: the last run found its second string, but
    // neither string is a whole match.
    for (const KChar* whole : {KT("a"), KT("match")}) {
        Search(whole, true);
        EXPECT_EQ(RunAt(KT("HKCU\\T")), TBriefs{}) << Printable(whole);
    }
}

TEST_F(WalkTest, AllRootsInOrderWithoutTestingTheRootsThemselves)
{
    for (const KChar* path : {KT("HKCC\\Software"), KT("HKLM\\SOFTWARE"), KT("HKU\\S-1\\Software"),
                              KT("HKCU\\Software"), KT("HKCR\\.software"), KT("HKPD\\Software"), KT("HKDD\\Software")})
        Key(path);  // HKPD and HKDD are never visited by themselves
    Search(KT("HK"));
    EXPECT_EQ(Run(), TBriefs{});

    Search(KT("software"));
    EXPECT_EQ(Run(), (TBriefs{"HKCR|.software|11", "HKCU|Software|11", "HKLM|SOFTWARE|11",
                              "HKU\\S-1|Software|11", "HKCC|Software|11"}));
    EXPECT_EQ(State.KeyCount, 11);  // five roots and six keys below them
}

TEST_F(WalkTest, ChosenRootsFollowRootOrderNotChoiceOrder)
{
    for (const KChar* path : {KT("HKCU\\match"), KT("HKLM\\match"), KT("HKU\\match")})
        Key(path);
    Conditions.Type = LocationChosenRoots;
    Conditions.HKCR = Conditions.HKCU = Conditions.HKCC = false;  // HKLM and HKU stay chosen
    EXPECT_EQ(Run(), (TBriefs{"HKLM|match|11", "HKU|match|11"}));

    // With all roots chosen by type 0, the flags do not matter.
    Conditions.Type = LocationAllRoots;
    Conditions.HKLM = Conditions.HKU = false;
    EXPECT_EQ(Run().size(), 3u);
}

TEST_F(WalkTest, OneKeyWithoutSubkeysTestsOnlyItsDirectChildren)
{
    Value(KT("HKCU\\match_start"), KT("match_value"));
    Value(KT("HKCU\\match_start\\match_child"), KT("match_deeper"));
    Key(KT("HKCU\\match_start\\match_child\\match_grandchild"));
    EXPECT_EQ(RunAt(KT("hkey_current_user\\match_start"), false),
              (TBriefs{"HKCU\\match_start|match_value|1", "HKCU\\match_start|match_child|11"}));
    EXPECT_EQ(Conditions.KeyName, KT("HKCU\\match_start"));
    EXPECT_EQ(State.KeyCount, 1);
}

TEST_F(WalkTest, EmptySearchTextAndShortData)
{
    int start = Value(KT("HKCU\\T"), KT(""), KT("default"));
    Registry.SetString(start, KT("empty"), KT(""));
    Registry.SetValue(start, KT("tiny"), RegSz, "\0", sizeof(KChar) - 1);  // under one unit: length -1
    Registry.SetValue(start, KT("none"), RegSz, nullptr, 0);
    Conditions.Key = false;

    // The empty text is in every name and string; as the whole text it matches only empty ones.
    const TBriefs all = {"HKCU\\T||1", "HKCU\\T|empty|1", "HKCU\\T|tiny|1", "HKCU\\T|none|1"};
    const struct { bool Value, Whole; TBriefs Hits; } runs[] = {
        {true, false, all}, {true, true, {"HKCU\\T||1", "HKCU\\T|empty|1"}}, {false, false, all}};
    for (const auto& run : runs) {
        Conditions.Value = run.Value;
        Search(KT(""), run.Whole);
        EXPECT_EQ(RunAt(KT("HKCU\\T")), run.Hits) << run.Value << run.Whole;
    }
}

TEST_F(WalkTest, LongStringsAreReadWholeOtherLongDataIsNot)
{
    Search(KT("needle"));
    std::vector<uint8_t> bytes(100000, 'n');
    Registry.SetValue(Key(KT("HKCU\\B")), KT("needle"), RegBinary, bytes.data(), bytes.size());
    EXPECT_EQ(RunAt(KT("HKCU\\B")), (TBriefs{"HKCU\\B|needle|3"}));
    EXPECT_EQ(State.DataBuffer.size(), FirstDataRoom);  // long data of other types is not read

    TString longText = TString(6000, KT('x')) + KT("needle");
    int start = Value(KT("HKCU\\T"), KT("long"), longText);
    // 10000 bytes would fit the grown buffer of the Unicode build, but are still not read.
    Registry.SetValue(start, KT("needle_binary"), RegBinary, bytes.data(), 10000);
    Registry.SetValue(start, KT("binary"), RegBinary, bytes.data(), 10000);
    Registry.SetString(start, KT("after"), KT("needle"));

    EXPECT_EQ(RunAt(KT("HKCU\\T")), (TBriefs{"HKCU\\T|long|1", "HKCU\\T|needle_binary|3", "HKCU\\T|after|1"}));
    EXPECT_EQ(Sink.Hits[0].Data, StringData(longText));
    EXPECT_TRUE(Sink.Hits[1].Data.empty());
    // The grown buffer stays grown; the next value still comes through whole.
    EXPECT_GE(State.DataBuffer.size(), StringData(longText).size());
    EXPECT_EQ(Sink.Hits[2].Data, StringData(KT("needle")));
}

#if !defined(KEYFINCH_ANSI)
TEST_F(WalkTest, DateFilterIsInclusiveAndDoesNotStopTheDescent)
{
    Value(KT("HKCU\\T"), KT("match_start"), KT(""), 100);
    Value(KT("HKCU\\T\\match_old"), KT("match_in_old"), KT(""), 50);
    Value(KT("HKCU\\T\\match_old\\match_child"), KT("match_in_child"), KT(""), 200);
    Value(KT("HKCU\\T\\match_late"), KT("match_in_late"), KT(""), 300);

    Conditions.After = Conditions.Before = true;
    Conditions.AfterDateTime = 100;
    Conditions.BeforeDateTime = 200;
    EXPECT_EQ(RunAt(KT("HKCU\\T")), (TBriefs{"HKCU\\T|match_start|1", "HKCU\\T\\match_old|match_child|11",
                                             "HKCU\\T\\match_old\\match_child|match_in_child|1"}));
    // A value hit carries its key's time, a key hit its own.
    EXPECT_EQ((std::vector<TFileTime>{Sink.Hits[0].LastWrite, Sink.Hits[1].LastWrite, Sink.Hits[2].LastWrite}),
              (std::vector<TFileTime>{100, 200, 200}));

    // One tick past either bound drops the key.
    Conditions.AfterDateTime = 101;
    Conditions.BeforeDateTime = 199;
    EXPECT_EQ(RunAt(KT("HKCU\\T")), TBriefs{});
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
    Value(KT("HKCU\\T\\old"), KT("match"), KT(""), 50);
    Conditions.After = true;
    Conditions.AfterDateTime = 100;
    EXPECT_EQ(RunAt(KT("HKCU\\T")), (TBriefs{"HKCU\\T\\old|match|1"}));
}
#endif

TEST_F(WalkTest, AbortEndsEveryLevelAndCountsTheKeysCutShort)
{
    for (int i = 0; i < 25; ++i)  // HKCU\T\k0\m0 to HKCU\T\k4\m4
        Value(KT("HKCU\\T\\k") + TString(1, KChar(KT('0') + i / 5)) + KT("\\m") + TString(1, KChar(KT('0') + i % 5)),
              KT("match"));
    int opens = 0;
    Registry.Hook = [&](TMemoryRegistry::TOperation operation, int, uint32_t) {
        if (operation == TMemoryRegistry::OpOpen)
            ++opens;
    };
    Sink.OnHit = [&](const TRecordedHit&) {
        if (Sink.Hits.size() == 3)
            State.Aborted = true;
    };
    Run();
    EXPECT_EQ(Sink.Hits.size(), 3u);
    // Every key whose walk began was counted: each opened key and the five roots.
    EXPECT_EQ(State.KeyCount, opens + 5);
}

TEST_F(WalkTest, ProgressAtMostEvery100Milliseconds)
{
    Key(KT("HKCU\\T\\k1\\k2\\k3\\k4\\k5\\k6\\k7\\k8"));
    StartAt(KT("HKCU\\T"));
    // Every open moves the clock on 50 ms: exactly 100 ms since the last display is not enough.
    Registry.Hook = [&](TMemoryRegistry::TOperation operation, int, uint32_t) {
        if (operation == TMemoryRegistry::OpOpen)
            FakeTick += 50;
    };
    Run();
    EXPECT_EQ(Sink.ProgressPaths,
              (std::vector<TString>{KT("HKCU\\T\\k1\\k2\\k3"), KT("HKCU\\T\\k1\\k2\\k3\\k4\\k5\\k6")}));
}

TEST_F(WalkTest, FailingSubkeyEnumerationEndsOnlyThatKeysPass)
{
    int broken = Key(KT("HKCU\\T\\broken"));
    for (const KChar* name : {KT("match_1"), KT("match_2"), KT("match_3")})
        Registry.AddKey(broken, name);
    Value(KT("HKCU\\T\\later"), KT("match"));
    Conditions.Type = LocationChosenRoots;
    Conditions.HKCR = Conditions.HKLM = Conditions.HKU = Conditions.HKCC = false;
    for (int32_t code : {RegInvalidHandle, RegKeyDeleted, RegAccessDenied}) {
        Registry.FailEnumKey(broken, 1, code);  // replaces the failure of the previous round
        // No name from the failed call, no repeat of the one before it, and the walk goes on.
        EXPECT_EQ(Run(), (TBriefs{"HKCU\\T\\broken|match_1|11", "HKCU\\T\\later|match|1"})) << code;
    }
}

TEST_F(WalkTest, LockedKeysAndFailingValueEnumerationReportNothingStale)
{
    // A key that does not open is listed but not entered; a failed value enumeration ends only
    // that key's values.
    Registry.FailOpen(Key(KT("HKCU\\T\\match_locked")), RegAccessDenied);
    Value(KT("HKCU\\T\\match_locked\\inside"), KT("match"));
    int key = Value(KT("HKCU\\T\\k"), KT("match_a"));
    Registry.SetString(key, KT("match_b"), KT(""));
    Value(KT("HKCU\\T\\k\\match_sub"), KT("match_c"));
    Registry.FailEnumValue(key, 1, RegKeyDeleted);
    EXPECT_EQ(RunAt(KT("HKCU\\T")), (TBriefs{"HKCU\\T|match_locked|11", "HKCU\\T\\k|match_a|1",
                                             "HKCU\\T\\k|match_sub|11", "HKCU\\T\\k\\match_sub|match_c|1"}));
    EXPECT_EQ(State.KeyCount, 3);  // the locked key is not counted
}

TEST_F(WalkTest, ValuesThatCannotBeReadWholeAreSkipped)
{
    int key = Value(KT("HKCU\\T"), KT("match_first"), KT("first data"));
    // A name longer than the name buffer answers "more data" on every try.
    Registry.SetString(key, TString(5000, KT('m')) + KT("match"), KT("x"));
    Registry.SetString(key, KT("match_growing"), TString(5000, KT('g')));
    Registry.SetString(key, KT("match_last"), KT("last data"));
    // The growing value gets longer between the first read and the one with the larger buffer.
    int calls = 0;
    Registry.Hook = [&](TMemoryRegistry::TOperation operation, int node, uint32_t index) {
        if (operation == TMemoryRegistry::OpEnumValue && node == key && index == 2 && ++calls == 2)
            Registry.SetString(key, KT("match_growing"), TString(9000, KT('g')));
    };
    EXPECT_EQ(RunAt(KT("HKCU\\T")), (TBriefs{"HKCU\\T|match_first|1", "HKCU\\T|match_last|1"}));
    EXPECT_EQ(Sink.Hits[1].Data, StringData(KT("last data")));
}

TEST_F(WalkTest, KeyDeletedDuringTheWalk)
{
    int doomed = Value(KT("HKCU\\T\\a_doomed"), KT("match_1"));
    Registry.SetString(doomed, KT("match_2"), KT(""));
    Key(KT("HKCU\\T\\a_doomed\\match_child"));
    Value(KT("HKCU\\U\\survivor"), KT("match"));
    Registry.Hook = [&](TMemoryRegistry::TOperation operation, int node, uint32_t index) {
        if (operation == TMemoryRegistry::OpEnumValue && node == doomed && index == 1)
            Registry.DeleteKey(doomed);
    };
    Conditions.Type = LocationChosenRoots;
    Conditions.HKCR = Conditions.HKLM = Conditions.HKU = Conditions.HKCC = false;
    // The deleted key answers no more, its parent's later indices shift; the rest is walked.
    EXPECT_EQ(Run(), (TBriefs{"HKCU\\T\\a_doomed|match_1|1", "HKCU\\U\\survivor|match|1"}));
}

TEST_F(WalkTest, LinkLoopEndsAtTheNestingLimit)
{
    int loopKey = Key(KT("HKCU\\L"));
    Registry.AddLink(loopKey, KT("loop"), loopKey);
    Search(KT("loop"));
    RunAt(KT("HKCU\\L"));
    EXPECT_EQ(State.KeyCount, MaxWalkDepth + 1);
    ASSERT_EQ(Sink.Hits.size(), static_cast<size_t>(MaxWalkDepth + 1));
    EXPECT_EQ(SplitPathComponents(Sink.Hits.back().Location).size(), static_cast<size_t>(2 + MaxWalkDepth));
}

#if defined(KEYFINCH_ANSI)
TEST_F(WalkTest, DoubleByteNamesKeepTheirBackslashTrailBytes)
{
    // ソ is 0x83 0x5C.
    Value("HKCU\\T\\\x83\x5C", "match");
    Search("\\");
    EXPECT_EQ(RunAt("HKCU\\T"), TBriefs{});
    Search("match");
    ASSERT_EQ(RunAt("HKCU\\T").size(), 1u);
    EXPECT_EQ(Sink.Hits[0].Location, TString("HKCU\\T\\\x83\x5C"));
}
#endif
