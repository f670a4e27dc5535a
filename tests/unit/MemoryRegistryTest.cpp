// What the comparison with the real registry under Wine cannot check (failures on demand, the hook,
// links, handles, wide keys, Shift-JIS trail bytes), and the buffer rules once for the native build.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "MemoryRegistry.h"
#include "TestSupport.h"

namespace {

const TRegKey HKCU = RootKeyHandle(1);
const uint8_t FillerByte = 0xBD;
const TString Untouched(64, KT('#'));

class MemoryRegistryTest : public ::testing::Test {
protected:
    TMemoryRegistry Registry;
    // 64 units of filler before a NUL, so that a buffer left alone reads as Untouched.
    std::vector<KChar> Name;
    std::vector<uint8_t> Data;

    void SetUp() override { Reset(); }
    void Reset()
    {
        Name.assign(Untouched.c_str(), Untouched.c_str() + 65);
        Data.assign(64, FillerByte);
    }
    static TString Text(const std::vector<KChar>& buffer) { return buffer.data(); }

    // Opens a path expecting code; a failed open must answer a null key.
    TRegKey Open(const TString& path, TRegKey parent = HKCU, int32_t code = RegSuccess)
    {
        TRegKey key = 12345;
        EXPECT_EQ(Registry.OpenKey(parent, path.c_str(), KeyRead, &key), code) << Printable(path);
        EXPECT_EQ(key == 0, code != RegSuccess) << Printable(path);
        return key;
    }
    // One subkey (or value) name into Name, with ample room; a failed call must write nothing.
    int32_t EnumName(TRegKey key, uint32_t index, bool keys = true)
    {
        Reset();
        uint32_t length = 64, type = 99;
        int32_t code = keys ? Registry.EnumKey(key, index, Name.data(), &length, nullptr, nullptr, nullptr)
                            : Registry.EnumValue(key, index, Name.data(), &length, &type, nullptr, nullptr);
        EXPECT_TRUE(code == RegSuccess || (length == 64 && type == 99 && Text(Name) == Untouched)) << "failure wrote";
        return code;
    }
    TString Names(TRegKey key, bool keys = true)
    {
        TString all;
        for (uint32_t i = 0; EnumName(key, i, keys) == RegSuccess; ++i)
            all += Text(Name) + KT(",");
        return all;
    }
};

}  // namespace

TEST_F(MemoryRegistryTest, NamesMatchAsTheSystemMatchesThem)
{
#if defined(KEYFINCH_ANSI)
    ASSERT_EQ(TString(KT("表")), TString("\x95\x5C")) << "the names below must reach the ANSI build as Shift-JIS";
#endif
    // ア and ヂ differ only in a trail byte that looks like 'A' and 'a'; 表 ends in one that
    // looks like a backslash.
    EXPECT_NE(Registry.AddKeyPath(KT("HKCU\\ア")), Registry.AddKeyPath(KT("HKCU\\ヂ")));
    int child = Registry.AddKeyPath(KT("HKCU\\表\\子"));
    EXPECT_EQ(Registry.FindKey(KT("hkey_current_user\\表\\子\\")), child);
    // AddKey takes the name whole: it meets the key only if the path was split after 表.
    EXPECT_EQ(Registry.AddKey(Registry.RootNode(1), KT("表")), Registry.FindKey(KT("HKCU\\表")));
    Registry.CloseKey(Open(KT("表\\子\\")));
    // Only HKEY_CLASSES_ROOT skips a leading backslash.
    Registry.AddKeyPath(KT("HKCR\\.txt"));
    Registry.CloseKey(Open(KT("\\.txt"), RootKeyHandle(0)));
}

TEST_F(MemoryRegistryTest, TooSmallBuffersAnswerMoreDataAndTheNeededSize)
{
    int node = Registry.AddKeyPath(KT("HKCU\\P"));
    Registry.AddKey(node, KT("Alpha"));
    Registry.SetString(node, KT("Delta"), KT("hello"));
    const uint32_t size = 6 * sizeof(KChar);
    TRegKey key = Open(KT("P"));
    // {name room, data room}: a name filling the room leaves none for its NUL; type and needed size
    // come back anyway. RegEnumValueW writes a name that fits when the data does not; the A one not.
    for (auto room : {std::make_pair(5u, 64u), std::make_pair(6u, size - 1), std::make_pair(6u, size)}) {
        bool fits = room.first > 5 && room.second >= size, named = fits || (sizeof(KChar) == 2 && room.first > 5);
        Reset();
        uint32_t nameLength = room.first, dataSize = room.second, type = 99;
        EXPECT_EQ(Registry.EnumKey(key, 0, Name.data(), &nameLength, nullptr, nullptr, nullptr),
                  room.first > 5 ? RegSuccess : RegMoreData);
        EXPECT_EQ(Text(Name), room.first > 5 ? KT("Alpha") : Untouched);
        Reset();
        nameLength = room.first;
        EXPECT_EQ(Registry.EnumValue(key, 0, Name.data(), &nameLength, &type, Data.data(), &dataSize),
                  fits ? RegSuccess : RegMoreData);
        EXPECT_TRUE(type == RegSz && dataSize == size && Data[size] == FillerByte);
        EXPECT_EQ(nameLength, named ? 5u : room.first);
        EXPECT_EQ(Text(Name), named ? KT("Delta") : Untouched);
        EXPECT_EQ(Data[0], fits ? 'h' : FillerByte);
    }
    Registry.CloseKey(key);
}

TEST_F(MemoryRegistryTest, KeysThatDoNotOpenOrEnumerateOnDemand)
{
    int locked = Registry.AddKeyPath(KT("HKCU\\Locked"));
    Registry.AddKeyPath(KT("HKCU\\Locked\\Inside"));
    Registry.FailOpen(locked, RegAccessDenied);
    Open(KT("Locked"), HKCU, RegAccessDenied);
    // Only the key opened is checked, as the system checks access on the key it opens; through a
    // link it is the target.
    Registry.CloseKey(Open(KT("Locked\\Inside")));
    Registry.AddLink(Registry.RootNode(1), KT("ToLocked"), locked);
    Open(KT("ToLocked"), HKCU, RegAccessDenied);
    int parent = Registry.AddKeyPath(KT("HKCU\\P"));
    for (const KChar* name : {KT("k0"), KT("k1"), KT("k2")}) {
        Registry.AddKey(parent, name);
        Registry.SetDword(parent, name, 0);
    }
    Registry.FailEnumKey(parent, 1, RegKeyDeleted);
    Registry.FailEnumValue(parent, 0, RegInvalidHandle);
    TRegKey key = Open(KT("P"));
    // {subkey, value} at each index: a failure set for one enumeration leaves the other alone.
    const std::pair<int32_t, int32_t> codes[] = {{RegSuccess, RegInvalidHandle}, {RegKeyDeleted, RegSuccess},
                                                 {RegSuccess, RegSuccess}, {RegNoMoreItems, RegNoMoreItems}};
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(std::make_pair(EnumName(key, i), EnumName(key, i, false)), codes[i]) << i;
    Registry.CloseKey(key);
}

TEST_F(MemoryRegistryTest, LinksOpenAsTheirTarget)
{
    int loop = Registry.AddKeyPath(KT("HKCU\\L"));
    Registry.SetDword(loop, KT("inL"), 1);
    EXPECT_EQ(Registry.FindKey(KT("HKCU\\L\\loop\\loop")), Registry.AddLink(loop, KT("loop"), loop));
    TRegKey key = Open(KT("L\\loop\\LOOP\\loop"));
    EXPECT_EQ(Names(key, false) + Names(key), KT("inL,loop,"));
    Registry.CloseKey(key);
    // A loop of links only, and a link to a deleted key, do not open.
    int first = Registry.AddKeyPath(KT("HKCU\\First"));
    Registry.AddLink(Registry.RootNode(1), KT("First"), Registry.AddLink(Registry.RootNode(1), KT("Second"), first));
    Open(KT("First"), HKCU, RegFileNotFound);
    Registry.AddLink(Registry.RootNode(1), KT("ToT"), Registry.AddKeyPath(KT("HKCU\\T")));
    Registry.DeleteKey(Registry.FindKey(KT("HKCU\\T")));
    Open(KT("ToT"), HKCU, RegFileNotFound);
}

TEST_F(MemoryRegistryTest, HookMayDeleteKeysInTheMiddleOfACall)
{
    int parent = Registry.AddKeyPath(KT("HKCU\\P"));
    for (const KChar* name : {KT("d"), KT("b"), KT("c"), KT("a")})
        Registry.AddKey(parent, name);
    TRegKey key = Open(KT("P"));
    EXPECT_EQ(Names(key), KT("d,b,c,a,"));  // the order of adding
    // Each deletion happens only if the hook is told the right operation, key and index.
    Registry.Hook = [&](TMemoryRegistry::TOperation operation, int node, uint32_t index) {
        if (node == parent && operation == TMemoryRegistry::OpEnumKey && index == 1)
            Registry.DeleteKey(Registry.FindKey(KT("HKCU\\P\\b")));
        if (node == parent && operation == TMemoryRegistry::OpQueryValue)
            Registry.DeleteKey(parent);
    };
    // The later subkeys move up one index, within the very call that deleted.
    EXPECT_EQ(EnumName(key, 1), RegSuccess);
    EXPECT_EQ(Text(Name), KT("c"));
    EXPECT_EQ(Registry.QueryValue(key, nullptr, nullptr, nullptr, nullptr), RegKeyDeleted);
    Registry.CloseKey(key);
}

TEST_F(MemoryRegistryTest, HandlesAreCountedAndThoseOfDeletedKeysAnswerKeyDeleted)
{
    int node = Registry.AddKeyPath(KT("HKCU\\K"));
    Registry.SetDword(Registry.AddKey(node, KT("C")), KT("v"), 1);
    TRegKey key = Open(KT("K")), child = Open(KT("C"), key), again = Open(KT(""), key);
    EXPECT_EQ(Open(KT(""), HKCU), HKCU);  // a root gives itself and is not counted
    EXPECT_EQ(Registry.OpenHandleCount(), 3);
    Registry.DeleteKey(node);
    EXPECT_EQ(std::make_pair(Registry.KeyCount(), Registry.ValueCount()), std::make_pair(size_t(7), size_t(0)));
    // The key and everything below it, even once made again: the new key is another one.
    Registry.AddKeyPath(KT("HKCU\\K\\C"));
    for (TRegKey handle : {key, child, again}) {
        EXPECT_EQ(EnumName(handle, 0, false), RegKeyDeleted);
        Open(KT(""), handle, RegKeyDeleted);
        Registry.CloseKey(handle);
    }
    // Closing twice or closing a root changes nothing; closed and made-up handles are invalid.
    Registry.CloseKey(key);
    Registry.CloseKey(HKCU);
    EXPECT_EQ(Registry.OpenHandleCount(), 0);
    for (TRegKey bogus : {key, TRegKey(0), again + 1, again + 4000, TRegKey(0x80000007u)})
        EXPECT_EQ(Registry.QueryValue(bogus, nullptr, nullptr, nullptr, nullptr), RegInvalidHandle) << bogus;
}

TEST_F(MemoryRegistryTest, WideKeysStayFindableThroughDeletions)
{
    // Many names also go into a hash index, which deleting and adding again must keep right.
    auto name = [](int i, KChar a) { return TString{KChar(a + i / 26), KChar(a + i % 26)}; };
    int parent = Registry.AddKeyPath(KT("HKCU\\Wide"));
    for (int i = 0; i < 100; ++i) {
        Registry.AddKey(parent, name(i, KT('a')));
        Registry.SetDword(parent, name(i, KT('a')), i);
    }
    for (int i = 0; i < 100; i += 3) {
        Registry.DeleteKey(Registry.FindKey(KT("HKCU\\Wide\\") + name(i, KT('a'))));
        Registry.SetDword(parent, name(i, KT('a')), 1000 + i);
        if (i % 6 == 0)
            Registry.AddKey(parent, name(i, KT('a')));
    }
    TRegKey key = Open(KT("Wide"));
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(Registry.FindKey(KT("HKCU\\Wide\\") + name(i, KT('A'))) >= 0, i % 3 != 0 || i % 6 == 0) << i;
        uint32_t dataSize = 4;
        EXPECT_EQ(Registry.QueryValue(key, name(i, KT('A')).c_str(), nullptr, Data.data(), &dataSize), RegSuccess) << i;
        EXPECT_EQ(Data[0] | Data[1] << 8, i % 3 ? i : 1000 + i) << i;
    }
    EXPECT_EQ(Registry.ValueCount(), 100u);
    Registry.CloseKey(key);
}
