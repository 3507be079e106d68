// ot_flush against the plain walk of the ordering table, every bucket from 4095 down to 1 and each
// bucket's list from its head, drawing the same packets with the flat filler: overlapping
// triangles at random depths, crowded near both ends of the table and around the runs of empty
// buckets that the flush passes over, some outside 1 to 4095; the frames must match and every
// head be empty after.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>

#include "raster/flat.h"
#include "raster/ordering_table.h"
#include "tests/support/packets.h"
#include "tests/support/raster_canvas.h"
#include "tests/support/scene_fixture.h"

namespace {

using OrderingTableDifferentialTest = SceneFixture;

TEST_F(OrderingTableDifferentialTest, FlushDrawsWhatThePlainWalkDraws)
{
    constexpr int32_t PACKETS = 400;
    constexpr int32_t ROUNDS = 8;
    std::mt19937 rng(4096);
    SceneBuffer& buffer = *scene_current();
    const int32_t first = scene_reserve_vertices(3 * PACKETS);
    ASSERT_GE(first, 0);
    for (int32_t n = 0; n < PACKETS; ++n) {
        const int32_t slot = first + 3 * n;
        const TriPacket packet =
            tri_packet(PACKET_FLAT_TRI, static_cast<int16_t>(slot), static_cast<int16_t>(slot + 1),
                       static_cast<int16_t>(slot + 2), static_cast<int16_t>(n));
        ASSERT_GE(scene_add_packets(&packet, sizeof packet, 1), 0);
    }
    // Every round moves the same packets to new places, depths and colours.
    for (int32_t round = 0; round < ROUNDS; ++round) {
        for (int32_t n = 0; n < PACKETS; ++n) {
            const int32_t depths[] = {static_cast<int32_t>(rng() % 40),
                                      OT_BUCKETS - 40 + static_cast<int32_t>(rng() % 50),
                                      static_cast<int32_t>(rng() % OT_BUCKETS),
                                      16 * static_cast<int32_t>(rng() % 256) +
                                          static_cast<int32_t>(rng() % 2) - 1};
            const int32_t depth = depths[rng() % 4];
            const int32_t x = static_cast<int32_t>(rng() % 60);
            const int32_t y = static_cast<int32_t>(rng() % 28);
            const int32_t slot = first + 3 * n;
            *scene_vertex_slot(slot) = {x, y, depth, VERTEX_PROJECTED};
            *scene_vertex_slot(slot + 1) = {x + 1 + static_cast<int32_t>(rng() % 9), y, depth,
                                            VERTEX_PROJECTED};
            *scene_vertex_slot(slot + 2) = {x, y + 1 + static_cast<int32_t>(rng() % 9), depth,
                                            VERTEX_PROJECTED};
            buffer.flat_table[n] = static_cast<Pixel>(rng());
        }
        ot_insert_packets(buffer);

        RasterCanvas plain(64, 32);
        const int32_t* heads = scene_ordering_table()->heads;
        for (int32_t bucket = OT_BUCKETS - 1; bucket > 0; --bucket) {
            for (int32_t at = heads[bucket]; at != OT_EMPTY;) {
                TriPacket packet;
                std::memcpy(&packet, buffer.packet_area + at, sizeof packet);
                raster_flat_tri(plain.target(), *scene_vertex_slot(packet.vertex[0]),
                                *scene_vertex_slot(packet.vertex[1]),
                                *scene_vertex_slot(packet.vertex[2]),
                                buffer.flat_table[packet.colour[0]]);
                at = packet.link;
            }
        }
        RasterCanvas ours(64, 32);
        EXPECT_EQ(ot_flush(buffer, ours.target()), 0);
        // Bucket 0 is never drawn, nor emptied.
        for (int32_t bucket = 1; bucket < OT_BUCKETS; ++bucket)
            ASSERT_EQ(heads[bucket], OT_EMPTY) << "bucket " << bucket << ", round " << round;
        ASSERT_FALSE(plain.changed().empty());
        ASSERT_EQ(ours.changed(), plain.changed()) << "round " << round;
    }
}

} // namespace
