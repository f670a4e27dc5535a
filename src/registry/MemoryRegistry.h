// A registry held in memory, for tests and benchmarks: keys with class names and last-write
// times, values of any type and size, and failures on demand (a key that does not open, an
// enumeration that answers with an error, a key deleted while a walk is inside it).
#pragma once

#include <functional>
#include <memory>
#include <unordered_map>

#include "Registry.h"

class TMemoryRegistry : public TRegistry {
public:
    // Which operation a hook sees.
    enum TOperation { OpOpen, OpQueryInfo, OpEnumKey, OpEnumValue, OpQueryValue };

    TMemoryRegistry();

    // Building. Keys are nodes numbered from 0; the five searchable roots and the two others
    // exist from the start (RootNode). Children and values enumerate in the order they were added
    // (the system lists subkeys sorted by name, so a test that wants the real order adds them so).
    int RootNode(int rootIndex) const;
    // Adds a subkey below parent, or returns the existing one of that name (case ignored for
    // ASCII and fullwidth Latin letters); class and time are set either way. -1 when parent is
    // deleted or no node.
    int AddKey(int parent, const TString& name, const TString& className = TString(), TFileTime lastWrite = 0);
    // The same for a whole path such as HKCU\Software\A or HKEY_CURRENT_USER\Software\A;
    // creates the missing keys (with the same time and no class) and follows links on the way.
    // -1 for an unknown root.
    int AddKeyPath(const TString& path, const TString& className = TString(), TFileTime lastWrite = 0);
    // Adds a value (or replaces the one of that name).
    void SetValue(int key, const TString& name, uint32_t type, const void* data, size_t size);
    void SetString(int key, const TString& name, const TString& text, uint32_t type = RegSz);
    void SetDword(int key, const TString& name, uint32_t value);
    // A subkey named name below parent that opens as target: lets a test build a loop.
    int AddLink(int parent, const TString& name, int target);
    // Removes the key and everything below it; handles still open on them answer RegKeyDeleted.
    // Roots stay.
    void DeleteKey(int key);
    // Node of a path, or -1. Links on the way are followed; a link at the end is returned itself.
    int FindKey(const TString& path) const;
    void SetLastWrite(int key, TFileTime lastWrite);
    void SetClass(int key, const TString& className);

    // Failures.
    void FailOpen(int key, int32_t code);
    void FailEnumKey(int key, uint32_t index, int32_t code);
    void FailEnumValue(int key, uint32_t index, int32_t code);
    // Called before every operation on an open key, with the node and the index (0 where the
    // operation has none); a test may change the registry from here.
    std::function<void(TOperation operation, int node, uint32_t index)> Hook;

    // Bookkeeping for tests.
    int OpenHandleCount() const;
    size_t KeyCount() const;    // keys that exist, roots included
    size_t ValueCount() const;  // values that exist

    // TRegistry. The answers are those of the system's W functions, and in the ANSI build those
    // of the A functions where they differ: a class too long for QueryInfoKey, data too long for
    // EnumValue. Opening a root with no subkey gives back the root itself, as the system does.
    int32_t OpenKey(TRegKey parent, const KChar* subKey, uint32_t access, TRegKey* result) override;
    void CloseKey(TRegKey key) override;
    int32_t QueryInfoKey(TRegKey key, KChar* className, uint32_t* classLength, uint32_t* valueCount,
                         TFileTime* lastWrite) override;
    int32_t EnumKey(TRegKey key, uint32_t index, KChar* name, uint32_t* nameLength, KChar* className,
                    uint32_t* classLength, TFileTime* lastWrite) override;
    int32_t EnumValue(TRegKey key, uint32_t index, KChar* name, uint32_t* nameLength, uint32_t* type,
                      uint8_t* data, uint32_t* dataSize) override;
    int32_t QueryValue(TRegKey key, const KChar* name, uint32_t* type, uint8_t* data,
                       uint32_t* dataSize) override;

private:
    // Names and data live in Blocks; a name is a pointer and a length, without NUL.
    struct TValue {
        const KChar* Name;
        const uint8_t* Data;
        uint32_t NameLength;
        uint32_t Type;
        uint32_t Size;
    };
    struct TValueSlot {
        int Node;
        int Position;  // in the node's Values
    };
    struct TEnumFailure {
        int Node;
        TOperation Operation;  // OpEnumKey or OpEnumValue
        uint32_t Index;
        int32_t Code;
    };
    struct TNode {
        const KChar* Name = nullptr;
        const KChar* ClassName = nullptr;
        uint32_t NameLength = 0;
        uint32_t ClassLength = 0;
        TFileTime LastWrite = 0;
        int Parent = -1;
        int LinkTarget = -1;
        int32_t OpenFailure = 0;
        bool Deleted = false;
        bool HasEnumFailures = false;
        // Set once a node has many children or values; from then on they are also in the
        // name indexes, so lookups by name stay fast for a key with thousands of them.
        bool ChildrenIndexed = false;
        bool ValuesIndexed = false;
        std::vector<int> Children;
        std::vector<TValue> Values;
    };

    std::vector<TNode> Nodes;
    // Storage filled in turn and never moved or freed before the registry: building needs no
    // allocation per name, and a replaced value or deleted key just leaves its bytes unused.
    std::vector<std::unique_ptr<uint8_t[]>> Blocks;
    uint8_t* Free = nullptr;  // the unused end of the block being filled
    size_t FreeRoom = 0;
    std::vector<TEnumFailure> EnumFailures;
    // Name hash (with the owning node) to child node, and to value.
    std::unordered_multimap<uint64_t, int> ChildIndex;
    std::unordered_multimap<uint64_t, TValueSlot> ValueIndex;
    std::vector<int> Handles;  // node per open handle slot, -1 when free
    std::vector<int> FreeHandles;
    int OpenHandles = 0;
    size_t LiveKeys = 0;
    size_t LiveValues = 0;

    const uint8_t* Store(const void* bytes, size_t size, size_t alignment);
    const KChar* StoreText(const KChar* text, size_t length);
    bool IsLiveNode(int node) const;
    int SlotOfHandle(TRegKey key) const;
    int NodeOfHandle(TRegKey key) const;
    int ChildByName(int node, const KChar* name, size_t length) const;
    int ValueByName(int node, const KChar* name, size_t length) const;
    void AddToChildIndex(int child);
    void RemoveFromChildIndex(int child);
    void AddToValueIndex(int node, int position);
    void RemoveFromValueIndex(int node, int position);
    int NewChild(int parent, const KChar* name, size_t length);
    int ResolveLink(int node) const;
    void MarkDeleted(int node);
    int32_t EnumFailure(int node, TOperation operation, uint32_t index) const;
    TRegKey NewHandle(int node);
    int32_t Enter(TRegKey key, TOperation operation, uint32_t index, int* node);
};
