// The tree-item and list-item records that a jump places in the registry editor's process,
// laid out for the editor's bitness: pointers and handles are 4 bytes in a 32-bit editor and
// 8 bytes in a 64-bit one, and a record laid out for the other kind is misread.
#pragma once

#include <cstddef>
#include <cstdint>

enum TRemoteBitness { RemoteBitness32, RemoteBitness64 };

// The fields of TVITEM.
struct TTreeItemRecord {
    uint32_t Mask = 0;
    uint64_t Item = 0;
    uint32_t State = 0;
    uint32_t StateMask = 0;
    uint64_t Text = 0;  // address in the editor's process
    int32_t TextMax = 0;
    int32_t Image = 0;
    int32_t SelectedImage = 0;
    int32_t Children = 0;
    uint64_t Param = 0;
};

// The fields of LVITEM up to iIndent.
struct TListItemRecord {
    uint32_t Mask = 0;
    int32_t Item = 0;
    int32_t SubItem = 0;
    uint32_t State = 0;
    uint32_t StateMask = 0;
    uint64_t Text = 0;  // address in the editor's process
    int32_t TextMax = 0;
    int32_t Image = 0;
    uint64_t Param = 0;
    int32_t Indent = 0;
};

// Bytes of each record: 40 for a 32-bit editor; 56 for a 64-bit one.
size_t TreeItemRecordSize(TRemoteBitness bitness);
size_t ListItemRecordSize(TRemoteBitness bitness);

// Little-endian, with the padding a 64-bit editor expects zeroed.
void WriteTreeItemRecord(const TTreeItemRecord& record, TRemoteBitness bitness, uint8_t* bytes);
TTreeItemRecord ReadTreeItemRecord(const uint8_t* bytes, TRemoteBitness bitness);
void WriteListItemRecord(const TListItemRecord& record, TRemoteBitness bitness, uint8_t* bytes);
TListItemRecord ReadListItemRecord(const uint8_t* bytes, TRemoteBitness bitness);

// The records that an editor takes: a 64-bit editor is a native process of 64-bit Windows. A
// 32-bit program cannot drive one, since the item handles that its messages return are cut to
// 32 bits; the answer is then false and no record is to be sent.
bool ChooseEditorRecords(bool programIs64, bool windowsIs64, bool editorIsWow64, TRemoteBitness* bitness);
