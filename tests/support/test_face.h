// A deterministic face for tests that need exact glyph pixels: every character is a solid box.
//
// The cell's baseline lies TEST_FACE_ASCENT below its top. A character advances 12 pixels
// (below 0x80) or 24 (any other code); its ink is a box from 2 pixels right of the pen, as wide
// as the advance less 4, covering cell rows 4 to 19. The program's weight 900 draws it twice,
// one pixel apart, so the ink covers columns pen + 2 to pen + advance - 2 and a measured string
// is one pixel wider than its advances.
#pragma once

#include "host/emulated/emulated.h"
#include "host/headless/headless.h"

constexpr int32_t TEST_FACE_ASCENT = 24;
constexpr int32_t TEST_FACE_NARROW = 12;
constexpr int32_t TEST_FACE_WIDE = 24;
constexpr int32_t TEST_FACE_INK_LEFT = 2;
constexpr int32_t TEST_FACE_INK_TOP_ROW = 4;
constexpr int32_t TEST_FACE_INK_ROWS = 16;

inline EmuFace test_face()
{
    EmuFace face;
    face.ascent = TEST_FACE_ASCENT;
    face.characters = emu_decode_cp932;
    face.glyph = [](char32_t code, EmuGlyph* glyph) {
        glyph->advance = code < 0x80 ? TEST_FACE_NARROW : TEST_FACE_WIDE;
        glyph->left = TEST_FACE_INK_LEFT;
        glyph->top = TEST_FACE_ASCENT - TEST_FACE_INK_TOP_ROW;
        glyph->width = glyph->advance - 4;
        glyph->height = TEST_FACE_INK_ROWS;
        glyph->ink.assign(static_cast<size_t>(glyph->width) * glyph->height, 1);
        return true;
    };
    return face;
}
