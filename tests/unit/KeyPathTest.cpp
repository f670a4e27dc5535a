// Root names and key paths in their two forms.
#include <gtest/gtest.h>

#include "KeyPath.h"
#include "MemoryRegistry.h"
#include "TestSupport.h"

TEST(KeyPaths, RootNamesInAnyCaseAndForm)
{
    TString rest;
    EXPECT_EQ(SplitKeyPath(KT("hkcu"), &rest), RootKeyHandle(1));
    EXPECT_EQ(rest, KT(""));
    EXPECT_EQ(ToShortKeyPath(KT("hkcu")), KT("HKCU"));
    EXPECT_EQ(ToLongKeyPath(KT("hkcu")), KT("HKEY_CURRENT_USER"));
    EXPECT_EQ(SplitKeyPath(KT("hkey_local_machine\\A\\B"), &rest), RootKeyHandle(2));
    EXPECT_EQ(rest, KT("A\\B"));
    EXPECT_EQ(SplitKeyPath(KT("HKPD"), nullptr), RootKeyHandle(4));
    EXPECT_EQ(SplitKeyPath(KT("HKEY_DYN_DATA\\x"), nullptr), RootKeyHandle(6));
    EXPECT_EQ(SplitKeyPath(KT("HKU"), nullptr), RootKeyHandle(3));
    EXPECT_EQ(SplitKeyPath(KT("HKCC\\System"), nullptr), RootKeyHandle(5));
}

TEST(KeyPaths, RootPartMustBeAWholeName)
{
    EXPECT_EQ(SplitKeyPath(KT("HKLM2\\SOFTWARE"), nullptr), 0u);
    EXPECT_EQ(SplitKeyPath(KT("Software\\Classes"), nullptr), 0u);
    EXPECT_EQ(SplitKeyPath(KT(""), nullptr), 0u);
    EXPECT_EQ(ToShortKeyPath(KT("Software\\Classes")), KT(""));
    EXPECT_EQ(ToLongKeyPath(KT("Software\\Classes")), KT(""));
    EXPECT_EQ(ToShortKeyPath(KT("\\HKLM")), KT(""));
}

TEST(KeyPaths, SubkeyPathIsCopiedUnchanged)
{
    EXPECT_EQ(ToShortKeyPath(KT("HKEY_CURRENT_USER\\Software\\")), KT("HKCU\\Software\\"));
    EXPECT_EQ(ToLongKeyPath(KT("HKEY_CURRENT_USER\\Software\\")), KT("HKEY_CURRENT_USER\\Software\\"));
    EXPECT_EQ(ToLongKeyPath(KT("hklm\\soft ware\\\\X")), KT("HKEY_LOCAL_MACHINE\\soft ware\\\\X"));
    EXPECT_EQ(ToShortKeyPath(KT("HKLM\\")), KT("HKLM"));
}

TEST(KeyPaths, ValueTypeNames)
{
    EXPECT_EQ(TString(ValueTypeNames[1]), KT("REG_SZ"));
    EXPECT_EQ(TString(ValueTypeNames[10]), KT("REG_RESOURCE_REQUIREMENTS_LIST"));
    EXPECT_EQ(TString(ValueTypeNames[11]), KT("(キー)"));
    EXPECT_EQ(TString(KeyTypeLabel), KT("(キー)"));
}

TEST(KeyPaths, OpenKeyPathOpensThroughTheRegistry)
{
    TMemoryRegistry registry;
    registry.AddKeyPath(KT("HKCU\\Software\\Example"));
    TRegKey key = 0;
    ASSERT_EQ(OpenKeyPath(registry, KT("hkey_current_user\\software\\example"), KeyRead, &key), 0);
    registry.CloseKey(key);
    EXPECT_NE(OpenKeyPath(registry, KT("HKCU\\Software\\Missing"), KeyRead, &key), 0);
    EXPECT_NE(OpenKeyPath(registry, KT("Software\\Example"), KeyRead, &key), 0);
    EXPECT_EQ(key, 0u);
    // A root alone opens a new handle to the root.
    ASSERT_EQ(OpenKeyPath(registry, KT("HKCU"), KeyRead, &key), 0);
    registry.CloseKey(key);
    EXPECT_EQ(registry.OpenHandleCount(), 0);
}

#if defined(KEYFINCH_ANSI)
TEST(KeyPathsAnsi, DoubleByteNameWithBackslashTrailByte)
{
    // ソ (0x83 0x5C) right after the root must not end the root part early.
    EXPECT_EQ(ToShortKeyPath("HKEY_CURRENT_USER\\\x83\x5C\\x"), TString("HKCU\\\x83\x5C\\x"));
    TMemoryRegistry registry;
    registry.AddKeyPath("HKCU\\\x83\x5C");
    TRegKey key = 0;
    ASSERT_EQ(OpenKeyPath(registry, "HKCU\\\x83\x5C", KeyRead, &key), 0);
    registry.CloseKey(key);
}
#endif
