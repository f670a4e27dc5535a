// Helpers shared by the unit tests: readable texts and a sink that records what a walk reports.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "KeyfinchChar.h"
#include "Walk.h"

// A TString as UTF-8-ish ASCII for failure messages (other units as \uXXXX or \xXX).
std::string Printable(const TString& text);

// One reported hit, copied out of the walk's buffers.
struct TRecordedHit {
    TString Name;
    TString Location;
    uint32_t Type;
    TFileTime LastWrite;
    std::vector<uint8_t> Data;
    // "location|name|type" for compact comparisons of hit lists.
    std::string Brief() const;
};

class TRecordingSink : public TSearchSink {
public:
    std::vector<TRecordedHit> Hits;
    std::vector<TString> ProgressPaths;
    // Called after each recorded hit; a test may abort from here.
    std::function<void(const TRecordedHit&)> OnHit;

    void AddHit(const THit& hit) override;
    void ShowProgress(const KChar* path, uint32_t length) override;
    std::vector<std::string> Briefs() const;
};

// Bytes of a text with its NUL, as a string value stores it.
std::vector<uint8_t> StringData(const TString& text);
