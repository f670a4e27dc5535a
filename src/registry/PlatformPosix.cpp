// The platform services of the native Linux build, which lets the core be tested without
// Windows. Each answers as the Windows function named in Platform.h does.
#include "Platform.h"

#include <locale.h>
#include <time.h>
#include <wctype.h>

#include "StringRoutines.h"

namespace {

#if defined(KEYFINCH_ANSI)
bool IsCp932LeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

unsigned LowerAscii(unsigned byte)
{
    return byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte;
}
#else
bool IsSurrogate(unsigned unit)
{
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// The case of characters beyond ASCII needs a UTF-8 locale; a private one leaves the
// process's locale alone. Null if the system has none, and then only ASCII has case.
locale_t CaseLocale()
{
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return locale;
}

// Surrogates have no case, and a mapping that would leave the unit's range is not taken.
unsigned LowerUnit(unsigned unit)
{
    if (IsSurrogate(unit))
        return unit;
    if (CaseLocale() == static_cast<locale_t>(0))
        return unit >= 'A' && unit <= 'Z' ? unit + ('a' - 'A') : unit;
    const unsigned lower = static_cast<unsigned>(towlower_l(static_cast<wint_t>(unit), CaseLocale()));
    return lower <= 0xFFFF && !IsSurrogate(lower) ? lower : unit;
}

unsigned UpperUnit(unsigned unit)
{
    if (IsSurrogate(unit))
        return unit;
    if (CaseLocale() == static_cast<locale_t>(0))
        return unit >= 'a' && unit <= 'z' ? unit - ('a' - 'A') : unit;
    const unsigned upper = static_cast<unsigned>(towupper_l(static_cast<wint_t>(unit), CaseLocale()));
    return upper <= 0xFFFF && !IsSurrogate(upper) ? upper : unit;
}
#endif

// Local time minus UTC now, in file time units.
int64_t CurrentBias()
{
    tzset();  // so a changed TZ takes effect
    const time_t now = time(nullptr);
    struct tm local;
    if (localtime_r(&now, &local) == nullptr)
        return 0;
    return static_cast<int64_t>(local.tm_gmtoff) * 10000000;
}

}  // namespace

int PlatformCompareNoCase(const KChar* a, const KChar* b)
{
#if defined(KEYFINCH_ANSI)
    // Only ASCII letters have case; the trail byte of a double-byte character is compared as
    // it is, or two different characters could compare equal.
    bool trail = false;
    for (;; ++a, ++b) {
        unsigned ca = static_cast<unsigned char>(*a);
        unsigned cb = static_cast<unsigned char>(*b);
        if (!trail) {
            ca = LowerAscii(ca);
            cb = LowerAscii(cb);
        }
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
        trail = !trail && IsCp932LeadByte(static_cast<unsigned char>(ca));
    }
#else
    // Folded to lower case, so that '_' sorts before the letters as it does on Windows.
    for (;; ++a, ++b) {
        const unsigned ca = LowerUnit(CharCode(*a));
        const unsigned cb = LowerUnit(CharCode(*b));
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
#endif
}

void PlatformUpperCase(KChar* text, size_t length)
{
#if defined(KEYFINCH_ANSI)
    for (size_t i = 0; i < length; ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (IsCp932LeadByte(byte))
            ++i;  // the trail byte may look like an ASCII letter
        else if (byte >= 'a' && byte <= 'z')
            text[i] = static_cast<KChar>(byte - ('a' - 'A'));
    }
#else
    for (size_t i = 0; i < length; ++i)
        text[i] = static_cast<KChar>(UpperUnit(CharCode(text[i])));
#endif
}

bool PlatformIsLeadByte(unsigned char byte)
{
#if defined(KEYFINCH_ANSI)
    return IsCp932LeadByte(byte);
#else
    return false;
#endif
}

int PlatformFormat(KChar* buffer, const KChar* format, const uintptr_t* args)
{
    return FormatPortable(buffer, format, args);
}

uint32_t PlatformTickCount()
{
    // The coarse clock is cheap enough to read once per key and as fine as GetTickCount.
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    const uint64_t milliseconds = static_cast<uint64_t>(now.tv_sec) * 1000 + static_cast<uint64_t>(now.tv_nsec) / 1000000;
    return static_cast<uint32_t>(milliseconds);
}

TFileTime PlatformUtcToLocal(TFileTime utc)
{
    return utc + static_cast<uint64_t>(CurrentBias());
}

TFileTime PlatformLocalToUtc(TFileTime local)
{
    return local - static_cast<uint64_t>(CurrentBias());
}
