// Properties over thousands of seeded random polygons. Whatever reaches the fillers (vertices far
// outside the surface, coordinates near the ends of 32 bits, self-intersecting quads, colours and
// texture coordinates out of range), nothing is written outside the frame buffer, and polygons
// leave the guard row alone. And for convex polygons inside the surface, every family covers
// exactly the pixels the flat filler covers.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <tuple>
#include <vector>

#include "platform/texture.h"
#include "raster/flat.h"
#include "raster/gouraud.h"
#include "raster/ordering_table.h"
#include "raster/packet.h"
#include "raster/textured.h"
#include "tests/support/raster_canvas.h"
#include "tests/support/scene_fixture.h"

namespace {

constexpr int32_t POLYGONS_PER_CASE = 1500;
// Packets per pass of the ordering table, each with its own four vertices, colour entries and
// texture coordinates.
constexpr int32_t PACKETS_PER_PASS = 50;

constexpr int32_t POLYGON_CODES[] = {
    PACKET_FLAT_TRI,        PACKET_FLAT_QUAD,        PACKET_GOURAUD_TRI,  PACKET_GOURAUD_QUAD,
    PACKET_GOURAUD_ADD_TRI, PACKET_GOURAUD_ADD_QUAD, PACKET_TEX_TRI,      PACKET_TEX_QUAD,
    PACKET_TEX_ADD_TRI,     PACKET_TEX_ADD_QUAD,     PACKET_TEX_HALF_TRI, PACKET_TEX_HALF_QUAD,
};

class Random {
public:
    explicit Random(uint32_t seed) : rng_(seed) {}

    int32_t below(uint32_t n)
    {
        return static_cast<int32_t>(rng_() % n);
    }

    int32_t any()
    {
        return static_cast<int32_t>(rng_());
    }

    // On the surface, near it, well outside it, near the ends of 24.8, or anywhere in 32 bits.
    int32_t coordinate(int32_t size)
    {
        switch (below(5)) {
        case 0:
            return below(static_cast<uint32_t>(size));
        case 1:
            return below(3 * static_cast<uint32_t>(size)) - size;
        case 2:
            return below(200001) - 100000;
        case 3:
            return below(1u << 25) - (1 << 24);
        default:
            return any();
        }
    }

    int32_t value(uint32_t range)
    {
        return below(4) == 0 ? any() : below(range);
    }

    ScreenVertex inside(int32_t width, int32_t height)
    {
        return {below(static_cast<uint32_t>(width)), below(static_cast<uint32_t>(height)), 0, 0};
    }

    // The corners of a strictly convex quad inside the surface, in order around it, either way
    // round, from any corner.
    std::array<ScreenVertex, 4> convex_quad(int32_t width, int32_t height)
    {
        for (;;) {
            std::array<ScreenVertex, 4> q = {inside(width, height), inside(width, height),
                                             inside(width, height), inside(width, height)};
            const auto by_position = [](const ScreenVertex& a, const ScreenVertex& b) {
                return std::tie(a.x, a.y) < std::tie(b.x, b.y);
            };
            std::sort(q.begin(), q.end(), by_position);
            do {
                if (strictly_convex(q)) {
                    if (below(2))
                        std::reverse(q.begin(), q.end());
                    std::rotate(q.begin(), q.begin() + below(4), q.end());
                    return q;
                }
            } while (std::next_permutation(q.begin(), q.end(), by_position));
        }
    }

private:
    static bool strictly_convex(const std::array<ScreenVertex, 4>& q)
    {
        bool clockwise = true;
        bool anticlockwise = true;
        for (int i = 0; i < 4; ++i) {
            const ScreenVertex& a = q[i];
            const ScreenVertex& b = q[(i + 1) % 4];
            const ScreenVertex& c = q[(i + 2) % 4];
            const int64_t turn =
                int64_t{b.x - a.x} * (c.y - b.y) - int64_t{b.y - a.y} * (c.x - b.x);
            clockwise = clockwise && turn > 0;
            anticlockwise = anticlockwise && turn < 0;
        }
        return clockwise || anticlockwise;
    }

    std::mt19937 rng_;
};

class GuardTest : public SceneFixture {
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        tex_init();
        Random random(7);
        // Textures of every shape the span arithmetic takes, and an empty slot.
        for (const auto& [log2_width, log2_height] :
             {std::pair{0, 0}, {3, 5}, {8, 8}, {8, 0}, {0, 8}}) {
            const int32_t slot = tex_create(log2_width, log2_height);
            ASSERT_GE(slot, 0);
            for (int32_t i = 0; i < (1 << (log2_width + log2_height)); ++i)
                tex_pixels(slot)[i] = static_cast<Pixel>(random.any());
            slots.push_back(slot);
        }
        slots.push_back(TEXTURE_SLOTS - 1);
        ASSERT_EQ(scene_reserve_vertices(4 * PACKETS_PER_PASS), 0);
    }

    void TearDown() override
    {
        tex_free_all();
        SceneFixture::TearDown();
    }

    // A pass of packets of one code over wild vertices, colours and texture coordinates, all at
    // depth 100.
    void fill_pass(Random& random, int32_t code, int32_t width, int32_t height)
    {
        SceneHeader& header = scene_header();
        header.packet_count = 0;
        header.packet_write = header.first_packet;
        for (int16_t n = 0; n < PACKETS_PER_PASS; ++n) {
            QuadPacket packet{};
            packet.tag = static_cast<uint32_t>(code);
            packet.size = packet_layout_bytes(packet.tag);
            packet.slot = static_cast<int16_t>(slots[random.below(slots.size())]);
            for (int16_t i = 0; i < 4; ++i) {
                const int16_t index = static_cast<int16_t>(4 * n + i);
                *scene_vertex_slot(index) = {random.coordinate(width), random.coordinate(height),
                                             100, VERTEX_PROJECTED};
                header.colour_entries[index] = {random.value(256), random.value(256),
                                                random.value(256), 0};
                header.texcoords[index] = {random.value(1024) - 512, random.value(1024) - 512, {}};
                header.flat_colours[index] = static_cast<Pixel>(random.any());
                const int32_t vertices = packet_vertex_count(packet.tag);
                uint8_t* bytes = reinterpret_cast<uint8_t*>(&packet);
                for (const PacketArray array :
                     {PACKET_VERTICES, PACKET_COLOURS, PACKET_TEXCOORDS}) {
                    if (i < vertices)
                        packet_put<int16_t>(bytes, packet_index_at(array, vertices, i), index);
                }
            }
            ASSERT_GE(scene_add_packets(&packet, packet.size, 1), 0);
        }
    }

    std::vector<int32_t> slots;
};

TEST_F(GuardTest, NoFillerWritesOutsideTheFrameBuffer)
{
    for (const auto& [width, height] : {std::pair{64, 32}, {37, 19}, {1, 1}}) {
        // Canaries after every row: a span that left the surface on any row would show.
        RasterCanvas canvas(width, height, 0x1234, 3);
        for (const int32_t code : POLYGON_CODES) {
            Random random(static_cast<uint32_t>(code * 1000 + width));
            for (int32_t pass = 0; pass < POLYGONS_PER_CASE / PACKETS_PER_PASS; ++pass) {
                fill_pass(random, code, width, height);
                ot_insert_packets(*scene_current());
                ot_flush(*scene_current(), canvas.target());
                ASSERT_TRUE(canvas.canaries_intact()) << code << " pass " << pass;
                ASSERT_TRUE(canvas.guard_row_untouched()) << code << " pass " << pass;
            }
        }
        // Boxes reach the guard row and column W by design, but no further.
        RasterCanvas boxes(width, height, 0x1234);
        Random random(99);
        for (int32_t n = 0; n < POLYGONS_PER_CASE; ++n) {
            raster_box(boxes.target(), random.coordinate(width), random.coordinate(height),
                       random.coordinate(width), random.coordinate(height), 0x7FFF);
            ASSERT_TRUE(boxes.canaries_intact()) << "box " << n;
        }
    }
}

TEST_F(GuardTest, EveryFamilyCoversThePixelsOfTheFlatFillerForConvexPolygons)
{
    const int32_t white_texture = slots[0];
    tex_pixels(white_texture)[0] = 0x7FFF;
    const ColourEntry white = {255, 255, 255, 0};
    const TexCoordEntry t = {0, 0, {}};
    Random random(2024);
    for (int32_t n = 0; n < POLYGONS_PER_CASE; ++n) {
        const bool quad = n % 2;
        const std::array<ScreenVertex, 4> v =
            quad ? random.convex_quad(64, 32)
                 : std::array<ScreenVertex, 4>{random.inside(64, 32), random.inside(64, 32),
                                               random.inside(64, 32)};
        RasterCanvas flat(64, 32);
        RasterCanvas gouraud(64, 32);
        RasterCanvas added(64, 32);
        RasterCanvas textured(64, 32);
        if (quad) {
            raster_flat_quad(flat.target(), v[0], v[1], v[2], v[3], 0x7FFF);
            raster_gouraud_quad(gouraud.target(), v[0], v[1], v[2], v[3], white, white, white,
                                white);
            raster_gouraud_add_quad(added.target(), v[0], v[1], v[2], v[3], white, white, white,
                                    white);
            raster_tex_quad(textured.target(), v[0], v[1], v[2], v[3], t, t, t, t, white_texture);
        } else {
            raster_flat_tri(flat.target(), v[0], v[1], v[2], 0x7FFF);
            raster_gouraud_tri(gouraud.target(), v[0], v[1], v[2], white, white, white);
            raster_gouraud_add_tri(added.target(), v[0], v[1], v[2], white, white, white);
            raster_tex_tri(textured.target(), v[0], v[1], v[2], t, t, t, white_texture);
        }
        const std::vector<PixelRun> covered = flat.runs();
        ASSERT_EQ(gouraud.runs(), covered) << n;
        ASSERT_EQ(added.runs(), covered) << n;
        ASSERT_EQ(textured.runs(), covered) << n;
        for (const auto& [row, first, end] : covered) {
            for (int32_t x = first; x < end; ++x)
                ASSERT_EQ(gouraud.at(x, row), 0x7FFF) << n;
        }
    }
}

} // namespace
