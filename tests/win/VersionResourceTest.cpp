// The version block that the about box reads: built by windres from UTF-8 sources, one string
// table for Japanese with code page 932, and the comment that tells the two programs apart.
#include <windows.h>

#include <gtest/gtest.h>

#include "KeyfinchChar.h"
#include "TestSupport.h"

namespace {

class VersionBlock : public ::testing::Test {
protected:
    std::vector<BYTE> Block;

    void SetUp() override
    {
        KChar path[MAX_PATH];
        GetModuleFileName(nullptr, path, MAX_PATH);
        DWORD size = GetFileVersionInfoSize(path, nullptr);
        ASSERT_GT(size, 0u);
        Block.resize(size);
        ASSERT_TRUE(GetFileVersionInfo(path, 0, size, Block.data()));
    }

    TString Text(const KChar* key)
    {
        void* value = nullptr;
        UINT length = 0;
        TString query = TString(KT("\\StringFileInfo\\041103A4\\")) + key;
        if (!VerQueryValue(Block.data(), query.c_str(), &value, &length) || value == nullptr)
            return KT("<missing>");
        return static_cast<const KChar*>(value);
    }
};

}  // namespace

TEST_F(VersionBlock, TranslationAndTexts)
{
    DWORD* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValue(Block.data(), KT("\\VarFileInfo\\Translation"), reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(LOWORD(*translation), 0x0411);
    EXPECT_EQ(HIWORD(*translation), 0x03A4);

    EXPECT_EQ(Text(KT("FileDescription")), KT("Keyfinch 2.6.1"));
    EXPECT_EQ(Text(KT("FileVersion")), KT("2.6.1.0"));
#if defined(KEYFINCH_ANSI)
    EXPECT_EQ(Text(KT("Comments")), KT("Ansi Version"));
#else
    EXPECT_EQ(Text(KT("Comments")), KT("Unicode Version"));
#endif
    EXPECT_NE(Text(KT("LegalCopyright")), KT(""));
}

TEST_F(VersionBlock, FixedPart)
{
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValue(Block.data(), KT("\\"), reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020006u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}
