// Root key names, value type names and key paths in short (HKLM\...) and long form.
#pragma once

#include "Registry.h"

struct TRootKeyName {
    const KChar* ShortName;
    const KChar* LongName;
};

// Indexed by the predefined handle minus 0x80000000.
extern const TRootKeyName RootKeyNames[7];
// Indexed by the type code; entry 11 is KeyTypeLabel.
extern const KChar* const ValueTypeNames[12];
extern const KChar* const KeyTypeLabel;

// The root handle (0 when the root part names no root) and the subkey path.
TRegKey SplitKeyPath(const TString& path, TString* subKeyPath);
TString ToShortKeyPath(const TString& path);
TString ToLongKeyPath(const TString& path);
// Opens the key a path names; the result code of the open, 0 on success.
int32_t OpenKeyPath(TRegistry& registry, const TString& path, uint32_t access, TRegKey* key);
