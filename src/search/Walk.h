// The registry walk: visits the chosen part of a registry depth first, tests key names, value
// names, string data and key classes, applies the date filter and hands every hit on at once.
#pragma once

#include <atomic>

#include "Registry.h"
#include "SearchConditions.h"

// Room of the name and class buffers, in units; the data buffer starts with as many units.
const uint32_t WalkBufferUnits = 4096;
const uint32_t FirstDataRoom = WalkBufferUnits * sizeof(KChar);
// Subkeys are not opened deeper than this below a start point: the registry's own nesting
// limit, and the end of any loop made of symbolic links.
const int MaxWalkDepth = 512;

// One hit as the walk reports it. The texts point into the walk's buffers and are valid only
// during the call that receives them.
struct THit {
    const KChar* Name;
    uint32_t NameLength;
    const KChar* Location;  // short root form
    uint32_t LocationLength;
    uint32_t Type;          // the value's type, or KeyHitType
    TFileTime LastWrite;
    uint32_t DataSize;
    const uint8_t* Data;    // for a key hit, its class with the NUL
};

// Receives what a search finds; the main window binds it to the result list and status bar.
class TSearchSink {
public:
    virtual ~TSearchSink() {}
    virtual void AddHit(const THit& hit) = 0;
    // path is empty when a search starts.
    virtual void ShowProgress(const KChar* path, uint32_t length) = 0;
};

// The state of one walk, shared by every level of the recursion.
struct TSearchState {
    std::atomic<bool> Aborted{false};
    uint32_t LastProgressTick = 0;
    int32_t KeyCount = 0;
    std::vector<KChar> KeyNameBuffer;
    std::vector<KChar> ClassBuffer;
    std::vector<KChar> ValueNameBuffer;
    std::vector<uint8_t> DataBuffer;
    // The path of the key being walked. A level appends its child's name before the descent and
    // cuts it off afterwards, so no string is made per key.
    TString Path;
    TFileTime CurrentLastWrite = 0;
    bool CurrentInRange = true;

    void AllocateBuffers();
    void ReleaseBuffers();
};

class TSearchWalk {
public:
    TSearchWalk(TRegistry& registry, TSearchConditions& conditions, TSearchState& state, TSearchSink& sink);

    // Visits the start points in root order, then the start key; closes the start key at the end.
    void SearchRoots();
    // Walks one open key whose path is State.Path; depth counts the levels below the start point.
    void WalkKey(TRegKey key, int depth);
    bool InDateRange() const;

    // The clock of the progress display; tests replace it.
    uint32_t (*TickCount)();

private:
    TRegistry& Registry;
    TSearchConditions& Conditions;
    TSearchState& State;
    TSearchSink& Sink;

    void WalkStartPoint(TRegKey key, const TString& path);
    void SearchValues(TRegKey key);
    void SearchSubkeys(TRegKey key, int depth);
    void ReportHit(const KChar* name, uint32_t nameLength, uint32_t type, uint32_t dataSize, const uint8_t* data,
                   size_t locationLength);
};
