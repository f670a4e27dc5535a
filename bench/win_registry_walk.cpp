// Benchmark under Windows (or Wine): the search walk over all five searchable roots of the real
// registry against a bare walker that calls the registry functions directly and tests nothing.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "Walk.h"
#include "WinRegistry.h"

namespace {

struct TBareWalker {
    std::vector<wchar_t> Name, Class, ValueName;
    std::vector<BYTE> Data;
    unsigned long long Keys = 0, Values = 0;

    TBareWalker() : Name(4096), Class(4096), ValueName(4096), Data(8192) {}

    void Walk(HKEY key)
    {
        ++Keys;
        for (DWORD i = 0;; ++i) {
            DWORD nameLength = 4096, type = 0, size = 8192;
            LONG r = RegEnumValueW(key, i, ValueName.data(), &nameLength, nullptr, &type, Data.data(), &size);
            if (r == ERROR_MORE_DATA) {
                nameLength = 4096;
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
            if (RegEnumKeyExW(key, i, Name.data(), &nameLength, nullptr, Class.data(), &classLength, &time) != ERROR_SUCCESS)
                break;
            HKEY child;
            if (RegOpenKeyExW(key, Name.data(), 0, KEY_READ, &child) == ERROR_SUCCESS) {
                Walk(child);
                RegCloseKey(child);
            }
        }
    }

    void WalkRoots()
    {
        for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG}) {
            FILETIME time;
            RegQueryInfoKeyW(root, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, &time);
            Walk(root);
        }
    }
};

class TCountingSink : public TSearchSink {
public:
    unsigned long long Hits = 0;
    void AddHit(const THit&) override { ++Hits; }
    void ShowProgress(const KChar*, uint32_t) override {}
};

double Seconds(LARGE_INTEGER start, LARGE_INTEGER frequency)
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart;
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 && std::strcmp(argv[1], "--smoke") == 0 ? 1 : 3;
    LARGE_INTEGER frequency, start;
    QueryPerformanceFrequency(&frequency);
    TWinRegistry registry;
    TSearchConditions conditions;
    SetSearchText(conditions, L"QzXq9", false, false);

    double bestBare = 1e9, bestWalk = 1e9;
    unsigned long long keys = 0, values = 0, hits = 0;
    int32_t keysWalked = 0;
    for (int round = 0; round < rounds; ++round) {
        TBareWalker bare;
        QueryPerformanceCounter(&start);
        bare.WalkRoots();
        double t = Seconds(start, frequency);
        if (t < bestBare)
            bestBare = t;
        keys = bare.Keys;
        values = bare.Values;

        TSearchState state;
        TCountingSink sink;
        state.AllocateBuffers();
        TSearchWalk walk(registry, conditions, state, sink);
        QueryPerformanceCounter(&start);
        walk.SearchRoots();
        t = Seconds(start, frequency);
        if (t < bestWalk)
            bestWalk = t;
        keysWalked = state.KeyCount;
        hits = sink.Hits;
    }
    std::printf("registry: %llu keys, %llu values (the walk counted %d keys, %llu hits)\n", keys, values,
                static_cast<int>(keysWalked), hits);
    std::printf("bare walker: %.3f s\n", bestBare);
    std::printf("search walk: %.3f s\n", bestWalk);
    std::printf("ratio walk/bare: %.3f\n", bestWalk / bestBare);
    return 0;
}
