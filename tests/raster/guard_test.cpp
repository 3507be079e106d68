// Properties over thousands of seeded random polygons. Whatever reaches the fillers (vertices far
// outside the surface, coordinates near the ends of 32 bits, self-intersecting quads, colours and
// texture coordinates out of range), nothing is written outside the frame buffer, and polygons
// leave the guard row alone. (That every family covers the flat filler's pixels follows from the
// differential test: the plain fillers share one edge walk.)
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/texture.h"
#include "raster/flat.h"
#include "raster/ordering_table.h"
#include "raster/packet.h"
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

private:
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

} // namespace
