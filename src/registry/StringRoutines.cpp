// The string routines shared by all modules.
#include "StringRoutines.h"

#include "Platform.h"

namespace {

const KChar Backslash = KT('\\');

}  // namespace

bool StartsCharacter(const KChar* text, size_t index)
{
    if (sizeof(KChar) != 1 || index == 0)
        return true;
    // A trail byte may have the value of a lead byte, so only a reading from the start can
    // tell which bytes begin characters.
    size_t i = 0;
    while (i < index)
        i += PlatformIsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    return i == index;
}

int FirstDelimiterIndex(const KChar* text, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == Backslash)
            return static_cast<int>(i);
        if (sizeof(KChar) == 1 && PlatformIsLeadByte(static_cast<unsigned char>(text[i])))
            ++i;  // its trail byte is part of the character, even when it is 0x5C
    }
    return -1;
}

int LastDelimiterIndex(const KChar* text, size_t length)
{
    if (sizeof(KChar) != 1) {
        for (size_t i = length; i > 0; --i)
            if (text[i - 1] == Backslash)
                return static_cast<int>(i - 1);
        return -1;
    }
    int last = -1;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == Backslash)
            last = static_cast<int>(i);
        else if (PlatformIsLeadByte(static_cast<unsigned char>(text[i])))
            ++i;
    }
    return last;
}

bool IsPathDelimiter(const TString& text, int position)
{
    if (position < 1 || position > static_cast<int>(text.size()))
        return false;
    size_t index = static_cast<size_t>(position - 1);
    return text[index] == Backslash && StartsCharacter(text.data(), index);
}

TStringArray SplitPathComponents(const TString& path)
{
    TStringArray components;
    size_t start = 0;
    for (;;) {
        int found = FirstDelimiterIndex(path.data() + start, path.size() - start);
        if (found < 0)
            break;
        components.push_back(path.substr(start, static_cast<size_t>(found)));
        start += static_cast<size_t>(found) + 1;
    }
    components.push_back(path.substr(start));
    return components;
}

TString ExtractLastComponent(const TString& path)
{
    int last = LastDelimiterIndex(path.data(), path.size());
    return last < 0 ? path : path.substr(static_cast<size_t>(last) + 1);
}

TString ExtractParentPath(const TString& path)
{
    int last = LastDelimiterIndex(path.data(), path.size());
    return last < 0 ? TString() : path.substr(0, static_cast<size_t>(last));
}

TString ChangeExtension(const TString& fileName, const TString& extension)
{
    size_t dot = fileName.rfind(KT('.'));
    if (dot == TString::npos)
        return fileName + extension;
    return fileName.substr(0, dot) + extension;
}

TString ReplaceChar(const TString& text, KChar find, KChar put)
{
    TString result(text);
    for (KChar& c : result)
        if (c == find)
            c = put;
    return result;
}

TString FormatText(const KChar* format, std::initializer_list<TFormatArg> args)
{
    uintptr_t slots[16] = {};
    size_t count = 0;
    for (const TFormatArg& arg : args)
        if (count < 16)
            slots[count++] = arg.Slot;
    // The system formatter never writes more than 1024 units; the rest of the 4096 is headroom.
    KChar buffer[4096];
    int length = PlatformFormat(buffer, format, slots);
    // At the cut the formatter reports more than it kept; the text ends at its NUL.
    if (length > 1023)
        length = 1023;
    return TString(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

TString IntToText(int32_t value)
{
    KChar digits[12];
    int n = 0;
    // Work on the unsigned magnitude so that INT32_MIN does not overflow.
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    do {
        digits[n++] = static_cast<KChar>(KT('0') + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    TString text;
    if (value < 0)
        text += KT('-');
    while (n > 0)
        text += digits[--n];
    return text;
}

int32_t TextToInt(const TString& text)
{
    // Deliberately unvalidated: the texts come from IntToText or fixed-width settings fields.
    // Wrapping arithmetic keeps absurd input from being undefined behaviour.
    bool negative = !text.empty() && text[0] == KT('-');
    uint32_t value = 0;
    for (size_t i = negative ? 1 : 0; i < text.size(); ++i)
        value = value * 10u + static_cast<uint32_t>(static_cast<int32_t>(CharCode(text[i])) - '0');
    if (negative)
        value = 0u - value;
    return static_cast<int32_t>(value);
}

int CompareOrdinal(const TString& a, const TString& b)
{
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return static_cast<int>(CharCode(a[i])) - static_cast<int>(CharCode(b[i]));
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

int CompareNoCase(const TString& a, const TString& b)
{
    return PlatformCompareNoCase(a.c_str(), b.c_str());
}

TString LeftText(const TString& text, int count)
{
    if (count <= 0)
        return TString();
    return text.substr(0, static_cast<size_t>(count));
}

TString MidText(const TString& text, int position, int count)
{
    if (position < 1)
        position = 1;
    if (count <= 0 || static_cast<size_t>(position) > text.size())
        return TString();
    return text.substr(static_cast<size_t>(position - 1), static_cast<size_t>(count));
}
