// Scene objects and the view: the hierarchy through the matrix stack, hiding, bad indices, and
// the view and clip bounds as start-up and the frames leave them.
#include "scene/scene.h"

#include "tests/support/program.h"
#include "tests/support/scene_fixture.h"

namespace {

using SceneTest = SceneFixture;

const Vec3 ORIGIN_POINTS[2] = {TEST_ORIGIN, TEST_ORIGIN};

ObjectPart make_part(int32_t pop_count, int32_t first_slot, int32_t vertex_count, Vec3 position,
                     Vec3 angles = TEST_ORIGIN)
{
    return {pop_count, vertex_count, first_slot, ORIGIN_POINTS,  {},
            {},        position,     angles,     TEST_UNIT_SCALE};
}

int32_t add(const ObjectPart* parts, int32_t count, Vec3 position = TEST_ORIGIN)
{
    return scene_add_object(position, TEST_ORIGIN, TEST_UNIT_SCALE, parts, count);
}

void expect_vertex(int32_t slot, int32_t x, int32_t y, int32_t depth, int32_t clip)
{
    EXPECT_EQ(test_screen(*scene_vertex_slot(slot)), std::tuple(x, y, depth, clip)) << slot;
}

TEST_F(SceneTest, PopCountsMakeChildrenAndSiblings)
{
    constexpr int32_t DEEP = 40; // parts in a chain, deeper than the matrix stack
    ASSERT_EQ(scene_reserve_vertices(5 + DEEP), 0);
    // The first part, 0, turns a quarter about z, so that its children's y runs along +x. Pop
    // counts 0, 1, 0: part 1 is part 0's child, and part 2 is part 0's child too, part 1's sibling.
    const ObjectPart parts[3] = {make_part(0, 0, 1, {10, 0, 0, 0}, {0, 0, 256, 0}),
                                 make_part(1, 1, 1, {0, 20, 0, 0}),
                                 make_part(0, 2, 1, {0, 0, 30, 0})};
    ASSERT_EQ(add(parts, 3, {5, 0, 0, 0}), 0);
    // More levels than were pushed are refused, and the next part stays a child.
    const ObjectPart chain[2] = {make_part(5, 3, 1, {10, 0, 0, 0}),
                                 make_part(-2, 4, 1, {0, 20, 0, 0})};
    ASSERT_EQ(add(chain, 2), 1);
    ObjectPart deep[DEEP];
    for (int32_t i = 0; i < DEEP; ++i)
        deep[i] = make_part(0, 5 + i, 1, {1, 0, 0, 0});
    ASSERT_EQ(add(deep, DEEP), 2);
    for (int32_t object = 0; object < 3; ++object)
        EXPECT_EQ(scene_transform_object(object, TEST_IDENTITY), 0);
    expect_vertex(4, CX + 10, CY + 20, 0, 0);
    expect_vertex(5 + DEEP - 1, CX + DEEP, CY, 0, 0);
    // World points: part 0 at (15, 0, 0); part 1 at 15 + 20 along x; part 2 at (15, 0, 30).
    expect_vertex(0, CX + 15, CY, 0, 0);
    expect_vertex(1, CX + 35, CY, 0, 0);
    expect_vertex(2, CX + 15 * 256 / (30 + 256), CY, 30, 0);
}

TEST_F(SceneTest, HiddenObjectsStayClippedAndBadIndicesAreRefused)
{
    ASSERT_EQ(scene_reserve_vertices(4), 0);
    const ObjectPart first = make_part(0, 0, 2, TEST_ORIGIN);
    const ObjectPart second = make_part(0, 2, 2, TEST_ORIGIN);
    ASSERT_EQ(add(&first, 1), 0);
    // Through the view, which puts the origin 75 units away: 331 units across at depth 75 is
    // 256 pixels.
    ASSERT_EQ(add(&second, 1, {331, 0, 0, 0}), 1);
    scene_transform_objects();
    expect_vertex(0, CX, CY, 75, 0);
    expect_vertex(3, CX + 256, CY, 75, 0);

    EXPECT_EQ(scene_hide_object(0), 0);
    EXPECT_EQ(scene_hide_object(0), -2);
    scene_transform_objects();
    expect_vertex(0, CX, CY, 75, -1);
    expect_vertex(1, CX, CY, 75, -1);
    expect_vertex(2, CX + 256, CY, 75, 0);

    for (const int32_t index : {2, 31, -1, 32, INT32_MIN}) {
        EXPECT_EQ(std::tuple(scene_hide_object(index), scene_object_position(index),
                             scene_free_object(index),
                             scene_transform_object(index, TEST_IDENTITY)),
                  std::tuple(-1, nullptr, -1, -1))
            << index;
    }
    EXPECT_EQ(scene_free_object(0), 0);
    EXPECT_EQ(scene_free_object(0), -1);
    EXPECT_EQ(scene_object_position(0), nullptr);
    // Parts whose slots leave the table, or without vertices, are refused; 32 objects fill it.
    ObjectPart outside = make_part(0, 1499, 2, TEST_ORIGIN);
    EXPECT_EQ(add(&outside, 1), -1);
    outside = make_part(0, 0, 1, TEST_ORIGIN);
    outside.vertices = nullptr;
    EXPECT_EQ(add(&outside, 1), -1);
    EXPECT_EQ(add(nullptr, 0), 0); // the freed slot first
    for (int32_t index = 2; index < SCENE_OBJECTS; ++index)
        ASSERT_EQ(add(nullptr, 0), index);
    EXPECT_EQ(add(nullptr, 0), -1);
}

using SceneProgramTest = ProgramTest;

TEST_F(SceneProgramTest, StartupSetsClipBoundsAndCentreAndFramesLeaveNoSavedHeader)
{
    at_frame(2, [] {
        const ClipBounds& clip = scene_clip_bounds();
        int32_t x = 0;
        int32_t y = 0;
        math_get_screen_centre(&x, &y);
        EXPECT_EQ(std::tuple(clip.width, clip.height, clip.right, clip.bottom, x, y),
                  std::tuple(512, 461, 511, 460, 256, 230));
        // Each frame restores what it saved: all sixteen levels are free after the last frame.
        for (int i = 0; i <= HEADER_SAVE_DEPTH; ++i)
            EXPECT_EQ(scene_save_header(), i < HEADER_SAVE_DEPTH ? 0 : -1) << i;
    });
    EXPECT_EQ(run(2), 0);
}

} // namespace
