// The registry walk.
#include "Walk.h"

#include "KeyPath.h"
#include "Match.h"
#include "Platform.h"

namespace {

// The five searchable roots in the order a search visits them, with their condition flags.
struct TSearchRoot {
    int RootIndex;
    bool TSearchConditions::*Flag;
};
const TSearchRoot SearchableRoots[5] = {
    {0, &TSearchConditions::HKCR},
    {1, &TSearchConditions::HKCU},
    {2, &TSearchConditions::HKLM},
    {3, &TSearchConditions::HKU},
    {5, &TSearchConditions::HKCC},
};

}  // namespace

void TSearchState::AllocateBuffers()
{
    KeyNameBuffer.assign(WalkBufferUnits, 0);
    ClassBuffer.assign(WalkBufferUnits, 0);
    ValueNameBuffer.assign(WalkBufferUnits, 0);
    DataBuffer.assign(FirstDataRoom, 0);
    Path.reserve(WalkBufferUnits);
}

void TSearchState::ReleaseBuffers()
{
    std::vector<KChar>().swap(KeyNameBuffer);
    std::vector<KChar>().swap(ClassBuffer);
    std::vector<KChar>().swap(ValueNameBuffer);
    std::vector<uint8_t>().swap(DataBuffer);
    TString().swap(Path);
}

TSearchWalk::TSearchWalk(TRegistry& registry, TSearchConditions& conditions, TSearchState& state, TSearchSink& sink)
    : TickCount(PlatformTickCount), Registry(registry), Conditions(conditions), State(state), Sink(sink)
{
}

bool TSearchWalk::InDateRange() const
{
#if defined(KEYFINCH_ANSI)
    return true;  // the ANSI program has no modification-time filter
#else
    if (Conditions.After && Conditions.AfterDateTime > State.CurrentLastWrite)
        return false;
    if (Conditions.Before && State.CurrentLastWrite > Conditions.BeforeDateTime)
        return false;
    return true;
#endif
}

void TSearchWalk::SearchRoots()
{
    for (const TSearchRoot& root : SearchableRoots) {
        if (Conditions.Type == LocationAllRoots || (Conditions.Type == LocationChosenRoots && Conditions.*root.Flag))
            WalkStartPoint(RootKeyHandle(root.RootIndex), RootKeyNames[root.RootIndex].ShortName);
    }
    if (Conditions.Type == LocationOneKey && Conditions.KeyHandle != 0) {
        WalkStartPoint(Conditions.KeyHandle, Conditions.KeyName);
        Registry.CloseKey(Conditions.KeyHandle);
        Conditions.KeyHandle = 0;  // so that nothing closes it a second time
    }
}

void TSearchWalk::WalkStartPoint(TRegKey key, const TString& path)
{
    // The result is not examined: a failed query leaves the time of the previous start point.
    Registry.QueryInfoKey(key, nullptr, nullptr, nullptr, &State.CurrentLastWrite);
    State.CurrentInRange = InDateRange();
    State.Path = path;
    WalkKey(key, 0);
}

void TSearchWalk::WalkKey(TRegKey key, int depth)
{
    uint32_t tick = TickCount();
    if (tick - State.LastProgressTick > 100) {
        State.LastProgressTick = tick;
        Sink.ShowProgress(State.Path.data(), static_cast<uint32_t>(State.Path.size()));
    }
    // The value pass relies on CurrentInRange having been set for this key by the caller.
    if (State.CurrentInRange && (Conditions.Value || Conditions.Data))
        SearchValues(key);
    SearchSubkeys(key, depth);
    ++State.KeyCount;
}

void TSearchWalk::SearchValues(TRegKey key)
{
    KChar* name = State.ValueNameBuffer.data();
    for (uint32_t index = 0; !State.Aborted.load(std::memory_order_relaxed); ++index) {
        uint32_t nameLength = WalkBufferUnits;
        uint32_t type = RegNone;
        uint32_t dataSize = FirstDataRoom;
        int32_t result = Registry.EnumValue(key, index, name, &nameLength, &type, State.DataBuffer.data(), &dataSize);
        if (result == RegMoreData) {
            nameLength = WalkBufferUnits;
            if (IsStringType(type)) {
                if (dataSize > State.DataBuffer.size())
                    State.DataBuffer.resize(dataSize);
                result = Registry.EnumValue(key, index, name, &nameLength, &type, State.DataBuffer.data(), &dataSize);
            } else {
                // Other data is never tested or shown, so it is not read at all.
                result = Registry.EnumValue(key, index, name, &nameLength, &type, nullptr, nullptr);
                dataSize = 0;
            }
            // A value that still cannot be read (its name is too long, or it grew meanwhile)
            // is skipped: the buffers hold nothing of it.
            if (result != RegSuccess)
                continue;
        } else if (result != RegSuccess) {
            // No more items, or the key itself cannot be read any more (deleted, closed): the
            // next index would answer the same.
            break;
        }

        bool hit = Conditions.Value && MatchText(Conditions, name, static_cast<int32_t>(nameLength));
        if (!hit && Conditions.Data && IsStringType(type)) {
            const KChar* text = reinterpret_cast<const KChar*>(State.DataBuffer.data());
            hit = MatchText(Conditions, text, static_cast<int32_t>(dataSize / sizeof(KChar)) - 1);
        }
        if (hit)
            ReportHit(name, nameLength, type, dataSize, State.DataBuffer.data(), State.Path.size());
    }
}

void TSearchWalk::SearchSubkeys(TRegKey key, int depth)
{
    KChar* name = State.KeyNameBuffer.data();
    KChar* className = State.ClassBuffer.data();
    const size_t pathLength = State.Path.size();
    for (uint32_t index = 0; !State.Aborted.load(std::memory_order_relaxed); ++index) {
        uint32_t nameLength = WalkBufferUnits;
        uint32_t classLength = WalkBufferUnits;
        int32_t result = Registry.EnumKey(key, index, name, &nameLength, className, &classLength,
                                          &State.CurrentLastWrite);
        if (result == RegMoreData)
            continue;  // a class too long for the buffer: nothing of this subkey was read
        if (result != RegSuccess)
            break;     // no more items, or the key cannot be read any more

        State.CurrentInRange = InDateRange();
        if (State.CurrentInRange) {
            bool hit = Conditions.Key && MatchText(Conditions, name, static_cast<int32_t>(nameLength));
            if (!hit && Conditions.Data)
                hit = MatchText(Conditions, className, static_cast<int32_t>(classLength));
            if (hit) {
                className[classLength] = 0;
                ReportHit(name, nameLength, KeyHitType, (classLength + 1) * sizeof(KChar),
                          reinterpret_cast<const uint8_t*>(className), pathLength);
            }
        }

        if (!Conditions.SubKey || depth >= MaxWalkDepth)
            continue;
        name[nameLength] = 0;
        TRegKey child = 0;
        if (Registry.OpenKey(key, name, KeyRead, &child) != RegSuccess)
            continue;
        State.Path += KT('\\');
        State.Path.append(name, nameLength);
        WalkKey(child, depth + 1);
        State.Path.resize(pathLength);
        Registry.CloseKey(child);
    }
}

void TSearchWalk::ReportHit(const KChar* name, uint32_t nameLength, uint32_t type, uint32_t dataSize,
                            const uint8_t* data, size_t locationLength)
{
    THit hit;
    hit.Name = name;
    hit.NameLength = nameLength;
    hit.Location = State.Path.data();
    hit.LocationLength = static_cast<uint32_t>(locationLength);
    hit.Type = type;
    hit.LastWrite = State.CurrentLastWrite;
    hit.DataSize = dataSize;
    hit.Data = data;
    Sink.AddHit(hit);
}
