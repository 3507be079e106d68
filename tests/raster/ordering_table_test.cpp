// The ordering table: the drawing order and the keys' limits as a seeded property against a plain
// sort of the packets, then the depth each vertex count gives, back faces, and the packets that
// the walk skips or stops at. (That every code reaches its filler with its own indices is the
// filler differential test's.)
#include "raster/ordering_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>
#include <vector>

#include "raster/flat.h"
#include "raster/packet.h"
#include "tests/support/packets.h"
#include "tests/support/raster_canvas.h"
#include "tests/support/scene_fixture.h"

namespace {

constexpr int16_t BLUE_INDEX = 2;
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

// What the walk makes of one packet, given a depth of its own of 77 and vertices (and a slot
// field) from a group of slots, then changed at one byte offset or not: the depth it is given (77
// when it is skipped: faces away or indexes outside a table), and whether the walk goes on to a
// square after it, whose indices are the last of their tables (vertex 1499, flat colour 1199).
TEST_F(OrderingTableTest, EachPacketGetsTheDepthOfItsVertexCountOrIsSkippedOrEndsTheWalk)
{
    constexpr int16_t HELD = 77;
    constexpr size_t UNCHANGED = PACKET_DEPTH_AT;
    // Slots 0 to 2 run counter-clockwise on screen, y growing downwards: 0 x -10 - 10 x 10 < 0;
    // slots 3 to 5 clockwise: 10 x 10 - 0 >= 0; slots 6 to 8 have no area.
    // clang-format off
    for (const auto& [slot, x, y, depth] : {std::array{0, 0, 0, 20}, {1, 0, 10, 20}, {2, 10, 0, 20},
                                            {3, 0, 0, 20}, {4, 10, 0, 20}, {5, 0, 10, 20},
                                            {6, 5, 5, 30}, {7, 10, 10, 30}, {8, 10, 10, 30},
                                            {30, 0, 0, 100}, {31, 0, 0, 100}})
        place(slot, x, y, depth);
    // clang-format on
    const int32_t depths[] = {7, 10, -1, -1, 0, -1, -1, -2, -2, 1, 2, 3, 5, 33, 7, 12};
    for (int32_t i = 0; i < 16; ++i)
        place(10 + i, 0, 0, depths[i], i == 14 ? VERTEX_CLIPPED : VERTEX_PROJECTED);
    place_square(1496, 40, 20, 10, 100);
    scene_header().flat_colours[1199] = BLUE_PIXEL;
    const struct {
        uint32_t tag;
        int32_t vertex;
        size_t at;
        int16_t value;
        int32_t depth;
        bool ends;
    } rows[] = {
        {2, 10, UNCHANGED, HELD, 8, false},                 // (7 + 10) >> 1
        {PACKET_FLAT_TRI, 12, UNCHANGED, HELD, 0, false},   // -2 / 3 truncates toward 0, not -1
        {PACKET_FLAT_QUAD, 15, UNCHANGED, HELD, -2, false}, // -6 >> 2 rounds down, not to -1
        {PACKET_FLAT_QUAD, 19, UNCHANGED, HELD, 2, false},  // 11 >> 2
        {PACKET_MARKER, 23, UNCHANGED, HELD, 33, false},    // one: the slot field's vertex
        {9, 23, UNCHANGED, HELD, 33, false},                // any other code of count 1
        {0, 19, UNCHANGED, HELD, HELD, false},              // counts 0, 5, 6 and 7 keep their own
        {5, 19, UNCHANGED, HELD, HELD, false},
        {6, 19, UNCHANGED, HELD, HELD, false},
        {7, 19, UNCHANGED, HELD, HELD, false},
        {2, 23, UNCHANGED, HELD, DEPTH_CLIPPED, false},             // a vertex behind the eye
        {PACKET_FLAT_TRI, 21, UNCHANGED, HELD, 13, false},          // one not read: 41 / 3
        {PACKET_MARKER, 24, UNCHANGED, HELD, DEPTH_CLIPPED, false}, //
        {PACKET_FLAT_TRI | PACKET_FLAG_CULL_BACK, 0, UNCHANGED, HELD, HELD, false}, // faces away
        {PACKET_FLAT_TRI, 0, UNCHANGED, HELD, 20, false}, // not asked to cull
        {PACKET_FLAT_TRI | PACKET_FLAG_CULL_BACK, 3, UNCHANGED, HELD, 20, false},
        {PACKET_FLAT_TRI | PACKET_FLAG_CULL_BACK, 6, UNCHANGED, HELD, 30, false}, // no area
        {PACKET_FLAT_QUAD, 0, packet_index_at(PACKET_VERTICES, 4, 3), 1500, HELD, false},
        {PACKET_GOURAUD_QUAD, 0, packet_index_at(PACKET_VERTICES, 4, 1), -1, HELD, false},
        {PACKET_FLAT_QUAD, 0, packet_index_at(PACKET_COLOURS, 4, 0), 1200, HELD, false},
        {PACKET_GOURAUD_ADD_QUAD, 0, packet_index_at(PACKET_COLOURS, 4, 2), 1500, HELD, false},
        {PACKET_TEX_QUAD, 0, packet_index_at(PACKET_TEXCOORDS, 4, 0), 1200, HELD, false},
        {PACKET_MARKER, 0, PACKET_SLOT_AT, 1500, HELD, false},
        {PACKET_MARKER, 0, PACKET_SLOT_AT, -5, HELD, false},
        // The back-face test reads three vertices of any packet, a marker's spare bytes
        // included, and of a packet of two vertices (here two on one point, which no turn
        // drops).
        {PACKET_MARKER | PACKET_FLAG_CULL_BACK, 0, packet_index_at(PACKET_VERTICES, 1, 2), 1500,
         HELD, false},
        {2 | PACKET_FLAG_CULL_BACK, 30, packet_index_at(PACKET_VERTICES, 2, 2), 1500, HELD, false},
        // A size below the layout (the size field's low half).
        {PACKET_FLAT_TRI, 0, PACKET_SIZE_AT, PACKET_MARKER_BYTES, HELD, true},
    };
    for (const auto& row : rows) {
        clear_stream();
        QuadPacket packet = test_packet(row.tag, row.vertex, 0, 0, row.vertex);
        packet.depth = HELD;
        packet_put<int16_t>(reinterpret_cast<uint8_t*>(&packet), row.at, row.value);
        const int32_t at = scene_add_packets(&packet, packet_layout_bytes(row.tag), 1);
        add(test_packet(PACKET_FLAT_QUAD, 1496, 1199));
        canvas.fill(0);
        draw();
        const int16_t depth =
            packet_get<int16_t>(scene_current()->packet_area + at, PACKET_DEPTH_AT);
        EXPECT_EQ(depth, row.depth)
            << "tag " << row.tag << ", vertex " << row.vertex << ", at " << row.at;
        EXPECT_EQ(canvas.at(45, 25), row.ends ? 0 : BLUE_PIXEL)
            << "tag " << row.tag << ", at " << row.at;
    }
}

// A packet that ends exactly at the end of the area is drawn; four bytes more and the walk ends.
TEST_F(OrderingTableTest, PacketReachingPastTheAreaEndsTheWalk)
{
    place_square(0, 0, 0, 10, 100);
    SceneBuffer& buffer = *scene_current();
    QuadPacket packet = test_packet(PACKET_FLAT_QUAD, 0, BLUE_INDEX);
    for (const int32_t size : {PACKET_QUAD_BYTES + 4, PACKET_QUAD_BYTES}) {
        packet.size = size;
        scene_header().first_packet = buffer.packet_area + buffer.packet_bytes - PACKET_QUAD_BYTES;
        std::memcpy(scene_header().first_packet, &packet, sizeof packet);
        scene_header().packet_count = 1;
        draw();
        EXPECT_EQ(canvas.at(0, 0), size == PACKET_QUAD_BYTES ? BLUE_PIXEL : 0) << size;
    }
    // A first packet outside the area draws nothing.
    canvas.fill(0);
    scene_header().first_packet = buffer.packet_area + buffer.packet_bytes + 4;
    draw();
    EXPECT_TRUE(canvas.runs().empty());
}

} // namespace
