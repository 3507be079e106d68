// The span rules of the gouraud and textured fillers, one row worked out by hand for each, since
// the plain fillers that the differential test compares with could get them wrong as well: each
// family's blend, the opaque colour packing at 8.7 and its halved step, a row drawn twice where an
// edge ends, and a span cut at column 0 that keeps its whole length's colours.
#include <gtest/gtest.h>

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

TEST_F(SpanTest, OpaqueSpanFromBlackToWhiteNeverReachesWhite)
{
    // Left side black, right side white, eight pixels a row: the step is (65280 >> 1) / 8 = 4080
    // at 128 per unit, and pixel i has each channel (4080 i) >> 10.
    const uint32_t channels[] = {0, 3, 7, 11, 15, 19, 23, 27};
    RasterCanvas canvas(64, 32);
    raster_gouraud_quad(canvas.target(), screen_vertex(0, 0), screen_vertex(8, 0),
                        screen_vertex(8, 4), screen_vertex(0, 4), BLACK_ENTRY, WHITE_ENTRY,
                        WHITE_ENTRY, BLACK_ENTRY);
    for (int32_t row = 0; row <= 4; ++row) {
        for (int32_t x = 0; x < 8; ++x)
            EXPECT_EQ(canvas.at(x, row), rgb(channels[x], channels[x], channels[x])) << x << row;
        EXPECT_EQ(canvas.at(8, row), 0);
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

} // namespace
