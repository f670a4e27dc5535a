// The walk over a subtree of the real registry gives the same hits, in the same order, as the
// walk over an in-memory copy of that subtree.
#include <windows.h>

#include <gtest/gtest.h>

#include "MemoryRegistry.h"
#include "TestKeys.h"
#include "TestSupport.h"
#include "WinRegistry.h"

namespace {

const KChar* const TestRoot = TEST_KEY("Walk");

HKEY CreateKey(HKEY parent, const TString& name, const TString& className = TString())
{
    HKEY key = nullptr;
    RegCreateKeyEx(parent, name.c_str(), 0, className.empty() ? nullptr : const_cast<KChar*>(className.c_str()), 0,
                   KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return key;
}

void SetData(HKEY key, const TString& name, DWORD type, const void* data, size_t size)
{
    RegSetValueEx(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
}

void SetText(HKEY key, const TString& name, const TString& text, DWORD type = REG_SZ)
{
    SetData(key, name, type, text.c_str(), (text.size() + 1) * sizeof(KChar));
}

// A subtree with every kind of thing the walk treats differently.
void Seed()
{
    HKEY top = CreateKey(HKEY_CURRENT_USER, TestRoot);
    SetText(top, KT(""), KT("default text"));
    SetText(top, KT("Alpha"), KT("needle in data"));
    SetText(top, KT("expand"), KT("%SystemRoot%\\needle"), REG_EXPAND_SZ);
    SetText(top, KT("multi"), TString(KT("one\0needle\0two\0"), 15), REG_MULTI_SZ);
    DWORD number = 0x12345678;
    SetData(top, KT("needle_dword"), REG_DWORD, &number, sizeof number);
    std::vector<BYTE> bytes(12000, 'n');
    SetData(top, KT("big_binary"), REG_BINARY, bytes.data(), bytes.size());
    SetText(top, KT("big_text"), TString(7000, KT('x')) + KT("needle"));
    SetText(top, KT("after_big"), KT("Needle"));
    HKEY classy = CreateKey(top, KT("ClassyKey"), KT("needleClass"));
    SetText(classy, KT("inner"), KT("x"));
    HKEY child = CreateKey(top, KT("needle_child"));
    HKEY grandchild = CreateKey(child, KT("deeper"));
    SetText(grandchild, KT("NEEDLE"), KT(""));
    SetText(grandchild, KT("empty"), KT(""));
    RegCloseKey(grandchild);
    RegCloseKey(child);
    RegCloseKey(classy);
    RegCloseKey(top);
}

void RemoveSeed()
{
    RegDeleteTree(HKEY_CURRENT_USER, TestRoot);
}

// Copies a real key and everything below it into the in-memory registry, in enumeration order.
void CopyKey(HKEY key, TMemoryRegistry& memory, int node)
{
    std::vector<KChar> name(16384), className(4096);
    std::vector<BYTE> data(1 << 20);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size()), type = 0, size = static_cast<DWORD>(data.size());
        if (RegEnumValue(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
            break;
        memory.SetValue(node, TString(name.data(), nameLength), type, data.data(), size);
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size()), classLength = static_cast<DWORD>(className.size());
        FILETIME time;
        if (RegEnumKeyEx(key, i, name.data(), &nameLength, nullptr, className.data(), &classLength, &time) != ERROR_SUCCESS)
            break;
        TFileTime lastWrite = (static_cast<TFileTime>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
        int childNode = memory.AddKey(node, TString(name.data(), nameLength), TString(className.data(), classLength), lastWrite);
        HKEY child;
        ASSERT_EQ(RegOpenKeyEx(key, name.data(), 0, KEY_READ, &child), ERROR_SUCCESS);
        CopyKey(child, memory, childNode);
        RegCloseKey(child);
    }
}

class RealRegistryWalk : public ::testing::Test {
protected:
    TMemoryRegistry Memory;

    void SetUp() override
    {
        RemoveSeed();
        Seed();
        HKEY top;
        ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, TestRoot, 0, KEY_READ, &top), ERROR_SUCCESS);
        FILETIME time;
        RegQueryInfoKey(top, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &time);
        int node = Memory.AddKeyPath(TString(KT("HKCU\\")) + TestRoot, TString(),
                                     (static_cast<TFileTime>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
        CopyKey(top, Memory, node);
        RegCloseKey(top);
    }

    void TearDown() override { RemoveSeed(); }

    std::vector<TRecordedHit> Walk(TRegistry& registry, TSearchConditions conditions)
    {
        conditions.Type = LocationOneKey;
        conditions.KeyName = TString(KT("HKCU\\")) + TestRoot;
        EXPECT_EQ(registry.OpenKey(RootKeyHandle(1), TestRoot, KeyRead, &conditions.KeyHandle), 0);
        TSearchState state;
        TRecordingSink sink;
        state.AllocateBuffers();
        TSearchWalk walk(registry, conditions, state, sink);
        walk.SearchRoots();
        return sink.Hits;
    }
};

}  // namespace

TEST_F(RealRegistryWalk, SameHitsAsTheInMemoryCopy)
{
    struct TCase {
        const KChar* Text;
        bool Key, Value, Data, WholeWord, MatchCase;
    };
    const TCase cases[] = {
        {KT("needle"), true, true, true, false, false},
        {KT("needle"), true, true, true, false, true},
        {KT("NEEDLE"), true, true, false, true, true},
        {KT("needle"), false, false, true, false, false},
        {KT(""), true, true, true, false, false},
        {KT(""), false, true, true, true, false},
        {KT("e"), true, true, false, false, false},
    };
    TWinRegistry real;
    for (const TCase& c : cases) {
        TSearchConditions conditions;
        SetSearchText(conditions, c.Text, c.WholeWord, c.MatchCase);
        conditions.Key = c.Key;
        conditions.Value = c.Value;
        conditions.Data = c.Data;
        std::vector<TRecordedHit> expected = Walk(Memory, conditions);
        std::vector<TRecordedHit> actual = Walk(real, conditions);
        ASSERT_EQ(actual.size(), expected.size()) << Printable(c.Text);
        ASSERT_FALSE(actual.empty()) << Printable(c.Text);
        for (size_t i = 0; i < actual.size(); ++i) {
            EXPECT_EQ(actual[i].Brief(), expected[i].Brief()) << Printable(c.Text) << " hit " << i;
            EXPECT_EQ(actual[i].Data, expected[i].Data) << actual[i].Brief();
            EXPECT_EQ(actual[i].LastWrite, expected[i].LastWrite) << actual[i].Brief();
        }
    }
}
