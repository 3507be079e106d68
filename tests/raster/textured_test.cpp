// Textured polygons: texel reads that wrap in both directions, the row stride of a texture that
// is not square, and the slots that cannot be drawn from (the blends are the span test's). A span's
// texel column is ((left u << E) >> 8 + i x (((right u - left u) / count) >> (8 - E))) >> 8,
// masked to the texture, and likewise for rows.
#include "raster/textured.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/texture.h"
#include "tests/support/raster_canvas.h"

namespace {

class TexturedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tex_init();
    }

    void TearDown() override
    {
        tex_free_all();
    }

    // A texture whose texel at (column, row) is row x 2^E + column + 1: each says where it is.
    static int32_t numbered_texture(int32_t log2_width, int32_t log2_height)
    {
        const int32_t slot = tex_create(log2_width, log2_height);
        for (int32_t i = 0; i < (1 << (log2_width + log2_height)); ++i)
            tex_pixels(slot)[i] = static_cast<Pixel>(i + 1);
        return slot;
    }
};

// The quad (0, 0), (w, 0), (w, h), (0, h) over a numbered texture: the texel each pixel reads,
// row by row.
TEST_F(TexturedTest, TexelReadsWrapAndFollowTheStrideAndTheLeftFraction)
{
    struct Row {
        int32_t log2_width, log2_height, w, h;
        int32_t uv[8];               // u, v at each corner in turn
        std::vector<int32_t> texels; // row by row
    };
    const Row rows[] = {
        // 16 x 16 texels, four pixels a row over 64 units: du = 16384 / 4 = 4096, dtu = 4096 >>
        // 4 = 256, one texel per pixel. Left u 256 starts at (65536 << 4) >> 8 = 4096, column 16
        // AND 15 = 0, as u = 0 does; left u -1 starts at -16, column -1 AND 15 = 15.
        {4, 4, 4, 1, {0, 0, 64, 0, 64, 0, 0, 0}, {0, 1, 2, 3, 0, 1, 2, 3}},
        {4, 4, 4, 1, {256, 0, 320, 0, 320, 0, 256, 0}, {0, 1, 2, 3, 0, 1, 2, 3}},
        {4, 4, 4, 1, {-1, 0, 63, 0, 63, 0, -1, 0}, {15, 0, 1, 2, 15, 0, 1, 2}},
        // 4 x 2 texels, v from 0 to 256 over rows 0..3: each side steps 65536 / 4 = 16384 per
        // row, tv = 16384 r << 1 >> 8 = 128 r, so rows 0, 1 read texel row 0 and rows 2, 3 texel
        // row 1, 2^2 texels on. u from 256 to 512 over four pixels starts at (65536 << 2) >> 8 =
        // 1024 and steps 16384 >> 6 = 256: columns 4 to 7, wrapped to 0 to 3.
        {2,
         1,
         4,
         3,
         {256, 0, 512, 0, 512, 256, 256, 256},
         {0, 1, 2, 3, 0, 1, 2, 3, 4, 5, 6, 7, 4, 5, 6, 7}},
        // 256 x 1 texels, so a texel is one unit of u. On row 1 the left side has stepped (1 x
        // 256) / 2 = 128, half a texel, and the right side 640; du = 512 / 4 = 128. The columns
        // are (128 + 128 i) >> 8 = 0, 1, 1, 2, where row 0, from 0, reads 0, 0, 1, 1.
        {8, 0, 4, 1, {0, 0, 2, 0, 3, 0, 1, 0}, {0, 0, 1, 1, 0, 1, 1, 2}},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Row& r = rows[i];
        tex_free_all();
        const int32_t slot = numbered_texture(r.log2_width, r.log2_height);
        RasterCanvas canvas(64, 32);
        const auto t = [&](int k) { return TexCoordEntry{r.uv[2 * k], r.uv[2 * k + 1], {}}; };
        raster_tex_quad(canvas.target(), screen_vertex(0, 0), screen_vertex(r.w, 0),
                        screen_vertex(r.w, r.h), screen_vertex(0, r.h), t(0), t(1), t(2), t(3),
                        slot);
        std::vector<PixelRun> runs;
        for (int32_t row = 0; row <= r.h; ++row) {
            runs.emplace_back(row, 0, r.w);
            for (int32_t x = 0; x < r.w; ++x)
                EXPECT_EQ(canvas.at(x, row), r.texels[row * r.w + x] + 1)
                    << i << ": " << x << ", " << row;
        }
        EXPECT_EQ(canvas.runs(), runs) << i;
    }
}

TEST_F(TexturedTest, SlotsWithoutADrawableTextureDrawNothing)
{
    // Over a background no texel here has, so that any write shows. Slot 3 is empty; a texture
    // 512 texels wide or high is beyond the span arithmetic.
    RasterCanvas canvas(64, 32, 0x1234);
    const auto draw = [&](int32_t slot) {
        raster_tex_quad(canvas.target(), screen_vertex(0, 0), screen_vertex(8, 0),
                        screen_vertex(8, 8), screen_vertex(0, 8), {0, 0, {}}, {256, 0, {}},
                        {256, 256, {}}, {0, 256, {}}, slot);
    };
    draw(3);
    for (const auto& [log2_width, log2_height] : {std::pair{9, 0}, std::pair{0, 9}}) {
        const int32_t slot = tex_create(log2_width, log2_height);
        ASSERT_GE(slot, 0);
        std::fill_n(tex_pixels(slot), 512, Pixel{0x7FFF});
        draw(slot);
    }
    EXPECT_TRUE(canvas.runs().empty());
}

} // namespace
