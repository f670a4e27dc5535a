// TWinRegistry: each call goes straight to the Reg* function of the build's character width
// (W for KeyfinchNT, A for Keyfinch), with null outputs passed on as null.
#include "WinRegistry.h"

#include <windows.h>

#include <type_traits>

// The generic Reg* names pick the W or A function from UNICODE; it must agree with KChar.
static_assert(std::is_same<TCHAR, KChar>::value, "UNICODE must be defined exactly when KEYFINCH_ANSI is not");
static_assert(sizeof(DWORD) == sizeof(uint32_t), "DWORD is 32 bits");

namespace {

HKEY ToHkey(TRegKey key)
{
    return reinterpret_cast<HKEY>(static_cast<uintptr_t>(key));
}

TRegKey FromHkey(HKEY key)
{
    return static_cast<TRegKey>(reinterpret_cast<uintptr_t>(key));
}

// A DWORD in-out argument for an optional uint32_t: starts from the caller's value, so what
// the system leaves alone comes back unchanged.
class TDword {
public:
    explicit TDword(uint32_t* target) : Target(target), Value(target ? *target : 0) {}
    ~TDword()
    {
        if (Target)
            *Target = Value;
    }
    DWORD* Pointer() { return Target ? &Value : nullptr; }

private:
    uint32_t* Target;
    DWORD Value;
};

class TTime {
public:
    explicit TTime(TFileTime* target) : Target(target)
    {
        TFileTime start = target ? *target : 0;
        Value.dwLowDateTime = static_cast<DWORD>(start);
        Value.dwHighDateTime = static_cast<DWORD>(start >> 32);
    }
    ~TTime()
    {
        if (Target)
            *Target = static_cast<TFileTime>(Value.dwHighDateTime) << 32 | Value.dwLowDateTime;
    }
    FILETIME* Pointer() { return Target ? &Value : nullptr; }

private:
    TFileTime* Target;
    FILETIME Value;
};

}  // namespace

int32_t TWinRegistry::OpenKey(TRegKey parent, const KChar* subKey, uint32_t access, TRegKey* result)
{
    HKEY opened = nullptr;
    LONG code = RegOpenKeyEx(ToHkey(parent), subKey, 0, access, result ? &opened : nullptr);
    if (result)
        *result = FromHkey(opened);
    return code;
}

void TWinRegistry::CloseKey(TRegKey key)
{
    RegCloseKey(ToHkey(key));
}

int32_t TWinRegistry::QueryInfoKey(TRegKey key, KChar* className, uint32_t* classLength, uint32_t* valueCount,
                                   TFileTime* lastWrite)
{
    TDword classRoom(classLength), values(valueCount);
    TTime time(lastWrite);
    return RegQueryInfoKey(ToHkey(key), className, classRoom.Pointer(), nullptr, nullptr, nullptr, nullptr,
                           values.Pointer(), nullptr, nullptr, nullptr, time.Pointer());
}

int32_t TWinRegistry::EnumKey(TRegKey key, uint32_t index, KChar* name, uint32_t* nameLength, KChar* className,
                              uint32_t* classLength, TFileTime* lastWrite)
{
    TDword nameRoom(nameLength), classRoom(classLength);
    TTime time(lastWrite);
    return RegEnumKeyEx(ToHkey(key), index, name, nameRoom.Pointer(), nullptr, className, classRoom.Pointer(),
                        time.Pointer());
}

int32_t TWinRegistry::EnumValue(TRegKey key, uint32_t index, KChar* name, uint32_t* nameLength, uint32_t* type,
                                uint8_t* data, uint32_t* dataSize)
{
    TDword nameRoom(nameLength), typeCode(type), size(dataSize);
    return RegEnumValue(ToHkey(key), index, name, nameRoom.Pointer(), nullptr, typeCode.Pointer(), data,
                        size.Pointer());
}

int32_t TWinRegistry::QueryValue(TRegKey key, const KChar* name, uint32_t* type, uint8_t* data, uint32_t* dataSize)
{
    TDword typeCode(type), size(dataSize);
    return RegQueryValueEx(ToHkey(key), name, nullptr, typeCode.Pointer(), data, size.Pointer());
}
