// The system registry behind the TRegistry interface (Windows builds only). Keys travel as
// TRegKey holding the HKEY value, so callers need no Windows header.
#pragma once

#include "Registry.h"

class TWinRegistry : public TRegistry {
public:
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
};
