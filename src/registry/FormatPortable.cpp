// wvsprintf's formatting rules written out, so that text is formatted the same way where the
// system formatter is not available. Its quirks are kept on purpose; each is noted where it arises.
#include "StringRoutines.h"

namespace {

// The system formatter works in a buffer of this many units, the NUL included.
const uint32_t FormatBufferUnits = 1024;

// "Other" is the width the build does not use: bytes in KeyfinchNT, UTF-16 units in Keyfinch.
#if !defined(KEYFINCH_ANSI)
typedef char TOtherChar;
#define OT(text) text
#elif defined(_WIN32)
typedef wchar_t TOtherChar;
#define OT(text) L##text
#else
typedef char16_t TOtherChar;
#define OT(text) u##text
#endif

enum TConversion {
    ConversionNone,  // no conversion letter: the letter is printed as text
    ConversionChar,
    ConversionOtherChar,
    ConversionString,
    ConversionOtherString,
    ConversionSigned,
    ConversionUnsigned,
    ConversionHex
};

enum {
    FlagLeft = 0x001,
    FlagPrefix = 0x002,
    FlagZeroPad = 0x004,
    FlagLong = 0x008,
    FlagShort = 0x010,
    FlagUpper = 0x020,
    FlagWide = 0x040,
    FlagPointerSize = 0x080,
    Flag64 = 0x100
};

struct TDirective {
    unsigned Flags;
    uint32_t Width;  // the system keeps these in 32 bits, so huge numbers wrap
    uint32_t Precision;
    TConversion Conversion;
};

struct TArgument {
    KChar Char;
    TOtherChar OtherChar;
    const KChar* Text;
    const TOtherChar* OtherText;
    int64_t Number;
};

// A number's text: '-' and digits, NUL-terminated.
struct TNumberText {
    char Units[24];
    uint32_t Length;
    // Past the end the system reads its scratch buffer; we read NULs (see the '#' note below).
    char At(uint32_t index) const { return index < Length ? Units[index] : '\0'; }
};

// Code page 932's single-byte characters in UTF-16 and back. Double-byte characters would need
// the whole code page table; they come out as '?', which is good enough since Keyfinch itself
// only ever passes texts of its own width.
#if defined(KEYFINCH_ANSI)
unsigned char NarrowUnit(unsigned unit)
{
    if (unit <= 0x80)
        return static_cast<unsigned char>(unit);
    if (unit == 0xF8F0)
        return 0xA0;
    if (unit >= 0xFF61 && unit <= 0xFF9F)
        return static_cast<unsigned char>(0xA1 + (unit - 0xFF61));  // half-width katakana
    if (unit >= 0xF8F1 && unit <= 0xF8F3)
        return static_cast<unsigned char>(0xFD + (unit - 0xF8F1));
    return '?';
}
#else
bool IsCp932LeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

unsigned WidenByte(unsigned char byte)
{
    if (byte <= 0x80)
        return byte;
    if (byte == 0xA0)
        return 0xF8F0;
    if (byte >= 0xA1 && byte <= 0xDF)
        return 0xFF61 + (byte - 0xA1);
    if (byte >= 0xFD)
        return 0xF8F1 + (byte - 0xFD);
    return '?';
}
#endif

bool IsDigit(KChar c)
{
    return c >= '0' && c <= '9';
}

// Reads "[-][#][0][width][.precision][l|h|w|I|I32|I64]letter" (the flags only in this order)
// and returns where the text goes on. Without a known letter the text goes on at that letter,
// so it is printed as it is.
const KChar* ParseDirective(const KChar* p, TDirective* directive)
{
    directive->Flags = 0;
    directive->Width = 0;
    directive->Precision = 0;
    if (*p == '-') {
        directive->Flags |= FlagLeft;
        ++p;
    }
    if (*p == '#') {
        directive->Flags |= FlagPrefix;
        ++p;
    }
    if (*p == '0') {
        directive->Flags |= FlagZeroPad;
        ++p;
    }
    for (; IsDigit(*p); ++p)
        directive->Width = directive->Width * 10 + static_cast<uint32_t>(*p - '0');
    if (*p == '.') {
        for (++p; IsDigit(*p); ++p)
            directive->Precision = directive->Precision * 10 + static_cast<uint32_t>(*p - '0');
    }
    if (*p == 'l') {
        directive->Flags |= FlagLong;
        ++p;
    } else if (*p == 'h') {
        directive->Flags |= FlagShort;
        ++p;
    } else if (*p == 'w') {
        directive->Flags |= FlagWide;
        ++p;
    } else if (*p == 'I') {
        if (p[1] == '6' && p[2] == '4') {
            directive->Flags |= Flag64;
            p += 3;
        } else if (p[1] == '3' && p[2] == '2') {
            p += 3;
        } else {
            directive->Flags |= FlagPointerSize;
            ++p;
        }
    }

    const unsigned flags = directive->Flags;
    switch (*p) {
    // The size letters choose the width of a character or string argument; the two builds
    // read them differently, and not quite symmetrically (%wC means the other width in both).
#if defined(KEYFINCH_ANSI)
    case 'c':
        directive->Conversion = (flags & FlagLong) ? ConversionOtherChar : ConversionChar;
        break;
    case 'C':
        directive->Conversion = (flags & FlagShort) ? ConversionChar : ConversionOtherChar;
        break;
    case 's':
        directive->Conversion = (flags & (FlagLong | FlagWide)) ? ConversionOtherString : ConversionString;
        break;
    case 'S':
        directive->Conversion = (flags & (FlagShort | FlagWide)) ? ConversionString : ConversionOtherString;
        break;
#else
    case 'c':
        directive->Conversion = (flags & FlagShort) ? ConversionOtherChar : ConversionChar;
        break;
    case 'C':
        directive->Conversion = (flags & FlagLong) ? ConversionChar : ConversionOtherChar;
        break;
    case 's':
        directive->Conversion = (flags & FlagShort) ? ConversionOtherString : ConversionString;
        break;
    case 'S':
        directive->Conversion = (flags & (FlagLong | FlagWide)) ? ConversionString : ConversionOtherString;
        break;
#endif
    case 'd':
    case 'i':
        directive->Conversion = ConversionSigned;
        break;
    case 'u':
        directive->Conversion = ConversionUnsigned;
        break;
    case 'p':
        // A pointer is upper-case hex, zero-padded to its full size whatever the width said.
        directive->Width = 2 * sizeof(uintptr_t);
        directive->Flags |= FlagZeroPad | FlagPointerSize | FlagUpper;
        directive->Conversion = ConversionHex;
        break;
    case 'X':
        directive->Flags |= FlagUpper;
        directive->Conversion = ConversionHex;
        break;
    case 'x':
        directive->Conversion = ConversionHex;
        break;
    default:
        directive->Conversion = ConversionNone;
        return p;
    }
    return p + 1;
}

int64_t ReadNumber(unsigned flags, const uintptr_t*& args)
{
    if (flags & FlagPointerSize)
        return static_cast<intptr_t>(*args++);
    if (flags & Flag64) {
        if (sizeof(uintptr_t) >= 8)
            return static_cast<int64_t>(*args++);
        // A 32-bit system takes a 64-bit argument from two slots, low half first.
        uint64_t low = static_cast<uint32_t>(*args++);
        uint64_t high = static_cast<uint32_t>(*args++);
        return static_cast<int64_t>(high << 32 | low);
    }
    return static_cast<int32_t>(static_cast<uint32_t>(*args++));
}

// Takes the argument a conversion needs, if any, from the slots.
TArgument ReadArgument(const TDirective& directive, const uintptr_t*& args)
{
    TArgument argument = {};
    switch (directive.Conversion) {
    case ConversionChar:
        argument.Char = static_cast<KChar>(*args++);
        break;
    case ConversionOtherChar:
        argument.OtherChar = static_cast<TOtherChar>(*args++);
        break;
    case ConversionString:
        argument.Text = reinterpret_cast<const KChar*>(*args++);
        break;
    case ConversionOtherString:
        argument.OtherText = reinterpret_cast<const TOtherChar*>(*args++);
        break;
    case ConversionSigned:
    case ConversionUnsigned:
    case ConversionHex:
        argument.Number = ReadNumber(directive.Flags, args);
        break;
    case ConversionNone:
        break;
    }
    return argument;
}

TNumberText NumberText(const TDirective& directive, int64_t value)
{
    TNumberText text = {};
    uint64_t magnitude = static_cast<uint64_t>(value);
    uint32_t length = 0;
    if (directive.Conversion == ConversionSigned && value < 0) {
        text.Units[length++] = '-';
        magnitude = 0 - magnitude;
    }
    if (directive.Flags & FlagPointerSize)
        magnitude = static_cast<uintptr_t>(magnitude);
    else if (!(directive.Flags & Flag64))
        magnitude = static_cast<uint32_t>(magnitude);

    const char* digitSet = (directive.Flags & FlagUpper) ? "0123456789ABCDEF" : "0123456789abcdef";
    const unsigned base = directive.Conversion == ConversionHex ? 16 : 10;
    char reversed[24];
    uint32_t count = 0;
    do {
        reversed[count++] = digitSet[magnitude % base];
        magnitude /= base;
    } while (magnitude != 0);
    while (count > 0)
        text.Units[length++] = reversed[--count];
    text.Length = length;
    return text;
}

// Settles the width and precision as the system does and returns how many units the value
// takes; limit is the room left before the NUL. For strings and characters the precision
// becomes the length, which is what the padding loops count from.
uint32_t Measure(TDirective* directive, TArgument* argument, const TNumberText& number, uint32_t limit)
{
    if (directive->Flags & FlagLeft)
        directive->Flags &= ~FlagZeroPad;
    if (directive->Width > limit)
        directive->Width = limit;

    uint32_t length = 0;
    switch (directive->Conversion) {
    case ConversionChar:
    case ConversionOtherChar:
        // Our conversions of a character of the other width always give one unit.
        return directive->Precision = 1;
    case ConversionString:
        // A precision of zero is no precision: "%.0s" prints the whole string.
        if (argument->Text == nullptr)
            argument->Text = KT("(null)");
        while ((directive->Precision == 0 || length < directive->Precision) && argument->Text[length] != 0)
            ++length;
        break;
    case ConversionOtherString: {
        if (argument->OtherText == nullptr)
            argument->OtherText = OT("(null)");
        const TOtherChar* p = argument->OtherText;
        while ((directive->Precision == 0 || length < directive->Precision) && *p != 0) {
#if !defined(KEYFINCH_ANSI)
            // A double-byte character becomes one UTF-16 unit.
            if (IsCp932LeadByte(static_cast<unsigned char>(*p))) {
                ++p;
                if (*p == 0) {
                    ++length;
                    break;
                }
            }
#endif
            ++p;
            ++length;
        }
        break;
    }
    case ConversionSigned:
    case ConversionUnsigned:
    case ConversionHex:
        length = number.Length < limit ? number.Length : limit;
        if (directive->Precision < length)
            directive->Precision = length;
        if (directive->Precision > limit)
            directive->Precision = limit;
        if ((directive->Flags & FlagZeroPad) && directive->Width > directive->Precision)
            directive->Precision = directive->Width;
        // The system counts room for "0x" with '#' on any number, also where it prints none.
        if (directive->Flags & FlagPrefix)
            length += 2;
        return length;
    case ConversionNone:
        return 0;
    }
    if (length > limit)
        length = limit;
    return directive->Precision = length;
}

// Collects the output, keeping room for the NUL.
class TOutput {
public:
    explicit TOutput(KChar* buffer) : Buffer(buffer), Count(0), Overflowed(false) {}

    void Put(unsigned unit)
    {
        if (Count < FormatBufferUnits - 1)
            Buffer[Count++] = static_cast<KChar>(unit);
        else
            Overflowed = true;
    }

    KChar* Buffer;
    uint32_t Count;
    // The system would have written past its buffer here; we cut instead.
    bool Overflowed;
};

void PutOtherString(TOutput* out, const TOtherChar* text, uint32_t length)
{
    const TOtherChar* p = text;
    for (uint32_t i = 0; i < length; ++i) {
#if defined(KEYFINCH_ANSI)
        out->Put(NarrowUnit(static_cast<unsigned>(*p++)));
#else
        const unsigned char byte = static_cast<unsigned char>(*p++);
        if (IsCp932LeadByte(byte))
            out->Put(*p++ == 0 ? 0 : '?');
        else
            out->Put(WidenByte(byte));
#endif
    }
}

}  // namespace

int FormatPortable(KChar* buffer, const KChar* format, const uintptr_t* args)
{
    TOutput out(buffer);
    // Units left in the system's buffer, the NUL included. It counts exactly what is written,
    // so it runs out together with our buffer.
    uint32_t room = FormatBufferUnits;

    while (*format != 0 && room > 1 && !out.Overflowed) {
        if (*format != '%') {
            out.Put(CharCode(*format++));
            --room;
            continue;
        }
        ++format;
        if (*format == '%') {
            out.Put(CharCode(*format++));
            --room;
            continue;
        }

        TDirective directive;
        format = ParseDirective(format, &directive);
        TArgument argument = ReadArgument(directive, args);
        TNumberText number = {};
        if (directive.Conversion == ConversionSigned || directive.Conversion == ConversionUnsigned
            || directive.Conversion == ConversionHex)
            number = NumberText(directive, argument.Number);
        uint32_t length = Measure(&directive, &argument, number, room - 1);

        // Without a letter the width still pads, in front only: "%5k" is five spaces and "k".
        if (!(directive.Flags & FlagLeft)) {
            for (uint32_t i = directive.Precision; i < directive.Width; ++i, --room)
                out.Put(' ');
        }

        switch (directive.Conversion) {
        case ConversionNone:
            continue;
        case ConversionChar:
            out.Put(CharCode(argument.Char));
            break;
        case ConversionOtherChar:
#if defined(KEYFINCH_ANSI)
            out.Put(NarrowUnit(static_cast<unsigned>(argument.OtherChar)));
#else
            // A lead byte alone is no character; the system puts a NUL for it.
            if (IsCp932LeadByte(static_cast<unsigned char>(argument.OtherChar)))
                out.Put(0);
            else
                out.Put(WidenByte(static_cast<unsigned char>(argument.OtherChar)));
#endif
            break;
        case ConversionString:
            for (uint32_t i = 0; i < length; ++i)
                out.Put(CharCode(argument.Text[i]));
            break;
        case ConversionOtherString:
            PutOtherString(&out, argument.OtherText, length);
            break;
        case ConversionSigned:
        case ConversionUnsigned:
        case ConversionHex: {
            // With '#' the prefix is printed only for hex and only with more than three units
            // of room. Where it is not printed the two units counted for it go to the digits:
            // two fewer zeros of precision and two units past the digits. The system prints
            // leftovers of its scratch buffer there; we print NULs.
            if (directive.Conversion == ConversionHex && (directive.Flags & FlagPrefix) && room > 3) {
                out.Put('0');
                out.Put((directive.Flags & FlagUpper) ? 'X' : 'x');
                room -= 2;
                length -= 2;
            }
            uint32_t sign = 0;
            if (number.At(0) == '-') {
                out.Put('-');
                sign = 1;
            }
            // The precision counts the sign: "%.3d" of -5 is "-05".
            for (uint32_t i = length; i < directive.Precision; ++i, --room)
                out.Put('0');
            for (uint32_t i = sign; i < length; ++i)
                out.Put(static_cast<unsigned char>(number.At(i)));
            break;
        }
        }

        if (directive.Flags & FlagLeft) {
            for (uint32_t i = directive.Precision; i < directive.Width; ++i, --room)
                out.Put(' ');
        }
        room -= length;
    }

    buffer[out.Count] = 0;
    // An output that fills the buffer (1023 units and the NUL) reports the buffer's size.
    if (room <= 1 || out.Overflowed)
        return static_cast<int>(FormatBufferUnits);
    return static_cast<int>(out.Count);
}
