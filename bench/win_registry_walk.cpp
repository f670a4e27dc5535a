// Benchmark under Windows (or Wine): the search walk over all five searchable roots of the real
// registry against a bare walker that calls the registry functions directly and tests nothing.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "BareWalker.h"
#include "Walk.h"
#include "WinRegistry.h"

namespace {

// Counts the calls the walk makes, so that a ratio above 1 can be told from a walk that asks
// the registry more than it needs to.
class TCountingRegistry : public TRegistry {
public:
    TRegistry& Inner;
    unsigned long long Calls = 0;
    explicit TCountingRegistry(TRegistry& inner) : Inner(inner) {}
    int32_t OpenKey(TRegKey parent, const KChar* subKey, uint32_t access, TRegKey* result) override
    {
        ++Calls;
        return Inner.OpenKey(parent, subKey, access, result);
    }
    void CloseKey(TRegKey key) override
    {
        ++Calls;
        Inner.CloseKey(key);
    }
    int32_t QueryInfoKey(TRegKey key, KChar* className, uint32_t* classLength, uint32_t* valueCount,
                         TFileTime* lastWrite) override
    {
        ++Calls;
        return Inner.QueryInfoKey(key, className, classLength, valueCount, lastWrite);
    }
    int32_t EnumKey(TRegKey key, uint32_t index, KChar* name, uint32_t* nameLength, KChar* className,
                    uint32_t* classLength, TFileTime* lastWrite) override
    {
        ++Calls;
        return Inner.EnumKey(key, index, name, nameLength, className, classLength, lastWrite);
    }
    int32_t EnumValue(TRegKey key, uint32_t index, KChar* name, uint32_t* nameLength, uint32_t* type, uint8_t* data,
                      uint32_t* dataSize) override
    {
        ++Calls;
        return Inner.EnumValue(key, index, name, nameLength, type, data, dataSize);
    }
    int32_t QueryValue(TRegKey key, const KChar* name, uint32_t* type, uint8_t* data, uint32_t* dataSize) override
    {
        ++Calls;
        return Inner.QueryValue(key, name, type, data, dataSize);
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
    TWinRegistry system;
    TCountingRegistry registry(system);
    TSearchConditions conditions;
    SetSearchText(conditions, L"QzXq9", false, false);

    double bestBare = 1e9, bestWalk = 1e9;
    unsigned long long keys = 0, values = 0, hits = 0, bareCalls = 0, walkCalls = 0;
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
        bareCalls = bare.Calls;

        TSearchState state;
        TCountingSink sink;
        state.AllocateBuffers();
        TSearchWalk walk(registry, conditions, state, sink);
        registry.Calls = 0;
        QueryPerformanceCounter(&start);
        walk.SearchRoots();
        t = Seconds(start, frequency);
        if (t < bestWalk)
            bestWalk = t;
        keysWalked = state.KeyCount;
        hits = sink.Hits;
        walkCalls = registry.Calls;
    }
    std::printf("registry: %llu keys, %llu values (the walk counted %d keys, %llu hits)\n", keys, values,
                static_cast<int>(keysWalked), hits);
    std::printf("bare walker: %.3f s\n", bestBare);
    std::printf("search walk: %.3f s\n", bestWalk);
    std::printf("ratio walk/bare: %.3f\n", bestWalk / bestBare);
    std::printf("registry calls: walk %llu, bare walker %llu\n", walkCalls, bareCalls);
    return 0;
}
