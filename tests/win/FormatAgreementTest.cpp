// FormatPortable against the system formatter it stands in for (wvsprintf, which PlatformFormat
// calls on Windows): outputs reaching the 1024-unit cut, and random formats with the program's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "Platform.h"
#include "StringRoutines.h"
#include "TestSupport.h"

namespace {

const int BufferUnits = 1024;

// UTF-16 ASCII text read as bytes is its first letter: a valid string whichever width is read.
uintptr_t Slot(const void* text) { return reinterpret_cast<uintptr_t>(text); }

TString Shown(const KChar* units, int count) { return TString(units, std::clamp(count, 0, BufferUnits - 1)); }

::testing::AssertionResult Agree(const TString& format, std::vector<uintptr_t> slots)
{
    // Spare slots for formats that take more than given. The system writes past its 1024 units
    // (and reports more) when "0x" meets the end of the buffer; the spare room keeps it harmless.
    slots.resize(slots.size() + 8, Slot(u"pad"));
    static std::vector<KChar> expected(65536);
    std::fill(expected.begin(), expected.begin() + 2 * BufferUnits, KChar(0x7F));
    std::vector<KChar> actual(BufferUnits, KChar(0x7F));
    const int expectedCount = std::min(BufferUnits, PlatformFormat(expected.data(), format.c_str(), slots.data()));
    const int actualCount = FormatPortable(actual.data(), format.c_str(), slots.data());
    const TString want = Shown(expected.data(), expectedCount), got = Shown(actual.data(), actualCount);
    if (expectedCount == actualCount && want == got && actual[got.size()] == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Printable(format) << "\n  system   " << expectedCount << " "
                                         << Printable(want) << "\n  portable " << actualCount << " " << Printable(got);
}

TString Text(const std::string& ascii) { return TString(ascii.begin(), ascii.end()); }

}  // namespace

TEST(FormatAgreement, OutputsReachingTheCut)
{
    for (const char* format : {"%d", "%8d", "%-8d", "%08d", "%.6d", "%#x", "%#10x", "%#010x", "%#.8lx", "%-#8x|",
                               "%p", "%s", "%5s", "%-5s|", "%.3s", "%5c", "%5k", "%-5k", "%%", "%S", "%C", "%2000d"})
        for (size_t fill = 1000; fill <= 1030; ++fill)
            for (uint64_t value : {0ull, 7ull, 0x1234ull, 123456789ull, static_cast<uint64_t>(-123456789)})
                ASSERT_TRUE(Agree(TString(fill, KT('.')) + Text(format),
                                  {static_cast<uintptr_t>(strpbrk(format, "sS") ? Slot(u"abcdefgh")
                                                          : strpbrk(format, "cC") ? 'A' + value % 26 : value)}));
    const TString longText(3000, KT('y'));
    EXPECT_TRUE(Agree(KT("%s%s"), {Slot(&longText[2000]), Slot(&longText[0])}));
    EXPECT_TRUE(Agree(longText, {}));
}

TEST(FormatAgreement, RandomFormats)
{
    std::mt19937 random(20240229);
    auto pick = [&random](size_t count) { return static_cast<size_t>(random() % count); };
    const uint64_t numbers[] = {0, 9, 0x1234, 999999, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, ~0ull,
                                0xFFFFFFFF80000000, 0x123456789ABCDEF0, 0x8000000000000000};
    const std::u16string strings[] = {u"", u"q", u"keyfinch", std::u16string(700, u'L')};
    // A half-width katakana of the other width, where the code page has it.
    const uintptr_t kana = GetACP() != 932 ? 'z' : sizeof(KChar) == 1 ? 0xFF71u : 0xB1u;
    const uintptr_t characters[] = {'A', '0', ' ', 0, kana};
    const char* const sizes[] = {"", "", "l", "h", "w", "I", "I32", "I64", "I6", "I3", "ll"};  // last three malformed
    const KChar* const programFormats[] = {KT("%d%% 完了"), KT("%d 個の項目が見つかりました。"), KT("%d.%d 秒"),
                                           KT("%#.8lx (%d)"), KT("%#.8lx"), KT("%04X%04X"),
                                           KT("%d - %d の数字を指定してください。"), KT("%04d/%02d/%02d %02d:%02d:%02d")};
    for (int round = 0; round < 100000; ++round) {
        TString format(pick(3) == 0 ? 980 + pick(60) : pick(20), KT('.'));  // a long lead meets the cut
        std::vector<uintptr_t> slots;
        for (size_t k = 1 + pick(5); k > 0; --k) {
            if (pick(3) == 0)
                format += pick(2) == 0 ? KT("項目 ") : KT("%%");
            const char letter = "diuxXpcCsSk"[pick(11)];
            // Only 'k' takes no argument, so only it may be malformed without the slots getting out
            // of step. '#' on a decimal prints the system's scratch bytes.
            std::string directive = "%";
            for (const char* flag = letter == 'k' ? "0-#0" : strchr("diu", letter) ? "-0" : "-#0"; *flag; ++flag)
                if (pick(3) == 0)
                    directive += *flag;
            if (pick(2) == 0)  // now and then so wide that it wraps at 32 bits
                directive += std::to_string(pick(8) ? pick(16) : pick(2) ? pick(1200) : 4294967296 + pick(9));
            if (pick(3) == 0)
                directive += "." + std::to_string(pick(6) == 0 ? pick(1200) : pick(10));
            const std::string size = sizes[pick(letter == 'k' ? 11 : 8)];
            format += Text(directive + size + letter);
            if (letter == 's' || letter == 'S')
                slots.push_back(pick(8) == 0 ? 0 : Slot(strings[pick(4)].c_str()));
            else if (letter == 'c' || letter == 'C')
                slots.push_back(characters[pick(5)]);
            else if (letter != 'k') {
                const uint64_t number = numbers[pick(11)];
                slots.push_back(static_cast<uintptr_t>(number));
                // A 32-bit system takes a 64-bit number from two slots, low half first; a pointer
                // stays one slot whatever its size prefix says.
                if (size == "I64" && letter != 'p' && sizeof(uintptr_t) < 8)
                    slots.push_back(static_cast<uintptr_t>(number >> 32));
            }
        }
        if (pick(4) == 0) {  // the program's formats last, with numbers for all their directives
            format += programFormats[pick(8)];
            for (int i = 0; i < 6; ++i)
                slots.push_back(static_cast<uintptr_t>(numbers[pick(11)]));
        }
        ASSERT_TRUE(Agree(format, slots)) << "round " << round;
    }
}
