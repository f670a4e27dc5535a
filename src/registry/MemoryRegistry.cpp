// The in-memory registry: a tree of nodes that answers like advapi32's Reg* functions, down to
// their buffer rules, so the search walk can be tested and measured without the system registry.
#include "MemoryRegistry.h"

#include <algorithm>
#include <cstring>

#include "KeyPath.h"
#include "Platform.h"

namespace {

const int RootCount = 7;
// From this many children (or values) on, a node's names go into a hash index as well.
const size_t IndexThreshold = 16;
// A chain of links longer than this is taken for a loop, and the key does not open.
const int MaxLinkSteps = 64;
// Handles of the slot table: multiples of four from here, never 0 and never a root.
const TRegKey FirstHandle = 0x100;

bool IsLeadUnit(KChar c)
{
    return sizeof(KChar) == 1 && CharCode(c) >= 0x80 && PlatformIsLeadByte(static_cast<unsigned char>(c));
}

// Reads the character at text[*i], moves *i past it and returns its code with letters folded
// to upper case. The system folds all of Unicode; names in tests use ASCII and fullwidth Latin
// letters, so those are folded. A trail byte is never folded on its own: 0x83 0x41 (ア) is not
// 0x83 0x61 (ヂ).
unsigned NextFolded(const KChar* text, size_t length, size_t* i)
{
    unsigned code = CharCode(text[(*i)++]);
    if (IsLeadUnit(static_cast<KChar>(code)) && *i < length) {
        unsigned trail = CharCode(text[(*i)++]);
        if (code == 0x82 && trail >= 0x81 && trail <= 0x9A)  // fullwidth a to z
            trail -= 0x21;
        return code << 8 | trail;
    }
    if (code >= 'a' && code <= 'z')
        return code - 0x20;
    if (sizeof(KChar) == 2 && code >= 0xFF41 && code <= 0xFF5A)
        return code - 0x20;
    return code;
}

bool SameName(const KChar* a, size_t aLength, const KChar* b, size_t bLength)
{
    // Folding keeps lengths, so names of different lengths never match.
    if (aLength != bLength)
        return false;
    size_t i = 0, j = 0;
    while (i < aLength)
        if (NextFolded(a, aLength, &i) != NextFolded(b, bLength, &j))
            return false;
    return true;
}

uint64_t NameHash(int owner, const KChar* name, size_t length)
{
    uint64_t hash = 14695981039346656037ull ^ (static_cast<uint64_t>(owner) * 0x9E3779B97F4A7C15ull);
    for (size_t i = 0; i < length;) {
        hash ^= NextFolded(name, length, &i);
        hash *= 1099511628211ull;
    }
    return hash ^ (hash >> 29);
}

// Length of the path component that starts at text[start]: up to the next backslash that is
// not the trail byte of a double-byte character.
size_t ComponentLength(const KChar* text, size_t length, size_t start)
{
    size_t i = start;
    while (i < length && text[i] != KT('\\'))
        i += IsLeadUnit(text[i]) && i + 1 < length ? 2 : 1;
    return i - start;
}

int RootOfName(const KChar* name, size_t length)
{
    for (int i = 0; i < RootCount; ++i)
        for (const KChar* rootName : {RootKeyNames[i].ShortName, RootKeyNames[i].LongName})
            if (SameName(rootName, std::char_traits<KChar>::length(rootName), name, length))
                return i;
    return -1;
}

void CopyText(KChar* buffer, const KChar* text, uint32_t length)
{
    if (length > 0)
        std::memcpy(buffer, text, length * sizeof(KChar));
    buffer[length] = 0;
}

}  // namespace

TMemoryRegistry::TMemoryRegistry()
{
    Nodes.resize(RootCount);
    for (int i = 0; i < RootCount; ++i) {
        Nodes[i].Name = RootKeyNames[i].LongName;
        Nodes[i].NameLength = static_cast<uint32_t>(std::char_traits<KChar>::length(RootKeyNames[i].LongName));
    }
    LiveKeys = RootCount;
}

const uint8_t* TMemoryRegistry::Store(const void* bytes, size_t size, size_t alignment)
{
    const size_t blockSize = 1 << 20;
    uint8_t* place;
    if (size > blockSize / 4) {
        // A large item gets a block of its own, and the block being filled stays open.
        Blocks.emplace_back(new uint8_t[size]);
        place = Blocks.back().get();
    } else {
        size_t skip = (alignment - reinterpret_cast<uintptr_t>(Free) % alignment) % alignment;
        if (!Free || skip + size > FreeRoom) {
            Blocks.emplace_back(new uint8_t[blockSize]);
            Free = Blocks.back().get();
            FreeRoom = blockSize;
            skip = 0;
        }
        place = Free + skip;
        Free = place + size;
        FreeRoom -= skip + size;
    }
    if (size > 0)
        std::memcpy(place, bytes, size);
    return place;
}

const KChar* TMemoryRegistry::StoreText(const KChar* text, size_t length)
{
    if (length == 0)
        return nullptr;
    return reinterpret_cast<const KChar*>(Store(text, length * sizeof(KChar), sizeof(KChar)));
}

int TMemoryRegistry::RootNode(int rootIndex) const
{
    return rootIndex >= 0 && rootIndex < RootCount ? rootIndex : -1;
}

bool TMemoryRegistry::IsLiveNode(int node) const
{
    return node >= 0 && static_cast<size_t>(node) < Nodes.size() && !Nodes[node].Deleted;
}

int TMemoryRegistry::ChildByName(int node, const KChar* name, size_t length) const
{
    const TNode& owner = Nodes[node];
    if (!owner.ChildrenIndexed) {
        for (int child : owner.Children)
            if (SameName(Nodes[child].Name, Nodes[child].NameLength, name, length))
                return child;
        return -1;
    }
    auto range = ChildIndex.equal_range(NameHash(node, name, length));
    for (auto it = range.first; it != range.second; ++it) {
        const TNode& child = Nodes[it->second];
        if (child.Parent == node && SameName(child.Name, child.NameLength, name, length))
            return it->second;
    }
    return -1;
}

int TMemoryRegistry::ValueByName(int node, const KChar* name, size_t length) const
{
    const TNode& owner = Nodes[node];
    if (!owner.ValuesIndexed) {
        for (size_t i = 0; i < owner.Values.size(); ++i)
            if (SameName(owner.Values[i].Name, owner.Values[i].NameLength, name, length))
                return static_cast<int>(i);
        return -1;
    }
    auto range = ValueIndex.equal_range(NameHash(node, name, length));
    for (auto it = range.first; it != range.second; ++it) {
        const TValue& value = owner.Values[it->second.Position];
        if (it->second.Node == node && SameName(value.Name, value.NameLength, name, length))
            return it->second.Position;
    }
    return -1;
}

void TMemoryRegistry::AddToChildIndex(int child)
{
    const TNode& node = Nodes[child];
    ChildIndex.emplace(NameHash(node.Parent, node.Name, node.NameLength), child);
}

void TMemoryRegistry::RemoveFromChildIndex(int child)
{
    const TNode& node = Nodes[child];
    auto range = ChildIndex.equal_range(NameHash(node.Parent, node.Name, node.NameLength));
    for (auto it = range.first; it != range.second; ++it)
        if (it->second == child) {
            ChildIndex.erase(it);
            return;
        }
}

void TMemoryRegistry::AddToValueIndex(int node, int position)
{
    const TValue& value = Nodes[node].Values[position];
    ValueIndex.emplace(NameHash(node, value.Name, value.NameLength), TValueSlot{node, position});
}

void TMemoryRegistry::RemoveFromValueIndex(int node, int position)
{
    const TValue& value = Nodes[node].Values[position];
    auto range = ValueIndex.equal_range(NameHash(node, value.Name, value.NameLength));
    for (auto it = range.first; it != range.second; ++it)
        if (it->second.Node == node && it->second.Position == position) {
            ValueIndex.erase(it);
            return;
        }
}

int TMemoryRegistry::NewChild(int parent, const KChar* name, size_t length)
{
    int node = static_cast<int>(Nodes.size());
    Nodes.emplace_back();
    Nodes[node].Name = StoreText(name, length);
    Nodes[node].NameLength = static_cast<uint32_t>(length);
    Nodes[node].Parent = parent;
    ++LiveKeys;
    TNode& owner = Nodes[parent];
    owner.Children.push_back(node);
    if (owner.ChildrenIndexed) {
        AddToChildIndex(node);
    } else if (owner.Children.size() >= IndexThreshold) {
        owner.ChildrenIndexed = true;
        for (int child : owner.Children)
            AddToChildIndex(child);
    }
    return node;
}

int TMemoryRegistry::AddKey(int parent, const TString& name, const TString& className, TFileTime lastWrite)
{
    if (!IsLiveNode(parent))
        return -1;
    int node = ChildByName(parent, name.data(), name.size());
    if (node < 0)
        node = NewChild(parent, name.data(), name.size());
    SetClass(node, className);
    Nodes[node].LastWrite = lastWrite;
    return node;
}

int TMemoryRegistry::AddKeyPath(const TString& path, const TString& className, TFileTime lastWrite)
{
    const KChar* text = path.c_str();
    size_t length = path.size();
    size_t part = ComponentLength(text, length, 0);
    int node = RootOfName(text, part);
    for (size_t start = part + 1; node >= 0 && start < length; start += part + 1) {
        part = ComponentLength(text, length, start);
        if (part == 0)
            continue;
        int parent = ResolveLink(node);
        if (parent < 0)
            return -1;
        node = ChildByName(parent, text + start, part);
        if (node < 0) {
            node = NewChild(parent, text + start, part);
            Nodes[node].LastWrite = lastWrite;
        }
    }
    if (node >= 0) {
        SetClass(node, className);
        Nodes[node].LastWrite = lastWrite;
    }
    return node;
}

int TMemoryRegistry::FindKey(const TString& path) const
{
    const KChar* text = path.c_str();
    size_t length = path.size();
    size_t part = ComponentLength(text, length, 0);
    int node = RootOfName(text, part);
    for (size_t start = part + 1; node >= 0 && start < length; start += part + 1) {
        part = ComponentLength(text, length, start);
        if (part == 0)
            continue;
        int parent = ResolveLink(node);
        node = parent < 0 ? -1 : ChildByName(parent, text + start, part);
    }
    return node;
}

void TMemoryRegistry::SetValue(int key, const TString& name, uint32_t type, const void* data, size_t size)
{
    if (!IsLiveNode(key))
        return;
    if (!data)
        size = 0;
    const uint8_t* stored = Store(data, size, 1);
    int position = ValueByName(key, name.data(), name.size());
    TNode& node = Nodes[key];
    if (position >= 0) {
        TValue& value = node.Values[position];
        value.Type = type;
        value.Data = stored;
        value.Size = static_cast<uint32_t>(size);
        return;
    }
    position = static_cast<int>(node.Values.size());
    node.Values.push_back(TValue{StoreText(name.data(), name.size()), stored, static_cast<uint32_t>(name.size()), type,
                                 static_cast<uint32_t>(size)});
    ++LiveValues;
    if (node.ValuesIndexed) {
        AddToValueIndex(key, position);
    } else if (node.Values.size() >= IndexThreshold) {
        node.ValuesIndexed = true;
        for (size_t i = 0; i < node.Values.size(); ++i)
            AddToValueIndex(key, static_cast<int>(i));
    }
}

void TMemoryRegistry::SetString(int key, const TString& name, const TString& text, uint32_t type)
{
    SetValue(key, name, type, text.c_str(), (text.size() + 1) * sizeof(KChar));
}

void TMemoryRegistry::SetDword(int key, const TString& name, uint32_t value)
{
    uint8_t bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    SetValue(key, name, RegDword, bytes, sizeof bytes);
}

int TMemoryRegistry::AddLink(int parent, const TString& name, int target)
{
    int node = AddKey(parent, name);
    if (node >= 0)
        Nodes[node].LinkTarget = target;
    return node;
}

void TMemoryRegistry::DeleteKey(int key)
{
    if (!IsLiveNode(key) || key < RootCount)
        return;
    int parent = Nodes[key].Parent;
    std::vector<int>& siblings = Nodes[parent].Children;
    siblings.erase(std::find(siblings.begin(), siblings.end(), key));
    if (Nodes[parent].ChildrenIndexed)
        RemoveFromChildIndex(key);
    MarkDeleted(key);
}

void TMemoryRegistry::MarkDeleted(int key)
{
    std::vector<int> pending(1, key);
    while (!pending.empty()) {
        int index = pending.back();
        pending.pop_back();
        TNode& node = Nodes[index];
        node.Deleted = true;
        --LiveKeys;
        LiveValues -= node.Values.size();
        if (node.ChildrenIndexed)
            for (int child : node.Children)
                RemoveFromChildIndex(child);
        if (node.ValuesIndexed)
            for (size_t i = 0; i < node.Values.size(); ++i)
                RemoveFromValueIndex(index, static_cast<int>(i));
        pending.insert(pending.end(), node.Children.begin(), node.Children.end());
        std::vector<int>().swap(node.Children);
        std::vector<TValue>().swap(node.Values);
    }
}

int TMemoryRegistry::ResolveLink(int node) const
{
    for (int step = 0; step < MaxLinkSteps; ++step) {
        if (!IsLiveNode(node))
            return -1;
        if (Nodes[node].LinkTarget < 0)
            return node;
        node = Nodes[node].LinkTarget;
    }
    return -1;
}

void TMemoryRegistry::SetLastWrite(int key, TFileTime lastWrite)
{
    if (IsLiveNode(key))
        Nodes[key].LastWrite = lastWrite;
}

void TMemoryRegistry::SetClass(int key, const TString& className)
{
    if (!IsLiveNode(key))
        return;
    Nodes[key].ClassName = StoreText(className.data(), className.size());
    Nodes[key].ClassLength = static_cast<uint32_t>(className.size());
}

void TMemoryRegistry::FailOpen(int key, int32_t code)
{
    if (IsLiveNode(key))
        Nodes[key].OpenFailure = code;
}

void TMemoryRegistry::FailEnumKey(int key, uint32_t index, int32_t code)
{
    if (!IsLiveNode(key))
        return;
    Nodes[key].HasEnumFailures = true;
    EnumFailures.push_back(TEnumFailure{key, OpEnumKey, index, code});
}

void TMemoryRegistry::FailEnumValue(int key, uint32_t index, int32_t code)
{
    if (!IsLiveNode(key))
        return;
    Nodes[key].HasEnumFailures = true;
    EnumFailures.push_back(TEnumFailure{key, OpEnumValue, index, code});
}

int32_t TMemoryRegistry::EnumFailure(int node, TOperation operation, uint32_t index) const
{
    if (!Nodes[node].HasEnumFailures)
        return RegSuccess;
    // The latest failure set for an index counts.
    for (auto it = EnumFailures.rbegin(); it != EnumFailures.rend(); ++it)
        if (it->Node == node && it->Operation == operation && it->Index == index)
            return it->Code;
    return RegSuccess;
}

int TMemoryRegistry::OpenHandleCount() const
{
    return OpenHandles;
}

size_t TMemoryRegistry::KeyCount() const
{
    return LiveKeys;
}

size_t TMemoryRegistry::ValueCount() const
{
    return LiveValues;
}

int TMemoryRegistry::SlotOfHandle(TRegKey key) const
{
    if (key < FirstHandle || (key - FirstHandle) % 4 != 0)
        return -1;
    TRegKey slot = (key - FirstHandle) / 4;
    return slot < Handles.size() && Handles[slot] >= 0 ? static_cast<int>(slot) : -1;
}

int TMemoryRegistry::NodeOfHandle(TRegKey key) const
{
    int root = RootKeyIndex(key);
    if (root >= 0)
        return root;
    int slot = SlotOfHandle(key);
    return slot < 0 ? -1 : Handles[slot];
}

TRegKey TMemoryRegistry::NewHandle(int node)
{
    size_t slot;
    if (FreeHandles.empty()) {
        slot = Handles.size();
        Handles.push_back(node);
    } else {
        slot = static_cast<size_t>(FreeHandles.back());
        FreeHandles.pop_back();
        Handles[slot] = node;
    }
    ++OpenHandles;
    return FirstHandle + 4 * static_cast<TRegKey>(slot);
}

int32_t TMemoryRegistry::Enter(TRegKey key, TOperation operation, uint32_t index, int* node)
{
    int found = NodeOfHandle(key);
    if (found < 0)
        return RegInvalidHandle;
    if (Hook)
        Hook(operation, found, index);
    // A handle to a deleted key (perhaps deleted by the hook just now) answers so, as the
    // system's handles do.
    if (Nodes[found].Deleted)
        return RegKeyDeleted;
    *node = found;
    return RegSuccess;
}

int32_t TMemoryRegistry::OpenKey(TRegKey parent, const KChar* subKey, uint32_t access, TRegKey* result)
{
    if (!result)
        return RegInvalidParameter;
    *result = 0;
    int node;
    int32_t code = Enter(parent, OpOpen, 0, &node);
    if (code != RegSuccess)
        return code;
    size_t length = subKey ? std::char_traits<KChar>::length(subKey) : 0;
    if (length == 0 && RootKeyIndex(parent) >= 0) {
        *result = parent;
        return RegSuccess;
    }
    size_t start = 0;
    if (length > 0 && subKey[0] == KT('\\')) {
        // Only HKEY_CLASSES_ROOT takes (and skips) a leading backslash.
        if (parent != RootKeyHandle(0))
            return RegBadPathname;
        start = 1;
    }
    // Empty components (a doubled or trailing backslash) are skipped, as the system does.
    int named = node;
    for (size_t part; start < length; start += part + 1) {
        part = ComponentLength(subKey, length, start);
        if (part == 0)
            continue;
        int folder = ResolveLink(named);
        named = folder < 0 ? -1 : ChildByName(folder, subKey + start, part);
        if (named < 0)
            return RegFileNotFound;
    }
    if (Nodes[named].OpenFailure != RegSuccess)
        return Nodes[named].OpenFailure;
    int opened = ResolveLink(named);
    if (opened < 0)
        return RegFileNotFound;
    if (Nodes[opened].OpenFailure != RegSuccess)
        return Nodes[opened].OpenFailure;
    *result = NewHandle(opened);
    return RegSuccess;
}

void TMemoryRegistry::CloseKey(TRegKey key)
{
    int slot = SlotOfHandle(key);
    if (slot < 0)
        return;
    Handles[slot] = -1;
    FreeHandles.push_back(slot);
    --OpenHandles;
}

int32_t TMemoryRegistry::QueryInfoKey(TRegKey key, KChar* className, uint32_t* classLength, uint32_t* valueCount,
                                      TFileTime* lastWrite)
{
    if (className && !classLength)
        return RegInvalidParameter;
    int index;
    int32_t code = Enter(key, OpQueryInfo, 0, &index);
    if (code != RegSuccess)
        return code;
    const TNode& node = Nodes[index];
    int32_t result = RegSuccess;
    if (classLength) {
        uint32_t room = *classLength;
        uint32_t length = node.ClassLength;
        if (!className) {
            *classLength = length;
        } else if (room == 0) {
            // Windows leaves the buffer alone and answers 0 (Wine answers the length).
            *classLength = 0;
        } else if (length < room) {
            CopyText(className, node.ClassName, length);
            *classLength = length;
        } else if (sizeof(KChar) == 1) {
            // RegQueryInfoKeyA writes what fits, with a NUL, and answers that length.
            CopyText(className, node.ClassName, room - 1);
            *classLength = room - 1;
            result = RegMoreData;
        } else {
            // RegQueryInfoKeyW writes nothing and answers the length it needs, without the NUL.
            *classLength = length;
            result = RegInsufficientBuffer;
        }
    }
    if (valueCount)
        *valueCount = static_cast<uint32_t>(node.Values.size());
    if (lastWrite)
        *lastWrite = node.LastWrite;
    return result;
}

int32_t TMemoryRegistry::EnumKey(TRegKey key, uint32_t index, KChar* name, uint32_t* nameLength, KChar* className,
                                 uint32_t* classLength, TFileTime* lastWrite)
{
    if (!name || !nameLength)
        return RegInvalidParameter;
    int owner;
    int32_t code = Enter(key, OpEnumKey, index, &owner);
    if (code == RegSuccess)
        code = EnumFailure(owner, OpEnumKey, index);
    if (code != RegSuccess)
        return code;
    if (index >= Nodes[owner].Children.size())
        return RegNoMoreItems;
    const TNode& child = Nodes[Nodes[owner].Children[index]];
    // A name or class that does not fit with its NUL: nothing is written, the lengths stay.
    if (child.NameLength >= *nameLength || (className && classLength && child.ClassLength >= *classLength))
        return RegMoreData;
    CopyText(name, child.Name, child.NameLength);
    *nameLength = child.NameLength;
    if (classLength) {
        if (className)
            CopyText(className, child.ClassName, child.ClassLength);
        *classLength = child.ClassLength;
    }
    if (lastWrite)
        *lastWrite = child.LastWrite;
    return RegSuccess;
}

int32_t TMemoryRegistry::EnumValue(TRegKey key, uint32_t index, KChar* name, uint32_t* nameLength, uint32_t* type,
                                   uint8_t* data, uint32_t* dataSize)
{
    if (!name || !nameLength || (data && !dataSize))
        return RegInvalidParameter;
    int owner;
    int32_t code = Enter(key, OpEnumValue, index, &owner);
    if (code == RegSuccess)
        code = EnumFailure(owner, OpEnumValue, index);
    if (code != RegSuccess)
        return code;
    if (index >= Nodes[owner].Values.size())
        return RegNoMoreItems;
    const TValue& value = Nodes[owner].Values[index];
    uint32_t size = value.Size;
    bool nameFits = value.NameLength < *nameLength;
    bool dataFits = !data || size <= *dataSize;
    if (nameFits && (dataFits || sizeof(KChar) == 2)) {
        // RegEnumValueW writes the name even when the data does not fit (and so shortens
        // *nameLength to the name's length, which a retry must undo); RegEnumValueA does not.
        CopyText(name, value.Name, value.NameLength);
        *nameLength = value.NameLength;
    }
    // Either way the type and the size (the needed size on RegMoreData) come back; data only
    // when everything fits.
    if (type)
        *type = value.Type;
    if (dataSize)
        *dataSize = size;
    if (!nameFits || !dataFits)
        return RegMoreData;
    if (data && size > 0)
        std::memcpy(data, value.Data, size);
    return RegSuccess;
}

int32_t TMemoryRegistry::QueryValue(TRegKey key, const KChar* name, uint32_t* type, uint8_t* data, uint32_t* dataSize)
{
    if (data && !dataSize)
        return RegInvalidParameter;
    int owner;
    int32_t code = Enter(key, OpQueryValue, 0, &owner);
    if (code != RegSuccess)
        return code;
    size_t length = name ? std::char_traits<KChar>::length(name) : 0;
    int position = ValueByName(owner, name ? name : KT(""), length);
    if (position < 0) {
        // Asked for the size only, the system answers 0 for a value that is not there.
        if (!data && dataSize)
            *dataSize = 0;
        return RegFileNotFound;
    }
    const TValue& value = Nodes[owner].Values[position];
    uint32_t size = value.Size;
    if (type)
        *type = value.Type;
    bool fits = !data || size <= *dataSize;
    if (dataSize)
        *dataSize = size;
    if (!fits)
        return RegMoreData;
    if (data && size > 0)
        std::memcpy(data, value.Data, size);
    return RegSuccess;
}
