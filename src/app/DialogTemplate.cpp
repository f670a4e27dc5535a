// The rewrite of dialog templates with the message font.
#include "DialogTemplate.h"

#include <cstring>

namespace {

const size_t HeaderSize = 18;  // style, extended style, item count, x, y, cx, cy

uint16_t WordAt(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

size_t RoundUp4(size_t n)
{
    return (n + 3) & ~static_cast<size_t>(3);
}

// Size of the menu, class or caption field at offset: 0xFFFF and an ordinal, or a string of
// words up to and including its zero. 0 when the field runs past the end.
size_t FieldSize(const uint8_t* resource, size_t size, size_t offset)
{
    if (offset + 2 > size)
        return 0;
    if (WordAt(resource + offset) == 0xFFFF)
        return offset + 4 <= size ? 4 : 0;
    for (size_t at = offset; at + 2 <= size; at += 2)
        if (WordAt(resource + at) == 0)
            return at + 2 - offset;
    return 0;
}

}  // namespace

bool RewriteDialogTemplate(const uint8_t* resource, size_t size, uint16_t pointSize, const uint16_t* faceName,
                           std::vector<uint8_t>& result)
{
    if (resource == nullptr || size < HeaderSize || WordAt(resource + 2) == 0xFFFF)
        return false;  // too short, or the extended form (it begins with 1, 0xFFFF)
    uint32_t style;
    std::memcpy(&style, resource, 4);
    if (style & DialogSetFont) {
        result.assign(resource, resource + size);
        return true;
    }

    size_t faceLength = 0;
    while (faceName[faceLength] != 0)
        ++faceLength;
    // Room for the point size, the face name and its zero, and up to 4 bytes of realignment.
    result.assign(size + 2 + 2 * (faceLength + 1) + 4, 0);
    uint8_t* out = result.data();

    std::memcpy(out, resource, HeaderSize);
    style |= DialogSetFont;
    std::memcpy(out, &style, 4);
    size_t read = HeaderSize;
    size_t write = HeaderSize;
    for (int field = 0; field < 3; ++field) {  // menu, class, caption
        size_t fieldSize = FieldSize(resource, size, read);
        if (fieldSize == 0)
            return false;
        std::memcpy(out + write, resource + read, fieldSize);
        read += fieldSize;
        write += fieldSize;
    }
    out[write++] = static_cast<uint8_t>(pointSize);
    out[write++] = static_cast<uint8_t>(pointSize >> 8);
    for (size_t i = 0; i <= faceLength; ++i) {
        out[write++] = static_cast<uint8_t>(faceName[i]);
        out[write++] = static_cast<uint8_t>(faceName[i] >> 8);
    }
    read = RoundUp4(read);
    write = RoundUp4(write);
    if (read < size)
        std::memcpy(out + write, resource + read, size - read);
    return true;
}
