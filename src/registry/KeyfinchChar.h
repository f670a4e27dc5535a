// The character unit of the program and its string type.
// KeyfinchNT works on UTF-16 code units, Keyfinch (KEYFINCH_ANSI) on bytes of the ANSI code page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#if defined(KEYFINCH_ANSI)
typedef char KChar;
#define KT(text) text
#elif defined(_WIN32)
typedef wchar_t KChar;  // WCHAR, so the W functions take our strings as they are
#define KT(text) L##text
#else
typedef char16_t KChar;
#define KT(text) u##text
#endif

static_assert(sizeof(KChar) == 1 || sizeof(KChar) == 2, "a character unit is a byte or a UTF-16 unit");

typedef std::basic_string<KChar> TString;
typedef std::vector<TString> TStringArray;

// Registry file times: 100 ns units since 1601-01-01, UTC unless a name says local.
typedef uint64_t TFileTime;

// One unit read as an unsigned number (bytes above 0x7F stay positive in the ANSI build).
inline unsigned CharCode(KChar c)
{
    return sizeof(KChar) == 1 ? static_cast<unsigned char>(c) : static_cast<unsigned>(c);
}
