// The few system services the core needs. PlatformWin.cpp forwards them to the Windows API;
// PlatformPosix.cpp gives the same answers on Linux so the core can be tested natively.
#pragma once

#include "KeyfinchChar.h"

// lstrcmpi: locale-aware comparison that ignores case; negative, zero or positive.
int PlatformCompareNoCase(const KChar* a, const KChar* b);

// CharUpper on a counted text, in place.
void PlatformUpperCase(KChar* text, size_t length);

// IsDBCSLeadByte for the ANSI code page; always false in the Unicode build.
bool PlatformIsLeadByte(unsigned char byte);

// wvsprintf: args holds one slot per argument (a 32-bit integer or a string pointer).
// Writes at most 1024 units including the terminating NUL, like the system formatter.
// Returns the number of units written without the NUL, or 1024 (or, like Wine, more) when the
// output was cut to 1023 units.
int PlatformFormat(KChar* buffer, const KChar* format, const uintptr_t* args);

// GetTickCount.
uint32_t PlatformTickCount();

// FileTimeToLocalFileTime and LocalFileTimeToFileTime (the current bias of the time zone).
TFileTime PlatformUtcToLocal(TFileTime utc);
TFileTime PlatformLocalToUtc(TFileTime local);
