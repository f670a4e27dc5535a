// FormatPortable against the system formatter it stands in for (wvsprintfW, or wvsprintfA in
// the ANSI build): the program's formats, every combination of flags, width, precision, size
// letter and conversion, malformed formats, outputs that reach the 1024-unit cut, and mixed
// formats made up at random.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "StringRoutines.h"

namespace {

const int BufferUnits = 1024;

#if defined(KEYFINCH_ANSI)
typedef const wchar_t* TOtherString;
#else
typedef const char* TOtherString;
#endif

int SystemFormat(KChar* buffer, const KChar* format, const uintptr_t* slots)
{
    va_list list = reinterpret_cast<va_list>(const_cast<uintptr_t*>(slots));
#if defined(KEYFINCH_ANSI)
    return wvsprintfA(buffer, format, list);
#else
    return wvsprintfW(buffer, format, list);
#endif
}

std::string Printable(const KChar* text, size_t length)
{
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        const unsigned code = CharCode(text[i]);
        if (code >= 0x20 && code < 0x7F) {
            out += static_cast<char>(code);
        } else {
            char escape[16];
            snprintf(escape, sizeof escape, "\\x%X", code);
            out += escape;
        }
    }
    return out;
}

// A string readable in both widths: its bytes are ASCII letters each followed by a zero byte,
// so the UTF-16 reading is the whole text and the byte reading its first letter. Whichever
// width a conversion takes, both formatters read the same valid string.
class TDualString {
public:
    explicit TDualString(const std::string& text) : Bytes(2 * text.size() + 2, 0)
    {
        for (size_t i = 0; i < text.size(); ++i)
            Bytes[2 * i] = text[i];
    }
    uintptr_t Slot() const { return reinterpret_cast<uintptr_t>(Bytes.data()); }

private:
    std::vector<char> Bytes;
};

const TDualString& PaddingString()
{
    static const TDualString padding("pad");
    return padding;
}

// Formats with both formatters and compares the counts and the units written. Slots past the
// given ones point to a valid string, so a format that takes more arguments than it was given
// reads nothing wild.
::testing::AssertionResult Agree(const TString& format, std::vector<uintptr_t> slots)
{
    slots.resize(slots.size() + 8, PaddingString().Slot());

    // The system formatter can write past its 1024 units when a "0x" prefix meets the end of
    // the buffer (and then reports more than 1024); the spare room keeps that harmless.
    static std::vector<KChar> expected(65536);
    std::fill(expected.begin(), expected.begin() + 2 * BufferUnits, KChar(0x7F));
    std::vector<KChar> actual(BufferUnits, 0x7F);
    int expectedCount = SystemFormat(expected.data(), format.c_str(), slots.data());
    const int actualCount = FormatPortable(actual.data(), format.c_str(), slots.data());
    if (expectedCount > BufferUnits)
        expectedCount = BufferUnits;

    const size_t units = expectedCount >= BufferUnits ? BufferUnits - 1 : static_cast<size_t>(expectedCount);
    bool same = expectedCount == actualCount && actual[units] == 0;
    for (size_t i = 0; same && i < units; ++i)
        same = expected[i] == actual[i];
    if (same)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
        << "format \"" << Printable(format.data(), format.size()) << "\"\n  system   " << expectedCount << " \""
        << Printable(expected.data(), units) << "\"\n  portable " << actualCount << " \""
        << Printable(actual.data(), actualCount >= BufferUnits ? BufferUnits - 1 : static_cast<size_t>(actualCount))
        << "\"";
}

TString Text(const char* ascii)
{
    return TString(ascii, ascii + strlen(ascii));
}

std::vector<uintptr_t> NumberSlots(uint64_t value, bool takes64Bits)
{
    if (takes64Bits && sizeof(uintptr_t) < 8)
        return {static_cast<uintptr_t>(value & 0xFFFFFFFFu), static_cast<uintptr_t>(value >> 32)};
    return {static_cast<uintptr_t>(value)};
}

uintptr_t Slot(const void* pointer)
{
    return reinterpret_cast<uintptr_t>(pointer);
}

const uint64_t Numbers[] = {
    0, 1, 5, 9, 10, 42, 255, 0x1234, 65535, 999999, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF,
    static_cast<uint64_t>(-1), static_cast<uint64_t>(-42), static_cast<uint64_t>(static_cast<int64_t>(INT_MIN)),
    0x123456789ABCDEF0ull, 0x8000000000000000ull, 0x00000001FFFFFFFEull,
};

// Code page 932 conversions of the other width are only there when it is the system's code page.
bool HasCodePage932()
{
    return GetACP() == 932;
}

}  // namespace

TEST(FormatAgreement, ProgramFormats)
{
    const int32_t values[] = {0, 1, 7, 50, 100, -1, 12345, INT_MAX, INT_MIN};
    const KChar* const oneNumber[] = {
        KT("%d%% 完了"), KT("%d 個の項目が見つかりました。"), KT("%#.8lx"), KT("%d 個の履歴があります。"),
    };
    const KChar* const twoNumbers[] = {
        KT("%d.%d 秒"), KT("%#.8lx (%d)"), KT("%04X%04X"), KT("%d - %d の数字を指定してください。"),
    };
    for (int32_t a : values) {
        for (const KChar* format : oneNumber)
            EXPECT_TRUE(Agree(format, {static_cast<uintptr_t>(static_cast<uint32_t>(a))}));
        for (int32_t b : values) {
            for (const KChar* format : twoNumbers)
                EXPECT_TRUE(Agree(format, {static_cast<uintptr_t>(static_cast<uint32_t>(a)), static_cast<uintptr_t>(b)}));
        }
    }
    const int dates[][6] = {{1601, 1, 1, 0, 0, 0}, {2024, 2, 29, 9, 5, 7}, {30827, 12, 31, 23, 59, 59}, {-1, 0, 0, 0, 0, 0}};
    for (const auto& d : dates) {
        std::vector<uintptr_t> slots;
        for (int field : d)
            slots.push_back(static_cast<uintptr_t>(field));
        EXPECT_TRUE(Agree(KT("%04d/%02d/%02d %02d:%02d:%02d"), slots));
    }
}

TEST(FormatAgreement, EveryDirectiveOnNumbers)
{
    const char* const flagSets[] = {"", "-", "#", "0", "-#", "-0", "#0", "-#0"};
    const char* const widths[] = {"", "1", "3", "8", "20"};
    const char* const precisions[] = {"", ".", ".0", ".1", ".2", ".5", ".12"};
    const char* const sizes[] = {"", "l", "h", "w", "I", "I32", "I64"};
    const char letters[] = {'d', 'i', 'u', 'x', 'X', 'p'};
    for (const char* flags : flagSets) {
        for (const char letter : letters) {
            // '#' on a decimal number prints leftovers of the system's scratch buffer.
            if (strchr(flags, '#') != nullptr && (letter == 'd' || letter == 'i' || letter == 'u'))
                continue;
            for (const char* width : widths) {
                for (const char* precision : precisions) {
                    for (const char* size : sizes) {
                        const TString format = Text("[%") + Text(flags) + Text(width) + Text(precision) + Text(size)
                            + TString(1, static_cast<KChar>(letter)) + Text("]");
                        for (uint64_t value : Numbers)
                            ASSERT_TRUE(Agree(format, NumberSlots(value, strcmp(size, "I64") == 0)));
                    }
                }
            }
        }
    }
}

TEST(FormatAgreement, EveryDirectiveOnCharactersAndStrings)
{
    const char* const flagSets[] = {"", "-", "#", "0", "-0"};
    const char* const widths[] = {"", "1", "4", "12"};
    const char* const precisions[] = {"", ".", ".0", ".1", ".2", ".7"};
    const char* const sizes[] = {"", "l", "h", "w", "I", "I64"};
    const TDualString empty("");
    const TDualString word("abcde");
    const TDualString longer("The quick brown fox jumps");
    const uintptr_t strings[] = {empty.Slot(), word.Slot(), longer.Slot(), 0};
    // Characters the same in both widths and in any code page.
    const uintptr_t characters[] = {'A', '%', ' ', 0, 0x7F, 0x10041};
    for (const char* flags : flagSets) {
        for (const char* width : widths) {
            for (const char* precision : precisions) {
                for (const char* size : sizes) {
                    const TString directive = Text("[%") + Text(flags) + Text(width) + Text(precision) + Text(size);
                    for (uintptr_t string : strings) {
                        ASSERT_TRUE(Agree(directive + KT("s]"), {string}));
                        ASSERT_TRUE(Agree(directive + KT("S]"), {string}));
                    }
                    for (uintptr_t character : characters) {
                        ASSERT_TRUE(Agree(directive + KT("c]"), {character}));
                        ASSERT_TRUE(Agree(directive + KT("C]"), {character}));
                    }
                }
            }
        }
    }
}

TEST(FormatAgreement, TextsOfTheBuildsOwnWidth)
{
    const TString longText(1500, KT('x'));
    const KChar* const texts[] = {KT(""), KT("a"), KT("日本語"), KT("個の項目"), KT("50%d"), KT("ｱｲｳ"), longText.c_str(), nullptr};
#if defined(KEYFINCH_ANSI)
    const KChar* const ownWidth[] = {KT("%hs"), KT("%hS"), KT("%-5hS|")};
#else
    const KChar* const ownWidth[] = {KT("%ls"), KT("%ws"), KT("%lS"), KT("%wS"), KT("%-5lS|")};
#endif
    const KChar* const formats[] = {KT("%s"), KT("[%10s]"), KT("[%-10s]"), KT("%.1s"), KT("%.3s"), KT("%.0s"),
                                    KT("%5.2s|"), KT("%s と %s")};
    for (const KChar* text : texts) {
        for (const KChar* format : formats)
            EXPECT_TRUE(Agree(format, {Slot(text), Slot(text)}));
        for (const KChar* format : ownWidth)
            EXPECT_TRUE(Agree(format, {Slot(text)}));
    }
#if defined(KEYFINCH_ANSI)
    const uintptr_t characters[] = {0x82, 0xB1, 0xFF, 0x3042};
#else
    const uintptr_t characters[] = {0x3042, 0xFF71, 0xD800, 0xFFFF};
#endif
    for (uintptr_t character : characters) {
        EXPECT_TRUE(Agree(KT("%c"), {character}));
        EXPECT_TRUE(Agree(KT("[%-3c]"), {character}));
    }
}

TEST(FormatAgreement, TextsOfTheOtherWidthInCodePage932)
{
    // Only the single-byte characters: FormatPortable has no table for the double-byte ones.
    if (!HasCodePage932())
        GTEST_SKIP() << "the system's code page is not 932";
#if defined(KEYFINCH_ANSI)
    const TOtherString texts[] = {L"\uFF71\uFF72\uFF73", L"a\u0080b", L"\uF8F0\uF8F1\uF8F3", L""};
    const uintptr_t characters[] = {0xFF71, 0xFF9F, 0x80, 0xF8F0, 0xF8F2};
#else
    const TOtherString texts[] = {"\xB1\xB2\xB3", "a\x80" "b", "\xA0\xFD\xFF", "", "a\x82"};
    const uintptr_t characters[] = {0xB1, 0xDF, 0x80, 0xA0, 0xFE, 0x81, 0xFC};
#endif
    const KChar* const formats[] = {KT("%S"), KT("[%8S]"), KT("[%-8S]"), KT("%.2S"), KT("%.1S")};
    for (const KChar* format : formats) {
        for (const auto& text : texts)
            EXPECT_TRUE(Agree(format, {Slot(text)}));
    }
    for (uintptr_t character : characters)
        EXPECT_TRUE(Agree(KT("[%C|%3C]"), {character, character}));
}

TEST(FormatAgreement, MalformedFormats)
{
    // Every slot is a string, so a misread only changes the text.
    const char* const formats[] = {
        "%", "a%", "%-", "%#", "%0", "%5", "%.", "%.5", "%l", "%h", "%w", "%I", "%I6", "%I3", "%I64", "%I32",
        "%-#0", "%-#05.3", "%#-x", "%0-d", "%0#x", "%-0#x", "%00d", "%%%", "%-%d", "%5%d", "%5.2%", "%q", "%5.3q",
        "%-5q|", "%y%d", "%lq%s", "%I6z", "%I64z", "%ll", "%lld", "%hhd", "%5.5.5d", "%1.2.3s", "%-d%-s%-c", "%#p",
        "%-p|", "%.3p", "%20p", "%#I64x", "%Ip", "%I32p", "%n%e%f%g%o", "%4294967297d", "%.4294967298s",
    };
    std::vector<uintptr_t> slots;
    for (const char* format : formats)
        EXPECT_TRUE(Agree(Text(format), slots));
}

TEST(FormatAgreement, OutputsReachingTheCut)
{
    const TDualString word("abcdefgh");
    const char* const formats[] = {
        "%d", "%8d", "%-8d", "%08d", "%.6d", "%x", "%#x", "%#10x", "%#010x", "%#.8lx", "%-#8x|", "%p",
        "%s", "%5s", "%-5s|", "%.3s", "%c", "%5c", "%5k", "%-5k", "%%", "%S", "%C", "ab", "%2000d", "%-2000d|",
    };
    for (const char* format : formats) {
        for (size_t fill = 1000; fill <= 1030; ++fill) {
            const TString text = TString(fill, KT('.')) + Text(format);
            const bool takesString = strpbrk(format, "sS") != nullptr;
            const bool takesCharacter = strpbrk(format, "cC") != nullptr;
            for (uint64_t value : {0ull, 7ull, 0x1234ull, 123456789ull, static_cast<uint64_t>(-123456789)}) {
                const uintptr_t slot = takesString ? word.Slot()
                    : takesCharacter               ? 'A' + value % 26
                                                   : static_cast<uintptr_t>(value);
                ASSERT_TRUE(Agree(text, {slot}));
            }
        }
    }
    const TString longText(3000, KT('y'));
    EXPECT_TRUE(Agree(KT("%s"), {Slot(longText.c_str())}));
    EXPECT_TRUE(Agree(KT("%s%s"), {Slot(longText.c_str() + 2000), Slot(longText.c_str() + 2000)}));
    EXPECT_TRUE(Agree(longText, {}));
    EXPECT_TRUE(Agree(TString(1022, KT('z')), {}));
    EXPECT_TRUE(Agree(TString(1023, KT('z')), {}));
    EXPECT_TRUE(Agree(TString(1024, KT('z')), {}));
}

TEST(FormatAgreement, MixedFormatsAtRandom)
{
    std::mt19937 random(20240229);
    auto pick = [&random](size_t count) { return static_cast<size_t>(random() % count); };
    const TDualString strings[] = {TDualString(""), TDualString("q"), TDualString("keyfinch"), TDualString(std::string(700, 'L'))};
    const char* const sizes[] = {"", "", "", "l", "h", "w", "I", "I32", "I64"};
    const char letters[] = "diuxXpcCsSk%";

    for (int round = 0; round < 20000; ++round) {
        TString format;
        std::vector<uintptr_t> slots;
        const size_t fill = pick(3) == 0 ? 980 + pick(60) : pick(40);
        for (size_t i = 0; i < fill; ++i)
            format += static_cast<KChar>('a' + i % 26);

        const size_t directives = 1 + pick(5);
        for (size_t k = 0; k < directives; ++k) {
            if (pick(3) == 0)
                format += KT("項目 ");
            const char letter = letters[pick(sizeof letters - 1)];
            format += '%';
            if (letter == '%') {
                format += '%';
                continue;
            }
            const bool decimal = letter == 'd' || letter == 'i' || letter == 'u';
            if (pick(4) == 0)
                format += '-';
            if (pick(4) == 0 && !decimal)
                format += '#';
            if (pick(4) == 0)
                format += '0';
            if (pick(2) == 0)
                format += Text(std::to_string(pick(6) == 0 ? pick(1200) : pick(16)).c_str());
            if (pick(3) == 0)
                format += Text(("." + std::to_string(pick(6) == 0 ? pick(1200) : pick(10))).c_str());
            const char* size = sizes[pick(sizeof sizes / sizeof sizes[0])];
            format += Text(size);
            format += static_cast<KChar>(letter);

            if (letter == 's' || letter == 'S') {
                slots.push_back(pick(8) == 0 ? 0 : strings[pick(4)].Slot());
            } else if (letter == 'c' || letter == 'C') {
                const uintptr_t characters[] = {'A', 'z', '0', ' ', 0};
                slots.push_back(characters[pick(5)]);
            } else if (letter != 'k') {
                for (uintptr_t slot : NumberSlots(Numbers[pick(sizeof Numbers / sizeof Numbers[0])], strcmp(size, "I64") == 0))
                    slots.push_back(slot);
            }
        }
        ASSERT_TRUE(Agree(format, slots)) << "round " << round;
    }
}
