// The ordering table: the drawing order and the keys' limits as a seeded property against a plain
// sort of the packets, then the depth each vertex count gives, back faces, and the packets that
// the walk skips or stops at. (That every code reaches its filler with its own indices is the
// filler differential test's.)
#include "raster/ordering_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "raster/flat.h"
#include "raster/packet.h"
#include "tests/support/packets.h"
#include "tests/support/raster_canvas.h"
#include "tests/support/scene_fixture.h"

namespace {

constexpr int16_t RED_INDEX = 0;
constexpr int16_t GREEN_INDEX = 1;
constexpr int16_t BLUE_INDEX = 2;
constexpr Pixel RED_PIXEL = 0x7C00;
constexpr Pixel GREEN_PIXEL = 0x03E0;
constexpr Pixel BLUE_PIXEL = 0x001F;

class OrderingTableTest : public SceneFixture {
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        ASSERT_EQ(scene_reserve_vertices(32), 0);
        const ColourEntry colours[] = {{255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}};
        ASSERT_EQ(scene_add_colours(colours, 3), 0);
    }

    static void place(int32_t slot, int32_t x, int32_t y, int32_t depth,
                      int32_t clip = VERTEX_PROJECTED)
    {
        *scene_vertex_slot(slot) = {x, y, depth, clip};
    }

    // Four slots from first, the square's corners clockwise from its top left, all at depth.
    static void place_square(int32_t first, int32_t x, int32_t y, int32_t side, int32_t depth)
    {
        place(first, x, y, depth);
        place(first + 1, x + side, y, depth);
        place(first + 2, x + side, y + side, depth);
        place(first + 3, x, y + side, depth);
    }

    // Appends the packet's size of bytes to the scene buffer; its byte offset in the packet area.
    static int32_t add(const QuadPacket& packet)
    {
        return scene_add_packets(&packet, packet.size, 1);
    }

    static QuadPacket stored(int32_t offset)
    {
        QuadPacket packet;
        std::memcpy(&packet, scene_current()->packet_area + offset, sizeof packet);
        return packet;
    }

    static void clear_stream()
    {
        scene_header().packet_count = 0;
        scene_header().packet_write = scene_header().first_packet;
    }

    static int32_t head(int32_t bucket)
    {
        return scene_ordering_table()->heads[bucket];
    }

    // Inserts and draws the stream; every bucket that is drawn is left empty.
    void draw()
    {
        ot_insert_packets(*scene_current());
        EXPECT_EQ(ot_flush(*scene_current(), canvas.target()), 0);
        for (int32_t bucket = 1; bucket < OT_BUCKETS; ++bucket)
            ASSERT_EQ(head(bucket), OT_EMPTY) << "bucket " << bucket;
    }

    RasterCanvas canvas{64, 32};
};

// Overlapping triangles whose three vertices share a depth, crowded near both ends of the table
// and around runs of empty buckets, some with a vertex behind the eye (depth 4096), with depth
// offsets now and then. The plain order: keys 1 to 4095 only, the largest first, and of equal keys
// the last inserted first; key 0 keeps its bucket, undrawn.
TEST_F(OrderingTableTest, FlushDrawsKeysFarToNearAndTheLastInsertedOfAKeyFirst)
{
    constexpr uint32_t SEED = 4096;
    constexpr int32_t PACKETS = 300;
    std::mt19937 rng(SEED);
    const auto below = [&](int32_t n) { return static_cast<int32_t>(rng() % n); };
    const int32_t first = scene_reserve_vertices(3 * PACKETS);
    ASSERT_GE(first, 0);
    for (int32_t round = 0; round < 8; ++round) {
        SCOPED_TRACE(testing::Message() << "seed " << SEED << ", round " << round);
        clear_stream();
        std::vector<std::pair<int32_t, int32_t>> drawn; // key, packet
        int32_t last_at_zero = OT_EMPTY;
        for (int32_t n = 0; n < PACKETS; ++n) {
            const int32_t depths[] = {below(40), OT_BUCKETS - 40 + below(50), below(OT_BUCKETS),
                                      16 * below(256) + below(2) - 1};
            const int32_t depth = depths[below(4)];
            const bool behind = below(16) == 0;
            const int32_t offset = below(4) ? 0 : below(101) - 50;
            const int32_t x = below(60);
            const int32_t y = below(28);
            const int32_t slot = first + 3 * n;
            place(slot, x, y, depth);
            place(slot + 1, x + 1 + below(9), y, depth, behind ? VERTEX_CLIPPED : VERTEX_PROJECTED);
            place(slot + 2, x, y + 1 + below(9), depth);
            scene_current()->flat_table[n] = static_cast<Pixel>(rng());
            const int32_t at = add(test_packet(PACKET_FLAT_TRI, slot, n, offset));
            const int32_t key = (behind ? DEPTH_CLIPPED : depth) + offset;
            if (key >= 1 && key < OT_BUCKETS)
                drawn.emplace_back(key, n);
            if (key == 0)
                last_at_zero = at;
        }
        std::sort(drawn.rbegin(), drawn.rend());
        RasterCanvas plain(64, 32);
        for (const auto& [key, n] : drawn) {
            const int32_t slot = first + 3 * n;
            raster_flat_tri(plain.target(), *scene_vertex_slot(slot), *scene_vertex_slot(slot + 1),
                            *scene_vertex_slot(slot + 2), scene_current()->flat_table[n]);
        }
        canvas.fill(0);
        draw();
        ASSERT_FALSE(plain.runs().empty());
        ASSERT_EQ(canvas.first_difference(plain), "");
        if (last_at_zero != OT_EMPTY) {
            EXPECT_EQ(head(0), last_at_zero);
        }
    }
}

TEST_F(OrderingTableTest, DepthComesFromAsManyVerticesAsTheTagCounts)
{
    // A quad's layout with vertex slots 0 to 3 in its vertex array and 0 in its slot field, its
    // own depth 77; the vertex slots' depths, and which slot is behind the eye (-1: none).
    const struct {
        uint32_t tag;
        int32_t depths[4];
        int32_t behind;
        int32_t depth;
    } rows[] = {
        {2, {7, 10, 99, 99}, -1, 8},                         // (7 + 10) >> 1
        {PACKET_FLAT_TRI, {-1, -1, 0, 99}, -1, 0},           // -2 / 3 truncates toward 0, not -1
        {PACKET_FLAT_QUAD, {-1, -1, -2, -2}, -1, -2},        // -6 >> 2 rounds down, not to -1
        {PACKET_FLAT_QUAD, {1, 2, 3, 5}, -1, 2},             // 11 >> 2
        {PACKET_MARKER, {33, 99, 99, 99}, -1, 33},           // one: the slot field's vertex
        {9, {33, 99, 99, 99}, -1, 33},                       // any other code of count 1
        {0, {1, 2, 3, 4}, -1, 77},                           // counts 0, 5, 6 and 7 keep their own
        {5, {1, 2, 3, 4}, -1, 77},                           //
        {6, {1, 2, 3, 4}, -1, 77},                           //
        {7, {1, 2, 3, 4}, -1, 77},                           //
        {2, {7, 10, 99, 99}, 1, DEPTH_CLIPPED},              // a vertex read is behind the eye
        {PACKET_FLAT_TRI, {7, 10, 12, 99}, 3, 9},            // one that is not read does not count
        {PACKET_MARKER, {33, 99, 99, 99}, 0, DEPTH_CLIPPED}, //
    };
    for (const auto& row : rows) {
        for (int32_t slot = 0; slot < 4; ++slot)
            place(slot, slot, 0, row.depths[slot],
                  slot == row.behind ? VERTEX_CLIPPED : VERTEX_PROJECTED);
        clear_stream();
        QuadPacket packet = test_packet(row.tag, 0);
        packet.size = PACKET_QUAD_BYTES;
        packet.depth = 77;
        const int32_t at = add(packet);
        ot_insert_packets(*scene_current());
        EXPECT_EQ(stored(at).depth, row.depth) << "tag " << row.tag;
    }
}

TEST_F(OrderingTableTest, BackFacesAreDroppedBeforeTheirDepthIsWritten)
{
    // (0, 0), (0, 10), (10, 0) runs counter-clockwise on screen, y growing downwards:
    // 0 x -10 - 10 x 10 < 0; (0, 0), (10, 0), (0, 10) clockwise: 10 x 10 - 0 >= 0.
    place(0, 0, 0, 20);
    place(1, 0, 10, 20);
    place(2, 10, 0, 20);
    place(3, 0, 0, 20);
    place(4, 10, 0, 20);
    place(5, 0, 10, 20);
    QuadPacket away = test_packet(PACKET_FLAT_TRI | PACKET_FLAG_CULL_BACK, 0, RED_INDEX);
    away.depth = 1234;
    const int32_t culled = add(away);
    draw();
    EXPECT_EQ(stored(culled).depth, 1234);
    EXPECT_TRUE(canvas.runs().empty());

    // The same triangle without the flag, and the other way round with it (one bucket nearer),
    // are drawn; so is one with no area, which passes the test.
    add(test_packet(PACKET_FLAT_TRI, 0, RED_INDEX));
    draw();
    EXPECT_EQ(canvas.at(1, 5), RED_PIXEL);
    add(test_packet(PACKET_FLAT_TRI | PACKET_FLAG_CULL_BACK, 3, GREEN_INDEX, -1));
    draw();
    EXPECT_EQ(canvas.at(1, 5), GREEN_PIXEL);
    place(6, 5, 5, 30);
    place(7, 10, 10, 30);
    place(8, 10, 10, 30);
    const int32_t flat = add(test_packet(PACKET_FLAT_TRI | PACKET_FLAG_CULL_BACK, 6));
    ot_insert_packets(*scene_current());
    EXPECT_EQ(head(30), flat);
}

// Each row's packet, its own depth 77, comes first in the stream, then a square whose indices are
// the last of their tables (vertex 1499, flat colour 1199): a packet indexing outside a table is
// skipped, never given a depth, and the square drawn; a packet smaller than its layout ends the
// walk.
TEST_F(OrderingTableTest, PacketsIndexingOutsideTheirTablesAreSkippedAndBadSizesEndTheWalk)
{
    place_square(1496, 0, 0, 10, 100);
    place(30, 0, 0, 100);
    place(31, 0, 0, 100);
    scene_header().flat_colours[1199] = BLUE_PIXEL;
    // The int16 at byte at of the packet with vertices from vertex, and what it is set to.
    const struct {
        uint32_t tag;
        int32_t vertex;
        size_t at;
        int16_t value;
        bool ends;
    } rows[] = {
        {PACKET_FLAT_QUAD, 0, packet_index_at(PACKET_VERTICES, 4, 3), 1500, false},
        {PACKET_GOURAUD_QUAD, 0, packet_index_at(PACKET_VERTICES, 4, 1), -1, false},
        {PACKET_FLAT_QUAD, 0, packet_index_at(PACKET_COLOURS, 4, 0), 1200, false},
        {PACKET_GOURAUD_ADD_QUAD, 0, packet_index_at(PACKET_COLOURS, 4, 2), 1500, false},
        {PACKET_TEX_QUAD, 0, packet_index_at(PACKET_TEXCOORDS, 4, 0), 1200, false},
        {PACKET_MARKER, 0, PACKET_SLOT_AT, 1500, false},
        {PACKET_MARKER, 0, PACKET_SLOT_AT, -5, false},
        // The back-face test reads three vertices of any packet, a marker's spare bytes
        // included, and of a packet of two vertices (here two on one point, which no turn
        // drops).
        {PACKET_MARKER | PACKET_FLAG_CULL_BACK, 0, packet_index_at(PACKET_VERTICES, 1, 2), 1500,
         false},
        {2 | PACKET_FLAG_CULL_BACK, 30, packet_index_at(PACKET_VERTICES, 2, 2), 1500, false},
        // The size field's low half.
        {PACKET_FLAT_TRI, 0, PACKET_SIZE_AT, PACKET_MARKER_BYTES, true},
    };
    for (const auto& row : rows) {
        clear_stream();
        QuadPacket bad = test_packet(row.tag, row.vertex);
        bad.depth = 77;
        packet_put<int16_t>(reinterpret_cast<uint8_t*>(&bad), row.at, row.value);
        const int32_t at = scene_add_packets(&bad, packet_layout_bytes(row.tag), 1);
        add(test_packet(PACKET_FLAT_QUAD, 1496, 1199));
        canvas.fill(0);
        draw();
        EXPECT_EQ(stored(at).depth, 77) << row.tag << " at " << row.at;
        EXPECT_EQ(canvas.at(0, 0), row.ends ? 0 : BLUE_PIXEL) << row.tag << " at " << row.at;
    }
}

TEST_F(OrderingTableTest, PacketsPastTheAreaOrBeyondTheCountEndTheWalk)
{
    place_square(0, 0, 0, 10, 100);
    add(test_packet(PACKET_FLAT_QUAD, 0, RED_INDEX));
    // The count claims more packets than were written: the zeros after them end the walk.
    scene_header().packet_count += 5;
    draw();
    EXPECT_EQ(canvas.at(0, 0), RED_PIXEL);

    // A packet that ends exactly at the end of the area is drawn; four bytes more and it is not.
    SceneBuffer& buffer = *scene_current();
    uint8_t* last = buffer.packet_area + buffer.packet_bytes - PACKET_QUAD_BYTES;
    QuadPacket packet = test_packet(PACKET_FLAT_QUAD, 0, BLUE_INDEX);
    for (const int32_t size : {PACKET_QUAD_BYTES + 4, PACKET_QUAD_BYTES}) {
        packet.size = size;
        std::memcpy(last, &packet, sizeof packet);
        scene_header().first_packet = last;
        scene_header().packet_count = 1;
        draw();
        EXPECT_EQ(canvas.at(0, 0), size == PACKET_QUAD_BYTES ? BLUE_PIXEL : RED_PIXEL) << size;
    }
    // A first packet outside the area draws nothing.
    canvas.fill(0);
    scene_header().first_packet = buffer.packet_area + buffer.packet_bytes + 4;
    draw();
    EXPECT_TRUE(canvas.runs().empty());
}

} // namespace
