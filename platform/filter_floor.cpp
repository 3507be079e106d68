#include "platform/filter_floor.h"

#include "platform/pixel.h"
#include "platform/surface.h"
#include "platform/texture.h"

namespace {

constexpr int32_t FLOOR_TEXTURE_MASK = (1 << FLOOR_TEXTURE_LOG2) - 1;

// Row r of the floor lies b = FLOOR_TOP_DISTANCE + r rows below the horizon. Distance into the
// picture falls as 1 / b, so rows further down show fewer texels per screen width.
constexpr int32_t FLOOR_TOP_DISTANCE = 20;
// The texture row at b is FLOOR_ROW_SCALE * (FLOOR_ROW_ZERO - b) / (b - FLOOR_ROW_POLE): rows
// crowd together toward the top of the floor, and row 0 lies at b = FLOOR_ROW_ZERO.
constexpr int32_t FLOOR_ROW_SCALE = 32;
constexpr int32_t FLOOR_ROW_ZERO = 138;
constexpr int32_t FLOOR_ROW_POLE = 10;
// Texture columns in 24.8 fixed point. The row at b spans FLOOR_COLUMN_SCALE * W / b columns
// either side of column 0, from right to left.
constexpr int32_t FLOOR_COLUMN_SHIFT = 8;
constexpr int32_t FLOOR_COLUMN_SCALE = 16;

struct FloorRow {
    int32_t texture_row;
    int32_t u;  // texture column of the row's first pixel, 24.8
    int32_t du; // per pixel to the right, 24.8
};

// Two divisions per row, so the pixel loop only adds and shifts.
FloorRow floor_row(int32_t b, int32_t width)
{
    const int32_t v = FLOOR_ROW_SCALE * (FLOOR_ROW_ZERO - b) / (b - FLOOR_ROW_POLE);
    return {v & FLOOR_TEXTURE_MASK, (FLOOR_COLUMN_SCALE * width << FLOOR_COLUMN_SHIFT) / b,
            -(2 * FLOOR_COLUMN_SCALE << FLOOR_COLUMN_SHIFT) / b};
}

void floor_draw_row(Pixel* out, int32_t width, const Pixel* texels, FloorRow row)
{
    const Pixel* texture_row = texels + (row.texture_row << FLOOR_TEXTURE_LOG2);
    int32_t u = row.u;
    for (int32_t x = 0; x < width; ++x) {
        // Arithmetic shift: columns left of 0 wrap round to the right edge of the texture.
        out[x] = texture_row[(u >> FLOOR_COLUMN_SHIFT) & FLOOR_TEXTURE_MASK];
        u += row.du;
    }
}

} // namespace

void filter_floor()
{
    // The mask of every look-up assumes exactly 128 x 128 texels; anything else would be read
    // outside its block.
    const Pixel* texels = tex_pixels(FLOOR_TEXTURE_SLOT);
    if (!texels || tex_log2_width(FLOOR_TEXTURE_SLOT) != FLOOR_TEXTURE_LOG2 ||
        tex_log2_height(FLOOR_TEXTURE_SLOT) != FLOOR_TEXTURE_LOG2)
        return;
    const int32_t width = surface_width();
    const int32_t third = surface_height() / 3;
    Pixel* out = surface_current_pixels() + 2 * third * width;
    for (int32_t r = 0; r < third; ++r)
        floor_draw_row(out + r * width, width, texels, floor_row(FLOOR_TOP_DISTANCE + r, width));
}
