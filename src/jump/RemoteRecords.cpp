// Record layouts of the common controls' TVITEM and LVITEM for a 32-bit and a 64-bit editor.
#include "RemoteRecords.h"

#include <cstring>

namespace {

// Where each field lies, per bitness.
struct TTreeLayout {
    size_t Size, Item, State, StateMask, Text, TextMax, Image, SelectedImage, Children, Param;
};
const TTreeLayout TreeLayouts[2] = {
    {40, 4, 8, 12, 16, 20, 24, 28, 32, 36},
    {56, 8, 16, 20, 24, 32, 36, 40, 44, 48},
};

struct TListLayout {
    size_t Size, Text, TextMax, Image, Param, Indent;
};
const TListLayout ListLayouts[2] = {
    {40, 20, 24, 28, 32, 36},
    {56, 24, 32, 36, 40, 48},
};

void Put32(uint8_t* bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t Get32(const uint8_t* bytes, size_t offset)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(bytes[offset + i]) << (8 * i);
    return value;
}

// A pointer-sized field: 4 bytes in a 32-bit editor, 8 in a 64-bit one.
void PutPointer(uint8_t* bytes, size_t offset, uint64_t value, TRemoteBitness bitness)
{
    Put32(bytes, offset, static_cast<uint32_t>(value));
    if (bitness == RemoteBitness64)
        Put32(bytes, offset + 4, static_cast<uint32_t>(value >> 32));
}

uint64_t GetPointer(const uint8_t* bytes, size_t offset, TRemoteBitness bitness)
{
    uint64_t value = Get32(bytes, offset);
    if (bitness == RemoteBitness64)
        value |= static_cast<uint64_t>(Get32(bytes, offset + 4)) << 32;
    return value;
}

}  // namespace

size_t TreeItemRecordSize(TRemoteBitness bitness)
{
    return TreeLayouts[bitness].Size;
}

size_t ListItemRecordSize(TRemoteBitness bitness)
{
    return ListLayouts[bitness].Size;
}

void WriteTreeItemRecord(const TTreeItemRecord& record, TRemoteBitness bitness, uint8_t* bytes)
{
    const TTreeLayout& at = TreeLayouts[bitness];
    std::memset(bytes, 0, at.Size);
    Put32(bytes, 0, record.Mask);
    PutPointer(bytes, at.Item, record.Item, bitness);
    Put32(bytes, at.State, record.State);
    Put32(bytes, at.StateMask, record.StateMask);
    PutPointer(bytes, at.Text, record.Text, bitness);
    Put32(bytes, at.TextMax, static_cast<uint32_t>(record.TextMax));
    Put32(bytes, at.Image, static_cast<uint32_t>(record.Image));
    Put32(bytes, at.SelectedImage, static_cast<uint32_t>(record.SelectedImage));
    Put32(bytes, at.Children, static_cast<uint32_t>(record.Children));
    PutPointer(bytes, at.Param, record.Param, bitness);
}

TTreeItemRecord ReadTreeItemRecord(const uint8_t* bytes, TRemoteBitness bitness)
{
    const TTreeLayout& at = TreeLayouts[bitness];
    TTreeItemRecord record;
    record.Mask = Get32(bytes, 0);
    record.Item = GetPointer(bytes, at.Item, bitness);
    record.State = Get32(bytes, at.State);
    record.StateMask = Get32(bytes, at.StateMask);
    record.Text = GetPointer(bytes, at.Text, bitness);
    record.TextMax = static_cast<int32_t>(Get32(bytes, at.TextMax));
    record.Image = static_cast<int32_t>(Get32(bytes, at.Image));
    record.SelectedImage = static_cast<int32_t>(Get32(bytes, at.SelectedImage));
    record.Children = static_cast<int32_t>(Get32(bytes, at.Children));
    record.Param = GetPointer(bytes, at.Param, bitness);
    return record;
}

void WriteListItemRecord(const TListItemRecord& record, TRemoteBitness bitness, uint8_t* bytes)
{
    const TListLayout& at = ListLayouts[bitness];
    std::memset(bytes, 0, at.Size);
    Put32(bytes, 0, record.Mask);
    Put32(bytes, 4, static_cast<uint32_t>(record.Item));
    Put32(bytes, 8, static_cast<uint32_t>(record.SubItem));
    Put32(bytes, 12, record.State);
    Put32(bytes, 16, record.StateMask);
    PutPointer(bytes, at.Text, record.Text, bitness);
    Put32(bytes, at.TextMax, static_cast<uint32_t>(record.TextMax));
    Put32(bytes, at.Image, static_cast<uint32_t>(record.Image));
    PutPointer(bytes, at.Param, record.Param, bitness);
    Put32(bytes, at.Indent, static_cast<uint32_t>(record.Indent));
}

TListItemRecord ReadListItemRecord(const uint8_t* bytes, TRemoteBitness bitness)
{
    const TListLayout& at = ListLayouts[bitness];
    TListItemRecord record;
    record.Mask = Get32(bytes, 0);
    record.Item = static_cast<int32_t>(Get32(bytes, 4));
    record.SubItem = static_cast<int32_t>(Get32(bytes, 8));
    record.State = Get32(bytes, 12);
    record.StateMask = Get32(bytes, 16);
    record.Text = GetPointer(bytes, at.Text, bitness);
    record.TextMax = static_cast<int32_t>(Get32(bytes, at.TextMax));
    record.Image = static_cast<int32_t>(Get32(bytes, at.Image));
    record.Param = GetPointer(bytes, at.Param, bitness);
    record.Indent = static_cast<int32_t>(Get32(bytes, at.Indent));
    return record;
}

bool ChooseEditorRecords(bool programIs64, bool windowsIs64, bool editorIsWow64, TRemoteBitness* bitness)
{
    bool editorIs64 = (programIs64 || windowsIs64) && !editorIsWow64;
    *bitness = editorIs64 ? RemoteBitness64 : RemoteBitness32;
    return programIs64 || !editorIs64;
}
