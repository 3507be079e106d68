#include "platform/pixel.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "text/msgwin.h"
#include "text/text.h"

// The composite works on 32-bit words of two pixels. With P words per row, word j of a window's
// row r is k = (y + r) * P + floor(x / 2) + j in the frame and in both layers alike. Every loop
// is clipped to the surface, which changes nothing for a window that lies inside it.

namespace {

struct MsgwinComposite {
    uint32_t pass; // F: counts passes, so the effects that move or reveal know the time
};

MsgwinComposite composite;

struct Planes {
    Pixel* frame;
    Pixel* colour;
    Pixel* mask;
    int32_t pitch; // words per row
    int32_t rows;  // the surface height
};

uint32_t word(const Pixel* plane, int32_t k)
{
    return rgb555_load_pair(plane + 2 * k);
}

void set_word(Pixel* plane, int32_t k, uint32_t value)
{
    rgb555_store_pair(plane + 2 * k, value);
}

// The window's words in surface coordinates.
struct Span {
    int32_t top;    // surface row of window row 0
    int32_t column; // surface word of window word 0
    int32_t rows;
    int32_t words;
};

int32_t clamp_low(int32_t value, int32_t low)
{
    return value < low ? low : value;
}

int32_t clamp_high(int32_t value, int32_t high)
{
    return value > high ? high : value;
}

// Window rows from first on that lie on the surface (and, with above, whose row above does too).
int32_t first_row(const Span& span, int32_t first, int32_t above)
{
    return clamp_low(first, above - span.top);
}

int32_t end_row(const Span& span, const Planes& planes)
{
    return clamp_high(span.rows, planes.rows - span.top);
}

// Window words from 0 to below end whose source and destination (shift words right) lie on the
// row.
int32_t first_word(const Span& span)
{
    return clamp_low(0, -span.column);
}

int32_t end_word(const Span& span, const Planes& planes, int32_t end, int32_t shift)
{
    return clamp_high(end, planes.pitch - span.column - shift);
}

int32_t index_of(const Span& span, const Planes& planes, int32_t r, int32_t j)
{
    return (span.top + r) * planes.pitch + span.column + j;
}

void masked_copy(const Planes& planes, int32_t destination, int32_t source)
{
    const uint32_t frame = word(planes.frame, destination);
    set_word(planes.frame, destination,
             (frame & ~word(planes.mask, source)) | word(planes.colour, source));
}

void draw_white(const Span& span, const Planes& planes)
{
    for (int32_t r = first_row(span, 0, 0); r < end_row(span, planes); ++r) {
        for (int32_t j = first_word(span); j < end_word(span, planes, span.words, 0); ++j) {
            const int32_t k = index_of(span, planes, r, j);
            set_word(planes.frame, k, word(planes.frame, k) | word(planes.mask, k));
        }
    }
}

// One row by masked copy, shifted right by shift words; the shifted row ends at the window's
// right edge and its leftmost shift words keep the frame.
void draw_row_shifted(const Span& span, const Planes& planes, int32_t r, int32_t shift)
{
    for (int32_t j = first_word(span); j < end_word(span, planes, span.words - shift, shift); ++j) {
        const int32_t k = index_of(span, planes, r, j);
        masked_copy(planes, k + shift, k);
    }
}

void draw_plain(const Span& span, const Planes& planes)
{
    for (int32_t r = first_row(span, 0, 0); r < end_row(span, planes); ++r)
        draw_row_shifted(span, planes, r, 0);
}

// A wave that moves up one row every four passes.
void draw_sway(const Span& span, const Planes& planes)
{
    for (int32_t r = first_row(span, 0, 0); r < end_row(span, planes); ++r) {
        const uint32_t phase = (composite.pass >> 2) + static_cast<uint32_t>(r);
        draw_row_shifted(span, planes, r, MSGWIN_SWAY_TABLE[phase & (MSGWIN_SWAY_ROWS - 1)]);
    }
}

// One draw per window per pass, made before its rows whatever its size, so the generator's
// sequence does not depend on where the window is.
void draw_shake(const Span& span, const Planes& planes)
{
    const int32_t draw = random_next();
    for (int32_t r = first_row(span, 0, 0); r < end_row(span, planes); ++r) {
        const int32_t v = draw >> (r & 15);
        draw_row_shifted(span, planes, r, (v & 1) + ((v >> 4) & (v >> 2) & 3));
    }
}

// Every fourth pass blurs the colour layer in place (a quarter of the word above, already
// blurred, a quarter of the word itself and a half of the word to its right, not yet), so the
// text drifts down and left and fades; every pass ORs it into the frame. The top row and the last
// word of each row are left alone.
void draw_dissolve(const Span& span, const Planes& planes)
{
    const bool blur = (composite.pass & 3) == 0;
    for (int32_t r = first_row(span, 1, 1); r < end_row(span, planes); ++r) {
        for (int32_t j = first_word(span); j < end_word(span, planes, span.words - 1, 1); ++j) {
            const int32_t k = index_of(span, planes, r, j);
            if (blur) {
                const uint32_t mixed = rgb555_half_pair(word(planes.colour, k - planes.pitch)) +
                                       rgb555_half_pair(word(planes.colour, k));
                set_word(planes.colour, k,
                         rgb555_half_pair(mixed) + rgb555_half_pair(word(planes.colour, k + 1)));
            }
            set_word(planes.frame, k, word(planes.frame, k) | word(planes.colour, k));
        }
    }
}

// Adds the colour layer, ANDed with the tint, to the frame with saturation; the mask is not used,
// so every word of the rectangle loses the lowest bit of each channel.
void draw_add(const Span& span, const Planes& planes, uint32_t tint)
{
    for (int32_t r = first_row(span, 0, 0); r < end_row(span, planes); ++r) {
        for (int32_t j = first_word(span); j < end_word(span, planes, span.words, 0); ++j) {
            const int32_t k = index_of(span, planes, r, j);
            set_word(
                planes.frame, k,
                rgb555_add_saturate_pair(word(planes.colour, k) & tint, word(planes.frame, k)));
        }
    }
}

// Rows whose number modulo 8 is at most the counter; the counter grows every fourth pass.
void draw_blinds(const Span& span, const Planes& planes, MessageWindow& record)
{
    for (int32_t r = first_row(span, 0, 0); r < end_row(span, planes); ++r) {
        if ((r & 7) <= record.counter)
            draw_row_shifted(span, planes, r, 0);
    }
    if ((composite.pass & 3) == 0 && record.counter < MSGWIN_BLINDS_COUNTER_MAX)
        ++record.counter;
}

// The tint grows a step in every channel per pass; once a step carries into bit 31 it is full.
void draw_fade_in(const Span& span, const Planes& planes, MessageWindow& record)
{
    record.tint += MSGWIN_TINT_STEP;
    if (record.tint & 0x80000000u)
        record.tint = MSGWIN_TINT_FULL;
    draw_add(span, planes, record.tint);
}

void draw_window(MessageWindow& record, const Planes& planes)
{
    const Span span{record.y, record.x >> 1, record.height, record.width >> 1};
    switch (record.flags & MSGWIN_EFFECT_MASK) {
    case MSGWIN_FX_WHITE:
        draw_white(span, planes);
        break;
    case MSGWIN_FX_PLAIN:
        draw_plain(span, planes);
        break;
    case MSGWIN_FX_SWAY:
        draw_sway(span, planes);
        break;
    case MSGWIN_FX_DISSOLVE:
        draw_dissolve(span, planes);
        break;
    case MSGWIN_FX_ADD:
        draw_add(span, planes, record.tint);
        break;
    case MSGWIN_FX_SHAKE:
        draw_shake(span, planes);
        break;
    case MSGWIN_FX_BLINDS:
        draw_blinds(span, planes, record);
        break;
    case MSGWIN_FX_FADE_IN:
        draw_fade_in(span, planes, record);
        break;
    default:
        break; // codes 8 to 255 draw nothing
    }
}

} // namespace

void msgwin_composite()
{
    ++composite.pass;
    MessageWindow* windows = text_windows();
    if (!windows)
        return;
    const Planes planes{surface_current_pixels(), surface_slot_pixels(text_colour_layer()),
                        surface_slot_pixels(text_mask_layer()), surface_width() >> 1,
                        surface_height()};
    // In index order, so a higher window is drawn over a lower one.
    for (int32_t i = 0; i < MSGWIN_COUNT; ++i) {
        MessageWindow& record = windows[i];
        if (record.id != MSGWIN_FREE && !(record.flags & MSGWIN_HIDDEN))
            draw_window(record, planes);
    }
}

uint32_t msgwin_pass_count()
{
    return composite.pass;
}

void msgwin_reset_passes()
{
    composite.pass = 0;
}
