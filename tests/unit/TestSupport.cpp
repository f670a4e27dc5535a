// Helpers shared by the unit tests.
#include "TestSupport.h"

#include <cstdio>

std::string Printable(const TString& text)
{
    std::string out;
    for (KChar c : text) {
        unsigned code = CharCode(c);
        if (code >= 0x20 && code < 0x7F) {
            out += static_cast<char>(code);
        } else {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, sizeof(KChar) == 1 ? "\\x%02X" : "\\u%04X", code);
            out += buffer;
        }
    }
    return out;
}

std::string TRecordedHit::Brief() const
{
    return Printable(Location) + "|" + Printable(Name) + "|" + std::to_string(Type);
}

void TRecordingSink::AddHit(const THit& hit)
{
    TRecordedHit recorded;
    recorded.Name.assign(hit.Name, hit.NameLength);
    recorded.Location.assign(hit.Location, hit.LocationLength);
    recorded.Type = hit.Type;
    recorded.LastWrite = hit.LastWrite;
    recorded.Data.assign(hit.Data, hit.Data + hit.DataSize);
    Hits.push_back(recorded);
    if (OnHit)
        OnHit(Hits.back());
}

void TRecordingSink::ShowProgress(const KChar* path, uint32_t length)
{
    ProgressPaths.push_back(TString(path, length));
}

std::vector<std::string> TRecordingSink::Briefs() const
{
    std::vector<std::string> briefs;
    for (const TRecordedHit& hit : Hits)
        briefs.push_back(hit.Brief());
    return briefs;
}

std::vector<uint8_t> StringData(const TString& text)
{
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text.c_str());
    return std::vector<uint8_t>(bytes, bytes + (text.size() + 1) * sizeof(KChar));
}
