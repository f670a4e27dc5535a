// The platform services of the Windows build: each forwards to the system function it is
// named after, in its A or W form to match the build.
#include <windows.h>

#include "Platform.h"

namespace {

TFileTime FromFileTime(const FILETIME& time)
{
    return static_cast<TFileTime>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

FILETIME ToFileTime(TFileTime time)
{
    FILETIME result;
    result.dwLowDateTime = static_cast<DWORD>(time);
    result.dwHighDateTime = static_cast<DWORD>(time >> 32);
    return result;
}

}  // namespace

int PlatformCompareNoCase(const KChar* a, const KChar* b)
{
#if defined(KEYFINCH_ANSI)
    return lstrcmpiA(a, b);
#else
    return lstrcmpiW(a, b);
#endif
}

void PlatformUpperCase(KChar* text, size_t length)
{
#if defined(KEYFINCH_ANSI)
    CharUpperBuffA(text, static_cast<DWORD>(length));
#else
    CharUpperBuffW(text, static_cast<DWORD>(length));
#endif
}

bool PlatformIsLeadByte(unsigned char byte)
{
#if defined(KEYFINCH_ANSI)
    return IsDBCSLeadByte(byte) != FALSE;
#else
    return false;
#endif
}

int PlatformFormat(KChar* buffer, const KChar* format, const uintptr_t* args)
{
    // A va_list is a pointer to the arguments laid out one slot each, which args already is.
    va_list list = reinterpret_cast<va_list>(const_cast<uintptr_t*>(args));
#if defined(KEYFINCH_ANSI)
    return wvsprintfA(buffer, format, list);
#else
    return wvsprintfW(buffer, format, list);
#endif
}

uint32_t PlatformTickCount()
{
    return GetTickCount();
}

TFileTime PlatformUtcToLocal(TFileTime utc)
{
    const FILETIME in = ToFileTime(utc);
    FILETIME out;
    return FileTimeToLocalFileTime(&in, &out) ? FromFileTime(out) : utc;
}

TFileTime PlatformLocalToUtc(TFileTime local)
{
    const FILETIME in = ToFileTime(local);
    FILETIME out;
    return LocalFileTimeToFileTime(&in, &out) ? FromFileTime(out) : local;
}
