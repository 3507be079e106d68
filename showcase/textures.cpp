#include "showcase/textures.h"

#include <algorithm>

#include "platform/pixel.h"
#include "platform/texture.h"
#include "scene/math.h"

namespace {

// Floor: 16-pixel stone tiles in two shades, one pixel of grout between them.
constexpr int32_t FLOOR_TILE_SHIFT = 4;
constexpr Pixel FLOOR_LIGHT = rgb555_from_rgb5(14, 12, 9);
constexpr Pixel FLOOR_DARK = rgb555_from_rgb5(8, 7, 6);
constexpr Pixel FLOOR_GROUT = rgb555_from_rgb5(3, 3, 4);
// Checker: 4-pixel squares.
constexpr int32_t CHECKER_SHIFT = 2;
constexpr Pixel CHECKER_A = rgb555_from_rgb5(31, 20, 4);
constexpr Pixel CHECKER_B = rgb555_from_rgb5(4, 10, 28);
// Brick: rows of 16 x 8 bricks, every other row shifted by half a brick.
constexpr int32_t BRICK_WIDTH = 16;
constexpr int32_t BRICK_HEIGHT = 8;
constexpr Pixel BRICK = rgb555_from_rgb5(22, 8, 5);
constexpr Pixel BRICK_MORTAR = rgb555_from_rgb5(24, 23, 20);
// Plasma: three sine waves summed, each 0..1023 around 512, in 1/1024 turns per pixel.
constexpr int32_t PLASMA_WAVE_X = 16;
constexpr int32_t PLASMA_WAVE_Y = 24;
constexpr int32_t PLASMA_WAVE_XY = 8;

using Painter = Pixel (*)(int32_t x, int32_t y);

Pixel paint_floor(int32_t x, int32_t y)
{
    constexpr int32_t tile_mask = (1 << FLOOR_TILE_SHIFT) - 1;
    if ((x & tile_mask) == 0 || (y & tile_mask) == 0)
        return FLOOR_GROUT;
    return ((x >> FLOOR_TILE_SHIFT) + (y >> FLOOR_TILE_SHIFT)) & 1 ? FLOOR_DARK : FLOOR_LIGHT;
}

Pixel paint_checker(int32_t x, int32_t y)
{
    return ((x >> CHECKER_SHIFT) + (y >> CHECKER_SHIFT)) & 1 ? CHECKER_B : CHECKER_A;
}

Pixel paint_brick(int32_t x, int32_t y)
{
    const int32_t row = y / BRICK_HEIGHT;
    const int32_t shifted = x + (row & 1) * (BRICK_WIDTH / 2);
    const bool mortar = y % BRICK_HEIGHT == 0 || shifted % BRICK_WIDTH == 0;
    return mortar ? BRICK_MORTAR : BRICK;
}

// A channel 0..31 from a sine at 512 = 1.0 (its -1.0..1.0 spread over the channel).
uint32_t plasma_channel(int32_t sine)
{
    const auto level =
        static_cast<uint32_t>(sine + FIXED_ONE) >> (FIXED_SHIFT + 1 - RGB555_CHANNEL_BITS);
    return std::min(level, RGB555_CHANNEL_MAX);
}

Pixel paint_plasma(int32_t x, int32_t y)
{
    const int32_t a = math_sin(x * PLASMA_WAVE_X) + math_sin(y * PLASMA_WAVE_Y);
    const int32_t b = math_sin((x + y) * PLASMA_WAVE_XY);
    return rgb555_from_rgb5(plasma_channel(a >> 1), plasma_channel(b), plasma_channel(math_cos(a)));
}

int32_t make_texture(int32_t log2_size, Painter paint)
{
    const int32_t slot = tex_create(log2_size, log2_size);
    if (slot < 0)
        return -1;
    Pixel* pixels = tex_pixels(slot);
    const int32_t size = 1 << log2_size;
    for (int32_t y = 0; y < size; ++y) {
        for (int32_t x = 0; x < size; ++x)
            pixels[y * size + x] = paint(x, y);
    }
    return slot;
}

} // namespace

int32_t showcase_make_textures(int32_t (&slots)[TEXTURES])
{
    struct Image {
        int32_t log2_size;
        Painter paint;
    };
    constexpr Image images[TEXTURES] = {{FLOOR_TEXTURE_LOG2, paint_floor},
                                        {TEXTURE_CHECKER_LOG2, paint_checker},
                                        {TEXTURE_BRICK_LOG2, paint_brick},
                                        {TEXTURE_PLASMA_LOG2, paint_plasma}};
    for (int32_t i = 0; i < TEXTURES; ++i) {
        slots[i] = make_texture(images[i].log2_size, images[i].paint);
        if (slots[i] < 0)
            return -1;
    }
    return 0;
}
