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
