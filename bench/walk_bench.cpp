// Native benchmark of the search walk over a large in-memory registry, against a bare
// enumeration of the same registry with the same operations and no matching. Prints ratios and
// the engine's own cost per enumerated item; --smoke runs a small registry once.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>

#include "KeyPath.h"
#include "Match.h"
#include "MemoryRegistry.h"
#include "Walk.h"

namespace {

std::atomic<uint64_t> Allocations{0};

}  // namespace

void* operator new(size_t size)
{
    Allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, size_t) noexcept
{
    std::free(p);
}

namespace {

typedef std::chrono::steady_clock TClock;

double Seconds(TClock::time_point start)
{
    return std::chrono::duration<double>(TClock::now() - start).count();
}

TString Text(const char* ascii)
{
    TString text;
    while (*ascii)
        text += static_cast<KChar>(*ascii++);
    return text;
}

// Names of the kind a registry holds: words, numbers and class-id braces.
TString MakeName(std::mt19937& random, int serial)
{
    static const char* const words[] = {"Software", "Microsoft", "Windows", "CurrentVersion", "Explorer",
                                        "Settings", "Policies", "Classes", "Interface", "TypeLib",
                                        "Services", "Parameters", "Control", "Display", "Shell"};
    char buffer[64];
    switch (random() % 4) {
    case 0:
        std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%04X-%012X}", serial, static_cast<unsigned>(random() % 0xFFFF),
                      static_cast<unsigned>(random() % 0xFFFF), static_cast<unsigned>(random() % 0xFFFF),
                      static_cast<unsigned>(random()));
        break;
    case 1:
        std::snprintf(buffer, sizeof buffer, "%s%d", words[random() % 15], serial);
        break;
    default:
        std::snprintf(buffer, sizeof buffer, "%s.%s.%d", words[random() % 15], words[random() % 15], serial);
        break;
    }
    return Text(buffer);
}

// A tree of keys below HKLM with about two values per key.
void BuildRegistry(TMemoryRegistry& registry, int keyTarget, int valueTarget)
{
    std::mt19937 random(2024);
    std::vector<int> level = {registry.AddKeyPath(Text("HKLM\\BENCH"))};
    int keys = 1;
    int values = 0;
    const TString dataText = Text("C:\\Program Files\\Common Files\\System\\component.dll,-1024 and some more words");
    while (keys < keyTarget) {
        std::vector<int> next;
        for (int parent : level) {
            for (int i = 0; i < 10 && keys < keyTarget; ++i, ++keys) {
                int key = registry.AddKey(parent, MakeName(random, keys), TString(), 133000000000000000ull + keys);
                next.push_back(key);
                int count = values < valueTarget ? 1 + static_cast<int>(random() % 4) : 0;
                for (int v = 0; v < count && values < valueTarget; ++v, ++values) {
                    TString name = v == 0 && random() % 4 == 0 ? TString() : MakeName(random, values);
                    switch (random() % 10) {
                    case 0:
                    case 1:
                        registry.SetDword(key, name, static_cast<uint32_t>(random()));
                        break;
                    case 2: {
                        uint8_t bytes[40];
                        for (uint8_t& b : bytes)
                            b = static_cast<uint8_t>(random());
                        registry.SetValue(key, name, RegBinary, bytes, sizeof bytes);
                        break;
                    }
                    default:
                        registry.SetString(key, name, dataText.substr(0, 8 + random() % 60));
                        break;
                    }
                }
            }
        }
        level.swap(next);
    }
}

// The floor: every key and value enumerated with the walk's operations and buffers, no tests.
struct TBareWalker {
    TRegistry& Registry;
    std::vector<KChar> Name, Class, ValueName;
    std::vector<uint8_t> Data;
    uint64_t Items = 0;

    explicit TBareWalker(TRegistry& registry)
        : Registry(registry), Name(WalkBufferUnits), Class(WalkBufferUnits), ValueName(WalkBufferUnits), Data(FirstDataRoom)
    {
    }

    void Walk(TRegKey key)
    {
        for (uint32_t i = 0;; ++i) {
            uint32_t nameLength = WalkBufferUnits, type = 0, size = FirstDataRoom;
            int32_t r = Registry.EnumValue(key, i, ValueName.data(), &nameLength, &type, Data.data(), &size);
            if (r != RegSuccess && r != RegMoreData)
                break;
            ++Items;
        }
        for (uint32_t i = 0;; ++i) {
            uint32_t nameLength = WalkBufferUnits, classLength = WalkBufferUnits;
            TFileTime time;
            if (Registry.EnumKey(key, i, Name.data(), &nameLength, Class.data(), &classLength, &time) != RegSuccess)
                break;
            ++Items;
            TRegKey child;
            if (Registry.OpenKey(key, Name.data(), KeyRead, &child) == RegSuccess) {
                Walk(child);
                Registry.CloseKey(child);
            }
        }
    }

    void WalkRoots()
    {
        for (int root : {0, 1, 2, 3, 5}) {
            TFileTime time;
            Registry.QueryInfoKey(RootKeyHandle(root), nullptr, nullptr, nullptr, &time);
            Walk(RootKeyHandle(root));
        }
    }
};

class TCountingSink : public TSearchSink {
public:
    uint64_t Hits = 0;
    uint64_t Progress = 0;
    void AddHit(const THit&) override { ++Hits; }
    void ShowProgress(const KChar*, uint32_t) override { ++Progress; }
};

}  // namespace

int main(int argc, char** argv)
{
    bool smoke = argc > 1 && std::strcmp(argv[1], "--smoke") == 0;
    const int keyTarget = smoke ? 10000 : 1000000;
    const int valueTarget = smoke ? 20000 : 2000000;
    const int rounds = smoke ? 1 : 5;

    TClock::time_point start = TClock::now();
    TMemoryRegistry registry;
    BuildRegistry(registry, keyTarget, valueTarget);
    std::printf("registry: %zu keys, %zu values, built in %.1f s\n", registry.KeyCount(), registry.ValueCount(), Seconds(start));

    TSearchConditions conditions;
    SetSearchText(conditions, Text("QzXq9"), false, false);
    double bestBare = 1e9, bestWalk = 1e9;
    uint64_t items = 0, allocations = 0;
    int32_t keysWalked = 0;
    TCountingSink sink;
    for (int round = 0; round < rounds; ++round) {
        TBareWalker bare(registry);
        start = TClock::now();
        bare.WalkRoots();
        double bareTime = Seconds(start);
        if (bareTime < bestBare)
            bestBare = bareTime;
        items = bare.Items;

        TSearchState state;
        state.AllocateBuffers();
        TSearchWalk walk(registry, conditions, state, sink);
        uint64_t before = Allocations.load();
        start = TClock::now();
        walk.SearchRoots();
        double walkTime = Seconds(start);
        allocations = Allocations.load() - before;
        keysWalked = state.KeyCount;
        if (walkTime < bestWalk)
            bestWalk = walkTime;
    }
    if (sink.Hits != 0 || keysWalked != static_cast<int32_t>(registry.KeyCount()) - 2) {
        std::printf("unexpected result: %llu hits, %d keys walked\n", static_cast<unsigned long long>(sink.Hits), keysWalked);
        return 1;
    }

    std::printf("bare enumeration: %.3f s for %llu items (%.1f ns per item)\n", bestBare,
                static_cast<unsigned long long>(items), bestBare * 1e9 / items);
    std::printf("search walk:      %.3f s\n", bestWalk);
    std::printf("ratio walk/bare:  %.2f\n", bestWalk / bestBare);
    std::printf("engine cost:      %.1f ns per enumerated item (walk minus bare)\n", (bestWalk - bestBare) * 1e9 / items);
    std::printf("allocations:      %.4f per key during the walk\n", static_cast<double>(allocations) / keysWalked);

    // The matcher alone on names of the kind the registry holds.
    std::mt19937 random(7);
    std::vector<TString> names;
    size_t units = 0;
    for (int i = 0; i < 100000; ++i) {
        names.push_back(MakeName(random, i));
        units += names.back().size();
    }
    int matches = 0;
    start = TClock::now();
    const int passes = smoke ? 1 : 20;
    for (int pass = 0; pass < passes; ++pass)
        for (const TString& name : names)
            matches += MatchText(conditions, name.data(), static_cast<int32_t>(name.size()));
    double matchTime = Seconds(start);
    std::printf("matcher:          %.1f ns per name, %.0f M units per second (%d matches)\n",
                matchTime * 1e9 / (names.size() * passes), units * passes / matchTime / 1e6, matches);
    return 0;
}
