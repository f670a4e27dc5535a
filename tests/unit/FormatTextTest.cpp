// FormatPortable: the formatter that stands in for wvsprintf, checked against what the system
// formatter prints (FormatAgreementTest compares the two directly on Windows).
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "StringRoutines.h"

namespace {

// A string of the width the build does not use, for %S and the like.
#if !defined(KEYFINCH_ANSI)
#define OTHER(text) text
#elif defined(_WIN32)
#define OTHER(text) L##text
#else
#define OTHER(text) u##text
#endif

const size_t BufferUnits = 1024;
const size_t GuardUnits = 32;
const KChar GuardUnit = 0x7F;

struct TFormatted {
    TString Text;  // the units written, embedded NULs included
    int Count;
};

TFormatted FormatSlots(const KChar* format, const std::vector<uintptr_t>& slots)
{
    std::vector<KChar> buffer(BufferUnits + GuardUnits, GuardUnit);
    const int count = FormatPortable(buffer.data(), format, slots.data());
    const size_t written = count >= static_cast<int>(BufferUnits) ? BufferUnits - 1 : static_cast<size_t>(count);
    EXPECT_EQ(0u, CharCode(buffer[written])) << "the text ends with a NUL";
    for (size_t i = BufferUnits; i < buffer.size(); ++i)
        EXPECT_EQ(CharCode(GuardUnit), CharCode(buffer[i])) << "written past the buffer at " << i;
    return TFormatted{TString(buffer.data(), written), count};
}

TFormatted Format(const KChar* format, std::initializer_list<TFormatArg> args = {})
{
    std::vector<uintptr_t> slots;
    for (const TFormatArg& arg : args)
        slots.push_back(arg.Slot);
    return FormatSlots(format, slots);
}

uintptr_t Slot(const void* pointer)
{
    return reinterpret_cast<uintptr_t>(pointer);
}

// A 64-bit argument takes one slot on a 64-bit system and two (low half first) on a 32-bit one.
std::vector<uintptr_t> Slots64(uint64_t value)
{
    if (sizeof(uintptr_t) >= 8)
        return {static_cast<uintptr_t>(value)};
    return {static_cast<uintptr_t>(value & 0xFFFFFFFFu), static_cast<uintptr_t>(value >> 32)};
}

TString Repeat(KChar unit, size_t count)
{
    return TString(count, unit);
}

}  // namespace

TEST(FormatPortable, ProgramMessages)
{
    EXPECT_EQ(KT("50% 完了"), Format(KT("%d%% 完了"), {50}).Text);
    EXPECT_EQ(KT("0 個の項目が見つかりました。"), Format(KT("%d 個の項目が見つかりました。"), {0}).Text);
    EXPECT_EQ(KT("12345 個の項目が見つかりました。"), Format(KT("%d 個の項目が見つかりました。"), {12345}).Text);
    EXPECT_EQ(KT("3.5 秒"), Format(KT("%d.%d 秒"), {3, 5}).Text);
    EXPECT_EQ(KT("0x00000002 (2)"), Format(KT("%#.8lx (%d)"), {2, 2}).Text);
    EXPECT_EQ(KT("0x80070005 (-2147024891)"), Format(KT("%#.8lx (%d)"), {0x80070005u, 0x80070005u}).Text);
    EXPECT_EQ(KT("0x00000000"), Format(KT("%#.8lx"), {0}).Text);
    EXPECT_EQ(KT("2024/01/05 09:03:07"), Format(KT("%04d/%02d/%02d %02d:%02d:%02d"), {2024, 1, 5, 9, 3, 7}).Text);
    EXPECT_EQ(KT("30827/12/31 23:59:59"), Format(KT("%04d/%02d/%02d %02d:%02d:%02d"), {30827, 12, 31, 23, 59, 59}).Text);
    EXPECT_EQ(KT("00AB001F"), Format(KT("%04X%04X"), {0xAB, 0x1F}).Text);
    EXPECT_EQ(KT("123450000"), Format(KT("%04X%04X"), {0x12345, 0}).Text) << "a width never cuts";
    EXPECT_EQ(KT("7 個の履歴があります。"), Format(KT("%d 個の履歴があります。"), {7}).Text);
    EXPECT_EQ(KT("1 - 99 の数字を指定してください。"), Format(KT("%d - %d の数字を指定してください。"), {1, 99}).Text);

    const TFormatted done = Format(KT("%d%% 完了"), {100});
    EXPECT_EQ(static_cast<int>(done.Text.size()), done.Count);
}

TEST(FormatPortable, IntegersTakeTheLow32BitsOfTheirSlot)
{
    EXPECT_EQ(KT("-2147483648"), Format(KT("%d"), {INT_MIN}).Text);
    EXPECT_EQ(KT("2147483647"), Format(KT("%i"), {INT_MAX}).Text);
    EXPECT_EQ(KT("-1"), Format(KT("%d"), {0xFFFFFFFFu}).Text);
    EXPECT_EQ(KT("4294967295"), Format(KT("%u"), {-1}).Text);
    EXPECT_EQ(KT("2147483648"), Format(KT("%u"), {INT_MIN}).Text);
    EXPECT_EQ(KT("ffffffff"), Format(KT("%x"), {-1}).Text);
    EXPECT_EQ(KT("FFFFFFFE"), Format(KT("%X"), {-2}).Text);
    EXPECT_EQ(KT("0"), Format(KT("%x"), {0}).Text);
    EXPECT_EQ(KT("0"), Format(KT("%d"), {0}).Text);
    if (sizeof(uintptr_t) >= 8) {
        const uintptr_t wide = static_cast<uintptr_t>(0x1FFFFFFFFull);
        EXPECT_EQ(KT("-1 4294967295 ffffffff"), FormatSlots(KT("%d %u %x"), {wide, wide, wide}).Text);
    }
}

TEST(FormatPortable, WidthPrecisionAndFlagsOnIntegers)
{
    EXPECT_EQ(KT("   42"), Format(KT("%5d"), {42}).Text);
    EXPECT_EQ(KT("42   |"), Format(KT("%-5d|"), {42}).Text);
    EXPECT_EQ(KT("00042"), Format(KT("%05d"), {42}).Text);
    EXPECT_EQ(KT("-0042"), Format(KT("%05d"), {-42}).Text) << "the sign goes before the zeros";
    EXPECT_EQ(KT("-42  |"), Format(KT("%-05d|"), {-42}).Text) << "'-' turns '0' off";
    EXPECT_EQ(KT("123456"), Format(KT("%3d"), {123456}).Text);
    EXPECT_EQ(KT("007"), Format(KT("%.3d"), {7}).Text);
    EXPECT_EQ(KT("-05"), Format(KT("%.3d"), {-5}).Text) << "the precision counts the sign";
    EXPECT_EQ(KT("0"), Format(KT("%.0d"), {0}).Text) << "precision 0 still prints the zero";
    EXPECT_EQ(KT("     007"), Format(KT("%8.3d"), {7}).Text);
    EXPECT_EQ(KT("00000007"), Format(KT("%08.3d"), {7}).Text) << "with '0' the width wins over the precision";
    EXPECT_EQ(KT("007     |"), Format(KT("%-8.3d|"), {7}).Text);
    EXPECT_EQ(KT("000000ff"), Format(KT("%.8x"), {255}).Text);
    EXPECT_EQ(KT("-000000042"), Format(KT("%010ld"), {-42}).Text);
    EXPECT_EQ(KT("42|"), Format(KT("%4294967297d|"), {42}).Text) << "a width wraps at 32 bits";
    EXPECT_EQ(KT("42|"), Format(KT("%.4294967298d|"), {42}).Text) << "so does a precision";
}

TEST(FormatPortable, HexPrefix)
{
    EXPECT_EQ(KT("0x0"), Format(KT("%#x"), {0}).Text) << "zero gets the prefix too";
    EXPECT_EQ(KT("0X0"), Format(KT("%#X"), {0}).Text);
    EXPECT_EQ(KT("0XFF"), Format(KT("%#X"), {255}).Text);
    EXPECT_EQ(KT("0x00001234"), Format(KT("%#.8lx"), {0x1234}).Text) << "the precision does not count the prefix";
    EXPECT_EQ(KT("        0x12"), Format(KT("%#10x"), {0x12}).Text) << "nor does the width";
    EXPECT_EQ(KT("0x0000000012"), Format(KT("%#010x"), {0x12}).Text);
    EXPECT_EQ(KT("0x12    |"), Format(KT("%-#6x|"), {0x12}).Text);
    EXPECT_EQ(KT("0x3"), Format(KT("%-#x"), {3}).Text);
}

TEST(FormatPortable, SizeLetters)
{
    // l, h and w change nothing for integers: %hd is not cut to 16 bits.
    EXPECT_EQ(KT("98304 98304 98304 98304"), Format(KT("%ld %hd %wd %lu"), {0x18000, 0x18000, 0x18000, 0x18000}).Text);
    EXPECT_EQ(KT("56789abc"), FormatSlots(KT("%I32x"), Slots64(0x123456789ABCull)).Text);
    EXPECT_EQ(KT("123456789abc"), FormatSlots(KT("%I64x"), Slots64(0x123456789ABCull)).Text);
    EXPECT_EQ(KT("-9223372036854775808"), FormatSlots(KT("%I64d"), Slots64(0x8000000000000000ull)).Text);
    EXPECT_EQ(KT("18446744073709551615"), FormatSlots(KT("%I64u"), Slots64(~0ull)).Text);

    std::vector<uintptr_t> twoNumbers = Slots64(5);
    twoNumbers.push_back(6);
    EXPECT_EQ(KT("5 6"), FormatSlots(KT("%I64d %d"), twoNumbers).Text) << "I64 takes the whole argument";

    // I and p take a pointer-sized argument; p prints it in upper case, zero-padded to full size.
    const uintptr_t all = ~static_cast<uintptr_t>(0);
    EXPECT_EQ(Repeat(KT('f'), 2 * sizeof(uintptr_t)), FormatSlots(KT("%Ix"), {all}).Text);
    EXPECT_EQ(Repeat(KT('0'), 2 * sizeof(uintptr_t) - 4) + KT("AB12"), FormatSlots(KT("%p"), {0xAB12}).Text);
    EXPECT_EQ(Repeat(KT('0'), 2 * sizeof(uintptr_t) - 4) + KT("AB12"), FormatSlots(KT("%3p"), {0xAB12}).Text) << "p ignores the width";
    EXPECT_EQ(KT("-1"), FormatSlots(KT("%Id"), {all}).Text);
}

TEST(FormatPortable, Characters)
{
    EXPECT_EQ(KT("A"), Format(KT("%c"), {'A'}).Text);
    EXPECT_EQ(KT("  A|"), Format(KT("%3c|"), {'A'}).Text);
    EXPECT_EQ(KT("A  |"), Format(KT("%-3c|"), {'A'}).Text);
    EXPECT_EQ(KT("  A|"), Format(KT("%03c|"), {'A'}).Text) << "'0' pads numbers only";
    EXPECT_EQ(KT("A|"), Format(KT("%.5c|"), {'A'}).Text) << "a precision means nothing here";

    const TFormatted nul = Format(KT("a%cb"), {0});
    EXPECT_EQ(3, nul.Count) << "a NUL character is written and counted";
    EXPECT_EQ(TString(KT("a")) + KChar(0) + KT("b"), nul.Text);

#if defined(KEYFINCH_ANSI)
    EXPECT_EQ(KT("B"), Format(KT("%c"), {0x3042}).Text) << "a byte from the low 8 bits";
#else
    EXPECT_EQ(KT("あ"), Format(KT("%c"), {0x3042}).Text);
    EXPECT_EQ(KT("A"), Format(KT("%c"), {0x10041}).Text) << "a unit from the low 16 bits";
#endif
}

TEST(FormatPortable, CharactersOfTheOtherWidth)
{
#if defined(KEYFINCH_ANSI)
    // %C, %lc and %wC take a UTF-16 unit and print it in the code page.
    EXPECT_EQ(KT("AAA"), Format(KT("%C%lc%wC"), {'A', 'A', 'A'}).Text);
    EXPECT_EQ(KT("ｱ"), Format(KT("%C"), {0xFF71}).Text);
    EXPECT_EQ(KT("A"), Format(KT("%hC"), {'A'}).Text);
#else
    // %C, %hc and %wC take a byte of code page 932.
    EXPECT_EQ(KT("AAA"), Format(KT("%C%hc%wC"), {'A', 'A', 'A'}).Text);
    EXPECT_EQ(KT("ｱ"), Format(KT("%C"), {0xB1}).Text);
    EXPECT_EQ(KT("A"), Format(KT("%lC"), {'A'}).Text);
    const TFormatted lead = Format(KT("%C"), {0x82});
    EXPECT_EQ(1, lead.Count) << "a lead byte alone is no character: a NUL";
    EXPECT_EQ(0u, CharCode(lead.Text[0]));
#endif
}

TEST(FormatPortable, Strings)
{
    EXPECT_EQ(KT("abc"), Format(KT("%s"), {KT("abc")}).Text);
    EXPECT_EQ(KT("[]"), Format(KT("[%s]"), {KT("")}).Text);
    EXPECT_EQ(KT("[     ]"), Format(KT("[%5s]"), {KT("")}).Text);
    EXPECT_EQ(KT("  abc|"), Format(KT("%5s|"), {KT("abc")}).Text);
    EXPECT_EQ(KT("abc  |"), Format(KT("%-5s|"), {KT("abc")}).Text);
    EXPECT_EQ(KT("  abc|"), Format(KT("%05s|"), {KT("abc")}).Text);
    EXPECT_EQ(KT("ab"), Format(KT("%.2s"), {KT("abc")}).Text);
    EXPECT_EQ(KT("    a|"), Format(KT("%5.1s|"), {KT("abc")}).Text);
    EXPECT_EQ(KT("abc"), Format(KT("%.0s"), {KT("abc")}).Text) << "precision 0 is no precision";
    EXPECT_EQ(KT("50%d"), Format(KT("%s"), {KT("50%d")}).Text) << "an argument is not a format";
    EXPECT_EQ(KT("日本語の値"), Format(KT("%sの値"), {KT("日本語")}).Text);
    EXPECT_EQ(TString(KT("日本")).substr(0, 1), Format(KT("%.1s"), {KT("日本")}).Text) << "the precision counts units";
    EXPECT_EQ(KT("(null)"), Format(KT("%s"), {static_cast<const KChar*>(nullptr)}).Text);
    EXPECT_EQ(KT("(nu"), Format(KT("%.3s"), {static_cast<const KChar*>(nullptr)}).Text);
}

TEST(FormatPortable, StringsOfTheOtherWidth)
{
#if defined(KEYFINCH_ANSI)
    const KChar* const formats[] = {KT("%S"), KT("%ls"), KT("%ws"), KT("%lS")};
#else
    const KChar* const formats[] = {KT("%S"), KT("%hs"), KT("%hS")};
#endif
    for (size_t i = 0; i < sizeof formats / sizeof formats[0]; ++i)
        EXPECT_EQ(KT("abc"), FormatSlots(formats[i], {Slot(OTHER("abc"))}).Text) << "format " << i;
    EXPECT_EQ(KT("ab"), FormatSlots(KT("%.2S"), {Slot(OTHER("abc"))}).Text);
    EXPECT_EQ(KT(" abc"), FormatSlots(KT("%4S"), {Slot(OTHER("abc"))}).Text);
    EXPECT_EQ(KT("(null)"), FormatSlots(KT("%S"), {0}).Text);
#if defined(KEYFINCH_ANSI)
    EXPECT_EQ(KT("ｱｲ"), FormatSlots(KT("%S"), {Slot(OTHER("\uFF71\uFF72"))}).Text);
#else
    EXPECT_EQ(KT("ｱｲ"), FormatSlots(KT("%S"), {Slot("\xB1\xB2")}).Text);
    EXPECT_EQ(3, FormatSlots(KT("%S"), {Slot("a\x82\xA0z")}).Count) << "a double-byte character is one unit";
#endif
}

TEST(FormatPortable, WithoutAConversionLetterTheLetterIsText)
{
    EXPECT_EQ(KT("k"), Format(KT("%k")).Text);
    EXPECT_EQ(KT("k7"), Format(KT("%k%d"), {7}).Text) << "no argument is taken";
    EXPECT_EQ(KT("     k"), Format(KT("%5k")).Text) << "the width still pads in front";
    EXPECT_EQ(KT("k|"), Format(KT("%-5k|")).Text) << "but not behind";
    EXPECT_EQ(KT("   k"), Format(KT("%5.2k")).Text);
    EXPECT_EQ(KT("k"), Format(KT("%lk")).Text) << "a size letter is dropped";
    EXPECT_EQ(KT("z"), Format(KT("%I64z")).Text);
    EXPECT_EQ(KT("6z"), Format(KT("%I6z")).Text);
    EXPECT_EQ(KT("o e f g n"), Format(KT("%o %e %f %g %n")).Text) << "letters the C library knows";
    EXPECT_EQ(KT("#x"), Format(KT("%0#x"), {1}).Text) << "flags count only in the order - # 0";
    EXPECT_EQ(KT("-d"), Format(KT("%0-d"), {5}).Text);
    EXPECT_EQ(KT("50"), Format(KT("50%")).Text) << "a '%' at the end is dropped";
    EXPECT_EQ(KT("ab   "), Format(KT("ab%3")).Text);
    EXPECT_EQ(KT("%d"), Format(KT("%%d")).Text);
}

TEST(FormatPortable, HashOnADecimalCountsTwoUnitsItDoesNotShow)
{
    // The system reserves "0x" for any number but prints it for hex only; the two units come
    // out past the digits (NULs here) and are counted.
    const TFormatted hashed = Format(KT("%#d|"), {5});
    EXPECT_EQ(4, hashed.Count);
    EXPECT_EQ(TString(KT("5")) + KChar(0) + KChar(0) + KT("|"), hashed.Text);
    EXPECT_EQ(TString(KT("005")) + KChar(0) + KChar(0) + KT("|"), Format(KT("%#05u|"), {5}).Text) << "and two zeros fewer";
}

TEST(FormatPortable, OutputIsCutAt1023Units)
{
    const TFormatted fits = Format(Repeat(KT('a'), 1022).c_str());
    EXPECT_EQ(1022, fits.Count);
    EXPECT_EQ(Repeat(KT('a'), 1022), fits.Text);

    // A text that fills the buffer reports 1024, the buffer's size, not the 1023 units written.
    const TFormatted full = Format(Repeat(KT('a'), 1023).c_str());
    EXPECT_EQ(1024, full.Count);
    EXPECT_EQ(Repeat(KT('a'), 1023), full.Text);

    const TFormatted over = Format((Repeat(KT('a'), 3000) + KT("%d")).c_str(), {5});
    EXPECT_EQ(1024, over.Count);
    EXPECT_EQ(Repeat(KT('a'), 1023), over.Text);

    const TString longText = Repeat(KT('x'), 1000);
    const TFormatted strings = Format(KT("%s%s"), {longText.c_str(), longText.c_str()});
    EXPECT_EQ(1024, strings.Count);
    EXPECT_EQ(Repeat(KT('x'), 1023), strings.Text);

    const TFormatted justFits = Format((Repeat(KT('a'), 1020) + KT("%d")).c_str(), {42});
    EXPECT_EQ(1022, justFits.Count);
    const TFormatted lastUnit = Format((Repeat(KT('a'), 1021) + KT("%d")).c_str(), {42});
    EXPECT_EQ(1024, lastUnit.Count);
    EXPECT_EQ(Repeat(KT('a'), 1021) + KT("42"), lastUnit.Text);
}

TEST(FormatPortable, FieldsAtTheEndShrinkRatherThanCut)
{
    // A field that does not fit is laid out again in the room left: its width and its digits
    // are cut to the room first, then padded as usual.
    const TString lead = Repeat(KT('a'), 1020);
    EXPECT_EQ(lead + KT("123"), Format((lead + KT("%d")).c_str(), {12345}).Text);
    EXPECT_EQ(lead + KT("-12"), Format((lead + KT("%d")).c_str(), {-12345}).Text);
    EXPECT_EQ(lead + KT(" 42"), Format((lead + KT("%8d")).c_str(), {42}).Text) << "not the first spaces of '      42'";
    EXPECT_EQ(lead + KT("042"), Format((lead + KT("%08d")).c_str(), {42}).Text);
    EXPECT_EQ(lead + KT("042"), Format((lead + KT("%.8d")).c_str(), {42}).Text);
    EXPECT_EQ(lead + KT("42 "), Format((lead + KT("%-8d")).c_str(), {42}).Text);
    EXPECT_EQ(lead + KT("  x"), Format((lead + KT("%8s")).c_str(), {KT("x")}).Text);
    EXPECT_EQ(lead + KT("   "), Format((lead + KT("%5k")).c_str()).Text);

    const TFormatted wide = Format(KT("%2000d"), {42});
    EXPECT_EQ(1024, wide.Count);
    EXPECT_EQ(Repeat(KT(' '), 1021) + KT("42"), wide.Text);
}

TEST(FormatPortable, HexPrefixAtTheEndStaysInTheBuffer)
{
    // Here the system itself writes past its buffer; the cut keeps what fits.
    EXPECT_EQ(Repeat(KT('a'), 1018) + KT("0x123"), Format((Repeat(KT('a'), 1018) + KT("%#x")).c_str(), {0x1234}).Text);
    EXPECT_EQ(Repeat(KT('a'), 1020) + KT("0x1"), Format((Repeat(KT('a'), 1020) + KT("%#x")).c_str(), {0x1234}).Text);
    // With three units of room or less no prefix is printed, but its room still goes to digits.
    EXPECT_EQ(Repeat(KT('a'), 1021) + KT("12"), Format((Repeat(KT('a'), 1021) + KT("%#x")).c_str(), {0x1234}).Text);
    EXPECT_EQ(1024, Format((Repeat(KT('a'), 1021) + KT("%#x")).c_str(), {0x1234}).Count);
}
