// The ordering table: depths by vertex count, back faces, keys outside the buckets, the order of
// drawing within and across buckets, the dispatch of every code to its filler, and the packets
// that the walk refuses.
#include "raster/ordering_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/texture.h"
#include "raster/flat.h"
#include "raster/gouraud.h"
#include "raster/packet.h"
#include "raster/textured.h"
#include "tests/support/packets.h"
#include "tests/support/raster_canvas.h"
#include "tests/support/scene_fixture.h"

namespace {

constexpr ColourEntry RED = {255, 0, 0, 0};
constexpr ColourEntry GREEN = {0, 255, 0, 0};
constexpr ColourEntry BLUE = {0, 0, 255, 0};
constexpr ColourEntry GREY = {128, 128, 128, 0};
// Their indices in the colour-entry and flat-colour tables, and their flat colours.
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
        tex_init();
        ASSERT_EQ(scene_reserve_vertices(32), 0);
        const ColourEntry colours[] = {RED, GREEN, BLUE, GREY};
        ASSERT_EQ(scene_add_colours(colours, 4), 0);
    }

    void TearDown() override
    {
        tex_free_all();
        SceneFixture::TearDown();
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

    static int32_t head(int32_t bucket)
    {
        return scene_ordering_table()->heads[bucket];
    }

    // The buckets 1 to 4095 that hold a packet.
    static std::vector<int32_t> filled_buckets()
    {
        std::vector<int32_t> filled;
        for (int32_t bucket = 1; bucket < OT_BUCKETS; ++bucket) {
            if (head(bucket) != OT_EMPTY)
                filled.push_back(bucket);
        }
        return filled;
    }

    void draw()
    {
        ot_insert_packets(*scene_current());
        EXPECT_EQ(ot_flush(*scene_current(), canvas.target()), 0);
        EXPECT_TRUE(filled_buckets().empty());
    }

    RasterCanvas canvas{64, 32};
};

TEST_F(OrderingTableTest, BucketsDrawFarToNearAndTheLastInsertedOfABucketFirst)
{
    place_square(0, 0, 0, 10, 100);
    place_square(4, 5, 0, 10, 50);
    const int32_t a = add(quad_packet(PACKET_FLAT_QUAD, 0, RED_INDEX));
    const int32_t b = add(quad_packet(PACKET_FLAT_QUAD, 0, GREEN_INDEX));
    const int32_t c = add(quad_packet(PACKET_FLAT_QUAD, 4, BLUE_INDEX));
    ot_insert_packets(*scene_current());
    EXPECT_EQ(filled_buckets(), (std::vector<int32_t>{50, 100}));
    EXPECT_EQ(head(100), b);
    EXPECT_EQ(stored<QuadPacket>(b).link, a);
    EXPECT_EQ(stored<QuadPacket>(a).link, OT_EMPTY);
    EXPECT_EQ(head(50), c);
    EXPECT_EQ(stored<QuadPacket>(a).depth, 100);

    // B, then A over it, then the nearer C over both.
    EXPECT_EQ(ot_flush(*scene_current(), canvas.target()), 0);
    EXPECT_TRUE(filled_buckets().empty());
    for (int32_t row = 0; row <= 10; ++row) {
        for (int32_t x = 0; x < 15; ++x)
            ASSERT_EQ(canvas.at(x, row), x < 5 ? RED_PIXEL : BLUE_PIXEL) << x << ", " << row;
    }
}

TEST_F(OrderingTableTest, KeysOutsideOneTo4095AreNotDrawnAndAClippedQuadCanReach4095)
{
    place_square(0, 0, 0, 10, 0);
    place_square(4, 0, 0, 10, 4000);
    place_square(8, 0, 0, 10, 10);
    // One vertex behind the eye: depth 4096, dropped with offset 0.
    place_square(12, 0, 0, 10, 100);
    place(15, 0, 10, 100, VERTEX_CLIPPED);
    const int32_t zero = add(quad_packet(PACKET_FLAT_QUAD, 0, RED_INDEX));
    add(quad_packet(PACKET_FLAT_QUAD, 4, RED_INDEX, 96));
    add(quad_packet(PACKET_FLAT_QUAD, 8, RED_INDEX, -11));
    const int32_t dropped = add(quad_packet(PACKET_FLAT_QUAD, 12, RED_INDEX));
    ot_insert_packets(*scene_current());
    // Key 0 has its bucket, which is never drawn; 4096 and -1 have none.
    EXPECT_EQ(head(0), zero);
    EXPECT_EQ(stored<QuadPacket>(dropped).depth, DEPTH_CLIPPED);
    EXPECT_TRUE(filled_buckets().empty());
    ot_flush(*scene_current(), canvas.target());
    EXPECT_TRUE(canvas.runs().empty());

    // With offset -1 the clipped quad lands in bucket 4095 and is drawn first, under a quad in
    // 4094; and 4000 + 95 is the last bucket drawn.
    scene_header().packet_count = 0;
    scene_header().packet_write = scene_header().first_packet;
    place_square(16, 5, 0, 10, 4094);
    const int32_t farthest = add(quad_packet(PACKET_FLAT_QUAD, 12, RED_INDEX, -1));
    add(quad_packet(PACKET_FLAT_QUAD, 16, GREEN_INDEX));
    place_square(20, 20, 0, 10, 4000);
    add(quad_packet(PACKET_FLAT_QUAD, 20, BLUE_INDEX, 95));
    ot_insert_packets(*scene_current());
    EXPECT_EQ(stored<QuadPacket>(head(4095)).link, farthest);
    ot_flush(*scene_current(), canvas.target());
    EXPECT_EQ(canvas.at(20, 0), BLUE_PIXEL);
    EXPECT_EQ(canvas.at(4, 5), RED_PIXEL);
    EXPECT_EQ(canvas.at(5, 5), GREEN_PIXEL);
}

TEST_F(OrderingTableTest, BackFacesAreDroppedBeforeTheirDepthIsWritten)
{
    // (0, 0), (10, 0), (0, 10) runs clockwise on screen, y growing downwards: 10 x 10 - 0 >= 0.
    place(0, 0, 0, 20);
    place(1, 10, 0, 20);
    place(2, 0, 10, 20);
    place(3, 5, 5, 30);
    place(4, 10, 10, 30);
    TriPacket away = tri_packet(PACKET_FLAT_TRI | PACKET_FLAG_CULL_BACK, 0, 2, 1, RED_INDEX);
    away.depth = 1234;
    const int32_t culled = add(away);
    draw();
    EXPECT_EQ(stored<TriPacket>(culled).depth, 1234);
    EXPECT_TRUE(canvas.runs().empty());

    // The same triangle without the flag, and the other way round with it (one bucket nearer),
    // are drawn.
    add(tri_packet(PACKET_FLAT_TRI, 0, 2, 1, RED_INDEX));
    draw();
    EXPECT_EQ(canvas.at(1, 5), RED_PIXEL);
    add(tri_packet(PACKET_FLAT_TRI | PACKET_FLAG_CULL_BACK, 0, 1, 2, GREEN_INDEX, -1));
    draw();
    EXPECT_EQ(canvas.at(1, 5), GREEN_PIXEL);

    // A triangle with no area passes the test: it is bucketed at depth 30.
    const int32_t flat = add(tri_packet(PACKET_FLAT_TRI | PACKET_FLAG_CULL_BACK, 3, 4, 4, 0));
    ot_insert_packets(*scene_current());
    EXPECT_EQ(head(30), flat);
    ot_flush(*scene_current(), canvas.target());
}

TEST_F(OrderingTableTest, DepthComesFromAsManyVerticesAsTheTagCounts)
{
    const int32_t depths[] = {7, 10, -1, -1, 0, -2, 1, 2, 3, 5, 33};
    for (int32_t slot = 0; slot < 11; ++slot)
        place(slot, slot, 0, depths[slot]);
    place(11, 0, 0, 9, VERTEX_CLIPPED);

    // Code 2, two vertices: (7 + 10) >> 1.
    const int32_t two = add(tri_packet(2, 0, 1, 1, 0));
    // Three: (-1 - 1 + 0) / 3 truncates to 0, not -1.
    const int32_t three = add(tri_packet(PACKET_FLAT_TRI, 2, 3, 4, 0));
    // Four: (-1 - 1 - 2 - 2) >> 2 rounds down to -2, where a division would give -1, and
    // (1 + 2 + 3 + 5) >> 2 is 2.
    QuadPacket negative = quad_packet(PACKET_FLAT_QUAD, 2, 0);
    negative.vertex[2] = 5;
    const int32_t four_negative = add(negative);
    const int32_t four = add(quad_packet(PACKET_FLAT_QUAD, 6, 0));
    // One: the slot's vertex, for markers and any other code with count 1.
    const int32_t marker = add(marker_packet(PACKET_MARKER, 10));
    const int32_t nine = add(marker_packet(9, 10));
    // Counts 0, 5, 6 and 7 keep the depth the packet holds.
    const int32_t kept = add(marker_packet(5, 0, 77));
    // Two vertices, one of them behind the eye.
    const int32_t clipped = add(tri_packet(2, 0, 11, 0, 0, -1));

    ot_insert_packets(*scene_current());
    EXPECT_EQ(stored<TriPacket>(two).depth, 8);
    EXPECT_EQ(stored<TriPacket>(three).depth, 0);
    EXPECT_EQ(stored<QuadPacket>(four_negative).depth, -2);
    EXPECT_EQ(stored<QuadPacket>(four).depth, 2);
    EXPECT_EQ(stored<MarkerPacket>(marker).depth, 33);
    EXPECT_EQ(stored<MarkerPacket>(kept).depth, 77);
    EXPECT_EQ(stored<TriPacket>(clipped).depth, DEPTH_CLIPPED);
    EXPECT_EQ(filled_buckets(), (std::vector<int32_t>{2, 8, 33, 77, 4095}));
    EXPECT_EQ(head(33), nine);
    EXPECT_EQ(stored<MarkerPacket>(nine).link, marker);

    // Codes without a filler, and markers while no effect instance runs, draw nothing; the flat
    // packets lie on one row.
    ot_flush(*scene_current(), canvas.target());
    EXPECT_TRUE(canvas.runs().empty());
    EXPECT_TRUE(filled_buckets().empty());
}

TEST_F(OrderingTableTest, EveryCodeReachesItsFillerWithItsOwnIndices)
{
    ASSERT_EQ(tex_create(2, 2), 0);
    for (int32_t i = 0; i < 16; ++i)
        tex_pixels(0)[i] = static_cast<Pixel>(0x0421 * (i % 8) + i);
    // Texture coordinates 5 to 8, and a quad that is not a square, so that a vertex in the
    // wrong place shows.
    const TexCoordEntry t[4] = {{0, 0, {}}, {256, 64, {}}, {192, 256, {}}, {-64, 128, {}}};
    std::copy(t, t + 4, scene_header().texcoords + 5);
    const ScreenVertex v[4] = {{2, 1, 40, 0}, {20, 3, 40, 0}, {25, 22, 40, 0}, {4, 18, 40, 0}};
    std::copy(v, v + 4, scene_vertex_slot(0));
    const auto& [a, b, c, d] = v;

    using Draw = std::function<void(const RasterTarget&)>;
    const std::pair<int32_t, Draw> cases[] = {
        {PACKET_FLAT_TRI, [&](auto& r) { raster_flat_tri(r, a, b, c, RED_PIXEL); }},
        {PACKET_FLAT_QUAD, [&](auto& r) { raster_flat_quad(r, a, b, c, d, RED_PIXEL); }},
        {PACKET_TEX_TRI, [&](auto& r) { raster_tex_tri(r, a, b, c, t[0], t[1], t[2], 0); }},
        {PACKET_TEX_QUAD,
         [&](auto& r) { raster_tex_quad(r, a, b, c, d, t[0], t[1], t[2], t[3], 0); }},
        {PACKET_TEX_ADD_TRI, [&](auto& r) { raster_tex_add_tri(r, a, b, c, t[0], t[1], t[2], 0); }},
        {PACKET_TEX_ADD_QUAD,
         [&](auto& r) { raster_tex_add_quad(r, a, b, c, d, t[0], t[1], t[2], t[3], 0); }},
        {PACKET_TEX_HALF_TRI,
         [&](auto& r) { raster_tex_half_tri(r, a, b, c, t[0], t[1], t[2], 0); }},
        {PACKET_TEX_HALF_QUAD,
         [&](auto& r) { raster_tex_half_quad(r, a, b, c, d, t[0], t[1], t[2], t[3], 0); }},
        {PACKET_GOURAUD_TRI, [&](auto& r) { raster_gouraud_tri(r, a, b, c, RED, GREEN, BLUE); }},
        {PACKET_GOURAUD_QUAD,
         [&](auto& r) { raster_gouraud_quad(r, a, b, c, d, RED, GREEN, BLUE, GREY); }},
        {PACKET_GOURAUD_ADD_TRI,
         [&](auto& r) { raster_gouraud_add_tri(r, a, b, c, RED, GREEN, BLUE); }},
        {PACKET_GOURAUD_ADD_QUAD,
         [&](auto& r) { raster_gouraud_add_quad(r, a, b, c, d, RED, GREEN, BLUE, GREY); }},
    };
    for (const auto& [code, direct] : cases) {
        const uint32_t tag = static_cast<uint32_t>(code);
        const int32_t vertices = packet_vertex_count(tag);
        // Laid out by hand from the index arrays' offsets. Colour entries 0..3 are red, green,
        // blue and grey; the flat colour is colour[0]'s.
        uint8_t packet[PACKET_QUAD_BYTES] = {};
        packet_put<uint32_t>(packet, PACKET_TAG_AT, tag);
        packet_put<int32_t>(packet, PACKET_SIZE_AT, packet_layout_bytes(tag));
        for (int16_t i = 0; i < vertices; ++i) {
            packet_put<int16_t>(packet, packet_index_at(PACKET_VERTICES, vertices, i), i);
            packet_put<int16_t>(packet, packet_index_at(PACKET_COLOURS, vertices, i), i);
            packet_put<int16_t>(packet, packet_index_at(PACKET_TEXCOORDS, vertices, i),
                                static_cast<int16_t>(5 + i));
        }
        scene_header().packet_count = 0;
        scene_header().packet_write = scene_header().first_packet;
        ASSERT_EQ(scene_add_packets(packet, packet_layout_bytes(tag), 1), 0);

        canvas.fill(0x0842);
        draw();
        RasterCanvas expected(64, 32, 0x0842);
        direct(expected.target());
        ASSERT_FALSE(expected.runs().empty()) << code;
        EXPECT_EQ(canvas.changed(), expected.changed()) << code;
    }
}

TEST_F(OrderingTableTest, PacketsIndexingOutsideTheirTablesAreSkipped)
{
    place_square(0, 0, 0, 10, 100);
    place(31, 0, 0, 100);
    QuadPacket vertex_beyond = quad_packet(PACKET_FLAT_QUAD, 0, RED_INDEX);
    vertex_beyond.vertex[3] = 1500;
    QuadPacket vertex_negative = quad_packet(PACKET_GOURAUD_QUAD, 0, RED_INDEX);
    vertex_negative.vertex[1] = -1;
    QuadPacket flat_beyond = quad_packet(PACKET_FLAT_QUAD, 0, 1200);
    QuadPacket colour_beyond = quad_packet(PACKET_GOURAUD_ADD_QUAD, 0, RED_INDEX);
    colour_beyond.colour[2] = 1500;
    QuadPacket texcoord_beyond = quad_packet(PACKET_TEX_QUAD, 0, RED_INDEX);
    texcoord_beyond.texcoord[0] = 1200;
    // The back-face test reads three vertices of any packet, a marker's spare bytes included.
    MarkerPacket marker_beyond = marker_packet(PACKET_MARKER | PACKET_FLAG_CULL_BACK, 31);
    packet_put<int16_t>(reinterpret_cast<uint8_t*>(&marker_beyond),
                        packet_index_at(PACKET_VERTICES, 1, 2), 1500);
    for (const QuadPacket& packet :
         {vertex_beyond, vertex_negative, flat_beyond, colour_beyond, texcoord_beyond})
        add(packet);
    add(marker_beyond);
    add(marker_packet(PACKET_MARKER, 1500));
    add(marker_packet(PACKET_MARKER, -5));
    // A textured packet naming an empty slot.
    QuadPacket no_texture = quad_packet(PACKET_TEX_QUAD, 0, 0);
    no_texture.slot = 3;
    add(no_texture);
    // Two vertices, but the back-face test reads a third, which must lie in the table too.
    TriPacket two_vertices = tri_packet(2 | PACKET_FLAG_CULL_BACK, 0, 0, 0, RED_INDEX);
    packet_put<int16_t>(reinterpret_cast<uint8_t*>(&two_vertices),
                        packet_index_at(PACKET_VERTICES, 2, 2), 1500);
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
    EXPECT_EQ(filled_buckets(), (std::vector<int32_t>{100}));
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

// The largest scene the program holds: its packet area filled with quads until one is refused.
// Every quad that went in is drawn, the refused ones are not, and nothing lands outside the target.
TEST_F(OrderingTableTest, AFullPacketAreaDrawsEveryQuadItHoldsAndNoMore)
{
    // 35 x 35 shared corners 4 pixels apart, starting 8 pixels above and left of the target: 34 x
    // 34 cells, more than the area's 60,000 bytes hold as 52-byte quads.
    constexpr int32_t CORNERS = 35;
    constexpr int32_t CELLS = CORNERS - 1;
    constexpr int32_t SPACING = 4;
    constexpr int32_t ORIGIN = -8;
    constexpr int32_t HELD = 60000 / 52;
    const int32_t first = scene_reserve_vertices(CORNERS * CORNERS);
    ASSERT_GE(first, 0);
    for (int32_t i = 0; i < CORNERS * CORNERS; ++i)
        place(first + i, ORIGIN + i % CORNERS * SPACING, ORIGIN + i / CORNERS * SPACING, 100);
    int32_t added = 0;
    for (int32_t cell = 0; cell < CELLS * CELLS; ++cell) {
        const auto corner = static_cast<int16_t>(first + cell / CELLS * CORNERS + cell % CELLS);
        QuadPacket packet = quad_packet(PACKET_FLAT_QUAD, corner, RED_INDEX);
        packet.vertex[2] = static_cast<int16_t>(corner + CORNERS + 1);
        packet.vertex[3] = static_cast<int16_t>(corner + CORNERS);
        if (add(packet) >= 0)
            ++added;
    }
    EXPECT_EQ(added, HELD);
    RasterCanvas frame(160, 150, 0, 3);
    ot_insert_packets(*scene_current());
    ot_flush(*scene_current(), frame.target());
    EXPECT_TRUE(frame.canaries_intact());
    // Each cell's pixel one right of and below its top-left corner belongs to that cell alone.
    for (int32_t cell = 0; cell < CELLS * CELLS; ++cell) {
        const int32_t x = ORIGIN + cell % CELLS * SPACING + 1;
        const int32_t y = ORIGIN + cell / CELLS * SPACING + 1;
        if (x >= 0 && y >= 0) {
            ASSERT_EQ(frame.at(x, y), cell < HELD ? RED_PIXEL : 0) << "cell " << cell;
        }
    }
}

} // namespace
