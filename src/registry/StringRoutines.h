// The string routines shared by all modules. Positions count units and start at 1.
#pragma once

#include <initializer_list>

#include "KeyfinchChar.h"

// One argument of FormatText: a 32-bit integer or a pointer to a NUL-terminated string.
struct TFormatArg {
    uintptr_t Slot;
    TFormatArg(int32_t value) : Slot(static_cast<uintptr_t>(static_cast<intptr_t>(value))) {}
    TFormatArg(uint32_t value) : Slot(value) {}
    TFormatArg(const KChar* text) : Slot(reinterpret_cast<uintptr_t>(text)) {}
};

TStringArray SplitPathComponents(const TString& path);
TString ExtractLastComponent(const TString& path);
TString ExtractParentPath(const TString& path);
bool IsPathDelimiter(const TString& text, int position);
TString ChangeExtension(const TString& fileName, const TString& extension);
TString ReplaceChar(const TString& text, KChar find, KChar put);
TString FormatText(const KChar* format, std::initializer_list<TFormatArg> args);
TString IntToText(int32_t value);
int32_t TextToInt(const TString& text);
int CompareOrdinal(const TString& a, const TString& b);
int CompareNoCase(const TString& a, const TString& b);
TString LeftText(const TString& text, int count);
TString MidText(const TString& text, int position, int count);

// Index of the last path delimiter in text[0, length), or -1. In the ANSI build a 0x5C byte
// that is the second half of a double-byte character is not a delimiter.
int LastDelimiterIndex(const KChar* text, size_t length);
int FirstDelimiterIndex(const KChar* text, size_t length);

// Whether the unit at index starts a character: always in the Unicode build; in the ANSI
// build, unless it is the trail byte of a double-byte character (the text is read from its
// start, since a trail byte can have the value of a lead byte).
bool StartsCharacter(const KChar* text, size_t index);

// The system formatter's rules, written out; FormatText uses it where there is no wvsprintf.
int FormatPortable(KChar* buffer, const KChar* format, const uintptr_t* args);
