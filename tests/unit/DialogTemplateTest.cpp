// The dialog template rewrite: the font goes in after the caption, and the item templates stay
// intact and 4-byte aligned whatever the face name's length.
#include <gtest/gtest.h>

#include "DialogTemplate.h"

namespace {

typedef std::vector<uint8_t> TBytes;

void Word(TBytes& b, uint16_t w)
{
    b.push_back(static_cast<uint8_t>(w));
    b.push_back(static_cast<uint8_t>(w >> 8));
}

void Dword(TBytes& b, uint32_t d)
{
    Word(b, static_cast<uint16_t>(d));
    Word(b, static_cast<uint16_t>(d >> 16));
}

void Text(TBytes& b, const char* text)
{
    while (*text)
        Word(b, static_cast<uint16_t>(*text++));
    Word(b, 0);
}

const uint8_t ItemBytes[] = {0x01, 0x00, 0x01, 0x50, 0, 0, 0, 0, 4, 0, 4, 0, 50, 0, 14, 0, 101, 0,
                             0xFF, 0xFF, 0x80, 0x00, 'O', 0, 'K', 0, 0, 0, 0, 0};

// A template with the given style, a menu by ordinal, a class by name, a caption, and one item.
TBytes Template(uint32_t style, const char* className, const char* caption)
{
    TBytes b;
    Dword(b, style);
    Dword(b, 0);
    Word(b, 1);
    for (uint16_t v : {0, 0, 280, 210})
        Word(b, v);
    Word(b, 0xFFFF);
    Word(b, 200);
    Text(b, className);
    Text(b, caption);
    while (b.size() % 4)
        b.push_back(0);
    b.insert(b.end(), ItemBytes, ItemBytes + sizeof ItemBytes);
    return b;
}

size_t Find(const TBytes& haystack, const uint8_t* needle, size_t length)
{
    for (size_t i = 0; i + length <= haystack.size(); ++i)
        if (std::equal(needle, needle + length, haystack.begin() + static_cast<long>(i)))
            return i;
    return SIZE_MAX;
}

}  // namespace

TEST(DialogTemplates, FontFollowsTheCaptionAndItemsStayAligned)
{
    const char16_t* faces[] = {u"A", u"MS", u"Meiryo", u"Yu Gothic UI", u"MS UI Gothic", u"Tahoma"};
    for (const char* className : {"", "KeyfinchMain", "Keyfinch2"}) {
        for (const char16_t* face : faces) {
            TBytes source = Template(0x10CF0000, className, "Keyfinch");
            TBytes result;
            ASSERT_TRUE(RewriteDialogTemplate(source.data(), source.size(), 9,
                                              reinterpret_cast<const uint16_t*>(face), result));
            uint32_t style = result[0] | result[1] << 8 | result[2] << 16 | static_cast<uint32_t>(result[3]) << 24;
            EXPECT_EQ(style, 0x10CF0000u | DialogSetFont);
            // Header and the three fields are unchanged up to the end of the caption.
            size_t fields = 18 + 4 + 2 * (std::char_traits<char>::length(className) + 1) + 2 * 9;
            EXPECT_TRUE(std::equal(source.begin() + 4, source.begin() + static_cast<long>(fields), result.begin() + 4));
            EXPECT_EQ(result[fields] | result[fields + 1] << 8, 9);
            size_t faceLength = std::char_traits<char16_t>::length(face);
            for (size_t i = 0; i <= faceLength; ++i)
                EXPECT_EQ(result[fields + 2 + 2 * i] | result[fields + 3 + 2 * i] << 8, face[i]);
            size_t item = Find(result, ItemBytes, sizeof ItemBytes);
            ASSERT_NE(item, SIZE_MAX);
            EXPECT_EQ(item % 4, 0u);
            EXPECT_EQ(item, (fields + 2 + 2 * (faceLength + 1) + 3) & ~size_t(3));
        }
    }
}

TEST(DialogTemplates, TemplateWithAFontIsCopiedUnchanged)
{
    TBytes source = Template(0x10CF0000 | DialogSetFont, "X", "");
    TBytes result;
    ASSERT_TRUE(RewriteDialogTemplate(source.data(), source.size(), 9, reinterpret_cast<const uint16_t*>(u"Face"), result));
    EXPECT_EQ(result, source);
}

TEST(DialogTemplates, BytesThatAreNoTemplateAreRefused)
{
    TBytes source = Template(0x10CF0000, "KeyfinchMain", "Keyfinch");
    TBytes result;
    const uint16_t* face = reinterpret_cast<const uint16_t*>(u"Face");
    EXPECT_FALSE(RewriteDialogTemplate(source.data(), 17, 9, face, result));
    // Cut inside the class name: the string has no end.
    EXPECT_FALSE(RewriteDialogTemplate(source.data(), 30, 9, face, result));
    // Cut inside the ordinal of the menu.
    EXPECT_FALSE(RewriteDialogTemplate(source.data(), 20, 9, face, result));
    TBytes extended = {1, 0, 0xFF, 0xFF};
    extended.resize(40, 0);
    EXPECT_FALSE(RewriteDialogTemplate(extended.data(), extended.size(), 9, face, result));
}
