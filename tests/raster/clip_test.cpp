// The clippers' exact output: the case table, the exceptions on the inside ends, the crossings
// computed at W or H and stored at W - 1 or H - 1, and the column divisor that only the flat
// clipper leaves unwidened. Every crossing below is worked out by hand from
// slope = (delta x 256) / divisor and crossing = O + ((distance x slope) >> 8).
#include "raster/clip.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "tests/support/raster_canvas.h"

namespace {

using Rows = std::vector<std::vector<int32_t>>;

// The clipper's vertices as rows of x, y and, for the gouraud clipper, red, green and blue.
template <int V>
Rows clip(const ClipBounds& bounds, const std::vector<ScreenVertex>& in,
          const std::vector<std::array<int32_t, 3>>& rgb)
{
    std::vector<const ScreenVertex*> refs;
    std::vector<ColourEntry> colours(in.size());
    std::vector<const ColourEntry*> colour_refs;
    for (size_t i = 0; i < in.size(); ++i) {
        refs.push_back(&in[i]);
        if (V == 3)
            colours[i] = {rgb[i][0], rgb[i][1], rgb[i][2], 0};
        colour_refs.push_back(&colours[i]);
    }
    RasterVertex<V> out[RASTER_CLIP_CAPACITY];
    const auto count = static_cast<int32_t>(in.size());
    int32_t n = 0;
    if constexpr (V == 0)
        n = raster_clip_flat(bounds, refs.data(), count, out);
    else
        n = raster_clip_gouraud(bounds, refs.data(), colour_refs.data(), count, out);
    Rows rows;
    for (int32_t i = 0; i < n; ++i) {
        rows.push_back({out[i].x, out[i].y});
        rows.back().insert(rows.back().end(), out[i].value.begin(), out[i].value.end());
    }
    return rows;
}

TEST(ClipTest, PassesFollowTheCaseTableAndItsExceptions)
{
    const ClipBounds all = {64, 32, 63, 31};
    const auto v = screen_vertex;
    const struct {
        ClipBounds bounds;
        std::vector<ScreenVertex> in;
        std::vector<std::array<int32_t, 3>> colours; // none: the flat clipper
        Rows out;
    } rows[] = {
        // clang-format off
        // Every vertex inside: each pass starts its output from the end of its first edge.
        {all, {v(1, 1), v(5, 1), v(3, 4)}, {}, {{3, 4}, {1, 1}, {5, 1}}},
        // (-10, 5) to (80, 5) lies left and right of the columns: nothing. (80, 5) to (30, 20):
        // slope 3840 / -50 = -76, row 5 + ((64 - 80) x -76 >> 8) = 9 at column 64, stored at
        // 63. (30, 20) to (-10, 5): slope 3840 / 40 = 96, row 5 + (10 x 96 >> 8) = 8.
        {all, {v(-10, 5), v(80, 5), v(30, 20)}, {}, {{30, 20}, {0, 8}, {63, 9}}},
        // Leaving through column 63 from (63, 0) adds nothing, entering onto (63, 10) adds the
        // end alone.
        {all, {v(63, 0), v(70, 5), v(63, 10)}, {}, {{63, 0}, {63, 10}}},
        // Row pass: leaving from (5, 31) straight down adds nothing; entering straight onto
        // (10, 0) keeps the crossing, with its own colour: d = 3 + 1, red 3 x (25600 / 4) >> 8.
        {all, {v(5, 31), v(5, 40), v(10, -3), v(10, 0)}, {{1}, {2}, {0}, {100}},
         {{10, 0, 75, 0, 0}, {5, 31, 1, 0, 0}}},
        // The column pass keeps the end with its own colour.
        {all, {v(-5, 0), v(0, 0), v(0, 10)}, {{0}, {100}, {100, 50}},
         {{0, 10, 100, 50, 0}, {0, 0, 100, 0, 0}}},
        // From (-10, 0) to (10, 20) the flat slope is 5120 / 20 = 256, row 10 at column 0; the
        // gouraud one 5120 / 21 = 243, row 9, and its colours over d = 21: 51200 / 21 = 2438,
        // 25600 / 21 = 1219 and 12800 / 21 = 609, times 10 >> 8: 95, 47, 23.
        {all, {v(-10, 0), v(10, 0), v(10, 20)}, {}, {{10, 0}, {10, 20}, {0, 10}, {0, 0}}},
        {all, {v(-10, 0), v(10, 0), v(10, 20)}, {{0}, {200, 100, 50}, {200, 100, 50}},
         {{10, 0, 200, 100, 50}, {10, 20, 200, 100, 50}, {0, 9, 95, 47, 23}, {0, 0, 95, 47, 23}}},
        // (63, 0) to (64, -2^23): the run is -1 and the row change times 256 is 2^31, INT32_MIN
        // as 32 bits. The quotient wraps instead of trapping; the crossing lies on the inside
        // end's column and is dropped, and the row pass brings the other edge to (63, 0).
        {all, {v(63, 0), v(64, -(1 << 23)), v(0, 10)}, {}, {{63, 0}, {0, 10}, {63, 0}}},
        // Empty bounds keep nothing, though every vertex is inside them as unsigned numbers.
        {{0, 0, -1, -1}, {v(0, 0), v(5, 5), v(0, 5)}, {}, {}},
        // clang-format on
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const auto& row = rows[i];
        EXPECT_EQ(row.colours.empty() ? clip<0>(row.bounds, row.in, {})
                                      : clip<3>(row.bounds, row.in, row.colours),
                  row.out)
            << "row " << i;
    }
}

} // namespace
