// The message-window composite written plainly, as a reference for msgwin_composite: word by word
// over each window's rectangle, every word checked against the surface on its own, the effects
// as text/msgwin.h states them. It works on copies of the planes and of the window table.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/pixel.h"
#include "text/msgwin.h"
#include "text/text.h"

struct PlainPlanes {
    std::vector<Pixel> frame;
    std::vector<Pixel> colour;
    std::vector<Pixel> mask;
    int32_t pitch; // words per row
    int32_t rows;
};

namespace plain {

// Rows shift right by this many words along the wave, which moves a row every fourth pass.
constexpr int32_t SWAY_WAVE[8] = {0, 1, 2, 2, 3, 2, 2, 1};

inline uint32_t word(const std::vector<Pixel>& plane, int32_t k)
{
    return rgb555_load_pair(&plane[2 * static_cast<size_t>(k)]);
}

inline void set_word(std::vector<Pixel>& plane, int32_t k, uint32_t value)
{
    rgb555_store_pair(&plane[2 * static_cast<size_t>(k)], value);
}

// One pass of window w; pass is the pass counter after its increment, draw the generator's next
// draw (used by the shake alone).
inline void composite_window(PlainPlanes& p, MessageWindow& w, uint32_t pass, int32_t draw)
{
    const int32_t column = w.x >> 1;
    const int32_t words = w.width >> 1;
    const int32_t effect = w.flags & MSGWIN_EFFECT_MASK;
    if (effect == MSGWIN_FX_FADE_IN) {
        w.tint += 0x04210421;
        if (w.tint & 0x80000000u)
            w.tint = 0x7FFF7FFF;
    }
    for (int32_t r = 0; r < w.height; ++r) {
        const int32_t row = w.y + r;
        if (row < 0 || row >= p.rows)
            continue;
        int32_t shift = 0;
        if (effect == MSGWIN_FX_SWAY)
            shift = SWAY_WAVE[((pass >> 2) + static_cast<uint32_t>(r)) & 7];
        if (effect == MSGWIN_FX_SHAKE) {
            const int32_t v = draw >> (r & 15);
            shift = (v & 1) + ((v >> 4) & (v >> 2) & 3);
        }
        if (effect == MSGWIN_FX_BLINDS && (r & 7) > w.counter)
            continue;
        if (effect == MSGWIN_FX_DISSOLVE && (r < 1 || row < 1))
            continue;
        const bool copies = effect == MSGWIN_FX_PLAIN || effect == MSGWIN_FX_SWAY ||
                            effect == MSGWIN_FX_SHAKE || effect == MSGWIN_FX_BLINDS;
        // The dissolve reads the word to the right; the copies write shift words to the right.
        const int32_t reach = effect == MSGWIN_FX_DISSOLVE ? 1 : shift;
        for (int32_t j = 0; j < words - reach; ++j) {
            if (column + j < 0 || column + j + reach >= p.pitch)
                continue;
            const int32_t k = row * p.pitch + column + j;
            if (effect == MSGWIN_FX_WHITE) {
                set_word(p.frame, k, word(p.frame, k) | word(p.mask, k));
            } else if (copies) {
                set_word(p.frame, k + shift,
                         (word(p.frame, k + shift) & ~word(p.mask, k)) | word(p.colour, k));
            } else if (effect == MSGWIN_FX_DISSOLVE) {
                if ((pass & 3) == 0) {
                    const uint32_t mixed = rgb555_half_pair(word(p.colour, k - p.pitch)) +
                                           rgb555_half_pair(word(p.colour, k));
                    set_word(p.colour, k,
                             rgb555_half_pair(mixed) + rgb555_half_pair(word(p.colour, k + 1)));
                }
                set_word(p.frame, k, word(p.frame, k) | word(p.colour, k));
            } else if (effect == MSGWIN_FX_ADD || effect == MSGWIN_FX_FADE_IN) {
                set_word(p.frame, k,
                         rgb555_add_saturate_pair(word(p.colour, k) & w.tint, word(p.frame, k)));
            }
        }
    }
    if (effect == MSGWIN_FX_BLINDS && (pass & 3) == 0 && w.counter < 16)
        ++w.counter;
}

} // namespace plain
