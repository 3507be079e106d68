// Flat polygons and boxes: the fill convention row by row, clipping at the surface's edges, and
// the box's own bounds. Every expected run is worked out from the walking rules: an edge from P
// to Q moves x by ((Q.x - P.x) x 256) / (Q.y - P.y + 1) per row, and a row covers the columns
// from its left x >> 8 up to, not including, its right x >> 8.
#include "raster/flat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/support/raster_canvas.h"

namespace {

constexpr Pixel WHITE = 0x7FFF;

using Runs = std::vector<PixelRun>;

TEST(FlatTest, PolygonsFollowTheWalkingRules)
{
    // A vertical left edge, the right one stepping 2560 / 11 = 232 per row: row r ends at column
    // (232 r) >> 8, so rows 0 and 1 are empty and the bottom row stops at column 8.
    // A flat top: the top edge ends on row 0 and throws the right x to 2560 in one step; then the
    // left x steps 1280 / 11 = 116 and the right x -116 per row.
    // A square fills its top and bottom rows but not its right column, whichever way round and
    // from whichever corner it is given.
    // Past the right border the side is stored at column 63, which the fill convention leaves
    // empty; the rows go down to 31.
    Runs vertical_left, flat_top, square, cut;
    for (int32_t row = 0; row <= 31; ++row) {
        if (row >= 2 && row <= 10)
            vertical_left.emplace_back(row, 0, (232 * row) >> 8);
        if (row <= 10) {
            flat_top.emplace_back(row, (116 * row) >> 8, (2560 - 116 * row) >> 8);
            square.emplace_back(row, 0, 10);
        }
        if (row >= 10)
            cut.emplace_back(row, 50, 63);
    }
    const auto v = screen_vertex;
    struct Row {
        int32_t width; // the canvas is width x width / 2
        std::vector<ScreenVertex> corners;
        Runs runs;
    };
    const Row rows[] = {
        {64, {v(0, 0), v(10, 10), v(0, 10)}, vertical_left},
        {64, {v(0, 0), v(10, 0), v(5, 10)}, flat_top},
        {64, {v(0, 0), v(10, 0), v(10, 10), v(0, 10)}, square},
        {64, {v(0, 0), v(0, 10), v(10, 10), v(10, 0)}, square},
        {64, {v(10, 10), v(0, 10), v(0, 0), v(10, 0)}, square},
        {64, {v(50, 10), v(100, 10), v(100, 50), v(50, 50)}, cut},
        // Equal first slopes: (5, 10) and (10, 21) are both 116 per row away, 1280 / 11 and
        // 2560 / 22. Edge 0 runs through (5, 10), right of the other edge, so as the left edge it
        // leaves the rows empty until, from row 11, it steps only 1280 / 12 = 106 against 116:
        // row 11 + j runs from (1276 + 106 j) >> 8 to (1276 + 116 j) >> 8.
        {64, {v(0, 0), v(5, 10), v(10, 21)}, {{18, 7, 8}, {20, 8, 9}}},
        // A bow-tie that the clipper leaves whole, turned by the two passes to (15, 1), (15, 0),
        // (13, 3), (5, 1). Edge 0 goes left at -512 / 4 = -128 per row; edge 1 drops to (15, 1),
        // then swings to (5, 1) and back at 2048 / 3 = 682 per row. Rows 1 and 2 cover column
        // 14; on row 3 the sides are at 3456 and 4522, columns 13 to 16, and column 16 is not
        // drawn (it would be column 0 of row 4).
        {16, {v(13, 3), v(5, 1), v(15, 1), v(15, 0)}, {{1, 14, 15}, {2, 14, 15}, {3, 13, 16}}},
        // On one row: nothing.
        {64, {v(0, 5), v(30, 5), v(60, 5)}, {}},
        {64, {v(0, 5), v(30, 5), v(60, 5), v(10, 5)}, {}},
        // Every vertex outside columns 0..63: the column pass keeps none, though the quad covers
        // the whole surface; then a triangle whose edges each have both ends outside rows 0..31.
        {64, {v(-20, -20), v(80, -10), v(90, 50), v(-30, 40)}, {}},
        {64, {v(42, -12), v(2, -5), v(33, 37)}, {}},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        RasterCanvas canvas(rows[i].width, rows[i].width / 2);
        const ScreenVertex* c = rows[i].corners.data();
        if (rows[i].corners.size() == 3)
            raster_flat_tri(canvas.target(), c[0], c[1], c[2], WHITE);
        else
            raster_flat_quad(canvas.target(), c[0], c[1], c[2], c[3], WHITE);
        // The runs include the guard row's, which a polygon never reaches.
        EXPECT_EQ(canvas.runs(), rows[i].runs) << "row " << i;
    }
}

// A box's top and bottom edges cover columns x to x + w - 1 on rows y and y + h; its sides, on
// columns x and x + w, run from row y to y + h - 1, so the bottom-right corner is left out. Each
// is cut to the surface's columns and rows 0 to H, and a side is drawn only where its column is
// on 0 to W.
// Column W is addressed as column 0 of the next row and row H is the guard row.
TEST(FlatTest, BoxesKeepTheirSidesWhereTheBoxPutsThem)
{
    struct Case {
        int32_t width, height, x, y, w, h;
    };
    const Case cases[] = {
        {64, 64, 0, 0, 50, 50},   // the bottom-right corner left out
        {64, 32, -10, 5, 30, 20}, // no left side, edges 20 long
        {64, 32, -10, 2, 70, 10}, // edges stop at the right side, not the surface's edge
        {64, 32, 5, -5, 10, 35},  // no top edge, sides down to row 29
        {64, 32, 54, 0, 10, 5},   // the right side at column W
        {64, 32, 0, 20, 10, 12},  // the bottom edge on the guard row
    };
    for (const Case& c : cases) {
        RasterCanvas canvas(c.width, c.height);
        raster_box(canvas.target(), c.x, c.y, c.w, c.h, WHITE);
        std::vector<Pixel> expected(static_cast<size_t>(c.width) * (c.height + 1), 0);
        const auto put = [&](int32_t column, int32_t row) {
            if (row >= 0 && row <= c.height && column >= 0 && column <= c.width)
                expected[static_cast<size_t>(row) * c.width + column] = WHITE;
        };
        for (int32_t column = std::max(c.x, 0); column < std::min(c.x + c.w, c.width); ++column) {
            put(column, c.y);
            put(column, c.y + c.h);
        }
        for (int32_t row = std::max(c.y, 0); row < std::min(c.y + c.h, c.height); ++row) {
            put(c.x, row);
            put(c.x + c.w, row);
        }
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " " << c.w << "x" << c.h);
        for (int32_t row = 0; row <= c.height; ++row) {
            for (int32_t column = 0; column < c.width; ++column)
                ASSERT_EQ(canvas.at(column, row), expected[size_t(row) * c.width + column])
                    << column << ", " << row;
        }
        EXPECT_TRUE(canvas.canaries_intact());
    }
}

} // namespace
