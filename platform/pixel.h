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
constexpr uint32_t RGB555_HALF_MASK = 0x3DEF3DEF;  // each channel after a one-bit right shift
constexpr uint32_t RGB555_ADD_MASK = 0x7BDE7BDE;   // each channel without its lowest bit
constexpr uint32_t RGB555_CARRY_MASK = 0x84208420; // the bit just above each channel

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
