// Root key names, value type names and the key path conversions.
#include "KeyPath.h"

#include "StringRoutines.h"

const TRootKeyName RootKeyNames[7] = {
    {KT("HKCR"), KT("HKEY_CLASSES_ROOT")},
    {KT("HKCU"), KT("HKEY_CURRENT_USER")},
    {KT("HKLM"), KT("HKEY_LOCAL_MACHINE")},
    {KT("HKU"), KT("HKEY_USERS")},
    {KT("HKPD"), KT("HKEY_PERFORMANCE_DATA")},
    {KT("HKCC"), KT("HKEY_CURRENT_CONFIG")},
    {KT("HKDD"), KT("HKEY_DYN_DATA")},
};

const KChar* const ValueTypeNames[12] = {
    KT("REG_NONE"),
    KT("REG_SZ"),
    KT("REG_EXPAND_SZ"),
    KT("REG_BINARY"),
    KT("REG_DWORD"),
    KT("REG_DWORD_BIG_ENDIAN"),
    KT("REG_LINK"),
    KT("REG_MULTI_SZ"),
    KT("REG_RESOURCE_LIST"),
    KT("REG_FULL_RESOURCE_DESCRIPTOR"),
    KT("REG_RESOURCE_REQUIREMENTS_LIST"),
    KT("(キー)"),
};

const KChar* const KeyTypeLabel = ValueTypeNames[KeyHitType];

TRegKey SplitKeyPath(const TString& path, TString* subKeyPath)
{
    int separator = FirstDelimiterIndex(path.data(), path.size());
    TString root = separator < 0 ? path : path.substr(0, static_cast<size_t>(separator));
    if (subKeyPath)
        *subKeyPath = separator < 0 ? TString() : path.substr(static_cast<size_t>(separator) + 1);
    for (int i = 0; i < 7; ++i)
        if (CompareNoCase(root, RootKeyNames[i].ShortName) == 0 || CompareNoCase(root, RootKeyNames[i].LongName) == 0)
            return RootKeyHandle(i);
    return 0;
}

namespace {

TString RewriteRoot(const TString& path, bool longForm)
{
    TString subKeyPath;
    int index = RootKeyIndex(SplitKeyPath(path, &subKeyPath));
    if (index < 0)
        return TString();
    TString result = longForm ? RootKeyNames[index].LongName : RootKeyNames[index].ShortName;
    if (!subKeyPath.empty()) {
        result += KT('\\');
        result += subKeyPath;
    }
    return result;
}

}  // namespace

TString ToShortKeyPath(const TString& path)
{
    return RewriteRoot(path, false);
}

TString ToLongKeyPath(const TString& path)
{
    return RewriteRoot(path, true);
}

int32_t OpenKeyPath(TRegistry& registry, const TString& path, uint32_t access, TRegKey* key)
{
    TString subKeyPath;
    TRegKey root = SplitKeyPath(path, &subKeyPath);
    *key = 0;
    if (root == 0)
        return RegInvalidHandle;
    return registry.OpenKey(root, subKeyPath.c_str(), access, key);
}
