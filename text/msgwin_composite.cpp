#include <algorithm>
#include <cstddef>

#include "platform/pixel.h"
#include "platform/pixel_sse2.h"
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

// The window row that lies on surface row row. A window may be anywhere, so the difference is
// taken in 64 bits; as a loop bound it is then cut to 32 bits, which changes no row drawn.
int32_t window_row(const Span& span, int32_t row)
{
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{row} - span.top, INT32_MIN, INT32_MAX));
}

// Window rows from first on that lie on the surface (and, with above, whose row above does too).
int32_t first_row(const Span& span, int32_t first, int32_t above)
{
    return clamp_low(first, window_row(span, above));
}

int32_t end_row(const Span& span, const Planes& planes)
{
    return clamp_high(span.rows, window_row(span, planes.rows));
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

// The words from first to end, none when end is not past first: for a window far off the
// surface the two can lie 2^31 words apart.
int32_t word_count(int32_t first, int32_t end)
{
    return end > first ? end - first : 0;
}

int32_t index_of(const Span& span, const Planes& planes, int32_t r, int32_t j)
{
    return (span.top + r) * planes.pitch + span.column + j;
}

// The row kernels: words words of a row from the given first words of each plane. Each runs four
// words at a time with SSE2 where the compiler offers it, and word by word for the rest (and
// everywhere without SSE2); both ways compute every word alike.

// frame |= mask.
void row_white(Pixel* frame, const Pixel* mask, int32_t words)
{
    int32_t j = 0;
#ifdef __SSE2__
    for (; j + RGB555_SSE2_WORDS <= words; j += RGB555_SSE2_WORDS)
        rgb555_store8(frame + 2 * j,
                      _mm_or_si128(rgb555_load8(frame + 2 * j), rgb555_load8(mask + 2 * j)));
#endif
    for (; j < words; ++j)
        set_word(frame, j, word(frame, j) | word(mask, j));
}

// The masked copy: frame = (frame AND NOT mask) OR colour.
void row_masked_copy(Pixel* frame, const Pixel* colour, const Pixel* mask, int32_t words)
{
    int32_t j = 0;
#ifdef __SSE2__
    for (; j + RGB555_SSE2_WORDS <= words; j += RGB555_SSE2_WORDS)
        rgb555_store8(frame + 2 * j, _mm_or_si128(_mm_andnot_si128(rgb555_load8(mask + 2 * j),
                                                                   rgb555_load8(frame + 2 * j)),
                                                  rgb555_load8(colour + 2 * j)));
#endif
    for (; j < words; ++j)
        set_word(frame, j, (word(frame, j) & ~word(mask, j)) | word(colour, j));
}

// The dissolve's blur of one colour-layer word from the word above it, itself and the word to its
// right: a quarter, a quarter and a half.
uint32_t dissolve_blur(uint32_t above, uint32_t self, uint32_t right)
{
    return rgb555_half_pair(rgb555_half_pair(above) + rgb555_half_pair(self)) +
           rgb555_half_pair(right);
}

// With blur, each colour word is blurred in place first; word j + 1 is read before it is
// written, as the word loop reads it, because each step stores only the words it has finished.
// Then frame |= colour.
void row_dissolve(Pixel* frame, Pixel* colour, const Pixel* above, int32_t words, bool blur)
{
    int32_t j = 0;
#ifdef __SSE2__
    for (; j + RGB555_SSE2_WORDS <= words; j += RGB555_SSE2_WORDS) {
        __m128i self = rgb555_load8(colour + 2 * j);
        if (blur) {
            const __m128i mixed =
                _mm_add_epi32(rgb555_half8(rgb555_load8(above + 2 * j)), rgb555_half8(self));
            self =
                _mm_add_epi32(rgb555_half8(mixed), rgb555_half8(rgb555_load8(colour + 2 * j + 2)));
            rgb555_store8(colour + 2 * j, self);
        }
        rgb555_store8(frame + 2 * j, _mm_or_si128(rgb555_load8(frame + 2 * j), self));
    }
#endif
    for (; j < words; ++j) {
        if (blur)
            set_word(colour, j,
                     dissolve_blur(word(above, j), word(colour, j), word(colour, j + 1)));
        set_word(frame, j, word(frame, j) | word(colour, j));
    }
}

// frame = frame + (colour AND tint), each channel saturating.
void row_add(Pixel* frame, const Pixel* colour, uint32_t tint, int32_t words)
{
    int32_t j = 0;
#ifdef __SSE2__
    const __m128i tints = rgb555_word_constant8(tint);
    for (; j + RGB555_SSE2_WORDS <= words; j += RGB555_SSE2_WORDS)
        rgb555_store8(frame + 2 * j,
                      rgb555_add_saturate8(_mm_and_si128(rgb555_load8(colour + 2 * j), tints),
                                           rgb555_load8(frame + 2 * j)));
#endif
    for (; j < words; ++j)
        set_word(frame, j, rgb555_add_saturate_pair(word(colour, j) & tint, word(frame, j)));
}

// Where a plane's row r of the window starts at window word j.
Pixel* at_word(Pixel* plane, const Span& span, const Planes& planes, int32_t r, int32_t j)
{
    return plane + 2 * static_cast<std::ptrdiff_t>(index_of(span, planes, r, j));
}

void draw_white(const Span& span, const Planes& planes)
{
    const int32_t first = first_word(span);
    const int32_t words = word_count(first, end_word(span, planes, span.words, 0));
    for (int32_t r = first_row(span, 0, 0); r < end_row(span, planes) && words > 0; ++r)
        row_white(at_word(planes.frame, span, planes, r, first),
                  at_word(planes.mask, span, planes, r, first), words);
}

// One row by masked copy, shifted right by shift words; the shifted row ends at the window's
// right edge and its leftmost shift words keep the frame.
void draw_row_shifted(const Span& span, const Planes& planes, int32_t r, int32_t shift)
{
    const int32_t first = first_word(span);
    const int32_t words = word_count(first, end_word(span, planes, span.words - shift, shift));
    if (words > 0)
        row_masked_copy(at_word(planes.frame, span, planes, r, first + shift),
                        at_word(planes.colour, span, planes, r, first),
                        at_word(planes.mask, span, planes, r, first), words);
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
    const int32_t first = first_word(span);
    const int32_t words = word_count(first, end_word(span, planes, span.words - 1, 1));
    for (int32_t r = first_row(span, 1, 1); r < end_row(span, planes) && words > 0; ++r)
        row_dissolve(at_word(planes.frame, span, planes, r, first),
                     at_word(planes.colour, span, planes, r, first),
                     at_word(planes.colour, span, planes, r - 1, first), words, blur);
}

// Adds the colour layer, ANDed with the tint, to the frame with saturation; the mask is not used,
// so every word of the rectangle loses the lowest bit of each channel.
void draw_add(const Span& span, const Planes& planes, uint32_t tint)
{
    const int32_t first = first_word(span);
    const int32_t words = word_count(first, end_word(span, planes, span.words, 0));
    for (int32_t r = first_row(span, 0, 0); r < end_row(span, planes) && words > 0; ++r)
        row_add(at_word(planes.frame, span, planes, r, first),
                at_word(planes.colour, span, planes, r, first), tint, words);
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
