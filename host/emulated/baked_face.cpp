#include "host/emulated/baked_face.h"

#include <algorithm>

#include "host/emulated/baked_codes.h"
#include "host/emulated/emulated.h"

namespace {

constexpr uint32_t BYTE_BITS = 8;

void baked_face_unpack(const BakedFace& baked, const BakedGlyph& from, EmuGlyph* glyph)
{
    glyph->advance = from.advance;
    glyph->left = from.left;
    glyph->top = from.top;
    glyph->width = from.width;
    glyph->height = from.height;
    glyph->ink.assign(static_cast<size_t>(from.width) * static_cast<size_t>(from.height), 0);
    const size_t row_bytes = (static_cast<size_t>(from.width) + BYTE_BITS - 1) / BYTE_BITS;
    const uint8_t* rows = baked.ink + from.ink;
    for (int32_t row = 0; row < from.height; ++row) {
        const uint8_t* bits = rows + static_cast<size_t>(row) * row_bytes;
        for (int32_t column = 0; column < from.width; ++column)
            glyph->ink[static_cast<size_t>(row) * from.width + column] =
                (bits[column / BYTE_BITS] >> (BYTE_BITS - 1 - column % BYTE_BITS)) & 1;
    }
}

// Every code has a glyph: the table's, or the system face's unknown character.
bool baked_face_glyph(const BakedFace& baked, char32_t code, EmuGlyph* glyph)
{
    const BakedGlyph* end = baked.glyphs + baked.glyph_count;
    const BakedGlyph* found = std::lower_bound(
        baked.glyphs, end, code, [](const BakedGlyph& g, char32_t c) { return g.code < c; });
    baked_face_unpack(baked, found != end && found->code == code ? *found : baked.unknown, glyph);
    return true;
}

} // namespace

bool baked_face_open(const BakedFace& baked, std::string_view face_name, int32_t pixel_height,
                     EmuFace* face, std::string* error)
{
    if (face_name != baked.face_name || pixel_height != baked.pixel_height) {
        *error = "the baked glyphs are of the program's own face at " +
                 std::to_string(baked.pixel_height) + " pixels only";
        return false;
    }
    face->ascent = baked.ascent;
    face->characters = baked_codes_read;
    face->glyph = [&baked](char32_t code, EmuGlyph* glyph) {
        return baked_face_glyph(baked, code, glyph);
    };
    return true;
}
