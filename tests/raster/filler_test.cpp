// The fillers' rules, each worked out by hand in one row of a table, since the plain fillers that
// the differential test compares with could get them wrong as well: the fill convention row by
// row, clipping at the surface's edges, a row drawn twice where an edge ends, a span cut at column
// 0 that keeps its whole length's colours, each family's blend, texel reads that wrap and follow
// the row stride and the left fraction, the slots that cannot be drawn from; then the box's own
// bounds. An edge from P to Q moves x by ((Q.x - P.x) x 256) / (Q.y - P.y + 1) per row, a row
// covers the columns from its left x >> 8 up to, not including, its right x >> 8, and a span's
// texel column is ((left u << E) >> 8 + i x (((right u - left u) / count) >> (8 - E))) >> 8,
// masked to the texture, and likewise for rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "platform/texture.h"
#include "raster/clip.h"
#include "raster/flat.h"
#include "raster/ordering_table.h"
#include "tests/support/packets.h"
#include "tests/support/raster_canvas.h"
#include "tests/support/scene_fixture.h"

namespace {

constexpr Pixel WHITE = 0x7FFF;
constexpr int32_t NO_TEXTURE = -1; // the packet names slot 3, left empty

using Runs = std::vector<PixelRun>;
// x, y and the vertex's values: red, green and blue, or u and v.
using Corner = std::array<int32_t, 5>;

Pixel rgb(uint32_t red, uint32_t green, uint32_t blue)
{
    return static_cast<Pixel>((red << 10) | (green << 5) | blue);
}

// The quad (0, 0), (w, 0), (w, h), (0, h) with the same values at every corner.
std::vector<Corner> rect(int32_t w, int32_t h, int32_t a = 0, int32_t b = 0, int32_t c = 0)
{
    return {{0, 0, a, b, c}, {w, 0, a, b, c}, {w, h, a, b, c}, {0, h, a, b, c}};
}

struct Polygon {
    int32_t code;
    int32_t width; // the canvas is width x width / 2
    std::vector<Corner> corners;
    int32_t log2_width, log2_height; // a texture whose texel i is first_texel + i
    Pixel first_texel, background;
    Runs runs;
    // One value for every pixel, one for each run, or each pixel in turn; none: not checked.
    std::vector<Pixel> pixels;
};

class FillerTest : public SceneFixture {
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        tex_init();
        ASSERT_EQ(scene_reserve_vertices(RASTER_POLYGON_MAX), 0);
    }

    void TearDown() override
    {
        tex_free_all();
        SceneFixture::TearDown();
    }

    // The polygon as the only packet of the stream, white if flat, drawn as a frame draws it.
    static void draw(const Polygon& p, const RasterTarget& target)
    {
        SceneHeader& h = scene_header();
        for (size_t i = 0; i < p.corners.size(); ++i) {
            const Corner& c = p.corners[i];
            *scene_vertex_slot(static_cast<int32_t>(i)) = {c[0], c[1], 100, VERTEX_PROJECTED};
            h.colour_entries[i] = {c[2], c[3], c[4], 0};
            h.texcoords[i] = {c[2], c[3], {}};
        }
        h.flat_colours[0] = WHITE;
        tex_free_all();
        int32_t slot = 3;
        if (p.log2_width != NO_TEXTURE) {
            slot = tex_create(p.log2_width, p.log2_height);
            for (int32_t i = 0; i < (1 << (p.log2_width + p.log2_height)); ++i)
                tex_pixels(slot)[i] = static_cast<Pixel>(p.first_texel + i);
        }
        h.packet_count = 0;
        h.packet_write = h.first_packet;
        const QuadPacket packet = test_packet(static_cast<uint32_t>(p.code), 0, 0, 0, slot);
        ASSERT_EQ(scene_add_packets(&packet, packet.size, 1), 0);
        ot_insert_packets(*scene_current());
        ot_flush(*scene_current(), target);
    }
};

TEST_F(FillerTest, PolygonsFollowTheWalkingAndSpanRules)
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
    const Runs two_rows = {{0, 0, 5}, {1, 0, 5}};
    const Runs none;
    const auto grey = [](uint32_t v) { return rgb(v, v, v); };
    const std::vector<Corner> white = rect(5, 1, 255, 255, 255);
    const int32_t TRI = PACKET_FLAT_TRI;
    const int32_t QUAD = PACKET_FLAT_QUAD;
    const int32_t GOURAUD = PACKET_GOURAUD_QUAD;
    const int32_t ADDED = PACKET_GOURAUD_ADD_QUAD;
    const int32_t NO = NO_TEXTURE;
    const Polygon rows[] = {
        // clang-format off
        {TRI, 64, {{0, 0}, {10, 10}, {0, 10}}, NO, 0, 0, 0, vertical_left, {}},
        {TRI, 64, {{0, 0}, {10, 0}, {5, 10}}, NO, 0, 0, 0, flat_top, {}},
        {QUAD, 64, {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, NO, 0, 0, 0, square, {WHITE}},
        {QUAD, 64, {{0, 0}, {0, 10}, {10, 10}, {10, 0}}, NO, 0, 0, 0, square, {}},
        {QUAD, 64, {{10, 10}, {0, 10}, {0, 0}, {10, 0}}, NO, 0, 0, 0, square, {}},
        {QUAD, 64, {{50, 10}, {100, 10}, {100, 50}, {50, 50}}, NO, 0, 0, 0, cut, {}},
        // Equal first slopes: (5, 10) and (10, 21) are both 116 per row away, 1280 / 11 and
        // 2560 / 22. Edge 0 runs through (5, 10), right of the other edge, so as the left edge it
        // leaves the rows empty until, from row 11, it steps only 1280 / 12 = 106 against 116:
        // row 11 + j runs from (1276 + 106 j) >> 8 to (1276 + 116 j) >> 8.
        {TRI, 64, {{0, 0}, {5, 10}, {10, 21}}, NO, 0, 0, 0, {{18, 7, 8}, {20, 8, 9}}, {}},
        // A bow-tie that the clipper leaves whole, turned by the two passes to (15, 1), (15, 0),
        // (13, 3), (5, 1). Edge 0 goes left at -512 / 4 = -128 per row; edge 1 drops to (15, 1),
        // then swings to (5, 1) and back at 2048 / 3 = 682 per row. Rows 1 and 2 cover column
        // 14; on row 3 the sides are at 3456 and 4522, columns 13 to 16, and column 16 is not
        // drawn (it would be column 0 of row 4).
        {QUAD, 16, {{13, 3}, {5, 1}, {15, 1}, {15, 0}}, NO, 0, 0, 0,
         {{1, 14, 15}, {2, 14, 15}, {3, 13, 16}}, {}},
        // On one row: nothing. Every vertex outside columns 0..63: the column pass keeps none,
        // though the quad covers the whole surface; then a triangle whose edges each have both
        // ends outside rows 0..31.
        {TRI, 64, {{0, 5}, {30, 5}, {60, 5}}, NO, 0, 0, 0, none, {}},
        {QUAD, 64, {{0, 5}, {30, 5}, {60, 5}, {10, 5}}, NO, 0, 0, 0, none, {}},
        {QUAD, 64, {{-20, -20}, {80, -10}, {90, 50}, {-30, 40}}, NO, 0, 0, 0, none, {}},
        {TRI, 64, {{42, -12}, {2, -5}, {33, 37}}, NO, 0, 0, 0, none, {}},
        // The right edge from (0, 0) to (8, 3) steps 2048 / 4 = 512 per row and ends on row 3;
        // the next segment, (8, 3) to (8, 4), ends on row 4, which is filled once as it ends and
        // again when the last segment, stepping -2048 / 5 = -409, starts there. (64, 64, 64) adds
        // 8 to each channel per fill.
        {ADDED, 64, {{0, 0, 64, 64, 64}, {8, 3, 64, 64, 64}, {8, 4, 64, 64, 64},
         {0, 8, 64, 64, 64}}, NO, 0, 0, 0,
         {{1, 0, 2}, {2, 0, 4}, {3, 0, 6}, {4, 0, 8}, {5, 0, 6}, {6, 0, 4}, {7, 0, 3}, {8, 0, 1}},
         {grey(8), grey(8), grey(8), grey(16), grey(8), grey(8), grey(8), grey(8)}},
        // A bow-tie that the clipper leaves whole: (0, 0), (1, 1), (15, 0), (3, 3) once the two
        // passes have turned it round, red 0, 0, 40 and 255. Edge 0 leans left (slope 256 / 2 =
        // 128 against 768 / 4 = 192) and turns at (1, 1) and (15, 0) before any pixel is filled;
        // only row 3 has a span. There the left side, from (15, 0) to (3, 3) at -3072 / 4 = -768
        // per row, is at -512 with red 2 x 0 + (215 x 256) / 4 = 13760, the right side at 576
        // with red 3 x 65280 / 4 = 48960. The span covers columns -2 to 1: red steps
        // (35200 >> 1) / 4 = 4400 from 13760 >> 1 = 6880, so column 0, the third pixel, is red
        // 15680 >> 10 = 15 and column 1 red 20080 >> 10 = 19.
        {GOURAUD, 16, {{15, 0, 40}, {3, 3, 255}, {0, 0, 0}, {1, 1, 0}}, NO, 0, 0, 0,
         {{3, 0, 2}}, {rgb(15, 0, 0), rgb(19, 0, 0)}},
        // Five pixels a row, two pairs and a last pixel alone, which every blend treats alike.
        // Opaque gouraud: each channel x 256, halved to 8.7, then >> 10: the top five of eight.
        {GOURAUD, 64, white, NO, 0, 0, 0x1234, two_rows, {WHITE}},
        // From 0 to 255 over 8 pixels the step is (65280 >> 1) / 8 = 4080: pixel i is
        // (4080 i) >> 10 in every channel, and the last one 27, never 31.
        {GOURAUD, 64, {{0, 0, 0, 0, 0}, {8, 0, 255, 255, 255}, {8, 1, 255, 255, 255}, {0, 1}},
         NO, 0, 0, 0x1234, {{0, 0, 8}, {1, 0, 8}},
         {grey(0), grey(3), grey(7), grey(11), grey(15), grey(19), grey(23), grey(27),
          grey(0), grey(3), grey(7), grey(11), grey(15), grey(19), grey(23), grey(27)}},
        {GOURAUD, 64, rect(5, 1, 128, 64, 40), NO, 0, 0, 0x1234, two_rows, {rgb(16, 8, 5)}},
        // Additive gouraud: the top four bits of each channel at the top of its five-bit field,
        // added to the frame's channels less their lowest bit: 30 over 0 or 1; over 2 every
        // channel saturates at 31 and the red carry sets bit 15. (128, 64, 32) gives 16, 8 and
        // 4; over (3, 5, 7), that is (2, 4, 6), it makes (18, 12, 10). Blue 4 over 30 saturates
        // and its carry sets green's lowest bit.
        {ADDED, 64, white, NO, 0, 0, 0x0000, two_rows, {0x7BDE}},
        {ADDED, 64, white, NO, 0, 0, 0x0421, two_rows, {0x7BDE}},
        {ADDED, 64, white, NO, 0, 0, 0x0842, two_rows, {0xFFFF}},
        {ADDED, 64, rect(5, 1, 128, 64, 32), NO, 0, 0, rgb(3, 5, 7), two_rows, {rgb(18, 12, 10)}},
        {ADDED, 64, rect(5, 1, 0, 0, 32), NO, 0, 0, rgb(0, 0, 30), two_rows, {rgb(0, 1, 31)}},
        // Textured, from one texel: the texel; added like the gouraud sources; or the two
        // averaged per channel, rounding down: 31 and 0 make 15, 31 and 2 make 16.
        {PACKET_TEX_QUAD, 64, rect(5, 1), 0, 0, 0x1234, 0x0842, two_rows, {0x1234}},
        {PACKET_TEX_ADD_QUAD, 64, rect(5, 1), 0, 0, 0x7FFF, 0x0421, two_rows, {0x7BDE}},
        {PACKET_TEX_ADD_QUAD, 64, rect(5, 1), 0, 0, 0x7FFF, 0x0842, two_rows, {0xFFFF}},
        {PACKET_TEX_HALF_QUAD, 64, rect(5, 1), 0, 0, 0x7FFF, 0x0000, two_rows, {rgb(15, 15, 15)}},
        {PACKET_TEX_HALF_QUAD, 64, rect(5, 1), 0, 0, 0x7FFF, 0x0842, two_rows, {rgb(16, 16, 16)}},
        // Texel reads, over a frame no texel index matches. 16 x 16 texels, four pixels a row
        // over 64 units: du = 16384 / 4 = 4096, dtu = 4096 >> 4 = 256, one texel per pixel. Left
        // u 256 starts at (65536 << 4) >> 8 = 4096, column 16 AND 15 = 0; left u -1 starts at
        // -16, column -1 AND 15 = 15.
        {PACKET_TEX_QUAD, 64, {{0, 0, 256}, {4, 0, 320}, {4, 1, 320}, {0, 1, 256}}, 4, 4, 0, WHITE,
         {{0, 0, 4}, {1, 0, 4}}, {0, 1, 2, 3, 0, 1, 2, 3}},
        {PACKET_TEX_QUAD, 64, {{0, 0, -1}, {4, 0, 63}, {4, 1, 63}, {0, 1, -1}}, 4, 4, 0, WHITE,
         {{0, 0, 4}, {1, 0, 4}}, {15, 0, 1, 2, 15, 0, 1, 2}},
        // 4 x 2 texels, v from 0 to 256 over rows 0..3: each side steps 65536 / 4 = 16384 per
        // row, tv = 16384 r << 1 >> 8 = 128 r, so rows 0, 1 read texel row 0 and rows 2, 3 texel
        // row 1, 2^2 texels on. u from 256 to 512 over four pixels starts at (65536 << 2) >> 8 =
        // 1024 and steps 16384 >> 6 = 256: columns 4 to 7, wrapped to 0 to 3.
        {PACKET_TEX_QUAD, 64, {{0, 0, 256, 0}, {4, 0, 512, 0}, {4, 3, 512, 256}, {0, 3, 256, 256}},
         2, 1, 0, WHITE, {{0, 0, 4}, {1, 0, 4}, {2, 0, 4}, {3, 0, 4}},
         {0, 1, 2, 3, 0, 1, 2, 3, 4, 5, 6, 7, 4, 5, 6, 7}},
        // 256 x 1 texels, so a texel is one unit of u. On row 1 the left side has stepped (1 x
        // 256) / 2 = 128, half a texel, and the right side 640; du = 512 / 4 = 128. The columns
        // are (128 + 128 i) >> 8 = 0, 1, 1, 2, where row 0, from 0, reads 0, 0, 1, 1.
        {PACKET_TEX_QUAD, 64, {{0, 0, 0}, {4, 0, 2}, {4, 1, 3}, {0, 1, 1}}, 8, 0, 0, WHITE,
         {{0, 0, 4}, {1, 0, 4}}, {0, 0, 1, 1, 0, 1, 1, 2}},
        // An empty slot, and textures 512 texels wide or high, beyond the span arithmetic.
        {PACKET_TEX_QUAD, 64, rect(8, 8), NO, 0, 0, 0x1234, none, {}},
        {PACKET_TEX_QUAD, 64, rect(8, 8), 9, 0, 0, 0x1234, none, {}},
        {PACKET_TEX_QUAD, 64, rect(8, 8), 0, 9, 0, 0x1234, none, {}},
        // clang-format on
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Polygon& p = rows[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ", code " << p.code);
        RasterCanvas canvas(p.width, p.width / 2, p.background);
        draw(p, canvas.target());
        // The runs include the guard row's, which a polygon never reaches.
        ASSERT_EQ(canvas.runs(), p.runs);
        size_t n = 0;
        for (size_t r = 0; r < p.runs.size() && !p.pixels.empty(); ++r) {
            const auto [row, first, end] = p.runs[r];
            for (int32_t x = first; x < end; ++x, ++n) {
                const size_t at = p.pixels.size() == 1               ? 0
                                  : p.pixels.size() == p.runs.size() ? r
                                                                     : n;
                EXPECT_EQ(canvas.at(x, row), p.pixels[at]) << x << ", " << row;
            }
        }
    }
}

// A box's top and bottom edges cover columns x to x + w - 1 on rows y and y + h; its sides, on
// columns x and x + w, run from row y to y + h - 1, so the bottom-right corner is left out. Each
// is cut to the surface's columns and rows 0 to H, and a side is drawn only where its column is
// on 0 to W.
// Column W is addressed as column 0 of the next row and row H is the guard row.
TEST(BoxTest, BoxesKeepTheirSidesWhereTheBoxPutsThem)
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
