// The effect player: the burst's life and poses, the packets, vertices and colours it appends to
// the scene buffer and the restore that drops them, markers, and the capacity it respects.
#include "scene/effect.h"

#include "tests/support/scene_fixture.h"

namespace {

constexpr ColourEntry WHITE{255, 255, 255, 0};

class EffectTest : public SceneFixture {
protected:
    static void start(int32_t first_step, int32_t duration, Vec3 position,
                      ColourEntry colour = WHITE)
    {
        effect_start(first_step, duration, position, TEST_ORIGIN, TEST_UNIT_SCALE, colour);
    }

    // A frame's pass without the drawing: the header is saved, then the player appends.
    static void pass()
    {
        ASSERT_EQ(scene_save_header(), 0);
        effect_update();
    }

    // Passes with the restore after each, as frames run them.
    static void frames(int count)
    {
        for (int i = 0; i < count; ++i) {
            pass();
            scene_restore_header();
        }
    }

    // A one-step script showing a model with the given modes, or a marker; its first step.
    static int32_t script(int32_t kind, int32_t model = MODEL_DISC, int32_t scale_mode = 0,
                          int32_t colour_mode = 0)
    {
        const int32_t number = effect_begin_script();
        effect_add_step(model, 0, 0, scale_mode, colour_mode, 0, 0, kind);
        effect_end_script();
        return effect_script_first_step(number);
    }

    static std::tuple<int32_t, int32_t, int32_t> counts()
    {
        const SceneHeader& h = scene_header();
        return {h.packet_count, h.vertex_count, h.colour_count};
    }
};

auto rgb(const ColourEntry& c)
{
    return std::tuple(c.red, c.green, c.blue);
}

TEST_F(EffectTest, BurstPlaysThirtyThreeTimesAndIsHalfTurnedAndHalfFadedAtAgeSixteen)
{
    const Vec3 p{10, -20, 3000, 0};
    start(EFFECT_BURST, EFFECT_BURST_DURATION, p, {200, 100, 0, 0});
    const SceneHeader before = scene_header();
    pass();
    EXPECT_TRUE(test_same(before, scene_header())) << "age 0 draws nothing";
    scene_restore_header();
    frames(15);
    pass();
    EXPECT_EQ(counts(), std::tuple(16, 33, 2)) << "the starburst";
    // Factors 800 and 400, times 16/32: (255 x 400) >> 10 = 99, (255 x 200) >> 10 = 49.
    const ColourEntry* colours = scene_header().colour_entries;
    EXPECT_EQ(rgb(colours[0]), std::tuple(0, 0, 0));
    EXPECT_EQ(rgb(colours[1]), std::tuple(99, 49, 0));
    // Scale 512 and yaw 512 (cos -512, sin 0) send v to p + (-v.x, v.y, -v.z), projected.
    const Model& burst = *model_get(MODEL_STARBURST);
    for (int32_t i = 0; i < burst.vertex_count; ++i) {
        const Vec3& v = *model_item(burst.vertices + i);
        const int32_t d = p.z - v.z + 256;
        EXPECT_EQ(test_screen(scene_header().vertices[i]),
                  std::tuple(CX + 256 * (p.x - v.x) / d, CY + 256 * (p.y + v.y) / d, d - 256, 0))
            << i;
    }
    scene_restore_header();
    frames(15);
    EXPECT_EQ(effect_instance_first_step(0), EFFECT_BURST) << "before the 33rd pass";
    frames(1);
    EXPECT_EQ(effect_instance_first_step(0), EFFECT_FREE);
}

TEST_F(EffectTest, ScaleAndColourModes)
{
    // Disc vertex 1 is (256, 0, 0): at the origin and depth 0 it lands s / 2 pixels right.
    const int32_t shrink = script(EFFECT_KIND_MODEL, MODEL_DISC, 2, 1);
    const int32_t square = script(EFFECT_KIND_MODEL, MODEL_DISC, 3, 0);
    start(shrink, 8, {0, 0, 0, 0});
    start(square, 8, {0, 0, 0, 0});
    start(EFFECT_BURST, 8, {40, 30, 0, 0});
    frames(2);
    pass();
    // Age 2 of 8 (away from the midpoint, where shrinking and growing agree): shrinking
    // (8 - 2) x 1024 / 8 = 768; square (2 x 32)^2 / 8 = 512.
    EXPECT_EQ(scene_header().vertices[1].x, CX + 384);
    EXPECT_EQ(scene_header().vertices[17 + 1].x, CX + 256);
    // Fading in: 1020 x 2 / 8 = 255 gives (255 x 255) >> 10 = 63; the instance's own 1020, 254.
    EXPECT_EQ(rgb(scene_header().colour_entries[1]), std::tuple(63, 63, 63));
    EXPECT_EQ(rgb(scene_header().colour_entries[3]), std::tuple(254, 254, 254));
    scene_restore_header();
    // The burst's ninth pass is age 8, where 8 x 1024 / 8 wraps to scale 0 and fades to 0.
    frames(5);
    pass();
    for (int32_t i = 2 * 17; i < 2 * 17 + 33; ++i)
        EXPECT_EQ(test_screen(scene_header().vertices[i]), std::tuple(CX + 40, CY + 30, 0, 0)) << i;
    EXPECT_EQ(rgb(scene_header().colour_entries[5]), std::tuple(0, 0, 0));
    scene_restore_header();
    EXPECT_EQ(effect_instance_first_step(2), EFFECT_FREE);
}

TEST_F(EffectTest, StartTakesTheLowestFreeSlotAndNothingWhenAllRun)
{
    for (int32_t k = 0; k < EFFECT_INSTANCES; ++k)
        start(EFFECT_BURST, 32, {k, 0, 0, 0});
    EffectInstance before[EFFECT_INSTANCES];
    std::memcpy(before, effect_instance(0), sizeof before);
    start(EFFECT_BURST, 5, {99, 99, 99, 0});
    EXPECT_EQ(std::memcmp(before, effect_instance(0), sizeof before), 0);
    EXPECT_EQ(std::pair(effect_instance(31)->position.x, effect_instance(31)->factors.red),
              std::pair(31, 1020));
}

// Two bursts and a marker append in turn after what the scene holds, the copied packets rebased
// onto its vertex and colour counts; the marker names its instance (2, in the tag's high half)
// and its vertex, with depth offset 0, over stale bytes from an earlier frame; the restore drops
// all three.
TEST_F(EffectTest, InstancesAppendInTurnAndTheRestoreDropsThem)
{
    const int32_t marker = script(EFFECT_KIND_MARKER);
    ASSERT_EQ(scene_reserve_vertices(100), 0);
    const ColourEntry seven[7] = {};
    ASSERT_EQ(scene_add_colours(seven, 7), 0);
    start(EFFECT_BURST, 32, {0, 0, 3000, 0});
    start(EFFECT_BURST, 32, {100, 0, 3000, 0});
    start(marker, 32, {40, -8, 0, 0});
    std::memset(scene_header().packet_write, 0xFF, 2 * 704 + 24);
    frames(1);
    const SceneHeader before = scene_header();
    pass();
    EXPECT_EQ(counts(), std::tuple(33, 100 + 67, 7 + 4));
    EXPECT_EQ(scene_header().packet_write, before.packet_write) << "the pass keeps its own cursor";
    // The second burst's packet 4, (0, 9, 10) with colours (1, 0, 0) in the starburst, on top of
    // 100 + 33 vertices and 7 + 2 colour entries.
    TriPacket tri;
    std::memcpy(&tri, before.packet_write + 704 + 4 * 44, sizeof tri);
    EXPECT_EQ(std::tuple(tri.tag, tri.size, tri.vertex[0], tri.vertex[1], tri.vertex[2],
                         tri.colour[0], tri.colour[1]),
              std::tuple(83u, 44, 133, 142, 143, 10, 9));
    MarkerPacket m;
    std::memcpy(&m, before.packet_write + 2 * 704, sizeof m);
    EXPECT_EQ(std::tuple(m.tag, m.size, m.depth_offset, m.slot),
              std::tuple(2u << 16 | 0x51, 24, 0, 166));
    EXPECT_EQ(test_screen(scene_header().vertices[166]), std::tuple(CX + 40, CY - 8, 0, 0));
    scene_restore_header();
    EXPECT_TRUE(test_same(before, scene_header()));
}

TEST_F(EffectTest, StepThatDoesNotFitIsSkippedForTheFrame)
{
    start(EFFECT_BURST, 32, {0, 0, 3000, 0});
    frames(1);
    SceneHeader& h = scene_header();
    // One vertex, one colour entry or one packet byte short: nothing written, the instance ages.
    const auto skipped = [&](auto squeeze) {
        EXPECT_EQ(scene_save_header(), 0);
        squeeze();
        const SceneHeader squeezed = h;
        effect_update();
        const bool same = test_same(squeezed, h);
        scene_restore_header();
        return same;
    };
    EXPECT_TRUE(skipped([&] { h.vertex_count = 1500 - 32; }));
    EXPECT_TRUE(skipped([&] { h.colour_count = 1500 - 1; }));
    EXPECT_TRUE(skipped([&] { h.packet_write = h.first_packet + 60000 - 703; }));
    EXPECT_FALSE(skipped([&] { h.vertex_count = 1500 - 33; }));
    EXPECT_FALSE(skipped([&] { h.packet_write = h.first_packet + 60000 - 704; }));
    EXPECT_EQ(effect_instance(0)->age, 1 + 5);
}

} // namespace
