// The 40-byte records of a 32-bit editor, byte by byte, and which records an editor gets. A
// 32-bit editor cannot be run here, so its layout is pinned down against the fixed offsets.
#include <cstring>

#include <gtest/gtest.h>

#include "RemoteRecords.h"

namespace {

uint32_t At32(const uint8_t* bytes, size_t offset)
{
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

}  // namespace

TEST(RemoteRecords, TreeItemOfA32BitEditorHasItsFieldsAtTheFixedOffsets)
{
    ASSERT_EQ(TreeItemRecordSize(RemoteBitness32), 40u);
    TTreeItemRecord record;
    record.Mask = 1;
    record.Item = 0x00370A10;
    record.Text = 0x7FFE0000;
    record.TextMax = 260;
    uint8_t bytes[64];
    std::memset(bytes, 0xCC, sizeof bytes);
    WriteTreeItemRecord(record, RemoteBitness32, bytes);
    EXPECT_EQ(At32(bytes, 0), 1u);
    EXPECT_EQ(At32(bytes, 4), 0x00370A10u);
    EXPECT_EQ(At32(bytes, 16), 0x7FFE0000u);
    EXPECT_EQ(At32(bytes, 20), 260u);
    for (size_t offset : {8, 12, 24, 28, 32, 36})
        EXPECT_EQ(At32(bytes, offset), 0u) << offset;
    EXPECT_EQ(bytes[40], 0xCC) << "wrote past the record";
}

TEST(RemoteRecords, ListItemOfA32BitEditorKeepsWhatWasReadWhenItsStateIsSet)
{
    ASSERT_EQ(ListItemRecordSize(RemoteBitness32), 40u);
    // As an editor hands it back after a text read: pointer, room, image, param and indent set.
    uint8_t bytes[40];
    const uint32_t fields[10] = {1, 7, 0, 0, 0, 0x00AB0000, 260, 5, 0x1234, 2};
    for (int i = 0; i < 10; ++i)
        for (int b = 0; b < 4; ++b)
            bytes[4 * i + b] = static_cast<uint8_t>(fields[i] >> (8 * b));
    TListItemRecord record = ReadListItemRecord(bytes, RemoteBitness32);
    EXPECT_EQ(record.Item, 7);
    EXPECT_EQ(record.Text, 0x00AB0000u);
    record.Mask = 8;
    record.State = 3;
    record.StateMask = 3;
    uint8_t written[40];
    WriteListItemRecord(record, RemoteBitness32, written);
    EXPECT_EQ(At32(written, 0), 8u);
    EXPECT_EQ(At32(written, 12), 3u);
    EXPECT_EQ(At32(written, 16), 3u);
    EXPECT_EQ(std::memcmp(written + 20, bytes + 20, 20), 0);
}

TEST(RemoteRecords, PointersOfA64BitEditorKeepTheirHighHalf)
{
    TTreeItemRecord tree;
    tree.Item = 0x00007FF612345678ull;
    tree.Text = 0x000001D0ABCD0000ull;
    tree.Param = 0xFFFFFFFF80000001ull;
    uint8_t bytes[64];
    WriteTreeItemRecord(tree, RemoteBitness64, bytes);
    TTreeItemRecord back = ReadTreeItemRecord(bytes, RemoteBitness64);
    EXPECT_EQ(back.Item, tree.Item);
    EXPECT_EQ(back.Text, tree.Text);
    EXPECT_EQ(back.Param, tree.Param);
    // A 32-bit layout has no room for them: only the low half travels.
    WriteTreeItemRecord(tree, RemoteBitness32, bytes);
    EXPECT_EQ(ReadTreeItemRecord(bytes, RemoteBitness32).Item, 0x12345678u);
}

TEST(RemoteRecords, EachEditorGetsTheRecordsOfItsBitnessAndA32BitProgramRefusesA64BitOne)
{
    struct {
        bool ProgramIs64, WindowsIs64, EditorIsWow64;
        bool Drivable;
        TRemoteBitness Bitness;
    } cases[] = {
        {false, false, false, true, RemoteBitness32},  // 32-bit Windows
        {false, true, true, true, RemoteBitness32},    // both under WOW64
        {false, true, false, false, RemoteBitness64},  // 32-bit program, 64-bit editor
        {true, true, false, true, RemoteBitness64},
        {true, true, true, true, RemoteBitness32},     // 64-bit program, 32-bit editor
        {true, false, false, true, RemoteBitness64},   // a 64-bit program is on 64-bit Windows
    };
    for (const auto& c : cases) {
        TRemoteBitness bitness = c.Bitness == RemoteBitness32 ? RemoteBitness64 : RemoteBitness32;
        EXPECT_EQ(ChooseEditorRecords(c.ProgramIs64, c.WindowsIs64, c.EditorIsWow64, &bitness), c.Drivable)
            << c.ProgramIs64 << c.WindowsIs64 << c.EditorIsWow64;
        EXPECT_EQ(bitness, c.Bitness) << c.ProgramIs64 << c.WindowsIs64 << c.EditorIsWow64;
    }
}
