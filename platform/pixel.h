// RGB555 pixels: red in bits 14-10, green in bits 9-5, blue in bits 4-0, bit 15 not shown.
// Only the surface, the rasteriser, the filters and the compositor know this layout; everything
// above them deals in packets, vertices and rectangles.
//
// Loops that handle two pixels at once read a 32-bit word whose low half is the pixel at the
// lower address (the left one) and whose high half is its right-hand neighbour.
#pragma once

#include <cstdint>
#include <cstring>

using Pixel = uint16_t;

constexpr int RGB555_CHANNEL_BITS = 5;
constexpr uint32_t RGB555_CHANNEL_MAX = (1u << RGB555_CHANNEL_BITS) - 1;

// Packs three 5-bit channels; only the low five bits of each are used.
constexpr Pixel rgb555_from_rgb5(uint32_t red, uint32_t green, uint32_t blue)
{
    return static_cast<Pixel>(((red & RGB555_CHANNEL_MAX) << (2 * RGB555_CHANNEL_BITS)) |
                              ((green & RGB555_CHANNEL_MAX) << RGB555_CHANNEL_BITS) |
                              (blue & RGB555_CHANNEL_MAX));
}

// The same pixel in both halves of a word.
constexpr uint32_t rgb555_pair(Pixel pixel)
{
    return (static_cast<uint32_t>(pixel) << 16) | pixel;
}

// Word access to two neighbouring pixels; memcpy keeps it free of aliasing and alignment traps
// and compiles to one load or store.
inline uint32_t rgb555_load_pair(const Pixel* at)
{
    uint32_t pair;
    std::memcpy(&pair, at, sizeof pair);
    return pair;
}

inline void rgb555_store_pair(Pixel* at, uint32_t pair)
{
    std::memcpy(at, &pair, sizeof pair);
}

// Channel-parallel masks for two pixels in a word.
constexpr uint32_t RGB555_HALF_MASK = 0x3DEF3DEF;        // each channel after a one-bit right shift
constexpr uint32_t RGB555_ADD_MASK = 0x7BDE7BDE;         // each channel without its lowest bit
constexpr uint32_t RGB555_CARRY_MASK = 0x84208420;       // the bit just above each channel
constexpr uint32_t RGB555_LOW_CHANNEL_MASK = 0x001F001F; // the lowest channel of each pixel

// Halves every channel of both pixels, dropping each channel's lowest bit.
constexpr uint32_t rgb555_half_pair(uint32_t pair)
{
    return (pair >> 1) & RGB555_HALF_MASK;
}

// Adds two pixel pairs channel by channel, each channel saturating at 31. The lowest bit of
// every channel is dropped first so that each sum fits in six bits; the sixth bit, the carry,
// then fills its channel with ones (and stays set in the result).
constexpr uint32_t rgb555_add_saturate_pair(uint32_t a, uint32_t b)
{
    const uint32_t sum = (a & RGB555_ADD_MASK) + (b & RGB555_ADD_MASK);
    const uint32_t carry = sum & RGB555_CARRY_MASK;
    return sum | (carry - (carry >> 5));
}

// One pixel of rgb555_add_saturate_pair: the carry bits stay in it too, so a red overflow leaves
// bit 15 set and a green or blue one the lowest bit of the channel above.
constexpr Pixel rgb555_add_saturate(Pixel a, Pixel b)
{
    return static_cast<Pixel>(rgb555_add_saturate_pair(a, b));
}

// The 50% blend of two pixels: each halved per channel, lowest bits dropped, then added.
constexpr Pixel rgb555_blend_half(Pixel a, Pixel b)
{
    return static_cast<Pixel>(rgb555_half_pair(a) + rgb555_half_pair(b));
}

// An RGB555 pixel from three 8-bit channels held at 128 times their value (8.7 fixed point): the
// top five bits of each, which for red already sit in the red field.
constexpr Pixel rgb555_from_rgb8_fx7(uint32_t red, uint32_t green, uint32_t blue)
{
    constexpr uint32_t field = RGB555_CHANNEL_MAX << (2 * RGB555_CHANNEL_BITS);
    return static_cast<Pixel>((red & field) | ((green & field) >> RGB555_CHANNEL_BITS) |
                              ((blue & field) >> (2 * RGB555_CHANNEL_BITS)));
}

// 8-bit channels placed in 32-bit words so that one mask picks each channel's top four bits and
// one shift moves all three to the top of their RGB555 fields: the channel's lowest bit at bit
// 23 (red), 18 (green) or 13 (blue).
constexpr int RGB8_PLACED_RED_LOW = 23;
constexpr int RGB8_PLACED_GREEN_LOW = 18;
constexpr int RGB8_PLACED_BLUE_LOW = 13;
constexpr uint32_t RGB8_PLACED_RED_TOP4 = 0x78000000;
constexpr uint32_t RGB8_PLACED_GREEN_TOP4 = 0x03C00000;
constexpr uint32_t RGB8_PLACED_BLUE_TOP4 = 0x001E0000;
constexpr int RGB8_PLACED_TO_RGB555_SHIFT = 16;
static_assert(RGB8_PLACED_RED_TOP4 == 0xFu << (RGB8_PLACED_RED_LOW + 4));
static_assert(RGB8_PLACED_GREEN_TOP4 == 0xFu << (RGB8_PLACED_GREEN_LOW + 4));
static_assert(RGB8_PLACED_BLUE_TOP4 == 0xFu << (RGB8_PLACED_BLUE_LOW + 4));

// The top four bits of three placed channels in the upper four bits of their RGB555 fields, each
// field's lowest bit 0, the bit that the saturating addition drops anyway.
constexpr Pixel rgb555_from_placed_rgb8_top4(uint32_t red, uint32_t green, uint32_t blue)
{
    return static_cast<Pixel>(((red & RGB8_PLACED_RED_TOP4) | (green & RGB8_PLACED_GREEN_TOP4) |
                               (blue & RGB8_PLACED_BLUE_TOP4)) >>
                              RGB8_PLACED_TO_RGB555_SHIFT);
}

// Two pixels as one word, the left one in the low half.
constexpr uint32_t rgb555_join_pair(Pixel left, Pixel right)
{
    return (static_cast<uint32_t>(right) << 16) | left;
}

// The per-channel average of two pixel pairs, rounded down: the bits they share plus half the
// bits they do not, so no channel ever carries into its neighbour.
constexpr uint32_t rgb555_average_pair(uint32_t a, uint32_t b)
{
    return (a & b) + rgb555_half_pair(a ^ b);
}

// Each pixel's red + green + blue (0..93) in its own half of the word. Every channel is shifted
// down to the lowest field and added there; 93 needs seven bits, so the sums stay inside their
// halves and bit 15, which the display ignores, takes no part.
constexpr uint32_t rgb555_channel_sum_pair(uint32_t pair)
{
    return ((pair >> (2 * RGB555_CHANNEL_BITS)) & RGB555_LOW_CHANNEL_MASK) +
           ((pair >> RGB555_CHANNEL_BITS) & RGB555_LOW_CHANNEL_MASK) +
           (pair & RGB555_LOW_CHANNEL_MASK);
}
