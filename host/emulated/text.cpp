#include <algorithm>
#include <cstdio>

#include "host/emulated/emulated.h"

namespace {

// FW_SEMIBOLD: from this weight up a face without a bold style is emboldened.
constexpr int32_t EMU_BOLD_WEIGHT = 600;

constexpr char EMU_NO_FONT_TEXT[] =
    "No Japanese Mincho font was found. Install one with: sudo apt-get install "
    "fonts-ipafont-mincho";

// A 24-bit colour as the 16-bit bitmap stores it: each channel's top five bits.
uint16_t emu_rgb555_from_colour(uint32_t colour)
{
    const uint32_t red = (colour >> 3) & 31;
    const uint32_t green = (colour >> 11) & 31;
    const uint32_t blue = (colour >> 19) & 31;
    return static_cast<uint16_t>(red << 10 | green << 5 | blue);
}

// Clipped to the bitmap, as GDI clips to its surface. Positions are 64-bit: text may be drawn at
// any 32-bit point, and a glyph's box reaches past it.
void emu_draw_glyph(HostBitmap& bitmap, const EmuGlyph& glyph, int64_t left, int64_t top,
                    uint16_t colour)
{
    const int64_t row_first = std::max<int64_t>(0, -top);
    const int64_t row_end = std::min<int64_t>(glyph.height, bitmap.height - top);
    const int64_t column_first = std::max<int64_t>(0, -left);
    const int64_t column_end = std::min<int64_t>(glyph.width, bitmap.width - left);
    for (int64_t row = row_first; row < row_end; ++row) {
        for (int64_t column = column_first; column < column_end; ++column) {
            if (glyph.ink[static_cast<size_t>(row * glyph.width + column)])
                bitmap.pixels[static_cast<size_t>((top + row) * bitmap.width + left + column)] =
                    colour;
        }
    }
}

} // namespace

HostFont* host_create_font(int32_t height, int32_t weight, int32_t, const char* face_name)
{
    auto font = std::make_unique<HostFont>();
    std::string error;
    const int32_t pixel_height = height < 0 ? -height : height;
    if (!emu_backend_open_face(face_name, pixel_height, &font->face, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        host_message_box("Error", EMU_NO_FONT_TEXT);
        return nullptr;
    }
    font->bold = weight >= EMU_BOLD_WEIGHT;
    emu_state().fonts.push_back(std::move(font));
    return emu_state().fonts.back().get();
}

void host_delete_font(HostFont* font)
{
    auto& fonts = emu_state().fonts;
    for (const auto& dc : emu_state().dcs) {
        if (dc->font == font)
            dc->font = nullptr;
    }
    std::erase_if(fonts, [font](const std::unique_ptr<HostFont>& f) { return f.get() == font; });
}

void host_select_font(HostDc* dc, HostFont* font)
{
    if (dc)
        dc->font = font;
}

// Text is always drawn with a transparent background here: the program sets that mode before
// every draw, so the opaque mode is not imitated.
void host_set_transparent_background(HostDc*) {}

void host_set_text_colour(HostDc* dc, uint32_t colour)
{
    if (dc)
        dc->text_colour = colour;
}

void host_text_out(HostDc* dc, int32_t x, int32_t y, const char* text, int32_t length)
{
    if (!dc || !dc->font || !dc->bitmap || length <= 0)
        return;
    const HostFont& font = *dc->font;
    const uint16_t colour = emu_rgb555_from_colour(dc->text_colour);
    const int64_t baseline = int64_t{y} + font.face.ascent;
    int64_t pen = x;
    EmuGlyph glyph;
    for (const char32_t code : font.face.characters(std::string_view(text, length))) {
        if (!font.face.glyph(code, &glyph))
            continue;
        for (int32_t offset = 0; offset <= (font.bold ? 1 : 0); ++offset)
            emu_draw_glyph(*dc->bitmap, glyph, pen + glyph.left + offset, baseline - glyph.top,
                           colour);
        pen += glyph.advance;
    }
}

int32_t host_text_width(HostDc* dc, const char* text, int32_t length)
{
    if (!dc || !dc->font || length <= 0)
        return 0;
    const HostFont& font = *dc->font;
    int32_t width = 0;
    EmuGlyph glyph;
    for (const char32_t code : font.face.characters(std::string_view(text, length))) {
        if (font.face.glyph(code, &glyph))
            width += glyph.advance;
    }
    // The emboldening pixel hangs over the last advance.
    return width + (font.bold ? 1 : 0);
}
