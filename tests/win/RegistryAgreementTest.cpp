// The in-memory registry answers as the system does: the same calls with the same buffer sizes on
// the same subtree must give the same codes, lengths, types, sizes and written bytes on both.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "MemoryRegistry.h"
#include "TestKeys.h"
#include "TestSupport.h"
#include "WinRegistry.h"

namespace {

const uint32_t Filler = 0xDEADBEEF, None = ~0u;  // a room of None passes no length or size at all
typedef std::array<TRegKey, 2> TKeys;           // a key open in the system and in memory

// One call ('o' OpenKey, 'i' QueryInfoKey, 'k' EnumKey, 'v' EnumValue, 'q' QueryValue; room is the
// class or data room) and what it answered and wrote: buffers start filled, numbers as Filler.
struct TAnswer {
    int32_t Code = 0;
    uint32_t NameLength, Room, Type = Filler, ValueCount = Filler;
    TRegKey Opened = 12345;
    std::vector<KChar> Name = std::vector<KChar>(16384, KT('#')), Class = std::vector<KChar>(300, KT('#'));
    std::vector<uint8_t> Data = std::vector<uint8_t>(40000, 0xBD);

    TAnswer(uint32_t nameRoom, uint32_t room) : NameLength(nameRoom), Room(room) {}
    void Make(TRegistry& registry, TRegKey key, char op, const KChar* name, uint32_t index, uint32_t nameRoom,
              uint32_t room, bool buffer)
    {
        uint32_t* length = room == None ? nullptr : &Room;
        KChar* className = buffer ? Class.data() : nullptr;
        uint8_t* data = buffer ? Data.data() : nullptr;
        Code = op == 'o'   ? registry.OpenKey(key, name, KeyRead, &Opened)
               : op == 'i' ? registry.QueryInfoKey(key, className, length, &ValueCount, nullptr)
               : op == 'k' ? registry.EnumKey(key, index, Name.data(), &NameLength, className, length, nullptr)
               : op == 'v' ? registry.EnumValue(key, index, Name.data(), &NameLength, &Type, data, length)
                           : registry.QueryValue(key, name, &Type, data, length);
        if (op == 'o' && Code == RegSuccess)
            registry.CloseKey(Opened);
        // Handles differ: what counts is whether one came, and whether it is the parent's.
        Opened = Opened == 0 ? 0 : Opened == key ? 1 : 2;
        // After a failed query the type is whatever the system left there (Wine's A function sets 0).
        if (op == 'q' && Code != RegSuccess && Code != RegMoreData)
            Type = Filler;
    }
    auto Everything() const { return std::tie(Code, NameLength, Room, Type, ValueCount, Opened, Name, Class, Data); }
};

class RegistryAgreementTest : public ::testing::Test {
protected:
    TWinRegistry System;
    TMemoryRegistry Memory;
    const TString Top = TEST_KEY("Agreement");
    TKeys TopKeys = {};
    // In name order, as the system lists subkeys (Wine values too); the last two values are not there.
    const TStringArray ValueNames = {KT(""), KT("Dword"), KT("Empty"), KT("Japanese"), KT("LongText"), KT("Multi"),
                                     KT("N") + TString(2000, KT('n')), KT("missing"), KT("dword")};
    const TStringArray KeyNames = {KT("Alpha"), KT("Beta"), KT("Doomed"), KT("Kanji表示"), KT("Ｗｉｄｅ")};

    void SetUp() override
    {
#if defined(KEYFINCH_ANSI)
        ASSERT_EQ(GetACP(), 932u) << "the ANSI build needs code page 932 (LANG=ja_JP.UTF-8 under Wine)";
#endif
        RegDeleteTree(HKEY_CURRENT_USER, Top.c_str());
        const std::pair<DWORD, std::vector<uint8_t>> values[] = {
            {REG_SZ, StringData(KT("default"))}, {REG_DWORD, {1, 2, 3, 4}}, {REG_BINARY, {}},
            {REG_SZ, StringData(KT("日本語のデータ表"))}, {REG_SZ, StringData(TString(9000, KT('x')) + KT("end"))},
            {REG_MULTI_SZ, StringData(TString(KT("one\0two\0"), 8))}, {REG_DWORD, {1, 2, 3, 4}}};
        for (const TString path : {KT(""), KT("\\Alpha"), KT("\\Alpha\\Inner"), KT("\\Beta"), KT("\\Doomed"),
                                   KT("\\Kanji表示"), KT("\\Kanji表示\\Deep"), KT("\\Ｗｉｄｅ")}) {
            // Top and Alpha have a class of ten units, the others none.
            TString className = path.empty() || path == KT("\\Alpha") ? KT("TenLetters") : KT("");
            HKEY key = nullptr;
            RegCreateKeyEx(HKEY_CURRENT_USER, (Top + path).c_str(), 0, &className[0], 0, KEY_WRITE, nullptr, &key,
                           nullptr);
            int node = Memory.AddKeyPath(KT("HKCU\\") + Top + path, className);
            for (size_t i = 0; path.empty() && i < std::size(values); ++i) {
                const std::vector<uint8_t>& data = values[i].second;
                RegSetValueEx(key, ValueNames[i].c_str(), 0, values[i].first, data.data(), DWORD(data.size()));
                Memory.SetValue(node, ValueNames[i], values[i].first, data.data(), data.size());
            }
            RegCloseKey(key);
        }
        TopKeys = Open(Top);
    }
    void TearDown() override
    {
        Close(TopKeys);
        RegDeleteTree(HKEY_CURRENT_USER, Top.c_str());
        EXPECT_EQ(Memory.OpenHandleCount(), 0);
    }

    // Opens path below HKCU in both registries.
    TKeys Open(const TString& path)
    {
        TKeys keys = {};
        EXPECT_TRUE(System.OpenKey(RootKeyHandle(1), path.c_str(), KeyRead, &keys[0]) == RegSuccess &&
                    Memory.OpenKey(RootKeyHandle(1), path.c_str(), KeyRead, &keys[1]) == RegSuccess);
        return keys;
    }
    void Close(const TKeys& keys)
    {
        System.CloseKey(keys[0]);
        Memory.CloseKey(keys[1]);
    }

    // Makes one call on both; the buffers are compared only where the system itself is consistent.
    void Agree(const TKeys& keys, char op, const KChar* name, uint32_t index = 0, uint32_t nameRoom = 0,
               uint32_t room = 0, bool buffer = false, bool compareBuffers = true)
    {
        TAnswer system(nameRoom, room), memory(nameRoom, room);
        system.Make(System, keys[0], op, name, index, nameRoom, room, buffer);
        memory.Make(Memory, keys[1], op, name, index, nameRoom, room, buffer);
        if (!compareBuffers)
            std::tie(memory.Name, memory.Class, memory.Data) = std::tie(system.Name, system.Class, system.Data);
        EXPECT_EQ(system.Everything(), memory.Everything())
            << testing::PrintToString(std::tie(op, index, nameRoom, room, buffer)) << (name ? Printable(name) : "");
    }
};

}  // namespace

TEST_F(RegistryAgreementTest, OpeningPaths)
{
    // From HKCU and from Top; no subkey gives HKCU itself, or a new handle to an open key.
    for (const KChar* subKey : {Top.c_str(), static_cast<const KChar*>(nullptr), KT(""), KT("\\"), KT("\\Software"),
                                KT("Kanji表示\\Deep"), KT("ｗｉｄｅ"), KT("ＷＩＤＥ"), KT("Wide"), KT("Alpha\\"),
                                KT("Alpha\\\\Inner"), KT("ALPHA\\inner"), KT("Missing"), KT("Missing\\Inner")})
        for (const TKeys& keys : {TKeys{RootKeyHandle(1), RootKeyHandle(1)}, TopKeys})
            Agree(keys, 'o', subKey);
}

TEST_F(RegistryAgreementTest, BufferSizes)
{
    const auto classRooms = {None, 0u, 1u, 10u, 11u, 300u};
    // With a buffer, a class room of 0 is left out: Windows answers 0 for it and Wine the length.
    for (uint32_t room : classRooms)
        for (bool buffer : {false, room != 0})
            Agree(TopKeys, 'i', nullptr, 0, 0, room, buffer);
    for (uint32_t index = 0; index <= KeyNames.size(); ++index) {
        uint32_t length = index < KeyNames.size() ? uint32_t(KeyNames[index].size()) : 3;
        for (uint32_t nameRoom : {0u, length, length + 1, 256u})
            for (uint32_t classRoom : classRooms)
                for (bool buffer : {false, true})
                    Agree(TopKeys, 'k', nullptr, index, nameRoom, classRoom, buffer);
    }
    for (uint32_t index = 0; index < ValueNames.size(); ++index) {
        uint32_t length = uint32_t(ValueNames[index].size()), size = 0;
        Memory.QueryValue(TopKeys[1], ValueNames[index].c_str(), nullptr, nullptr, &size);
        for (uint32_t room : {None, 0u, size > 0 ? size - 1 : 0u, size, size + 1, 40000u})
            for (bool buffer : {false, true}) {
                Agree(TopKeys, 'q', ValueNames[index].c_str(), 0, 0, room, buffer);
                // What the A function leaves in the buffers after a name that does not fit varies.
                for (uint32_t nameRoom : {length, length + 1, 16384u})
                    Agree(TopKeys, 'v', nullptr, index, nameRoom, room, buffer,
                          nameRoom > length || sizeof(KChar) == 2);
            }
    }
    Agree(TopKeys, 'q', nullptr, 0, 0, 100, true);
}

TEST_F(RegistryAgreementTest, KeyDeletedUnderAnOpenHandle)
{
    const TString path = Top + KT("\\Doomed");
    TKeys doomed = Open(path);
    ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, path.c_str()), ERROR_SUCCESS);
    Memory.DeleteKey(Memory.FindKey(KT("HKCU\\") + path));
    for (char op : {'o', 'i', 'k', 'v', 'q'})
        Agree(doomed, op, KT(""), 0, 256, 300, true);
    // Closed, right after closing, before anything else can take the handle's value.
    Close(doomed);
    Agree(doomed, 'i', nullptr);
    // The later subkeys of the parent move up one index.
    for (uint32_t index = 0; index < KeyNames.size(); ++index)
        Agree(TopKeys, 'k', nullptr, index, 256, None);
}
