// The span rules of the gouraud and textured fillers, one row worked out by hand for each, since
// the plain fillers that the differential test compares with could get them wrong as well: each
// family's blend, the opaque colour packing at 8.7, a row drawn twice where an edge ends, a span
// cut at column 0 that keeps its whole length's colours and the opaque step, halved, over them;
// texel reads that wrap in both directions and follow the row stride of a texture that is not
// square, and the slots that cannot be drawn from. A span's texel column is
// ((left u << E) >> 8 + i x (((right u - left u) / count) >> (8 - E))) >> 8, masked to the
// texture, and likewise for rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/texture.h"
#include "raster/gouraud.h"
#include "raster/packet.h"
#include "raster/textured.h"
#include "tests/support/raster_canvas.h"

namespace {

constexpr ColourEntry WHITE_ENTRY = {255, 255, 255, 0};
constexpr ColourEntry BLACK_ENTRY = {0, 0, 0, 0};

Pixel rgb(uint32_t red, uint32_t green, uint32_t blue)
{
    return static_cast<Pixel>((red << 10) | (green << 5) | blue);
}

// The quad (0, 0), (w, 0), (w, h), (0, h) in one colour entry, or from a one-texel texture.
void draw_rect(int32_t code, const RasterTarget& target, int32_t w, int32_t h, const ColourEntry& c,
               Pixel texel)
{
    const ScreenVertex a = screen_vertex(0, 0), b = screen_vertex(w, 0);
    const ScreenVertex d = screen_vertex(w, h), e = screen_vertex(0, h);
    const TexCoordEntry t = {0, 0, {}};
    const int32_t slot = tex_create(0, 0);
    tex_pixels(slot)[0] = texel;
    switch (code) {
    case PACKET_GOURAUD_QUAD:
        return raster_gouraud_quad(target, a, b, d, e, c, c, c, c);
    case PACKET_GOURAUD_ADD_QUAD:
        return raster_gouraud_add_quad(target, a, b, d, e, c, c, c, c);
    case PACKET_TEX_QUAD:
        return raster_tex_quad(target, a, b, d, e, t, t, t, t, slot);
    case PACKET_TEX_ADD_QUAD:
        return raster_tex_add_quad(target, a, b, d, e, t, t, t, t, slot);
    default:
        return raster_tex_half_quad(target, a, b, d, e, t, t, t, t, slot);
    }
}

class SpanTest : public ::testing::Test {
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

// Five pixels a row, two pairs and a last pixel alone, which every blend treats alike.
TEST_F(SpanTest, EveryFamilyBlendsItsSourceWithTheFrame)
{
    const struct {
        int32_t code;
        ColourEntry colour;
        Pixel texel, background, expected;
    } rows[] = {
        // Opaque gouraud: each channel x 256, halved to 8.7, then >> 10: the top five of eight.
        {PACKET_GOURAUD_QUAD, WHITE_ENTRY, 0, 0x1234, 0x7FFF},
        {PACKET_GOURAUD_QUAD, {128, 64, 40, 0}, 0, 0x1234, rgb(16, 8, 5)},
        // Additive gouraud: the top four bits of each channel at the top of its five-bit field,
        // added to the frame's channels less their lowest bit: 30 over 0 or 1; over 2 every
        // channel saturates at 31 and the red carry sets bit 15. (128, 64, 32) gives 16, 8 and
        // 4; over (3, 5, 7), that is (2, 4, 6), it makes (18, 12, 10). Blue 4 over 30 saturates
        // and its carry sets green's lowest bit.
        {PACKET_GOURAUD_ADD_QUAD, WHITE_ENTRY, 0, 0x0000, 0x7BDE},
        {PACKET_GOURAUD_ADD_QUAD, WHITE_ENTRY, 0, 0x0421, 0x7BDE},
        {PACKET_GOURAUD_ADD_QUAD, WHITE_ENTRY, 0, 0x0842, 0xFFFF},
        {PACKET_GOURAUD_ADD_QUAD, {128, 64, 32, 0}, 0, rgb(3, 5, 7), rgb(18, 12, 10)},
        {PACKET_GOURAUD_ADD_QUAD, {0, 0, 32, 0}, 0, rgb(0, 0, 30), rgb(0, 1, 31)},
        // Textured: the texel; added like the gouraud sources; or the two averaged per channel,
        // rounding down: 31 and 0 make 15, 31 and 2 make 16.
        {PACKET_TEX_QUAD, {}, 0x1234, 0x0842, 0x1234},
        {PACKET_TEX_ADD_QUAD, {}, 0x7FFF, 0x0421, 0x7BDE},
        {PACKET_TEX_ADD_QUAD, {}, 0x7FFF, 0x0842, 0xFFFF},
        {PACKET_TEX_HALF_QUAD, {}, 0x7FFF, 0x0000, rgb(15, 15, 15)},
        {PACKET_TEX_HALF_QUAD, {}, 0x7FFF, 0x0842, rgb(16, 16, 16)},
    };
    for (const auto& row : rows) {
        RasterCanvas canvas(64, 32, row.background);
        draw_rect(row.code, canvas.target(), 5, 1, row.colour, row.texel);
        tex_free_all();
        EXPECT_EQ(canvas.runs(), (std::vector<PixelRun>{{0, 0, 5}, {1, 0, 5}})) << row.code;
        for (int32_t x = 0; x < 5; ++x) {
            EXPECT_EQ(canvas.at(x, 0), row.expected) << row.code << " over " << row.background;
            EXPECT_EQ(canvas.at(x, 1), row.expected) << row.code << " over " << row.background;
        }
    }
}

TEST_F(SpanTest, RowOnWhichAnEdgeEndsIsAddedTwice)
{
    // The right edge from (0, 0) to (8, 3) steps 2048 / 4 = 512 per row and ends on row 3; the
    // next segment, (8, 3) to (8, 4), ends on row 4, which is filled once as it ends and again
    // when the last segment, stepping -2048 / 5 = -409, starts there. (64, 64, 64) adds 8 to
    // each channel per fill.
    const ColourEntry grey = {64, 64, 64, 0};
    RasterCanvas canvas(64, 32);
    raster_gouraud_add_quad(canvas.target(), screen_vertex(0, 0), screen_vertex(8, 3),
                            screen_vertex(8, 4), screen_vertex(0, 8), grey, grey, grey, grey);
    // The right side's end column on rows 1 to 8.
    const int32_t ends[] = {2, 4, 6, 8, 6, 4, 3, 1};
    std::vector<PixelRun> runs;
    for (int32_t row = 1; row <= 8; ++row)
        runs.emplace_back(row, 0, ends[row - 1]);
    EXPECT_EQ(canvas.runs(), runs);
    for (int32_t row = 1; row <= 8; ++row)
        EXPECT_EQ(canvas.at(0, row), row == 4 ? rgb(16, 16, 16) : rgb(8, 8, 8)) << row;
}

TEST_F(SpanTest, SpanCutAtColumnZeroKeepsTheColoursOfItsWholeLength)
{
    // A bow-tie that the clipper leaves whole: (0, 0), (1, 1), (15, 0), (3, 3) once the two
    // passes have turned it round, red 0, 0, 40 and 255. Edge 0 leans left (slope 256 / 2 = 128
    // against 768 / 4 = 192) and turns at (1, 1) and (15, 0) before any pixel is filled; only
    // row 3 has a span. There the left side, from (15, 0) to (3, 3) at -3072 / 4 = -768 per row,
    // is at -512 with red 2 x 0 + (215 x 256) / 4 = 13760, the right side at 576 with red
    // 3 x 65280 / 4 = 48960. The span covers columns -2 to 1: red steps (35200 >> 1) / 4 = 4400
    // from 13760 >> 1 = 6880, so column 0, the third pixel, is red 15680 >> 10 = 15 and column 1
    // red 20080 >> 10 = 19.
    RasterCanvas canvas(16, 8);
    raster_gouraud_quad(canvas.target(), screen_vertex(15, 0), screen_vertex(3, 3),
                        screen_vertex(0, 0), screen_vertex(1, 1), {40, 0, 0, 0}, {255, 0, 0, 0},
                        BLACK_ENTRY, BLACK_ENTRY);
    EXPECT_EQ(canvas.runs(), (std::vector<PixelRun>{{3, 0, 2}}));
    EXPECT_EQ(canvas.at(0, 3), rgb(15, 0, 0));
    EXPECT_EQ(canvas.at(1, 3), rgb(19, 0, 0));
}

// The quad (0, 0), (w, 0), (w, h), (0, h) over a numbered texture: the texel each pixel reads,
// row by row.
TEST_F(SpanTest, TexelReadsWrapAndFollowTheStrideAndTheLeftFraction)
{
    struct Row {
        int32_t log2_width, log2_height, w, h;
        int32_t uv[8];               // u, v at each corner in turn
        std::vector<int32_t> texels; // row by row
    };
    const Row rows[] = {
        // clang-format off
        // 16 x 16 texels, four pixels a row over 64 units: du = 16384 / 4 = 4096, dtu = 4096 >>
        // 4 = 256, one texel per pixel. Left u 256 starts at (65536 << 4) >> 8 = 4096, column 16
        // AND 15 = 0; left u -1 starts at -16, column -1 AND 15 = 15.
        {4, 4, 4, 1, {256, 0, 320, 0, 320, 0, 256, 0}, {0, 1, 2, 3, 0, 1, 2, 3}},
        {4, 4, 4, 1, {-1, 0, 63, 0, 63, 0, -1, 0}, {15, 0, 1, 2, 15, 0, 1, 2}},
        // 4 x 2 texels, v from 0 to 256 over rows 0..3: each side steps 65536 / 4 = 16384 per
        // row, tv = 16384 r << 1 >> 8 = 128 r, so rows 0, 1 read texel row 0 and rows 2, 3 texel
        // row 1, 2^2 texels on. u from 256 to 512 over four pixels starts at (65536 << 2) >> 8 =
        // 1024 and steps 16384 >> 6 = 256: columns 4 to 7, wrapped to 0 to 3.
        {2, 1, 4, 3, {256, 0, 512, 0, 512, 256, 256, 256},
         {0, 1, 2, 3, 0, 1, 2, 3, 4, 5, 6, 7, 4, 5, 6, 7}},
        // 256 x 1 texels, so a texel is one unit of u. On row 1 the left side has stepped (1 x
        // 256) / 2 = 128, half a texel, and the right side 640; du = 512 / 4 = 128. The columns
        // are (128 + 128 i) >> 8 = 0, 1, 1, 2, where row 0, from 0, reads 0, 0, 1, 1.
        {8, 0, 4, 1, {0, 0, 2, 0, 3, 0, 1, 0}, {0, 0, 1, 1, 0, 1, 1, 2}},
        // clang-format on
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

TEST_F(SpanTest, SlotsWithoutADrawableTextureDrawNothing)
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
