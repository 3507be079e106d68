// Flat polygons and boxes: the fill convention row by row, clipping at the surface's edges, and
// the box's own bounds. Every expected run is worked out from the walking rules: an edge from P
// to Q moves x by ((Q.x - P.x) x 256) / (Q.y - P.y + 1) per row, and a row covers the columns
// from its left x >> 8 up to, not including, its right x >> 8.
#include "raster/flat.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/raster_canvas.h"

namespace {

constexpr Pixel WHITE = 0x7FFF;

using Runs = std::vector<PixelRun>;

Runs draw_tri(RasterCanvas& canvas, ScreenVertex a, ScreenVertex b, ScreenVertex c)
{
    raster_flat_tri(canvas.target(), a, b, c, WHITE);
    return canvas.runs();
}

Runs draw_quad(RasterCanvas& canvas, ScreenVertex a, ScreenVertex b, ScreenVertex c, ScreenVertex d)
{
    raster_flat_quad(canvas.target(), a, b, c, d, WHITE);
    return canvas.runs();
}

TEST(FlatTest, TriangleWithAVerticalLeftEdgeGainsAColumnEveryRowFromRowTwo)
{
    // The right edge steps 2560 / 11 = 232 per row: row r ends at column (232 r) >> 8, so rows 0
    // and 1 are empty, and the bottom row stops at column 8.
    RasterCanvas canvas(64, 32);
    EXPECT_EQ(draw_tri(canvas, screen_vertex(0, 0), screen_vertex(10, 10), screen_vertex(0, 10)),
              (Runs{{2, 0, 1},
                    {3, 0, 2},
                    {4, 0, 3},
                    {5, 0, 4},
                    {6, 0, 5},
                    {7, 0, 6},
                    {8, 0, 7},
                    {9, 0, 8},
                    {10, 0, 9}}));
}

TEST(FlatTest, TriangleWithAFlatTopNarrowsToColumnFour)
{
    // The top edge ends on row 0 and throws the right x to 2560 in one step; then the left x
    // steps 1280 / 11 = 116 and the right x -116 per row.
    RasterCanvas canvas(64, 32);
    EXPECT_EQ(draw_tri(canvas, screen_vertex(0, 0), screen_vertex(10, 0), screen_vertex(5, 10)),
              (Runs{{0, 0, 10},
                    {1, 0, 9},
                    {2, 0, 9},
                    {3, 1, 8},
                    {4, 1, 8},
                    {5, 2, 7},
                    {6, 2, 7},
                    {7, 3, 6},
                    {8, 3, 6},
                    {9, 4, 5},
                    {10, 4, 5}}));
}

TEST(FlatTest, SquareFillsItsTopAndBottomRowsButNotItsRightColumn)
{
    Runs square;
    for (int32_t row = 0; row <= 10; ++row)
        square.emplace_back(row, 0, 10);
    // Both ways round, and starting from another corner.
    RasterCanvas canvas(64, 32);
    EXPECT_EQ(draw_quad(canvas, screen_vertex(0, 0), screen_vertex(10, 0), screen_vertex(10, 10),
                        screen_vertex(0, 10)),
              square);
    canvas.fill(0);
    EXPECT_EQ(draw_quad(canvas, screen_vertex(0, 0), screen_vertex(0, 10), screen_vertex(10, 10),
                        screen_vertex(10, 0)),
              square);
    canvas.fill(0);
    EXPECT_EQ(draw_quad(canvas, screen_vertex(10, 10), screen_vertex(0, 10), screen_vertex(0, 0),
                        screen_vertex(10, 0)),
              square);
}

TEST(FlatTest, OnEqualFirstSlopesEdgeZeroIsTheLeftEdge)
{
    // From the top, (5, 10) and (10, 21) are both 116 per row away: 1280 / 11 and 2560 / 22.
    // Edge 0 runs through (5, 10), which lies right of the other edge, so as the left edge it
    // leaves the rows empty until, from row 11, it steps only 1280 / 12 = 106 against 116:
    // row 11 + j runs from (1276 + 106 j) >> 8 to (1276 + 116 j) >> 8.
    RasterCanvas canvas(64, 32);
    EXPECT_EQ(draw_tri(canvas, screen_vertex(0, 0), screen_vertex(5, 10), screen_vertex(10, 21)),
              (Runs{{18, 7, 8}, {20, 8, 9}}));
}

TEST(FlatTest, SpanReachingPastTheLastColumnStopsThere)
{
    // A bow-tie that the clipper leaves whole, turned by the two passes to (15, 1), (15, 0),
    // (13, 3), (5, 1). Edge 0 goes left at -512 / 4 = -128 per row; edge 1 drops to (15, 1),
    // then swings to (5, 1) and back at 2048 / 3 = 682 per row. Rows 1 and 2 cover column 14;
    // on row 3 the sides are at 3456 and 4522, columns 13 to 16, and column 16 is not drawn
    // (it would be column 0 of row 4).
    RasterCanvas canvas(16, 8);
    EXPECT_EQ(draw_quad(canvas, screen_vertex(13, 3), screen_vertex(5, 1), screen_vertex(15, 1),
                        screen_vertex(15, 0)),
              (Runs{{1, 14, 15}, {2, 14, 15}, {3, 13, 16}}));
}

TEST(FlatTest, PolygonsOnOneRowDrawNothing)
{
    RasterCanvas canvas(64, 32);
    EXPECT_TRUE(
        draw_tri(canvas, screen_vertex(0, 5), screen_vertex(30, 5), screen_vertex(60, 5)).empty());
    EXPECT_TRUE(draw_quad(canvas, screen_vertex(0, 5), screen_vertex(30, 5), screen_vertex(60, 5),
                          screen_vertex(10, 5))
                    .empty());
}

TEST(FlatTest, PolygonsWhoseEdgesAllMissTheSurfaceDrawNothing)
{
    // Every vertex of the quad lies outside columns 0..63, so the column pass keeps none, though
    // the quad covers the whole surface.
    RasterCanvas canvas(64, 32);
    EXPECT_TRUE(draw_quad(canvas, screen_vertex(-20, -20), screen_vertex(80, -10),
                          screen_vertex(90, 50), screen_vertex(-30, 40))
                    .empty());
    // The triangle's columns are inside, but each edge has both ends outside rows 0..31.
    EXPECT_TRUE(
        draw_tri(canvas, screen_vertex(42, -12), screen_vertex(2, -5), screen_vertex(33, 37))
            .empty());
}

TEST(FlatTest, RightAndBottomBordersCutThePolygonAtTheLastColumnAndRow)
{
    // The right side is stored at column 63, which the fill convention leaves empty; the rows go
    // down to 31.
    RasterCanvas canvas(64, 32);
    Runs expected;
    for (int32_t row = 10; row <= 31; ++row)
        expected.emplace_back(row, 50, 63);
    EXPECT_EQ(draw_quad(canvas, screen_vertex(50, 10), screen_vertex(100, 10),
                        screen_vertex(100, 50), screen_vertex(50, 50)),
              expected);
    EXPECT_TRUE(canvas.guard_row_untouched());
}

TEST(FlatTest, BoxSpansColumnsXToXPlusWAndLeavesOutItsBottomRightCorner)
{
    RasterCanvas canvas(64, 64);
    raster_box(canvas.target(), 0, 0, 50, 50, WHITE);
    // Row 0: the top edge 0..49 meets the right edge at 50; rows 1..49 the two sides; row 50 the
    // bottom edge alone.
    Runs expected{{0, 0, 51}};
    for (int32_t row = 1; row < 50; ++row) {
        expected.emplace_back(row, 0, 1);
        expected.emplace_back(row, 50, 51);
    }
    expected.emplace_back(50, 0, 50);
    EXPECT_EQ(canvas.runs(), expected);
}

TEST(FlatTest, BoxReachingPastTheSurfaceKeepsItsSidesWhereTheBoxPutsThem)
{
    RasterCanvas canvas(64, 32);
    // Negative x: the left side is gone, the top and bottom edges are x + w = 20 pixels long, and
    // the right side stays at column 20.
    raster_box(canvas.target(), -10, 5, 30, 20, WHITE);
    Runs expected{{5, 0, 21}};
    for (int32_t row = 6; row < 25; ++row)
        expected.emplace_back(row, 20, 21);
    expected.emplace_back(25, 0, 20);
    EXPECT_EQ(canvas.runs(), expected);

    // Wider than the surface from a negative x: the edges still stop at the right side, x + w =
    // 60, not at the surface's edge.
    canvas.fill(0);
    raster_box(canvas.target(), -10, 2, 70, 10, WHITE);
    expected = {{2, 0, 61}};
    for (int32_t row = 3; row < 12; ++row)
        expected.emplace_back(row, 60, 61);
    expected.emplace_back(12, 0, 60);
    EXPECT_EQ(canvas.runs(), expected);

    // Likewise for rows: from y = -5 with h = 35 the sides run down to row 29, the bottom edge
    // on row 30.
    canvas.fill(0);
    raster_box(canvas.target(), 5, -5, 10, 35, WHITE);
    expected.clear();
    for (int32_t row = 0; row < 30; ++row) {
        expected.emplace_back(row, 5, 6);
        expected.emplace_back(row, 15, 16);
    }
    expected.emplace_back(30, 5, 15);
    EXPECT_EQ(canvas.runs(), expected);
}

TEST(FlatTest, BoxEdgesOnColumnWAndRowHLandInTheNextRowAndTheGuardRow)
{
    // The right side at column 64 = W is addressed as column 0 of the next row.
    RasterCanvas canvas(64, 32);
    raster_box(canvas.target(), 54, 0, 10, 5, WHITE);
    EXPECT_EQ(canvas.runs(), (Runs{{0, 54, 64},
                                   {1, 0, 1},
                                   {1, 54, 55},
                                   {2, 0, 1},
                                   {2, 54, 55},
                                   {3, 0, 1},
                                   {3, 54, 55},
                                   {4, 0, 1},
                                   {4, 54, 55},
                                   {5, 0, 1},
                                   {5, 54, 64}}));

    // The bottom edge on row 32 = H is the guard row's.
    canvas.fill(0);
    raster_box(canvas.target(), 0, 20, 10, 12, WHITE);
    Runs expected{{20, 0, 11}};
    for (int32_t row = 21; row < 32; ++row) {
        expected.emplace_back(row, 0, 1);
        expected.emplace_back(row, 10, 11);
    }
    expected.emplace_back(32, 0, 10);
    EXPECT_EQ(canvas.runs(), expected);
    EXPECT_TRUE(canvas.canaries_intact());
}

} // namespace
