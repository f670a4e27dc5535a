// FormatPortable, the stand-in for wvsprintf: the program's formats at edge values, the quirks a
// rewrite most easily gets wrong, and the 1024-unit cut (FormatAgreementTest covers the rest).
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "StringRoutines.h"
#include "TestSupport.h"

namespace {

struct TCase {
    TString Format;
    std::vector<TFormatArg> Args;
    TString Expected;  // embedded NULs included
    bool Cut = false;  // reaches the end of the buffer, so reports 1024
};

// "abc" in the width the build does not use, for %S.
const void* const OtherWidth = sizeof(KChar) == 1 ? static_cast<const void*>(u"abc") : "abc";
const KChar* const Other = static_cast<const KChar*>(OtherWidth);

TString A(size_t count) { return TString(count, KT('a')); }

}  // namespace

TEST(FormatPortable, Outputs)
{
    const KChar* const date = KT("%04d/%02d/%02d %02d:%02d:%02d");
    const TCase cases[] = {
        {KT("%d%% 完了"), {0}, KT("0% 完了")},
        {KT("%d%% 完了"), {INT_MIN}, KT("-2147483648% 完了")},
        {KT("%d 個の項目が見つかりました。"), {-1}, KT("-1 個の項目が見つかりました。")},
        // An unsigned slot is not sign-extended: only its low 32 bits count.
        {KT("%d 個の項目が見つかりました。"), {0xFFFFFFFFu}, KT("-1 個の項目が見つかりました。")},
        {KT("%d.%d 秒"), {0, 5}, KT("0.5 秒")},
        {KT("%d.%d 秒"), {INT_MIN, -1}, KT("-2147483648.-1 秒")},
        {KT("%#.8lx (%d)"), {0, 0}, KT("0x00000000 (0)")},
        {KT("%#.8lx (%d)"), {-1, 0xFFFFFFFFu}, KT("0xffffffff (-1)")},
        {KT("%#.8lx (%d)"), {INT_MIN, 0x80070005u}, KT("0x80000000 (-2147024891)")},
        {KT("%#.8lx"), {0xFFFFFFFFu}, KT("0xffffffff")},
        {date, {2024, 1, 5, 9, 3, 7}, KT("2024/01/05 09:03:07")},
        {date, {30827, 12, 31, 23, 59, 59}, KT("30827/12/31 23:59:59")},
        {date, {-1, 0, INT_MIN, 0, 0, 0}, KT("-001/00/-2147483648 00:00:00")},
        {KT("%04X%04X"), {0xAB, 0x1F}, KT("00AB001F")},
        {KT("%04X%04X"), {0x12345, -1}, KT("12345FFFFFFFF")},
        {KT("%04X%04X"), {0, INT_MIN}, KT("000080000000")},
        {KT("%d - %d の数字を指定してください。"), {INT_MIN, 0xFFFFFFFFu}, KT("-2147483648 - -1 の数字を指定してください。")},
        // The sign goes before the zeros and counts in the precision; '-' turns '0' off; with
        // '0' the width wins over the precision; 'h' does not cut to 16 bits.
        {KT("%05d|%-05d|%.3d|%08.3d|%hd"), {-42, -42, -5, 7, 0x18000}, KT("-0042|-42  |-05|00000007|98304")},
        // "0x" is printed for zero too and counts in neither width nor precision.
        {KT("%#x|%#10x|%#010x|%#.3X"), {0, 0x12, 0x12, 0xA}, KT("0x0|        0x12|0x0000000012|0X00A")},
        // '#' on a decimal counts two units it never prints; they come out as NULs.
        {KT("%#d|"), {5}, TString(KT("5\0\0|"), 4)},
        {KT("%.0s|%.3s|%5.1s|%S"), {KT("abc"), nullptr, KT("abc"), Other}, KT("abc|(nu|    a|abc")},
        // An unknown letter is text, padded in front only; flags count only in the order - # 0;
        // widths wrap at 32 bits; a '%' at the end is dropped.
        {KT("%5k|%-5k|%0#x|%0-d|%4294967297d|50%"), {42}, KT("     k|k|#x|-d|42|50")},
        {KT("a%cb"), {0}, TString(KT("a\0b"), 3)},
        {A(1023), {}, A(1023), true},
        {A(3000) + KT("%d"), {5}, A(1023), true},
        {A(1020) + KT("%d"), {42}, A(1020) + KT("42")},
        {A(1021) + KT("%d"), {42}, A(1021) + KT("42"), true},
        // A field at the end is laid out again in the room left, not cut from its full form.
        {A(1020) + KT("%d"), {12345}, A(1020) + KT("123"), true},
        {A(1020) + KT("%8d"), {42}, A(1020) + KT(" 42"), true},
        {A(1020) + KT("%-8d"), {42}, A(1020) + KT("42 "), true},
        {KT("%2000d"), {42}, TString(1021, KT(' ')) + KT("42"), true},
        {A(1018) + KT("%#x"), {0x1234}, A(1018) + KT("0x123"), true},
        {A(1021) + KT("%#x"), {0x1234}, A(1021) + KT("12"), true},  // no room for "0x"
    };
    for (const TCase& c : cases) {
        std::vector<uintptr_t> slots(c.Args.size() + 1);
        for (size_t i = 0; i < c.Args.size(); ++i)
            slots[i] = c.Args[i].Slot;
        std::vector<KChar> buffer(1024 + 16, KChar(0x7F));
        const int count = FormatPortable(buffer.data(), c.Format.c_str(), slots.data());
        const TString text(buffer.data(), count > 1023 ? 1023 : static_cast<size_t>(count));
        const std::string where = Printable(c.Format.substr(c.Format.size() > 40 ? c.Format.size() - 40 : 0));
        EXPECT_EQ(Printable(c.Expected), Printable(text)) << where;
        EXPECT_EQ(c.Cut ? 1024 : static_cast<int>(c.Expected.size()), count) << where;
        EXPECT_EQ(0u, CharCode(buffer[text.size()])) << where;
        EXPECT_EQ(TString(16, KChar(0x7F)), TString(buffer.begin() + 1024, buffer.end())) << where;
    }
}
