// Gouraud polygons (coverage is the guard test's): the opaque packing of colour x 128, the
// additive four-bit sources added two
// pixels at a time with their carries, colours stepped down the edges over one row more than
// their height, and rows drawn twice. Expected colours come from the span formulas: opaque
// channel = ((left >> 1) + i x (((right - left) >> 1) / count)) >> 10, additive source = the top
// four bits of each 8-bit channel, at the top of its five-bit field.
#include "raster/gouraud.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "tests/support/raster_canvas.h"

namespace {

constexpr ColourEntry WHITE_ENTRY = {255, 255, 255, 0};
constexpr ColourEntry BLACK_ENTRY = {0, 0, 0, 0};

Pixel rgb(uint32_t red, uint32_t green, uint32_t blue)
{
    return static_cast<Pixel>((red << 10) | (green << 5) | blue);
}

// Every pixel of the runs holds colour and nothing else was written.
void expect_filled(RasterCanvas& canvas, const std::vector<PixelRun>& runs, Pixel colour)
{
    EXPECT_EQ(canvas.runs(), runs);
    for (const auto& [row, first, end] : runs) {
        for (int32_t x = first; x < end; ++x)
            ASSERT_EQ(canvas.at(x, row), colour) << x << ", " << row;
    }
}

TEST(GouraudTest, AdditiveWhiteAddsThirtyToEveryChannel)
{
    // Over black, or over channels of 1, that is 30 each; over channels of 2 every channel
    // overflows to 31, and the red carry leaves bit 15 set.
    for (const auto& [background, result] :
         {std::pair<Pixel, Pixel>{0x0000, 0x7BDE}, {0x0421, 0x7BDE}, {0x0842, 0xFFFF}}) {
        RasterCanvas added(64, 32, background);
        raster_gouraud_add_quad(added.target(), screen_vertex(0, 0), screen_vertex(3, 0),
                                screen_vertex(3, 1), screen_vertex(0, 1), WHITE_ENTRY, WHITE_ENTRY,
                                WHITE_ENTRY, WHITE_ENTRY);
        expect_filled(added, {{0, 0, 3}, {1, 0, 3}}, result);
    }
}

TEST(GouraudTest, OpaqueSpanFromBlackToWhiteNeverReachesWhite)
{
    // Left side black, right side white, eight pixels a row: the step is (65280 >> 1) / 8 = 4080
    // at 128 per unit, and pixel i has each channel (4080 i) >> 10: 0 first, 27 last.
    RasterCanvas canvas(64, 32);
    raster_gouraud_quad(canvas.target(), screen_vertex(0, 0), screen_vertex(8, 0),
                        screen_vertex(8, 4), screen_vertex(0, 4), BLACK_ENTRY, WHITE_ENTRY,
                        WHITE_ENTRY, BLACK_ENTRY);
    for (int32_t row = 0; row <= 4; ++row) {
        for (int32_t x = 0; x < 8; ++x) {
            const uint32_t channel = (4080u * x) >> 10;
            EXPECT_EQ(canvas.at(x, row), rgb(channel, channel, channel)) << x << ", " << row;
        }
        EXPECT_EQ(canvas.at(8, row), 0);
    }
    EXPECT_EQ(canvas.at(7, 0), rgb(27, 27, 27));
}

TEST(GouraudTest, ColoursStepDownTheEdgesOverOneRowMoreThanTheirHeight)
{
    // Red from 0 at the top to 255 at row 8: both sides step 65280 / 9 = 7253 per row, so row r
    // is red (7253 r >> 1) >> 10 all along, and the bottom row stops short of 31.
    const ColourEntry red = {255, 0, 0, 0};
    RasterCanvas canvas(64, 32);
    raster_gouraud_quad(canvas.target(), screen_vertex(0, 0), screen_vertex(4, 0),
                        screen_vertex(4, 8), screen_vertex(0, 8), BLACK_ENTRY, BLACK_ENTRY, red,
                        red);
    for (int32_t row = 0; row <= 8; ++row) {
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(canvas.at(x, row), rgb((7253u * row >> 1) >> 10, 0, 0)) << x << ", " << row;
    }
    EXPECT_EQ(canvas.at(0, 8), rgb(28, 0, 0));
}

TEST(GouraudTest, AdditiveSpansAddPairsAndTheOddLastPixelAlikeAndKeepTheirCarries)
{
    // Five pixels a row: two pairs and a last pixel alone. (128, 64, 32) has top four bits 8, 4
    // and 2, that is 16, 8 and 4 in five bits; over (3, 5, 7) without lowest bits, (2, 4, 6),
    // that makes (18, 12, 10).
    const ColourEntry colour = {128, 64, 32, 0};
    RasterCanvas canvas(64, 32, rgb(3, 5, 7));
    raster_gouraud_add_quad(canvas.target(), screen_vertex(0, 0), screen_vertex(5, 0),
                            screen_vertex(5, 2), screen_vertex(0, 2), colour, colour, colour,
                            colour);
    expect_filled(canvas, {{0, 0, 5}, {1, 0, 5}, {2, 0, 5}}, rgb(18, 12, 10));

    // Blue 4 over blue 30 overflows: blue becomes 31 and its carry sets green's lowest bit.
    const ColourEntry blue = {0, 0, 32, 0};
    RasterCanvas carried(64, 32, rgb(0, 0, 30));
    raster_gouraud_add_quad(carried.target(), screen_vertex(0, 0), screen_vertex(3, 0),
                            screen_vertex(3, 1), screen_vertex(0, 1), blue, blue, blue, blue);
    expect_filled(carried, {{0, 0, 3}, {1, 0, 3}}, rgb(0, 1, 31));
}

TEST(GouraudTest, RowOnWhichAnEdgeEndsIsAddedTwice)
{
    // The right edge from (0, 0) to (8, 3) steps 2048 / 4 = 512 per row and ends on row 3; the
    // next segment, (8, 3) to (8, 4), ends on row 4, which is filled once as it ends and again
    // when the last segment, stepping -2048 / 5 = -409, starts there. (64, 64, 64) adds 8 to
    // each channel per fill.
    const ColourEntry grey = {64, 64, 64, 0};
    RasterCanvas canvas(64, 32);
    raster_gouraud_add_quad(canvas.target(), screen_vertex(0, 0), screen_vertex(8, 3),
                            screen_vertex(8, 4), screen_vertex(0, 8), grey, grey, grey, grey);
    EXPECT_EQ(canvas.runs(), (std::vector<PixelRun>{{1, 0, 2},
                                                    {2, 0, 4},
                                                    {3, 0, 6},
                                                    {4, 0, 8},
                                                    {5, 0, 6},
                                                    {6, 0, 4},
                                                    {7, 0, 3},
                                                    {8, 0, 1}}));
    for (int32_t row = 1; row <= 8; ++row) {
        const Pixel expected = row == 4 ? rgb(16, 16, 16) : rgb(8, 8, 8);
        EXPECT_EQ(canvas.at(0, row), expected) << row;
    }
}

TEST(GouraudTest, SpanCutAtColumnZeroKeepsTheColoursOfItsWholeLength)
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
    EXPECT_EQ(canvas.changed(), (std::vector<std::tuple<int32_t, int32_t, Pixel>>{
                                    {0, 3, rgb(15, 0, 0)}, {1, 3, rgb(19, 0, 0)}}));
    EXPECT_TRUE(canvas.canaries_intact());
}

} // namespace
