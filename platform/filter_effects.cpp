#include "platform/filter_effects.h"

#include <array>

#include "platform/filter.h"
#include "platform/pixel.h"
#include "platform/random.h"
#include "platform/surface.h"

namespace {

constexpr int32_t FILTER_GREY_SUMS = 3 * RGB555_CHANNEL_MAX + 1;
constexpr int32_t FILTER_BLUR_PASSES = 2;

// The grey for each channel sum, so the pixel loop never divides by three.
constexpr std::array<Pixel, FILTER_GREY_SUMS> FILTER_GREY_TABLE = [] {
    std::array<Pixel, FILTER_GREY_SUMS> table{};
    for (int32_t sum = 0; sum < FILTER_GREY_SUMS; ++sum)
        table[sum] = rgb555_from_rgb5(sum / 3, sum / 3, sum / 3);
    return table;
}();

uint32_t word(const Pixel* pixels, int32_t i)
{
    return rgb555_load_pair(pixels + 2 * i);
}

void set_word(Pixel* pixels, int32_t i, uint32_t value)
{
    rgb555_store_pair(pixels + 2 * i, value);
}

// Both sums come from one pass over the word: the left pixel's in the low half.
uint32_t grey_pair(uint32_t pair)
{
    const uint32_t sums = rgb555_channel_sum_pair(pair);
    return rgb555_join_pair(FILTER_GREY_TABLE[static_cast<uint16_t>(sums)],
                            FILTER_GREY_TABLE[sums >> 16]);
}

// Upward and in place: words i + 1 and i + R still hold this pass's input when word i is made.
// The last row's reads reach the guard row below it.
void blur_pass(Pixel* pixels, int32_t words, int32_t row_words)
{
    for (int32_t i = 0; i < words; ++i) {
        const uint32_t below_and_self =
            rgb555_half_pair(word(pixels, i + row_words)) + rgb555_half_pair(word(pixels, i));
        set_word(pixels, i,
                 rgb555_half_pair(below_and_self) + rgb555_half_pair(word(pixels, i + 1)));
    }
}

} // namespace

void filter_invert()
{
    Pixel* pixels = surface_current_pixels();
    const int32_t words = filter_frame_words();
    for (int32_t i = 0; i < words; ++i)
        set_word(pixels, i, ~word(pixels, i));
}

void filter_xor_smear()
{
    Pixel* pixels = surface_current_pixels();
    const int32_t last = surface_height() * surface_width() - 1;
    for (int32_t i = 0; i < last; ++i)
        pixels[i] ^= pixels[i + 1];
}

void filter_grey()
{
    Pixel* pixels = surface_current_pixels();
    const int32_t words = filter_frame_words();
    for (int32_t i = 0; i < words; ++i)
        set_word(pixels, i, grey_pair(word(pixels, i)));
}

void filter_noise()
{
    Pixel* pixels = surface_current_pixels();
    const int32_t words = filter_frame_words();
    // A draw is at most 0x7FFF, so it lands in the left pixel of each pair alone.
    for (int32_t i = 0; i < words; ++i)
        set_word(pixels, i, word(pixels, i) | static_cast<uint32_t>(random_next()));
}

void filter_blur()
{
    Pixel* pixels = surface_current_pixels();
    const int32_t words = filter_frame_words();
    for (int32_t pass = 0; pass < FILTER_BLUR_PASSES; ++pass)
        blur_pass(pixels, words, surface_width() >> 1);
}
