// The records written for an editor of this program's own bitness are byte for byte the
// system's TVITEMW and LVITEMW, padding included.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include <gtest/gtest.h>

#include "RemoteRecords.h"

namespace {

const TRemoteBitness OwnBitness = sizeof(void*) == 8 ? RemoteBitness64 : RemoteBitness32;

// Checked when each Windows build compiles, also where its tests cannot run.
static_assert(sizeof(void*) != 4 || (sizeof(TVITEMW) == 40 && offsetof(TVITEMW, pszText) == 16 &&
                                     offsetof(LVITEMW, pszText) == 20 && offsetof(LVITEMW, iIndent) == 36),
              "the 40-byte records of a 32-bit editor");
static_assert(sizeof(void*) != 8 || (sizeof(TVITEMW) == 56 && offsetof(TVITEMW, pszText) == 24 &&
                                     offsetof(LVITEMW, pszText) == 24 && offsetof(LVITEMW, iIndent) == 48),
              "the records of a 64-bit editor");

}  // namespace

TEST(RemoteRecordsLayout, TreeItemMatchesTheSystemStructure)
{
    ASSERT_EQ(TreeItemRecordSize(OwnBitness), sizeof(TVITEMW));
    TVITEMW item;
    std::memset(&item, 0, sizeof item);
    item.mask = TVIF_TEXT;
    item.hItem = reinterpret_cast<HTREEITEM>(static_cast<uintptr_t>(0x12345678));
    item.state = 2;
    item.stateMask = 3;
    item.pszText = reinterpret_cast<LPWSTR>(static_cast<uintptr_t>(0x00AB0000));
    item.cchTextMax = 260;
    item.iImage = 4;
    item.iSelectedImage = 5;
    item.cChildren = 1;
    item.lParam = 0x77;
    uint8_t bytes[64];
    WriteTreeItemRecord(ReadTreeItemRecord(reinterpret_cast<const uint8_t*>(&item), OwnBitness), OwnBitness, bytes);
    EXPECT_EQ(std::memcmp(bytes, &item, sizeof item), 0);
}

TEST(RemoteRecordsLayout, ListItemMatchesTheSystemStructureUpToIndent)
{
    LVITEMW item;
    std::memset(&item, 0, sizeof item);
    item.mask = LVIF_STATE;
    item.iItem = 9;
    item.state = 3;
    item.stateMask = 3;
    item.pszText = reinterpret_cast<LPWSTR>(static_cast<uintptr_t>(0x00AB0000));
    item.cchTextMax = 260;
    item.iImage = 4;
    item.lParam = 0x99;
    item.iIndent = 2;
    const size_t size = ListItemRecordSize(OwnBitness);
    ASSERT_LE(size, sizeof item);
    ASSERT_EQ(size, (offsetof(LVITEMW, iIndent) + sizeof(int) + sizeof(void*) - 1) / sizeof(void*) * sizeof(void*));
    uint8_t bytes[64];
    WriteListItemRecord(ReadListItemRecord(reinterpret_cast<const uint8_t*>(&item), OwnBitness), OwnBitness, bytes);
    EXPECT_EQ(std::memcmp(bytes, &item, size), 0);
}
