// The in-memory registry answers as the system does: a small subtree is made in the real
// registry and, by the same steps, in memory; then the same calls with the same buffer sizes
// must give the same result codes, lengths, types, sizes and written bytes on both.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "MemoryRegistry.h"
#include "TestKeys.h"
#include "WinRegistry.h"

namespace {

const KChar* const AgreementPath = TEST_KEY("Agreement");
const KChar NameFiller = KT('#');
const uint8_t DataFiller = 0xBD;
const uint32_t NumberFiller = 0xDEADBEEF;
const uint32_t BigNameRoom = 16384;
const uint32_t BigDataRoom = 40000;

// A key made in both registries.
struct TKeyPair {
    HKEY System;
    int Memory;
};

// An open key of both registries.
struct TOpenPair {
    TRegKey System;
    TRegKey Memory;
};

// What one call answered and wrote. Buffers start filled, numbers start as NumberFiller.
struct TAnswer {
    int32_t Code = 0;
    uint32_t NameLength = NumberFiller;
    uint32_t ClassLength = NumberFiller;
    uint32_t Type = NumberFiller;
    uint32_t DataSize = NumberFiller;
    uint32_t ValueCount = NumberFiller;
    TFileTime LastWrite = 0x1111;
    bool OpenedSomething = false;
    bool OpenedParent = false;
    std::vector<KChar> Name = std::vector<KChar>(BigNameRoom, NameFiller);
    std::vector<KChar> Class = std::vector<KChar>(300, NameFiller);
    std::vector<uint8_t> Data = std::vector<uint8_t>(BigDataRoom, DataFiller);
};

typedef std::function<int32_t(TRegistry& registry, TRegKey key, TAnswer& answer)> TCall;

std::string Describe(const std::string& what, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0)
{
    return what + " " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c);
}

class RegistryAgreementTest : public ::testing::Test {
protected:
    TWinRegistry System;
    TMemoryRegistry Memory;
    std::vector<TKeyPair> Made;
    TKeyPair Top = {nullptr, -1};
    TString LongValueName;
    std::vector<TString> ValueNames;
    std::vector<TString> KeyNames;

    void SetUp() override
    {
#if defined(KEYFINCH_ANSI)
        ASSERT_EQ(GetACP(), 932u) << "the ANSI build is tested with code page 932 (LANG=ja_JP.UTF-8 under Wine)";
#endif
        RemoveTree();
        LongValueName = KT("N") + TString(2000, KT('n'));
        Top = MakeKey(TKeyPair{HKEY_CURRENT_USER, Memory.RootNode(1)}, AgreementPath, KT("AgreementClass"));
        ASSERT_NE(Top.System, nullptr);

        // Values in name order and keys in name order: the system lists subkeys sorted, and Wine
        // also lists values sorted, while the in-memory registry keeps the order of adding.
        SetText(Top, KT(""), KT("default"));
        const uint8_t bytes[] = {1, 2, 3, 4, 5};
        SetData(Top, KT("Binary"), REG_BINARY, bytes, sizeof bytes);
        DWORD number = 0x12345678;
        SetData(Top, KT("Dword"), REG_DWORD, &number, sizeof number);
        SetData(Top, KT("Empty"), REG_BINARY, nullptr, 0);
        SetText(Top, KT("Japanese"), KT("日本語のデータ表"));
        SetText(Top, KT("LongText"), TString(9000, KT('x')) + KT("end"));
        SetText(Top, KT("Multi"), TString(KT("one\0two\0"), 8), REG_MULTI_SZ);
        SetData(Top, LongValueName, REG_DWORD, &number, sizeof number);
        ValueNames = {KT(""), KT("Binary"), KT("Dword"), KT("Empty"), KT("Japanese"), KT("LongText"), KT("Multi"),
                      LongValueName};

        TKeyPair alpha = MakeKey(Top, KT("Alpha"), KT("AlphaClass"));
        SetText(MakeKey(alpha, KT("Inner")), KT("v"), KT("inner value"));
        MakeKey(Top, KT("Beta"));
        SetText(MakeKey(Top, KT("Doomed")), KT("gone"), KT("soon"));
        MakeKey(MakeKey(Top, KT("Kanji表示")), KT("Deep"));
        MakeKey(Top, KT("Ｗｉｄｅ"));
        KeyNames = {KT("Alpha"), KT("Beta"), KT("Doomed"), KT("Kanji表示"), KT("Ｗｉｄｅ")};

        // The in-memory keys take the times the system gave.
        for (const TKeyPair& key : Made) {
            FILETIME time;
            ASSERT_EQ(RegQueryInfoKey(key.System, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, nullptr, nullptr, &time),
                      ERROR_SUCCESS);
            Memory.SetLastWrite(key.Memory, static_cast<TFileTime>(time.dwHighDateTime) << 32 | time.dwLowDateTime);
        }
    }

    void TearDown() override
    {
        for (const TKeyPair& key : Made)
            RegCloseKey(key.System);
        RemoveTree();
        EXPECT_EQ(Memory.OpenHandleCount(), 0);
    }

    static void RemoveTree()
    {
        RegDeleteTree(HKEY_CURRENT_USER, AgreementPath);
    }

    TKeyPair MakeKey(const TKeyPair& parent, const TString& name, const TString& className = TString())
    {
        TKeyPair key = {nullptr, -1};
        LONG result = RegCreateKeyEx(parent.System, name.c_str(), 0,
                                     className.empty() ? nullptr : const_cast<KChar*>(className.c_str()), 0,
                                     KEY_ALL_ACCESS, nullptr, &key.System, nullptr);
        EXPECT_EQ(result, ERROR_SUCCESS);
        if (parent.Memory == Memory.RootNode(1))
            key.Memory = Memory.AddKeyPath(KT("HKCU\\") + name, className);
        else
            key.Memory = Memory.AddKey(parent.Memory, name, className);
        Made.push_back(key);
        return key;
    }

    void SetData(const TKeyPair& key, const TString& name, DWORD type, const void* data, size_t size)
    {
        EXPECT_EQ(RegSetValueEx(key.System, name.c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)),
                  ERROR_SUCCESS);
        Memory.SetValue(key.Memory, name, type, data, size);
    }

    void SetText(const TKeyPair& key, const TString& name, const TString& text, DWORD type = REG_SZ)
    {
        SetData(key, name, type, text.c_str(), (text.size() + 1) * sizeof(KChar));
    }

    TOpenPair OpenBoth(const TString& path)
    {
        TOpenPair key = {0, 0};
        EXPECT_EQ(System.OpenKey(RootKeyHandle(1), path.c_str(), KeyRead, &key.System), RegSuccess);
        EXPECT_EQ(Memory.OpenKey(RootKeyHandle(1), path.c_str(), KeyRead, &key.Memory), RegSuccess);
        return key;
    }

    void CloseBoth(const TOpenPair& key)
    {
        System.CloseKey(key.System);
        Memory.CloseKey(key.Memory);
    }

    // Makes the call on both registries and compares everything it answered and wrote;
    // compareBuffers false where the system itself varies in what it leaves in the buffers.
    void Agree(const TOpenPair& key, const TCall& call, const std::string& what, bool compareBuffers = true)
    {
        TAnswer system, memory;
        system.Code = call(System, key.System, system);
        memory.Code = call(Memory, key.Memory, memory);
        EXPECT_EQ(system.Code, memory.Code) << what;
        EXPECT_EQ(system.NameLength, memory.NameLength) << what;
        EXPECT_EQ(system.ClassLength, memory.ClassLength) << what;
        EXPECT_EQ(system.Type, memory.Type) << what;
        EXPECT_EQ(system.DataSize, memory.DataSize) << what;
        EXPECT_EQ(system.ValueCount, memory.ValueCount) << what;
        EXPECT_EQ(system.LastWrite, memory.LastWrite) << what;
        EXPECT_EQ(system.OpenedSomething, memory.OpenedSomething) << what;
        EXPECT_EQ(system.OpenedParent, memory.OpenedParent) << what;
        if (compareBuffers) {
            EXPECT_TRUE(system.Name == memory.Name) << what;
            EXPECT_TRUE(system.Class == memory.Class) << what;
            EXPECT_TRUE(system.Data == memory.Data) << what;
        }
    }
};

TCall OpenCall(const KChar* subKey)
{
    return [=](TRegistry& registry, TRegKey key, TAnswer& answer) {
        TRegKey opened = 12345;
        int32_t result = registry.OpenKey(key, subKey, KeyRead, &opened);
        answer.OpenedSomething = opened != 0;
        answer.OpenedParent = opened == key;
        if (result == RegSuccess)
            registry.CloseKey(opened);
        return result;
    };
}

TCall QueryInfoCall(bool withClass, uint32_t classRoom, bool withLength = true)
{
    return [=](TRegistry& registry, TRegKey key, TAnswer& answer) {
        answer.ClassLength = classRoom;
        return registry.QueryInfoKey(key, withClass ? answer.Class.data() : nullptr,
                                     withLength ? &answer.ClassLength : nullptr, &answer.ValueCount, &answer.LastWrite);
    };
}

TCall EnumKeyCall(uint32_t index, uint32_t nameRoom, bool withClass, uint32_t classRoom, bool withClassLength = true)
{
    return [=](TRegistry& registry, TRegKey key, TAnswer& answer) {
        answer.NameLength = nameRoom;
        answer.ClassLength = classRoom;
        int32_t result = registry.EnumKey(key, index, answer.Name.data(), &answer.NameLength,
                                          withClass ? answer.Class.data() : nullptr,
                                          withClassLength ? &answer.ClassLength : nullptr, &answer.LastWrite);
        // Wine writes the time even when the name does not fit; the in-memory registry writes
        // nothing then, so a caller cannot come to rely on it.
        if (result != RegSuccess)
            answer.LastWrite = TAnswer().LastWrite;
        return result;
    };
}

TCall EnumValueCall(uint32_t index, uint32_t nameRoom, bool withData, uint32_t dataRoom, bool withSize = true)
{
    return [=](TRegistry& registry, TRegKey key, TAnswer& answer) {
        answer.NameLength = nameRoom;
        answer.DataSize = dataRoom;
        return registry.EnumValue(key, index, answer.Name.data(), &answer.NameLength, &answer.Type,
                                  withData ? answer.Data.data() : nullptr, withSize ? &answer.DataSize : nullptr);
    };
}

TCall QueryValueCall(const KChar* name, bool withData, uint32_t dataRoom, bool withSize = true)
{
    return [=](TRegistry& registry, TRegKey key, TAnswer& answer) {
        answer.DataSize = dataRoom;
        int32_t result = registry.QueryValue(key, name, &answer.Type, withData ? answer.Data.data() : nullptr,
                                             withSize ? &answer.DataSize : nullptr);
        // After a failure the type is whatever the system left there (Wine's A function sets 0).
        if (result != RegSuccess && result != RegMoreData)
            answer.Type = TAnswer().Type;
        return result;
    };
}

}  // namespace

TEST_F(RegistryAgreementTest, OpeningPaths)
{
    const TOpenPair root = {RootKeyHandle(1), RootKeyHandle(1)};
    const TString top = AgreementPath;
    int count = 0;
    for (const TString& path : {top, TString(KT("software\\KEYFINCHTEST\\agreement")), top + KT("\\Kanji表示\\Deep"),
                                top + KT("\\ｗｉｄｅ"), top + KT("\\ＷＩＤＥ"), top + KT("\\Alpha\\"),
                                top + KT("\\\\Alpha"), top + KT("\\Alpha\\Inner"), top + KT("\\Missing"),
                                top + KT("\\Missing\\Inner"), top + KT("\\Wide"), TString(KT("\\Software")),
                                TString(KT("\\"))})
        Agree(root, OpenCall(path.c_str()), Describe("open path", count++));
    // No subkey: the root itself, or a new handle to an open key.
    Agree(root, OpenCall(nullptr), "open root null");
    Agree(root, OpenCall(KT("")), "open root empty");
    TOpenPair key = OpenBoth(top);
    Agree(key, OpenCall(nullptr), "open key null");
    Agree(key, OpenCall(KT("")), "open key empty");
    Agree(key, OpenCall(KT("Alpha")), "open relative");
    CloseBoth(key);
}

TEST_F(RegistryAgreementTest, QueryInfoKeyClassBuffers)
{
    for (const TString& path : {TString(AgreementPath), TString(AgreementPath) + KT("\\Alpha"),
                                TString(AgreementPath) + KT("\\Beta")}) {
        TOpenPair key = OpenBoth(path);
        Agree(key, QueryInfoCall(false, 0, false), "info without class");
        Agree(key, QueryInfoCall(false, 1), "info class length only");
        TAnswer probe;
        Memory.QueryInfoKey(key.Memory, nullptr, &probe.ClassLength, nullptr, nullptr);
        uint32_t length = probe.ClassLength;
        // A room of 0 is left out: Windows answers 0 for it and Wine the class length.
        for (uint32_t room : {1u, length, length + 1, 300u})
            if (room > 0)
                Agree(key, QueryInfoCall(true, room), Describe("info class room", room, length));
        Agree(key, QueryInfoCall(true, 300, false), "info class without length");
        CloseBoth(key);
    }
}

TEST_F(RegistryAgreementTest, EnumKeyBufferSizes)
{
    TOpenPair key = OpenBoth(AgreementPath);
    for (uint32_t index = 0; index <= KeyNames.size(); ++index) {
        uint32_t length = index < KeyNames.size() ? static_cast<uint32_t>(KeyNames[index].size()) : 3;
        for (uint32_t room : {0u, length, length + 1, 256u}) {
            Agree(key, EnumKeyCall(index, room, false, 0, false), Describe("enum key", index, room));
            Agree(key, EnumKeyCall(index, room, false, 100), Describe("enum key class length", index, room));
        }
        for (uint32_t classRoom : {0u, 1u, 10u, 11u, 300u}) {
            Agree(key, EnumKeyCall(index, 256, true, classRoom), Describe("enum key class", index, classRoom));
            Agree(key, EnumKeyCall(index, length, true, classRoom), Describe("enum key short", index, classRoom));
        }
        Agree(key, EnumKeyCall(index, 256, true, 0, false), Describe("enum key class no length", index));
    }
    CloseBoth(key);
}

TEST_F(RegistryAgreementTest, EnumValueBufferSizes)
{
    TOpenPair key = OpenBoth(AgreementPath);
    for (uint32_t index = 0; index <= ValueNames.size(); ++index) {
        uint32_t length = index < ValueNames.size() ? static_cast<uint32_t>(ValueNames[index].size()) : 3;
        uint32_t size = 0;
        if (index < ValueNames.size()) {
            TAnswer probe;
            probe.DataSize = 0;
            Memory.QueryValue(key.Memory, ValueNames[index].c_str(), nullptr, nullptr, &probe.DataSize);
            size = probe.DataSize;
        }
        for (uint32_t nameRoom : {length, length + 1, BigNameRoom}) {
            // The A function's buffers after a name that does not fit vary between systems.
            bool nameFits = nameRoom > length;
            bool buffers = nameFits || sizeof(KChar) == 2;
            Agree(key, EnumValueCall(index, nameRoom, false, 0), Describe("value size only", index, nameRoom), buffers);
            Agree(key, EnumValueCall(index, nameRoom, false, 0, false), Describe("value name only", index, nameRoom),
                  buffers);
            for (uint32_t room : {0u, size > 0 ? size - 1 : 0u, size, size + 1, BigDataRoom})
                Agree(key, EnumValueCall(index, nameRoom, true, room), Describe("value data", index, nameRoom, room),
                      buffers);
        }
        Agree(key, EnumValueCall(index, BigNameRoom, true, BigDataRoom, false), Describe("value data no size", index));
    }
    CloseBoth(key);
}

TEST_F(RegistryAgreementTest, QueryValueBufferSizes)
{
    TOpenPair key = OpenBoth(AgreementPath);
    std::vector<TString> names = ValueNames;
    names.push_back(KT("missing"));
    names.push_back(KT("dword"));
    for (const TString& name : names) {
        TAnswer probe;
        probe.DataSize = 0;
        Memory.QueryValue(key.Memory, name.c_str(), nullptr, nullptr, &probe.DataSize);
        uint32_t size = probe.DataSize;
        std::string what = "query value " + std::to_string(name.size());
        Agree(key, QueryValueCall(name.c_str(), false, 0), what + " size only");
        Agree(key, QueryValueCall(name.c_str(), false, 0, false), what + " nothing");
        Agree(key, QueryValueCall(name.c_str(), true, 0, false), what + " no size");
        for (uint32_t room : {0u, size > 0 ? size - 1 : 0u, size, BigDataRoom})
            Agree(key, QueryValueCall(name.c_str(), true, room), Describe(what, room));
    }
    Agree(key, QueryValueCall(nullptr, true, BigDataRoom), "query unnamed by null");
    CloseBoth(key);

    // A key without an unnamed value.
    key = OpenBoth(TString(AgreementPath) + KT("\\Beta"));
    Agree(key, QueryValueCall(nullptr, false, 100), "no unnamed value, size only");
    Agree(key, QueryValueCall(KT(""), true, 100), "no unnamed value");
    CloseBoth(key);
}

TEST_F(RegistryAgreementTest, KeyDeletedUnderOpenHandlesAndClosedHandles)
{
    TString path = TString(AgreementPath) + KT("\\Doomed");
    TOpenPair doomed = OpenBoth(path);
    TOpenPair again = OpenBoth(path);
    ASSERT_EQ(RegDeleteTree(Top.System, KT("Doomed")), ERROR_SUCCESS);
    Memory.DeleteKey(Memory.FindKey(KT("HKCU\\") + path));

    Agree(doomed, QueryInfoCall(true, 300), "deleted info");
    Agree(doomed, EnumKeyCall(0, 256, true, 300), "deleted enum key");
    Agree(doomed, EnumValueCall(0, 256, true, 100), "deleted enum value");
    Agree(doomed, QueryValueCall(KT("gone"), true, 100), "deleted query value");
    Agree(doomed, OpenCall(KT("")), "deleted open itself");
    Agree(doomed, OpenCall(KT("x")), "deleted open below");
    CloseBoth(doomed);
    // Right after closing, before anything else can take the handle's value.
    Agree(again, [](TRegistry& registry, TRegKey key, TAnswer& answer) {
        registry.CloseKey(key);
        return registry.QueryInfoKey(key, nullptr, nullptr, &answer.ValueCount, nullptr);
    }, "closed handle");

    TOpenPair top = OpenBoth(AgreementPath);
    for (uint32_t index = 0; index < KeyNames.size(); ++index)
        Agree(top, EnumKeyCall(index, 256, false, 0, false), Describe("enum after deletion", index));
    CloseBoth(top);
}
