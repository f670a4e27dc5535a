// The tree and list item records for the registry editor: the 40-byte layouts of a 32-bit
// editor and the wider ones of a 64-bit editor, where handles and addresses keep all 64 bits.
#include <gtest/gtest.h>

#include "RemoteRecords.h"

namespace {

uint32_t At32(const uint8_t* bytes, size_t offset)
{
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

}  // namespace

TEST(RemoteRecords, ThirtyTwoBitLayoutsAreFortyBytes)
{
    EXPECT_EQ(TreeItemRecordSize(RemoteBitness32), 40u);
    EXPECT_EQ(ListItemRecordSize(RemoteBitness32), 40u);
    uint8_t bytes[64];
    TTreeItemRecord tree;
    tree.Mask = 1;
    tree.Item = 0x00371234;
    tree.Text = 0x00AB0000;
    tree.TextMax = 260;
    WriteTreeItemRecord(tree, RemoteBitness32, bytes);
    EXPECT_EQ(At32(bytes, 0), 1u);
    EXPECT_EQ(At32(bytes, 4), 0x00371234u);
    EXPECT_EQ(At32(bytes, 16), 0x00AB0000u);
    EXPECT_EQ(At32(bytes, 20), 260u);

    TListItemRecord list;
    list.Mask = 8;
    list.Item = 7;
    list.State = 3;
    list.StateMask = 3;
    list.Text = 0x00AB0000;
    list.TextMax = 260;
    WriteListItemRecord(list, RemoteBitness32, bytes);
    EXPECT_EQ(At32(bytes, 4), 7u);
    EXPECT_EQ(At32(bytes, 12), 3u);
    EXPECT_EQ(At32(bytes, 20), 0x00AB0000u);
    EXPECT_EQ(At32(bytes, 24), 260u);
}

TEST(RemoteRecords, RoundTripsKeepEveryField)
{
    for (TRemoteBitness bitness : {RemoteBitness32, RemoteBitness64}) {
        const uint64_t wide = bitness == RemoteBitness64 ? 0x0000012300000000ull : 0;
        uint8_t bytes[64];
        TTreeItemRecord tree;
        tree.Mask = 0x41;
        tree.Item = wide | 0x89ABCDEF;
        tree.State = 2;
        tree.StateMask = 0xFF;
        tree.Text = wide | 0x10000;
        tree.TextMax = 260;
        tree.Image = -1;
        tree.SelectedImage = 5;
        tree.Children = 1;
        tree.Param = wide | 0x77;
        WriteTreeItemRecord(tree, bitness, bytes);
        TTreeItemRecord treeBack = ReadTreeItemRecord(bytes, bitness);
        EXPECT_EQ(treeBack.Item, tree.Item);
        EXPECT_EQ(treeBack.Text, tree.Text);
        EXPECT_EQ(treeBack.Param, tree.Param);
        EXPECT_EQ(treeBack.Image, -1);
        EXPECT_EQ(treeBack.Children, 1);

        TListItemRecord list;
        list.Mask = 1;
        list.Item = 12;
        list.SubItem = 0;
        list.State = 3;
        list.StateMask = 2;
        list.Text = wide | 0x20000;
        list.TextMax = 260;
        list.Image = 4;
        list.Param = wide | 0x99;
        list.Indent = 2;
        WriteListItemRecord(list, bitness, bytes);
        TListItemRecord listBack = ReadListItemRecord(bytes, bitness);
        EXPECT_EQ(listBack.Item, 12);
        EXPECT_EQ(listBack.Text, list.Text);
        EXPECT_EQ(listBack.Param, list.Param);
        EXPECT_EQ(listBack.Indent, 2);
        EXPECT_EQ(listBack.StateMask, 2u);
    }
}
