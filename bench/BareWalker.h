// The floor every search is measured against: a walker that calls the registry functions
// directly, tests nothing and keeps nothing but its counts.
#pragma once

#include <windows.h>

#include <vector>

struct TBareWalker {
    std::vector<wchar_t> Name, Class, ValueName;
    std::vector<BYTE> Data;
    unsigned long long Keys = 0, Values = 0, Calls = 0;

    TBareWalker() : Name(4096), Class(4096), ValueName(4096), Data(8192) {}

    void Walk(HKEY key)
    {
        ++Keys;
        for (DWORD i = 0;; ++i) {
            DWORD nameLength = 4096, type = 0, size = 8192;
            ++Calls;
            LONG r = RegEnumValueW(key, i, ValueName.data(), &nameLength, nullptr, &type, Data.data(), &size);
            if (r == ERROR_MORE_DATA) {
                nameLength = 4096;
                ++Calls;
                r = RegEnumValueW(key, i, ValueName.data(), &nameLength, nullptr, &type, nullptr, nullptr);
            }
            // Wine's performance-text key answers 6 at every index, so stop at any other answer.
            if (r != ERROR_SUCCESS)
                break;
            ++Values;
        }
        for (DWORD i = 0;; ++i) {
            DWORD nameLength = 4096, classLength = 4096;
            FILETIME time;
            ++Calls;
            if (RegEnumKeyExW(key, i, Name.data(), &nameLength, nullptr, Class.data(), &classLength, &time) != ERROR_SUCCESS)
                break;
            HKEY child;
            ++Calls;
            if (RegOpenKeyExW(key, Name.data(), 0, KEY_READ, &child) == ERROR_SUCCESS) {
                Walk(child);
                ++Calls;
                RegCloseKey(child);
            }
        }
    }

    void WalkRoots()
    {
        for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG}) {
            FILETIME time;
            ++Calls;
            RegQueryInfoKeyW(root, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, &time);
            Walk(root);
        }
    }
};
