#include "host/web/web_rgba.h"

#include <wasm_simd128.h>

#include <cstddef>

#include "tools/capture/png_writer.h"

namespace {

constexpr int32_t RGB5_MAX = 31;
constexpr uint32_t RGBA_OPAQUE = 0xFF000000;
// Pixels a 128-bit vector holds.
constexpr int32_t RGBA_LANES = 8;

uint32_t web_rgba_pixel(uint16_t pixel)
{
    return RGBA_OPAQUE | rgb888_channel_from_rgb5(pixel >> 10 & RGB5_MAX) |
           rgb888_channel_from_rgb5(pixel >> 5 & RGB5_MAX) << 8 |
           static_cast<uint32_t>(rgb888_channel_from_rgb5(pixel & RGB5_MAX)) << 16;
}

// rgb888_channel_from_rgb5 in each 16-bit lane.
v128_t web_widen8(v128_t channel)
{
    return wasm_v128_or(wasm_i16x8_shl(channel, 3), wasm_u16x8_shr(channel, 2));
}

// Eight pixels: the channels apart in 16-bit lanes, red with green above it and blue with the
// opaque alpha above it, then the two interleaved into four bytes a pixel.
void web_rgba_pixels8(uint32_t* out, const uint16_t* in)
{
    const v128_t pixels = wasm_v128_load(in);
    const v128_t field = wasm_i16x8_splat(RGB5_MAX);
    const v128_t red = web_widen8(wasm_v128_and(wasm_u16x8_shr(pixels, 10), field));
    const v128_t green = web_widen8(wasm_v128_and(wasm_u16x8_shr(pixels, 5), field));
    const v128_t blue = web_widen8(wasm_v128_and(pixels, field));
    const v128_t red_green = wasm_v128_or(red, wasm_i16x8_shl(green, 8));
    const v128_t blue_alpha = wasm_v128_or(blue, wasm_i16x8_splat(static_cast<int16_t>(0xFF00)));
    wasm_v128_store(out, wasm_i16x8_shuffle(red_green, blue_alpha, 0, 8, 1, 9, 2, 10, 3, 11));
    wasm_v128_store(out + 4, wasm_i16x8_shuffle(red_green, blue_alpha, 4, 12, 5, 13, 6, 14, 7, 15));
}

} // namespace

void web_rgba_from_rgb555(uint32_t* out, const uint16_t* pixels, int32_t pitch, int32_t width,
                          int32_t height)
{
    for (int32_t y = 0; y < height; ++y) {
        const uint16_t* row = pixels + static_cast<size_t>(y) * pitch;
        int32_t x = 0;
        for (; x + RGBA_LANES <= width; x += RGBA_LANES)
            web_rgba_pixels8(out + x, row + x);
        for (; x < width; ++x)
            out[x] = web_rgba_pixel(row[x]);
        out += width;
    }
}
