// Dialog templates rewritten to carry the system's message font, so that every dialog of the
// program, the main window included, takes the user's font and size. No windows.h here: the
// rewrite works on the resource's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

const uint32_t DialogSetFont = 0x40;  // DS_SETFONT

// Copies a classic dialog template (not the extended form). A template without DS_SETFONT gets
// it, with pointSize and faceName (UTF-16, NUL-terminated) after its caption; the item
// templates move so that they still start on 4-byte boundaries. A template that has a font
// already is copied unchanged. False for bytes that are no such template.
bool RewriteDialogTemplate(const uint8_t* resource, size_t size, uint16_t pointSize, const uint16_t* faceName,
                           std::vector<uint8_t>& result);
