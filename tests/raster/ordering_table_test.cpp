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

    // Appends a packet to the scene buffer; its byte offset in the packet area.
    template <typename Packet> static int32_t add(const Packet& packet)
    {
        return scene_add_packets(&packet, sizeof packet, 1);
    }

    template <typename Packet> static Packet stored(int32_t offset)
    {
        Packet packet;
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
            const int32_t at =
                add(tri_packet(PACKET_FLAT_TRI, static_cast<int16_t>(slot),
                               static_cast<int16_t>(slot + 1), static_cast<int16_t>(slot + 2),
                               static_cast<int16_t>(n), static_cast<int16_t>(offset)));
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
        ASSERT_FALSE(plain.changed().empty());
        ASSERT_EQ(canvas.changed(), plain.changed());
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
        QuadPacket packet = quad_packet(row.tag, 0, 0);
        packet.depth = 77;
        const int32_t at = add(packet);
        ot_insert_packets(*scene_current());
        EXPECT_EQ(stored<QuadPacket>(at).depth, row.depth) << "tag " << row.tag;
    }
}

TEST_F(OrderingTableTest, BackFacesAreDroppedBeforeTheirDepthIsWritten)
{
    // (0, 0), (10, 0), (0, 10) runs clockwise on screen, y growing downwards: 10 x 10 - 0 >= 0.
    // Given as 0, 2, 1 it runs counter-clockwise: 0 x -10 - 10 x 10 < 0.
    place(0, 0, 0, 20);
    place(1, 10, 0, 20);
    place(2, 0, 10, 20);
    TriPacket away = tri_packet(PACKET_FLAT_TRI | PACKET_FLAG_CULL_BACK, 0, 2, 1, RED_INDEX);
    away.depth = 1234;
    const int32_t culled = add(away);
    draw();
    EXPECT_EQ(stored<TriPacket>(culled).depth, 1234);
    EXPECT_TRUE(canvas.runs().empty());

    // The same triangle without the flag, and the other way round with it (one bucket nearer),
    // are drawn; so is one with no area, which passes the test.
    add(tri_packet(PACKET_FLAT_TRI, 0, 2, 1, RED_INDEX));
    draw();
    EXPECT_EQ(canvas.at(1, 5), RED_PIXEL);
    add(tri_packet(PACKET_FLAT_TRI | PACKET_FLAG_CULL_BACK, 0, 1, 2, GREEN_INDEX, -1));
    draw();
    EXPECT_EQ(canvas.at(1, 5), GREEN_PIXEL);
    place(3, 5, 5, 30);
    place(4, 10, 10, 30);
    const int32_t flat = add(tri_packet(PACKET_FLAT_TRI | PACKET_FLAG_CULL_BACK, 3, 4, 4, 0));
    ot_insert_packets(*scene_current());
    EXPECT_EQ(head(30), flat);
}

TEST_F(OrderingTableTest, PacketsIndexingOutsideTheirTablesAreSkipped)
{
    place_square(0, 0, 0, 10, 100);
    place(31, 0, 0, 100);
    QuadPacket vertex_beyond = quad_packet(PACKET_FLAT_QUAD, 0, RED_INDEX);
    vertex_beyond.vertex[3] = 1500;
    QuadPacket vertex_negative = quad_packet(PACKET_GOURAUD_QUAD, 0, RED_INDEX);
    vertex_negative.vertex[1] = -1;
    QuadPacket colour_beyond = quad_packet(PACKET_GOURAUD_ADD_QUAD, 0, RED_INDEX);
    colour_beyond.colour[2] = 1500;
    QuadPacket texcoord_beyond = quad_packet(PACKET_TEX_QUAD, 0, RED_INDEX);
    texcoord_beyond.texcoord[0] = 1200;
    // A textured packet naming an empty slot.
    QuadPacket no_texture = quad_packet(PACKET_TEX_QUAD, 0, 0);
    no_texture.slot = 3;
    for (const QuadPacket& packet :
         {vertex_beyond, vertex_negative, quad_packet(PACKET_FLAT_QUAD, 0, 1200), colour_beyond,
          texcoord_beyond, no_texture})
        add(packet);
    // The back-face test reads three vertices of any packet, a marker's spare bytes included.
    MarkerPacket marker_beyond = marker_packet(PACKET_MARKER | PACKET_FLAG_CULL_BACK, 31);
    packet_put<int16_t>(reinterpret_cast<uint8_t*>(&marker_beyond),
                        packet_index_at(PACKET_VERTICES, 1, 2), 1500);
    for (const MarkerPacket& packet :
         {marker_beyond, marker_packet(PACKET_MARKER, 1500), marker_packet(PACKET_MARKER, -5)})
        add(packet);
    // Two vertices, but the back-face test reads a third, which must lie in the table too.
    TriPacket two_vertices = tri_packet(2 | PACKET_FLAG_CULL_BACK, 0, 0, 0, RED_INDEX);
    two_vertices.vertex[2] = 1500;
    const int32_t two = add(two_vertices);
    draw();
    EXPECT_EQ(stored<TriPacket>(two).depth, 0) << "never given a depth";
    EXPECT_TRUE(canvas.runs().empty());

    // Packets after them are still walked, and the last indices of each table are in it.
    QuadPacket last = quad_packet(PACKET_FLAT_QUAD, 0, 1199);
    last.vertex[3] = 1499;
    place(1499, 0, 10, 100);
    scene_header().flat_colours[1199] = BLUE_PIXEL;
    add(last);
    draw();
    EXPECT_EQ(canvas.at(0, 0), BLUE_PIXEL);
}

TEST_F(OrderingTableTest, PacketsTooSmallForTheirLayoutOrPastTheAreaEndTheWalk)
{
    place_square(0, 0, 0, 10, 100);
    add(quad_packet(PACKET_FLAT_QUAD, 0, RED_INDEX));
    TriPacket short_triangle = tri_packet(PACKET_FLAT_TRI, 0, 1, 2, GREEN_INDEX);
    short_triangle.size = PACKET_MARKER_BYTES;
    const int32_t short_one = add(short_triangle);
    add(quad_packet(PACKET_FLAT_QUAD, 0, GREEN_INDEX));
    // The count claims more packets than were written: the zeros after them end the walk too.
    scene_header().packet_count += 5;
    ot_insert_packets(*scene_current());
    EXPECT_EQ(stored<QuadPacket>(head(100)).link, OT_EMPTY);
    EXPECT_EQ(stored<TriPacket>(short_one).depth, 0);
    ot_flush(*scene_current(), canvas.target());
    EXPECT_EQ(canvas.at(0, 0), RED_PIXEL);

    // A packet that ends exactly at the end of the area is drawn; four bytes more and it is not.
    SceneBuffer& buffer = *scene_current();
    uint8_t* last = buffer.packet_area + buffer.packet_bytes - PACKET_QUAD_BYTES;
    QuadPacket packet = quad_packet(PACKET_FLAT_QUAD, 0, BLUE_INDEX);
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
