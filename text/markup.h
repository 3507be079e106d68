// The inline markup of message-window texts: "\c" centres the line it stands in, "\n" ends a
// line, "\i[r,g,b]" colours the characters after it; a backslash before any other byte drops
// both. A lead byte and the byte after it are always one character, so a second byte of 0x5C is
// no escape.
#pragma once

#include <cstdint>

// Lays out the window's text into lines and draws them into the text layers at the window's
// position, one TEXT_LINE_HEIGHT below the other. 0, or -1 for an index outside 0..7.
int32_t markup_layout(int32_t window);
