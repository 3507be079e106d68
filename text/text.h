// Text drawing: the font, the two screen-sized text layers and the line primitives that draw
// into them, and the message-window table.
//
// Text is rasterised once, when a window's text is set or the window moves, into the colour
// layer (each character in its own colour) and the mask layer (the same glyphs in white); every
// frame the message windows combine their rectangle of both layers with the frame. Text is
// Shift-JIS: a byte with its high bit set starts a two-byte character whatever the next byte is.
#pragma once

#include <cstdint>

// The font's character height and the distance between lines.
constexpr int32_t TEXT_LINE_HEIGHT = 32;
constexpr int32_t TEXT_FONT_WEIGHT = 900;
constexpr int32_t TEXT_CHARSET_SHIFTJIS = 128;
constexpr int32_t TEXT_OUT_BUFFER_SIZE = 100;
// The font's face: "ＭＳ 明朝" in code page 932.
constexpr char TEXT_FACE_NAME[] = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";

// 24-bit colours: red in bits 0-7, green in bits 8-15, blue in bits 16-23.
using TextColour = uint32_t;
constexpr TextColour TEXT_WHITE = 0xFFFFFF;

constexpr int32_t MSGWIN_COUNT = 8;
constexpr int32_t MSGWIN_TEXT_SIZE = 256;
constexpr int32_t MSGWIN_FREE = -1;
constexpr int32_t MSGWIN_EFFECT_MASK = 0xFF;
constexpr int32_t MSGWIN_HIDDEN = 0x100;

struct MessageWindow {
    int32_t id; // MSGWIN_FREE, or the record's own index
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    int32_t flags;   // bits 0-7 the effect code, MSGWIN_HIDDEN, higher bits kept as given
    uint32_t tint;   // two RGB555 pixels: the tint of the additive effects
    int32_t counter; // reveal counter of the blinds effect, 0..16
    char text[MSGWIN_TEXT_SIZE]; // the marked-up text, 0-terminated
};

// Allocates the window table (all free), takes the two layers, clears them and creates the font.
// 0; -2 no table; -1 no colour layer; -2 no mask layer; -3 no font.
int32_t text_init();
// Deletes the font, releases the colour layer and frees the table; the surface releases the mask
// layer's slot when it shuts down.
void text_shutdown();

// Zeroes, in both layers, floor(w / 2) pixel pairs of h rows from row y and pair floor(x / 2);
// whatever lies outside the layers is left out. Returns 0.
int32_t text_clear_rect(int32_t x, int32_t y, int32_t w, int32_t h);
// Formats printf-style into a 100-byte buffer (longer output is cut) and draws the result at the
// top-left (x, y) of a slot, in the slot's current text colour.
void text_out(int32_t slot, int32_t x, int32_t y, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
// Draws the line in white into the mask layer. Returns 0.
int32_t text_draw_mask(int32_t x, int32_t y, const char* line);
// Draws the line into both layers, each character in the colour stored for its last byte.
// Returns 0.
int32_t text_draw_coloured(int32_t x, int32_t y, const char* line, const TextColour* colours);
// Draws the line at (window x + dx, window y + dy); with no colours into the mask layer alone.
// 0, or -1 for a window index outside 0..7.
int32_t text_draw_line(int32_t window, int32_t dx, int32_t dy, const char* line,
                       const TextColour* colours);
// As text_draw_line, centred in the window's width.
int32_t text_draw_line_centred(int32_t window, int32_t dy, const char* line,
                               const TextColour* colours);

// The message-window table, and the slots of the two layers.
MessageWindow* text_windows();
int32_t text_colour_layer();
int32_t text_mask_layer();
// Whether an index names a record of the table.
bool text_valid_window(int32_t window);
// The length of a two-byte character starting with this byte, or 1.
int32_t text_character_length(char lead);
