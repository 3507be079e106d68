// The clippers' exact output: the case table, the exceptions on the inside ends, the crossings
// computed at W or H and stored at W - 1 or H - 1, and the column divisor that only the flat
// clipper leaves unwidened. Every crossing below is worked out by hand from
// slope = (delta x 256) / divisor and crossing = O + ((distance x slope) >> 8).
#include "raster/clip.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

#include "raster/flat.h"
#include "tests/support/raster_canvas.h"

namespace {

constexpr ClipBounds SURFACE_64_32 = {64, 32, 63, 31};

using Rows = std::vector<std::vector<int32_t>>;

// The clipper's vertices as rows of x, y and their values (red, green, blue or u, v); extra holds
// each input vertex's colour entry or texture coordinates.
template <int V, typename Extra = std::conditional_t<V == 2, TexCoordEntry, ColourEntry>>
Rows clip(const std::vector<ScreenVertex>& in, const std::vector<Extra>& extra = {})
{
    std::vector<const ScreenVertex*> refs;
    std::vector<const Extra*> extra_refs;
    for (size_t i = 0; i < in.size(); ++i) {
        refs.push_back(&in[i]);
        if (i < extra.size())
            extra_refs.push_back(&extra[i]);
    }
    RasterVertex<V> out[RASTER_CLIP_CAPACITY];
    const int32_t count = static_cast<int32_t>(in.size());
    int32_t n = 0;
    if constexpr (V == 0)
        n = raster_clip_flat(SURFACE_64_32, refs.data(), count, out);
    else if constexpr (V == 3)
        n = raster_clip_gouraud(SURFACE_64_32, refs.data(), extra_refs.data(), count, out);
    else
        n = raster_clip_textured(SURFACE_64_32, refs.data(), extra_refs.data(), count, out);
    Rows rows;
    for (int32_t i = 0; i < n; ++i) {
        rows.push_back({out[i].x, out[i].y});
        rows.back().insert(rows.back().end(), out[i].value.begin(), out[i].value.end());
    }
    return rows;
}

TEST(ClipTest, EdgeWithBothEndsOutsideAddsNoVertex)
{
    // (-10, 5) to (80, 5) lies left and right of the columns: nothing. (80, 5) to (30, 20): slope
    // 3840 / -50 = -76, row 5 + ((64 - 80) x -76 >> 8) = 9 at column 64, stored at 63.
    // (30, 20) to (-10, 5): slope 3840 / 40 = 96, row 5 + (10 x 96 >> 8) = 8 at column 0. The
    // row pass keeps everything and starts from the end of its first edge.
    EXPECT_EQ(clip<0>({screen_vertex(-10, 5), screen_vertex(80, 5), screen_vertex(30, 20)}),
              (Rows{{30, 20}, {0, 8}, {63, 9}}));
}

TEST(ClipTest, CrossingsOnTheInsideEndAreNotAddedTwice)
{
    // Column pass: leaving through column 63 from (63, 0) adds nothing, entering onto (63, 10)
    // adds the end alone.
    EXPECT_EQ(clip<0>({screen_vertex(63, 0), screen_vertex(70, 5), screen_vertex(63, 10)}),
              (Rows{{63, 0}, {63, 10}}));

    // Row pass: leaving from (5, 31) straight down adds nothing; entering straight onto (10, 0)
    // keeps the crossing, with its own interpolated colour: d = 3 + 1, red 3 x (25600 / 4) >> 8.
    EXPECT_EQ(clip<3>({screen_vertex(5, 31), screen_vertex(5, 40), screen_vertex(10, -3),
                       screen_vertex(10, 0)},
                      {{1, 0, 0, 0}, {2, 0, 0, 0}, {0, 0, 0, 0}, {100, 0, 0, 0}}),
              (Rows{{10, 0, 75, 0, 0}, {5, 31, 1, 0, 0}}));

    // The column pass keeps the end with its own colour.
    EXPECT_EQ(clip<3>({screen_vertex(-5, 0), screen_vertex(0, 0), screen_vertex(0, 10)},
                      {{0, 0, 0, 0}, {100, 0, 0, 0}, {100, 50, 0, 0}}),
              (Rows{{0, 10, 100, 50, 0}, {0, 0, 100, 0, 0}}));
}

TEST(ClipTest, OnlyTheFlatColumnPassDividesByTheRunItself)
{
    // From (-10, 0) to (10, 20): the flat slope is 5120 / 20 = 256, row 10 at column 0; the
    // gouraud slope 5120 / 21 = 243, row 9. Colours over d = 21: 51200 / 21 = 2438, 25600 / 21 =
    // 1219 and 12800 / 21 = 609, times 10 >> 8: 95, 47, 23.
    const std::vector<ScreenVertex> triangle = {screen_vertex(-10, 0), screen_vertex(10, 0),
                                                screen_vertex(10, 20)};
    EXPECT_EQ(clip<0>(triangle), (Rows{{10, 0}, {10, 20}, {0, 10}, {0, 0}}));
    EXPECT_EQ(clip<3>(triangle, {{0, 0, 0, 0}, {200, 100, 50, 0}, {200, 100, 50, 0}}),
              (Rows{{10, 0, 200, 100, 50},
                    {10, 20, 200, 100, 50},
                    {0, 9, 95, 47, 23},
                    {0, 0, 95, 47, 23}}));
}

TEST(ClipTest, TextureCoordinatesCrossLikeColours)
{
    // (40, 0) to (80, 0) leaves through column 64 at distance -16 over d = -41: u slope -65536 /
    // -41 = 1598, u = 256 + (-25568 >> 8) = 156; v slope 32768 / -41 = -799, v = 12784 >> 8 =
    // 49. (80, 0) to (40, 20): row slope 5120 / -41 = -124, row 1984 >> 8 = 7, u 156, v 0.
    EXPECT_EQ(clip<2>({screen_vertex(40, 0), screen_vertex(80, 0), screen_vertex(40, 20)},
                      {{0, 128, {}}, {256, 0, {}}, {0, 0, {}}}),
              (Rows{{63, 7, 156, 0}, {40, 20, 0, 0}, {40, 0, 0, 128}, {63, 0, 156, 49}}));
}

TEST(ClipTest, ColumnCrossingThatWouldDivideIntMinByMinusOneWraps)
{
    // (63, 0) to (64, -2^23): the run is -1 and the row change times 256 is 2^31, INT32_MIN as
    // 32 bits. The quotient wraps to INT32_MIN instead of trapping; the crossing lies on the
    // inside end's column and is dropped, and the row pass brings the other edge to (63, 0).
    const std::vector<ScreenVertex> triangle = {screen_vertex(63, 0), screen_vertex(64, -(1 << 23)),
                                                screen_vertex(0, 10)};
    EXPECT_EQ(clip<0>(triangle), (Rows{{63, 0}, {0, 10}, {63, 0}}));
    RasterCanvas canvas(64, 32);
    raster_flat_tri(canvas.target(), triangle[0], triangle[1], triangle[2], 0x7FFF);
    EXPECT_TRUE(canvas.canaries_intact());
}

TEST(ClipTest, EmptyBoundsClipEverythingAway)
{
    const ScreenVertex a = screen_vertex(0, 0);
    const ScreenVertex b = screen_vertex(5, 5);
    const ScreenVertex c = screen_vertex(0, 5);
    const ScreenVertex* const triangle[] = {&a, &b, &c};
    FlatVertex out[RASTER_CLIP_CAPACITY];
    EXPECT_EQ(raster_clip_flat({0, 0, -1, -1}, triangle, 3, out), 0);
    EXPECT_EQ(raster_clip_flat({64, 32, 63, 31}, triangle, 3, out), 3);
}

} // namespace
