// The glyphs of the installed face baked at build time (by tools/glyphs) into a table, for hosts
// that have no FreeType or fontconfig: every character the programs can draw, as the system face
// renders it at the program's size, so that text drawn from the table has the same pixels.
//
// The table is keyed by the Shift-JIS codes of host/emulated/baked_codes.h. A code the table
// lacks is drawn as the system face draws a character it cannot decode.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct EmuFace;

// One glyph: EmuGlyph's metrics, its ink rows packed most significant bit first, each row
// padded to whole bytes, starting at byte ink of the face's ink.
struct BakedGlyph {
    uint32_t code;
    int32_t advance;
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
    uint32_t ink;
};

struct BakedFace {
    const char* face_name; // Shift-JIS, as the program asks for it
    int32_t pixel_height;
    int32_t ascent;
    const BakedGlyph* glyphs; // in ascending code order
    int32_t glyph_count;
    BakedGlyph unknown; // what the system face draws for U+FFFD
    const uint8_t* ink;
};

// The table that the build baked (the generated source that tools/glyphs writes).
extern const BakedFace BAKED_FACE;

// A face drawing from the table, for the face name and character height it was baked for; false
// with the reason for any other.
bool baked_face_open(const BakedFace& baked, std::string_view face_name, int32_t pixel_height,
                     EmuFace* face, std::string* error);
