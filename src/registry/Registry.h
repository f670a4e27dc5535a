// The registry operations the search needs, behind one small interface, so the same walk runs
// on the system registry (WinRegistry) and on an in-memory one (MemoryRegistry).
#pragma once

#include "KeyfinchChar.h"

// An open key: the system's HKEY value, or a handle of the in-memory registry.
typedef uintptr_t TRegKey;

// The predefined root handles 0x80000000 to 0x80000006, sign-extended as the system does.
inline TRegKey RootKeyHandle(int index)
{
    return static_cast<TRegKey>(static_cast<intptr_t>(static_cast<int32_t>(0x80000000u + index)));
}
// Index into RootKeyNames, or -1 for a handle that is not a root.
inline int RootKeyIndex(TRegKey key)
{
    uint32_t low = static_cast<uint32_t>(key) - 0x80000000u;
    return (low <= 6 && key == RootKeyHandle(static_cast<int>(low))) ? static_cast<int>(low) : -1;
}

enum : int32_t {
    RegSuccess = 0,
    RegFileNotFound = 2,
    RegAccessDenied = 5,
    RegInvalidHandle = 6,
    RegInvalidParameter = 87,
    RegInsufficientBuffer = 122,
    RegBadPathname = 161,
    RegMoreData = 234,
    RegNoMoreItems = 259,
    RegKeyDeleted = 1018,
};

enum : uint32_t {
    KeyRead = 0x20019,
    RegNone = 0, RegSz = 1, RegExpandSz = 2, RegBinary = 3, RegDword = 4,
    RegDwordBigEndian = 5, RegLink = 6, RegMultiSz = 7,
    KeyHitType = 11,  // the program's own marker for a hit on a key
};

// The types whose data is text: the only data a search tests and the list shows as text.
inline bool IsStringType(uint32_t type)
{
    return type == RegSz || type == RegExpandSz || type == RegMultiSz;
}

class TRegistry {
public:
    virtual ~TRegistry() {}

    // RegOpenKeyEx with options 0.
    virtual int32_t OpenKey(TRegKey parent, const KChar* subKey, uint32_t access, TRegKey* result) = 0;
    // RegCloseKey.
    virtual void CloseKey(TRegKey key) = 0;
    // RegQueryInfoKey: any output may be null. classLength is the room in units on entry and the
    // class length without NUL on return.
    virtual int32_t QueryInfoKey(TRegKey key, KChar* className, uint32_t* classLength,
                                 uint32_t* valueCount, TFileTime* lastWrite) = 0;
    // RegEnumKeyEx: nameLength and classLength are the room in units on entry (NUL included) and
    // the lengths without NUL on success.
    virtual int32_t EnumKey(TRegKey key, uint32_t index, KChar* name, uint32_t* nameLength,
                            KChar* className, uint32_t* classLength, TFileTime* lastWrite) = 0;
    // RegEnumValue: data and dataSize may be null; dataSize is the room in bytes on entry and the
    // size (or, with RegMoreData, the needed size) on return.
    virtual int32_t EnumValue(TRegKey key, uint32_t index, KChar* name, uint32_t* nameLength,
                              uint32_t* type, uint8_t* data, uint32_t* dataSize) = 0;
    // RegQueryValueEx; a null or empty name queries the unnamed value.
    virtual int32_t QueryValue(TRegKey key, const KChar* name, uint32_t* type, uint8_t* data,
                               uint32_t* dataSize) = 0;
};
