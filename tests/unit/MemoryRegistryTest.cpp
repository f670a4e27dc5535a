// The in-memory registry answers as the system's registry functions do: buffer sizes with and
// without the NUL, what is written when something does not fit, paths, handles, failures on
// demand and keys deleted under open handles.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "MemoryRegistry.h"

namespace {

const TRegKey HKCR = RootKeyHandle(0);
const TRegKey HKCU = RootKeyHandle(1);
const int32_t InvalidParameter = 87;
const int32_t InsufficientBuffer = 122;
const int32_t BadPathname = 161;
const KChar Filler = KT('#');
const uint8_t FillerByte = 0xBD;

std::vector<uint8_t> Bytes(const TString& text)
{
    const uint8_t* start = reinterpret_cast<const uint8_t*>(text.c_str());
    return std::vector<uint8_t>(start, start + (text.size() + 1) * sizeof(KChar));
}

class MemoryRegistryTest : public ::testing::Test {
protected:
    TMemoryRegistry Registry;
    std::vector<KChar> Name = std::vector<KChar>(64, Filler);
    std::vector<KChar> Class = std::vector<KChar>(64, Filler);
    std::vector<uint8_t> Data = std::vector<uint8_t>(64, FillerByte);

    void SetUp() override
    {
#if defined(KEYFINCH_ANSI)
        // The Japanese names below must reach the ANSI build as Shift-JIS.
        ASSERT_EQ(TString(KT("表")), TString("\x95\x5C"));
#endif
    }

    // Opens a key below HKCU; 0 when it does not open.
    TRegKey Open(const TString& path, TRegKey parent = HKCU)
    {
        TRegKey key = 0;
        EXPECT_EQ(Registry.OpenKey(parent, path.c_str(), KeyRead, &key), RegSuccess) << "opening a path";
        return key;
    }

    bool NameUntouched() const
    {
        for (KChar c : Name)
            if (c != Filler)
                return false;
        return true;
    }
    bool ClassUntouched() const
    {
        for (KChar c : Class)
            if (c != Filler)
                return false;
        return true;
    }
    bool DataUntouched() const
    {
        for (uint8_t b : Data)
            if (b != FillerByte)
                return false;
        return true;
    }
    TString NameText() const { return TString(Name.data()); }
};

}  // namespace

TEST_F(MemoryRegistryTest, PathsFollowTheSystemsBackslashRules)
{
    int deep = Registry.AddKeyPath(KT("HKCU\\A\\B\\C"));
    Registry.SetDword(deep, KT("here"), 1);
    for (const KChar* path : {KT("A\\B\\C"), KT("A\\B\\C\\"), KT("A\\\\B\\C"), KT("a\\b\\c")}) {
        TRegKey key = Open(path);
        uint32_t values = 0;
        EXPECT_EQ(Registry.QueryInfoKey(key, nullptr, nullptr, &values, nullptr), RegSuccess);
        EXPECT_EQ(values, 1u);
        Registry.CloseKey(key);
    }

    // A failed open answers a null key.
    TRegKey key = 12345;
    EXPECT_EQ(Registry.OpenKey(HKCU, KT("A\\Missing"), KeyRead, &key), RegFileNotFound);
    EXPECT_EQ(key, 0u);
    key = 12345;
    EXPECT_EQ(Registry.OpenKey(HKCU, KT("Missing\\B"), KeyRead, &key), RegFileNotFound);
    EXPECT_EQ(key, 0u);
    EXPECT_EQ(Registry.OpenKey(HKCU, KT("\\A"), KeyRead, &key), BadPathname);
    EXPECT_EQ(Registry.OpenKey(HKCU, KT("\\"), KeyRead, &key), BadPathname);
    EXPECT_EQ(Registry.OpenKey(HKCU, KT("A"), KeyRead, nullptr), InvalidParameter);

    // Only HKEY_CLASSES_ROOT skips a leading backslash.
    Registry.AddKeyPath(KT("HKCR\\.txt"));
    key = Open(KT("\\.txt"), HKCR);
    EXPECT_NE(key, 0u);
    Registry.CloseKey(key);

    // Relative to an open key, one level at a time.
    TRegKey a = Open(KT("A"));
    TRegKey b = Open(KT("B"), a);
    TRegKey c = Open(KT("C"), b);
    uint32_t size = 0;
    EXPECT_EQ(Registry.QueryValue(c, KT("here"), nullptr, nullptr, &size), RegSuccess);
    EXPECT_EQ(size, 4u);
    for (TRegKey open : {a, b, c})
        Registry.CloseKey(open);
    EXPECT_EQ(Registry.OpenHandleCount(), 0);
}

TEST_F(MemoryRegistryTest, EmptySubKeyOpensTheKeyAgainButARootGivesItself)
{
    Registry.AddKeyPath(KT("HKCU\\K"));
    TRegKey key = Open(KT("K"));
    TRegKey again = 0, third = 0;
    EXPECT_EQ(Registry.OpenKey(key, nullptr, KeyRead, &again), RegSuccess);
    EXPECT_EQ(Registry.OpenKey(key, KT(""), KeyRead, &third), RegSuccess);
    EXPECT_NE(again, key);
    EXPECT_NE(third, again);
    EXPECT_EQ(Registry.OpenHandleCount(), 3);
    // Each handle is closed on its own.
    Registry.CloseKey(key);
    EXPECT_EQ(Registry.QueryInfoKey(again, nullptr, nullptr, nullptr, nullptr), RegSuccess);
    Registry.CloseKey(again);
    Registry.CloseKey(third);

    for (int root = 0; root < 7; ++root) {
        TRegKey opened = 0;
        EXPECT_EQ(Registry.OpenKey(RootKeyHandle(root), nullptr, KeyRead, &opened), RegSuccess);
        EXPECT_EQ(opened, RootKeyHandle(root));
        EXPECT_EQ(Registry.OpenKey(RootKeyHandle(root), KT(""), KeyRead, &opened), RegSuccess);
        EXPECT_EQ(opened, RootKeyHandle(root));
    }
    EXPECT_EQ(Registry.OpenHandleCount(), 0);
}

TEST_F(MemoryRegistryTest, NamesMatchIgnoringTheCaseOfAsciiAndFullwidthLetters)
{
    int key = Registry.AddKeyPath(KT("HKCU\\Software\\Ｋｅｙ"), KT("first"));
    EXPECT_EQ(Registry.AddKey(Registry.FindKey(KT("HKCU\\Software")), KT("ｋＥｙ"), KT("second")), key);
    EXPECT_EQ(Registry.FindKey(KT("hkcu\\SOFTWARE\\ｋｅｙ")), key);
    TRegKey open = Open(KT("software\\ＫＥＹ"));
    uint32_t classLength = 64;
    EXPECT_EQ(Registry.QueryInfoKey(open, Class.data(), &classLength, nullptr, nullptr), RegSuccess);
    EXPECT_EQ(TString(Class.data()), KT("second"));

    Registry.SetString(key, KT("Value"), KT("v"));
    uint32_t size = 0;
    EXPECT_EQ(Registry.QueryValue(open, KT("vALUE"), nullptr, nullptr, &size), RegSuccess);
    EXPECT_EQ(Registry.QueryValue(open, KT("Valu"), nullptr, nullptr, &size), RegFileNotFound);
    Registry.CloseKey(open);

    // Letters that only look alike are different names.
    EXPECT_EQ(Registry.FindKey(KT("HKCU\\Software\\Key")), -1);
}

TEST_F(MemoryRegistryTest, DoubleByteCharactersKeepTheirTrailBytes)
{
    // ア and ヂ differ only in a trail byte that looks like 'A' and 'a'; 表 ends in a byte that
    // looks like a backslash.
    int a = Registry.AddKeyPath(KT("HKCU\\ア"), KT("a"));
    int di = Registry.AddKeyPath(KT("HKCU\\ヂ"), KT("di"));
    EXPECT_NE(a, di);
    EXPECT_EQ(Registry.FindKey(KT("HKCU\\ヂ")), di);
    int child = Registry.AddKeyPath(KT("HKCU\\表\\子"));
    EXPECT_EQ(Registry.FindKey(KT("HKCU\\表\\子")), child);
    int table = Registry.AddKey(Registry.RootNode(1), KT("表"));
    EXPECT_EQ(Registry.FindKey(KT("HKCU\\表")), table);

    TRegKey key = Open(KT("ヂ"));
    uint32_t classLength = 64;
    EXPECT_EQ(Registry.QueryInfoKey(key, Class.data(), &classLength, nullptr, nullptr), RegSuccess);
    EXPECT_EQ(TString(Class.data()), KT("di"));
    Registry.CloseKey(key);

    key = Open(KT("表\\子\\"));
    Registry.CloseKey(key);
    key = Open(KT("表"));
    uint32_t nameLength = 64;
    EXPECT_EQ(Registry.EnumKey(key, 0, Name.data(), &nameLength, nullptr, nullptr, nullptr), RegSuccess);
    EXPECT_EQ(NameText(), KT("子"));
    Registry.CloseKey(key);
}

TEST_F(MemoryRegistryTest, HandlesAreCountedAndAClosedHandleIsInvalid)
{
    Registry.AddKeyPath(KT("HKCU\\K"));
    TRegKey first = Open(KT("K"));
    TRegKey second = Open(KT("K"));
    EXPECT_EQ(Registry.OpenHandleCount(), 2);
    Registry.CloseKey(first);
    Registry.CloseKey(first);
    Registry.CloseKey(HKCU);
    EXPECT_EQ(Registry.OpenHandleCount(), 1);

    uint32_t nameLength = 64;
    EXPECT_EQ(Registry.EnumKey(first, 0, Name.data(), &nameLength, nullptr, nullptr, nullptr), RegInvalidHandle);
    EXPECT_EQ(Registry.QueryInfoKey(first, nullptr, nullptr, nullptr, nullptr), RegInvalidHandle);
    TRegKey child;
    EXPECT_EQ(Registry.OpenKey(first, KT(""), KeyRead, &child), RegInvalidHandle);
    for (TRegKey bogus : {TRegKey(0), second + 1, second + 4000, TRegKey(0x80000007u), ~TRegKey(0)})
        EXPECT_EQ(Registry.QueryValue(bogus, KT(""), nullptr, nullptr, nullptr), RegInvalidHandle) << bogus;

    // The roots never need opening.
    EXPECT_EQ(Registry.EnumKey(HKCU, 0, Name.data(), &nameLength, nullptr, nullptr, nullptr), RegSuccess);
    TRegKey reused = Open(KT("K"));
    EXPECT_EQ(Registry.OpenHandleCount(), 2);
    Registry.CloseKey(reused);
    Registry.CloseKey(second);
    EXPECT_EQ(Registry.OpenHandleCount(), 0);
}

TEST_F(MemoryRegistryTest, EnumKeyNeedsRoomForTheNul)
{
    int parent = Registry.AddKeyPath(KT("HKCU\\P"));
    Registry.AddKey(parent, KT("Alpha"), KT("Cls"), 77);
    TRegKey key = Open(KT("P"));
    TFileTime time = 5;

    // A name that fills the room exactly leaves no place for the NUL: nothing is written.
    uint32_t nameLength = 5;
    EXPECT_EQ(Registry.EnumKey(key, 0, Name.data(), &nameLength, nullptr, nullptr, &time), RegMoreData);
    EXPECT_EQ(nameLength, 5u);
    EXPECT_TRUE(NameUntouched());
    EXPECT_EQ(time, 5u);
    nameLength = 0;
    EXPECT_EQ(Registry.EnumKey(key, 0, Name.data(), &nameLength, nullptr, nullptr, nullptr), RegMoreData);

    nameLength = 6;
    EXPECT_EQ(Registry.EnumKey(key, 0, Name.data(), &nameLength, nullptr, nullptr, &time), RegSuccess);
    EXPECT_EQ(nameLength, 5u);
    EXPECT_EQ(NameText(), KT("Alpha"));
    EXPECT_EQ(Name[6], Filler);
    EXPECT_EQ(time, 77u);

    // The class follows the same rule when a buffer is given for it.
    std::fill(Name.begin(), Name.end(), Filler);
    nameLength = 64;
    uint32_t classLength = 3;
    EXPECT_EQ(Registry.EnumKey(key, 0, Name.data(), &nameLength, Class.data(), &classLength, nullptr), RegMoreData);
    EXPECT_EQ(nameLength, 64u);
    EXPECT_EQ(classLength, 3u);
    EXPECT_TRUE(NameUntouched());
    EXPECT_TRUE(ClassUntouched());
    classLength = 4;
    EXPECT_EQ(Registry.EnumKey(key, 0, Name.data(), &nameLength, Class.data(), &classLength, nullptr), RegSuccess);
    EXPECT_EQ(classLength, 3u);
    EXPECT_EQ(TString(Class.data()), KT("Cls"));

    // Only a length: the class's length. Only a buffer: left alone.
    std::fill(Class.begin(), Class.end(), Filler);
    nameLength = 64;
    classLength = 1;
    EXPECT_EQ(Registry.EnumKey(key, 0, Name.data(), &nameLength, nullptr, &classLength, nullptr), RegSuccess);
    EXPECT_EQ(classLength, 3u);
    nameLength = 64;
    EXPECT_EQ(Registry.EnumKey(key, 0, Name.data(), &nameLength, Class.data(), nullptr, nullptr), RegSuccess);
    EXPECT_TRUE(ClassUntouched());

    // Past the end, whatever the room; no buffer at all is a caller's error.
    nameLength = 0;
    EXPECT_EQ(Registry.EnumKey(key, 1, Name.data(), &nameLength, nullptr, nullptr, nullptr), RegNoMoreItems);
    EXPECT_EQ(Registry.EnumKey(key, 0, nullptr, &nameLength, nullptr, nullptr, nullptr), InvalidParameter);
    EXPECT_EQ(Registry.EnumKey(key, 0, Name.data(), nullptr, nullptr, nullptr, nullptr), InvalidParameter);
    Registry.CloseKey(key);
}

TEST_F(MemoryRegistryTest, EnumValueNameTooLongGivesTypeAndNeededSizeOnly)
{
    int node = Registry.AddKeyPath(KT("HKCU\\V"));
    Registry.SetString(node, KT("Data"), KT("hello"));
    const uint32_t size = 6 * sizeof(KChar);
    TRegKey key = Open(KT("V"));

    uint32_t nameLength = 4, type = 99, dataSize = 64;
    EXPECT_EQ(Registry.EnumValue(key, 0, Name.data(), &nameLength, &type, Data.data(), &dataSize), RegMoreData);
    EXPECT_EQ(nameLength, 4u);
    EXPECT_EQ(type, RegSz);
    EXPECT_EQ(dataSize, size);
    EXPECT_TRUE(NameUntouched());
    EXPECT_TRUE(DataUntouched());

    // With the data too small as well, the answer is the same.
    type = 99;
    dataSize = 1;
    EXPECT_EQ(Registry.EnumValue(key, 0, Name.data(), &nameLength, &type, Data.data(), &dataSize), RegMoreData);
    EXPECT_EQ(nameLength, 4u);
    EXPECT_EQ(dataSize, size);
    EXPECT_TRUE(NameUntouched());
    EXPECT_TRUE(DataUntouched());

    nameLength = 5;
    dataSize = 64;
    EXPECT_EQ(Registry.EnumValue(key, 0, Name.data(), &nameLength, &type, Data.data(), &dataSize), RegSuccess);
    EXPECT_EQ(nameLength, 4u);
    EXPECT_EQ(NameText(), KT("Data"));
    EXPECT_EQ(dataSize, size);
    EXPECT_EQ(std::vector<uint8_t>(Data.begin(), Data.begin() + size), Bytes(KT("hello")));
    EXPECT_EQ(Data[size], FillerByte);
    Registry.CloseKey(key);
}

TEST_F(MemoryRegistryTest, EnumValueDataTooLongLeavesTheDataAlone)
{
    int node = Registry.AddKeyPath(KT("HKCU\\V"));
    TString text(5000, KT('x'));
    Registry.SetString(node, KT("Long"), text, RegExpandSz);
    const uint32_t size = static_cast<uint32_t>(Bytes(text).size());
    TRegKey key = Open(KT("V"));
    std::vector<uint8_t> big(size, FillerByte);

    uint32_t nameLength = 64, type = 99, dataSize = size - 1;
    EXPECT_EQ(Registry.EnumValue(key, 0, Name.data(), &nameLength, &type, big.data(), &dataSize), RegMoreData);
    EXPECT_EQ(type, RegExpandSz);
    EXPECT_EQ(dataSize, size);
    EXPECT_EQ(big[0], FillerByte);
    if (sizeof(KChar) == 2) {
        // RegEnumValueW writes the name and its length even so: a retry must give the room again.
        EXPECT_EQ(nameLength, 4u);
        EXPECT_EQ(NameText(), KT("Long"));
        EXPECT_EQ(Registry.EnumValue(key, 0, Name.data(), &nameLength, &type, big.data(), &dataSize), RegMoreData);
    } else {
        // RegEnumValueA does not.
        EXPECT_EQ(nameLength, 64u);
        EXPECT_TRUE(NameUntouched());
    }

    // Room for exactly the data is enough.
    nameLength = 64;
    dataSize = size;
    EXPECT_EQ(Registry.EnumValue(key, 0, Name.data(), &nameLength, &type, big.data(), &dataSize), RegSuccess);
    EXPECT_EQ(dataSize, size);
    EXPECT_EQ(big, Bytes(text));
    Registry.CloseKey(key);
}

TEST_F(MemoryRegistryTest, EnumValueWithoutADataBuffer)
{
    int node = Registry.AddKeyPath(KT("HKCU\\V"));
    Registry.SetDword(node, KT("Number"), 0x01020304);
    Registry.SetValue(node, KT("Empty"), RegBinary, nullptr, 0);
    TRegKey key = Open(KT("V"));

    // Only the size asked for: its size, whatever room was claimed.
    uint32_t nameLength = 64, type = 99, dataSize = 0;
    EXPECT_EQ(Registry.EnumValue(key, 0, Name.data(), &nameLength, &type, nullptr, &dataSize), RegSuccess);
    EXPECT_EQ(dataSize, 4u);
    EXPECT_EQ(type, RegDword);
    nameLength = 64;
    EXPECT_EQ(Registry.EnumValue(key, 0, Name.data(), &nameLength, nullptr, nullptr, nullptr), RegSuccess);
    EXPECT_EQ(NameText(), KT("Number"));

    // A buffer needs its size; a name buffer and its length are required.
    nameLength = 64;
    EXPECT_EQ(Registry.EnumValue(key, 0, Name.data(), &nameLength, &type, Data.data(), nullptr), InvalidParameter);
    EXPECT_EQ(Registry.EnumValue(key, 0, nullptr, &nameLength, &type, nullptr, &dataSize), InvalidParameter);
    EXPECT_EQ(Registry.EnumValue(key, 0, Name.data(), nullptr, &type, nullptr, &dataSize), InvalidParameter);
    EXPECT_TRUE(DataUntouched());

    // Empty data fits in no room at all.
    nameLength = 64;
    dataSize = 0;
    EXPECT_EQ(Registry.EnumValue(key, 1, Name.data(), &nameLength, &type, Data.data(), &dataSize), RegSuccess);
    EXPECT_EQ(dataSize, 0u);
    EXPECT_EQ(type, RegBinary);

    nameLength = 64;
    dataSize = 4;
    EXPECT_EQ(Registry.EnumValue(key, 0, Name.data(), &nameLength, &type, Data.data(), &dataSize), RegSuccess);
    EXPECT_EQ(std::vector<uint8_t>(Data.begin(), Data.begin() + 4), (std::vector<uint8_t>{4, 3, 2, 1}));

    nameLength = 0;
    EXPECT_EQ(Registry.EnumValue(key, 2, Name.data(), &nameLength, &type, nullptr, nullptr), RegNoMoreItems);
    Registry.CloseKey(key);
}

TEST_F(MemoryRegistryTest, QueryValueByNameAndTheUnnamedValue)
{
    int node = Registry.AddKeyPath(KT("HKCU\\V"));
    Registry.SetString(node, KT("Text"), KT("abc"));
    TRegKey key = Open(KT("V"));
    uint32_t type = 99, dataSize = 64;

    // Asking the size of a missing value answers 0; with a buffer the size stays.
    EXPECT_EQ(Registry.QueryValue(key, nullptr, &type, nullptr, &dataSize), RegFileNotFound);
    EXPECT_EQ(dataSize, 0u);
    dataSize = 64;
    EXPECT_EQ(Registry.QueryValue(key, KT(""), &type, Data.data(), &dataSize), RegFileNotFound);
    EXPECT_EQ(dataSize, 64u);
    EXPECT_EQ(type, 99u);

    Registry.SetString(node, KT(""), KT("default"));
    for (const KChar* unnamed : {static_cast<const KChar*>(nullptr), KT("")}) {
        dataSize = 64;
        EXPECT_EQ(Registry.QueryValue(key, unnamed, &type, Data.data(), &dataSize), RegSuccess);
        EXPECT_EQ(std::vector<uint8_t>(Data.begin(), Data.begin() + dataSize), Bytes(KT("default")));
    }

    const uint32_t size = 4 * sizeof(KChar);
    std::fill(Data.begin(), Data.end(), FillerByte);
    dataSize = size - 1;
    type = 99;
    EXPECT_EQ(Registry.QueryValue(key, KT("TEXT"), &type, Data.data(), &dataSize), RegMoreData);
    EXPECT_EQ(dataSize, size);
    EXPECT_EQ(type, RegSz);
    EXPECT_TRUE(DataUntouched());
    EXPECT_EQ(Registry.QueryValue(key, KT("Text"), &type, Data.data(), &dataSize), RegSuccess);
    EXPECT_EQ(Registry.QueryValue(key, KT("Text"), &type, Data.data(), nullptr), InvalidParameter);
    EXPECT_EQ(Registry.QueryValue(key, KT("Text"), nullptr, nullptr, nullptr), RegSuccess);
    Registry.CloseKey(key);
}

TEST_F(MemoryRegistryTest, QueryInfoKeyClassBufferRules)
{
    int node = Registry.AddKeyPath(KT("HKCU\\C"), KT("Cls"), 1234);
    Registry.SetDword(node, KT("a"), 1);
    Registry.SetDword(node, KT("b"), 2);
    TRegKey key = Open(KT("C"));
    uint32_t classLength = 0, values = 0;
    TFileTime time = 0;

    EXPECT_EQ(Registry.QueryInfoKey(key, nullptr, &classLength, &values, &time), RegSuccess);
    EXPECT_EQ(classLength, 3u);
    EXPECT_EQ(values, 2u);
    EXPECT_EQ(time, 1234u);

    classLength = 4;
    EXPECT_EQ(Registry.QueryInfoKey(key, Class.data(), &classLength, nullptr, nullptr), RegSuccess);
    EXPECT_EQ(classLength, 3u);
    EXPECT_EQ(TString(Class.data()), KT("Cls"));

    // No room for the NUL: the W function keeps the buffer and gives the length, the A function
    // fills what fits.
    std::fill(Class.begin(), Class.end(), Filler);
    classLength = 3;
    values = 0;
    int32_t result = Registry.QueryInfoKey(key, Class.data(), &classLength, &values, nullptr);
    if (sizeof(KChar) == 2) {
        EXPECT_EQ(result, InsufficientBuffer);
        EXPECT_EQ(classLength, 3u);
        EXPECT_TRUE(ClassUntouched());
    } else {
        EXPECT_EQ(result, RegMoreData);
        EXPECT_EQ(classLength, 2u);
        EXPECT_EQ(TString(Class.data()), KT("Cl"));
    }
    EXPECT_EQ(values, 2u);

    // No room at all is not an error, and nothing is written.
    std::fill(Class.begin(), Class.end(), Filler);
    classLength = 0;
    EXPECT_EQ(Registry.QueryInfoKey(key, Class.data(), &classLength, nullptr, nullptr), RegSuccess);
    EXPECT_EQ(classLength, 0u);
    EXPECT_TRUE(ClassUntouched());
    EXPECT_EQ(Registry.QueryInfoKey(key, Class.data(), nullptr, nullptr, nullptr), InvalidParameter);
    Registry.CloseKey(key);
}

TEST_F(MemoryRegistryTest, FailuresOnDemand)
{
    int locked = Registry.AddKeyPath(KT("HKCU\\Locked"));
    Registry.AddKeyPath(KT("HKCU\\Locked\\Inside"));
    Registry.FailOpen(locked, RegAccessDenied);
    TRegKey key = 12345;
    EXPECT_EQ(Registry.OpenKey(HKCU, KT("Locked"), KeyRead, &key), RegAccessDenied);
    EXPECT_EQ(key, 0u);
    // Only the key opened last is checked, as the system checks access on the key it opens.
    key = Open(KT("Locked\\Inside"));
    Registry.CloseKey(key);

    int parent = Registry.AddKeyPath(KT("HKCU\\P"));
    for (const KChar* name : {KT("k0"), KT("k1"), KT("k2")}) {
        Registry.AddKey(parent, name);
        Registry.SetDword(parent, name, 0);
    }
    Registry.FailEnumKey(parent, 1, RegKeyDeleted);
    Registry.FailEnumKey(parent, 7, RegAccessDenied);
    Registry.FailEnumValue(parent, 0, RegInvalidHandle);
    key = Open(KT("P"));
    uint32_t nameLength = 64;
    EXPECT_EQ(Registry.EnumKey(key, 0, Name.data(), &nameLength, nullptr, nullptr, nullptr), RegSuccess);
    std::fill(Name.begin(), Name.end(), Filler);
    nameLength = 64;
    EXPECT_EQ(Registry.EnumKey(key, 1, Name.data(), &nameLength, nullptr, nullptr, nullptr), RegKeyDeleted);
    EXPECT_EQ(nameLength, 64u);
    EXPECT_TRUE(NameUntouched());
    EXPECT_EQ(Registry.EnumKey(key, 2, Name.data(), &nameLength, nullptr, nullptr, nullptr), RegSuccess);
    EXPECT_EQ(NameText(), KT("k2"));
    EXPECT_EQ(Registry.EnumKey(key, 3, Name.data(), &nameLength, nullptr, nullptr, nullptr), RegNoMoreItems);
    EXPECT_EQ(Registry.EnumKey(key, 7, Name.data(), &nameLength, nullptr, nullptr, nullptr), RegAccessDenied);

    std::fill(Name.begin(), Name.end(), Filler);
    uint32_t type = 99, dataSize = 64;
    nameLength = 64;
    EXPECT_EQ(Registry.EnumValue(key, 0, Name.data(), &nameLength, &type, Data.data(), &dataSize), RegInvalidHandle);
    EXPECT_EQ(type, 99u);
    EXPECT_EQ(dataSize, 64u);
    EXPECT_TRUE(NameUntouched());
    EXPECT_TRUE(DataUntouched());
    EXPECT_EQ(Registry.EnumValue(key, 1, Name.data(), &nameLength, &type, Data.data(), &dataSize), RegSuccess);
    Registry.CloseKey(key);
}

TEST_F(MemoryRegistryTest, LinksOpenAsTheirTarget)
{
    int loop = Registry.AddKeyPath(KT("HKCU\\L"));
    Registry.SetDword(loop, KT("inL"), 1);
    int link = Registry.AddLink(loop, KT("loop"), loop);
    EXPECT_EQ(Registry.FindKey(KT("HKCU\\L\\loop")), link);
    EXPECT_EQ(Registry.FindKey(KT("HKCU\\L\\loop\\loop")), link);

    TRegKey key = Open(KT("L\\loop\\LOOP\\loop"));
    uint32_t nameLength = 64, type = 0;
    EXPECT_EQ(Registry.EnumValue(key, 0, Name.data(), &nameLength, &type, nullptr, nullptr), RegSuccess);
    EXPECT_EQ(NameText(), KT("inL"));
    nameLength = 64;
    EXPECT_EQ(Registry.EnumKey(key, 0, Name.data(), &nameLength, nullptr, nullptr, nullptr), RegSuccess);
    EXPECT_EQ(NameText(), KT("loop"));
    TRegKey inner = Open(KT("loop"), key);
    Registry.CloseKey(inner);
    Registry.CloseKey(key);

    // A failure of the target applies through the link; a loop of links and a link to a
    // deleted key do not open.
    int target = Registry.AddKeyPath(KT("HKCU\\T"));
    Registry.AddLink(Registry.RootNode(1), KT("ToT"), target);
    Registry.FailOpen(target, RegAccessDenied);
    EXPECT_EQ(Registry.OpenKey(HKCU, KT("ToT"), KeyRead, &key), RegAccessDenied);
    int first = Registry.AddKeyPath(KT("HKCU\\First"));
    int second = Registry.AddLink(Registry.RootNode(1), KT("Second"), first);
    Registry.AddLink(Registry.RootNode(1), KT("First"), second);
    EXPECT_EQ(Registry.OpenKey(HKCU, KT("First"), KeyRead, &key), RegFileNotFound);
    Registry.DeleteKey(target);
    EXPECT_EQ(Registry.OpenKey(HKCU, KT("ToT"), KeyRead, &key), RegFileNotFound);
    EXPECT_EQ(Registry.OpenHandleCount(), 0);
}

TEST_F(MemoryRegistryTest, DeletedKeyAnswersKeyDeletedToItsOpenHandles)
{
    int doomed = Registry.AddKeyPath(KT("HKCU\\P\\Doomed"));
    int child = Registry.AddKeyPath(KT("HKCU\\P\\Doomed\\Child"));
    Registry.SetDword(doomed, KT("v"), 1);
    Registry.SetDword(child, KT("w"), 2);
    Registry.AddKeyPath(KT("HKCU\\P\\Stays"));
    EXPECT_EQ(Registry.KeyCount(), 7u + 4u);
    EXPECT_EQ(Registry.ValueCount(), 2u);
    TRegKey doomedKey = Open(KT("P\\Doomed"));
    TRegKey childKey = Open(KT("P\\Doomed\\Child"));

    Registry.DeleteKey(doomed);
    EXPECT_EQ(Registry.KeyCount(), 7u + 2u);
    EXPECT_EQ(Registry.ValueCount(), 0u);
    EXPECT_EQ(Registry.FindKey(KT("HKCU\\P\\Doomed")), -1);
    for (TRegKey key : {doomedKey, childKey}) {
        uint32_t nameLength = 64, dataSize = 64;
        TRegKey opened = 12345;
        EXPECT_EQ(Registry.QueryInfoKey(key, nullptr, nullptr, nullptr, nullptr), RegKeyDeleted);
        EXPECT_EQ(Registry.EnumKey(key, 0, Name.data(), &nameLength, nullptr, nullptr, nullptr), RegKeyDeleted);
        EXPECT_EQ(Registry.EnumValue(key, 0, Name.data(), &nameLength, nullptr, nullptr, nullptr), RegKeyDeleted);
        EXPECT_EQ(Registry.QueryValue(key, KT("v"), nullptr, Data.data(), &dataSize), RegKeyDeleted);
        EXPECT_EQ(Registry.OpenKey(key, nullptr, KeyRead, &opened), RegKeyDeleted);
        EXPECT_EQ(opened, 0u);
        EXPECT_EQ(Registry.OpenKey(key, KT("Child"), KeyRead, &opened), RegKeyDeleted);
    }
    EXPECT_TRUE(NameUntouched());
    EXPECT_TRUE(DataUntouched());

    // A new key of the same name is another key; the old handles stay deleted.
    int again = Registry.AddKeyPath(KT("HKCU\\P\\Doomed"));
    EXPECT_NE(again, doomed);
    int newChild = Registry.AddKey(again, KT("Child"));
    EXPECT_NE(newChild, child);
    EXPECT_EQ(Registry.FindKey(KT("HKCU\\P\\Doomed\\Child")), newChild);
    EXPECT_EQ(Registry.QueryInfoKey(doomedKey, nullptr, nullptr, nullptr, nullptr), RegKeyDeleted);
    TRegKey fresh = Open(KT("P\\Doomed"));
    uint32_t values = 9;
    EXPECT_EQ(Registry.QueryInfoKey(fresh, nullptr, nullptr, &values, nullptr), RegSuccess);
    EXPECT_EQ(values, 0u);

    for (TRegKey key : {doomedKey, childKey, fresh})
        Registry.CloseKey(key);
    EXPECT_EQ(Registry.OpenHandleCount(), 0);
    // Roots cannot be deleted.
    Registry.DeleteKey(Registry.RootNode(1));
    EXPECT_NE(Registry.FindKey(KT("HKCU\\P\\Stays")), -1);
    EXPECT_EQ(Registry.QueryInfoKey(HKCU, nullptr, nullptr, nullptr, nullptr), RegSuccess);
}

TEST_F(MemoryRegistryTest, HookSeesEachOperationAndMayDeleteTheKeyItIsIn)
{
    int parent = Registry.AddKeyPath(KT("HKCU\\P"));
    Registry.AddKey(parent, KT("a"));
    Registry.AddKey(parent, KT("b"));
    struct TSeen {
        TMemoryRegistry::TOperation Operation;
        int Node;
        uint32_t Index;
    };
    std::vector<TSeen> seen;
    Registry.Hook = [&](TMemoryRegistry::TOperation operation, int node, uint32_t index) {
        seen.push_back(TSeen{operation, node, index});
        if (operation == TMemoryRegistry::OpEnumKey && index == 1)
            Registry.DeleteKey(node);
    };
    TRegKey key = Open(KT("P"));
    uint32_t nameLength = 64;
    EXPECT_EQ(Registry.EnumKey(key, 0, Name.data(), &nameLength, nullptr, nullptr, nullptr), RegSuccess);
    nameLength = 64;
    std::fill(Name.begin(), Name.end(), Filler);
    EXPECT_EQ(Registry.EnumKey(key, 1, Name.data(), &nameLength, nullptr, nullptr, nullptr), RegKeyDeleted);
    EXPECT_TRUE(NameUntouched());
    EXPECT_EQ(Registry.QueryValue(key, nullptr, nullptr, nullptr, nullptr), RegKeyDeleted);

    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].Operation, TMemoryRegistry::OpOpen);
    EXPECT_EQ(seen[0].Node, Registry.RootNode(1));
    EXPECT_EQ(seen[1].Operation, TMemoryRegistry::OpEnumKey);
    EXPECT_EQ(seen[1].Node, parent);
    EXPECT_EQ(seen[2].Index, 1u);
    EXPECT_EQ(seen[3].Operation, TMemoryRegistry::OpQueryValue);
    Registry.CloseKey(key);
    EXPECT_EQ(Registry.OpenHandleCount(), 0);
}

TEST_F(MemoryRegistryTest, EnumerationKeepsAddingOrderAndShiftsAfterADeletion)
{
    int parent = Registry.AddKeyPath(KT("HKCU\\P"));
    for (const KChar* name : {KT("d"), KT("b"), KT("c"), KT("a")})
        Registry.AddKey(parent, name);
    Registry.SetDword(parent, KT("z"), 1);
    Registry.SetDword(parent, KT("y"), 2);
    Registry.SetDword(parent, KT("Z"), 3);
    TRegKey key = Open(KT("P"));
    auto names = [&](bool keys) {
        TString all;
        for (uint32_t i = 0;; ++i) {
            uint32_t nameLength = 64;
            int32_t result = keys ? Registry.EnumKey(key, i, Name.data(), &nameLength, nullptr, nullptr, nullptr)
                                  : Registry.EnumValue(key, i, Name.data(), &nameLength, nullptr, nullptr, nullptr);
            if (result != RegSuccess)
                return all;
            all += NameText();
        }
    };
    EXPECT_EQ(names(true), KT("dbca"));
    EXPECT_EQ(names(false), KT("zy"));

    // With the handle open, a sibling goes: the later ones move up one index.
    uint32_t nameLength = 64;
    ASSERT_EQ(Registry.EnumKey(key, 1, Name.data(), &nameLength, nullptr, nullptr, nullptr), RegSuccess);
    Registry.DeleteKey(Registry.FindKey(KT("HKCU\\P\\b")));
    nameLength = 64;
    ASSERT_EQ(Registry.EnumKey(key, 1, Name.data(), &nameLength, nullptr, nullptr, nullptr), RegSuccess);
    EXPECT_EQ(NameText(), KT("c"));
    EXPECT_EQ(names(true), KT("dca"));
    Registry.AddKey(parent, KT("B"));
    EXPECT_EQ(names(true), KT("dcaB"));
    Registry.CloseKey(key);
}

TEST_F(MemoryRegistryTest, AddingAgainUpdatesAndKeepsTheFirstSpelling)
{
    int parent = Registry.AddKeyPath(KT("HKCU\\P"));
    int key = Registry.AddKey(parent, KT("Name"), KT("one"), 1);
    EXPECT_EQ(Registry.AddKey(parent, KT("NAME"), KT("two"), 2), key);
    Registry.SetString(parent, KT("Value"), KT("first"));
    Registry.SetDword(parent, KT("VALUE"), 7);
    EXPECT_EQ(Registry.KeyCount(), 9u);
    EXPECT_EQ(Registry.ValueCount(), 1u);

    TRegKey open = Open(KT("P"));
    uint32_t nameLength = 64, classLength = 64;
    TFileTime time = 0;
    EXPECT_EQ(Registry.EnumKey(open, 0, Name.data(), &nameLength, Class.data(), &classLength, &time), RegSuccess);
    EXPECT_EQ(NameText(), KT("Name"));
    EXPECT_EQ(TString(Class.data()), KT("two"));
    EXPECT_EQ(time, 2u);
    uint32_t type = 0, dataSize = 64;
    nameLength = 64;
    EXPECT_EQ(Registry.EnumValue(open, 0, Name.data(), &nameLength, &type, Data.data(), &dataSize), RegSuccess);
    EXPECT_EQ(NameText(), KT("Value"));
    EXPECT_EQ(type, RegDword);
    EXPECT_EQ(dataSize, 4u);
    Registry.CloseKey(open);

    Registry.SetClass(key, KT(""));
    Registry.SetLastWrite(key, 3);
    open = Open(KT("P\\name"));
    classLength = 64;
    EXPECT_EQ(Registry.QueryInfoKey(open, Class.data(), &classLength, nullptr, &time), RegSuccess);
    EXPECT_EQ(classLength, 0u);
    EXPECT_EQ(time, 3u);
    Registry.CloseKey(open);
}

TEST_F(MemoryRegistryTest, KeyPathsTakeBothRootSpellings)
{
    int key = Registry.AddKeyPath(KT("HKEY_LOCAL_MACHINE\\Software\\Vendor"), KT("cls"), 50);
    EXPECT_EQ(Registry.FindKey(KT("HKLM\\SOFTWARE\\vendor")), key);
    EXPECT_EQ(Registry.FindKey(KT("hkey_local_machine\\Software\\Vendor\\")), key);
    EXPECT_EQ(Registry.FindKey(KT("HKLM")), Registry.RootNode(2));
    EXPECT_EQ(Registry.FindKey(KT("HKCU\\Software\\Vendor")), -1);
    EXPECT_EQ(Registry.AddKeyPath(KT("HKXX\\Software")), -1);
    EXPECT_EQ(Registry.FindKey(KT("HKXX")), -1);
    EXPECT_EQ(Registry.RootNode(7), -1);

    // The key made on the way has the time and no class; the last one has both.
    TRegKey open = Open(KT("Software"), RootKeyHandle(2));
    uint32_t nameLength = 64, classLength = 64;
    TFileTime time = 0;
    EXPECT_EQ(Registry.QueryInfoKey(open, nullptr, &classLength, nullptr, &time), RegSuccess);
    EXPECT_EQ(classLength, 0u);
    EXPECT_EQ(time, 50u);
    classLength = 64;
    EXPECT_EQ(Registry.EnumKey(open, 0, Name.data(), &nameLength, Class.data(), &classLength, nullptr), RegSuccess);
    EXPECT_EQ(TString(Class.data()), KT("cls"));
    Registry.CloseKey(open);
}

TEST_F(MemoryRegistryTest, ManyChildrenAndValuesStayFindableThroughDeletions)
{
    const int count = 3000;
    int parent = Registry.AddKeyPath(KT("HKCU\\Wide"));
    auto name = [](int i) {
        TString text = KT("key");
        for (int n = i; n > 0; n /= 10)
            text += static_cast<KChar>(KT('0') + n % 10);
        return text;
    };
    std::vector<int> nodes;
    for (int i = 0; i < count; ++i) {
        nodes.push_back(Registry.AddKey(parent, name(i)));
        Registry.SetDword(parent, name(i), static_cast<uint32_t>(i));
    }
    for (int i = 0; i < count; i += 3)
        Registry.DeleteKey(nodes[i]);
    for (int i = 0; i < count; i += 6)
        nodes[i] = Registry.AddKey(parent, name(i));
    for (int i = 0; i < count; i += 7)
        Registry.SetDword(parent, name(i), 1000000 + i);

    TRegKey key = Open(KT("Wide"));
    for (int i = 0; i < count; ++i) {
        bool exists = i % 3 != 0 || i % 6 == 0;
        EXPECT_EQ(Registry.FindKey(KT("HKCU\\Wide\\") + name(i)), exists ? nodes[i] : -1) << i;
        int added = Registry.AddKey(parent, name(i));
        if (exists)
            EXPECT_EQ(added, nodes[i]) << i;
        else
            EXPECT_NE(added, nodes[i]) << i;
        nodes[i] = added;
        uint32_t value = 0, dataSize = 4;
        EXPECT_EQ(Registry.QueryValue(key, name(i).c_str(), nullptr, reinterpret_cast<uint8_t*>(&value), &dataSize),
                  RegSuccess);
        EXPECT_EQ(value, i % 7 == 0 ? 1000000u + i : static_cast<uint32_t>(i)) << i;
    }
    EXPECT_EQ(Registry.ValueCount(), static_cast<size_t>(count));
    uint32_t nameLength = 64;
    EXPECT_EQ(Registry.EnumKey(key, count - 1, Name.data(), &nameLength, nullptr, nullptr, nullptr), RegSuccess);
    nameLength = 64;
    EXPECT_EQ(Registry.EnumKey(key, count, Name.data(), &nameLength, nullptr, nullptr, nullptr), RegNoMoreItems);
    Registry.CloseKey(key);

    // Deleting the wide key takes its names out of the way of a new one.
    Registry.DeleteKey(parent);
    int again = Registry.AddKeyPath(KT("HKCU\\Wide"));
    EXPECT_EQ(Registry.FindKey(KT("HKCU\\Wide\\key1")), -1);
    EXPECT_NE(Registry.AddKey(again, KT("key1")), nodes[1]);
    EXPECT_EQ(Registry.ValueCount(), 0u);
}

TEST_F(MemoryRegistryTest, OperationCountCountsEveryCall)
{
    Registry.AddKeyPath(KT("HKCU\\K"));
    uint64_t before = Registry.OperationCount();
    TRegKey key = Open(KT("K"));
    Registry.QueryInfoKey(key, nullptr, nullptr, nullptr, nullptr);
    uint32_t nameLength = 64;
    Registry.EnumKey(key, 0, Name.data(), &nameLength, nullptr, nullptr, nullptr);
    Registry.EnumValue(key, 0, Name.data(), &nameLength, nullptr, nullptr, nullptr);
    Registry.QueryValue(key, nullptr, nullptr, nullptr, nullptr);
    Registry.QueryValue(0, nullptr, nullptr, nullptr, nullptr);
    Registry.CloseKey(key);
    EXPECT_EQ(Registry.OperationCount() - before, 7u);
}
