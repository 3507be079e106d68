// Scene objects and the view: the hierarchy through the matrix stack, hiding, bad indices, and
// the view matrix as start-up and the frames leave it.
#include "scene/scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>
#include <vector>

#include "scene/projection.h"
#include "tests/support/program.h"
#include "tests/support/scene_fixture.h"

namespace {

using SceneTest = SceneFixture;

constexpr Vec3 ORIGIN{0, 0, 0, 0};
constexpr Vec3 UNIT_SCALE{512, 512, 512, 0};
const Vec3 ORIGIN_POINTS[2] = {{0, 0, 0, 0}, {0, 0, 0, 0}};

ObjectPart make_part(int32_t pop_count, int32_t first_slot, int32_t vertex_count, Vec3 position,
                     Vec3 angles = ORIGIN)
{
    ObjectPart part{};
    part.pop_count = pop_count;
    part.vertex_count = vertex_count;
    part.first_slot = first_slot;
    part.vertices = ORIGIN_POINTS;
    part.position = position;
    part.angles = angles;
    part.scale = UNIT_SCALE;
    return part;
}

Matrix identity()
{
    Matrix m{};
    for (int i = 0; i < 4; ++i)
        m.m[i][i] = 512;
    return m;
}

void expect_vertex(int32_t slot, int32_t x, int32_t y, int32_t depth, int32_t clip)
{
    const ScreenVertex& v = *scene_vertex_slot(slot);
    EXPECT_EQ(std::tuple(v.x, v.y, v.depth, v.clip), std::tuple(x, y, depth, clip))
        << "slot " << slot;
}

TEST_F(SceneTest, PopCountsMakeChildrenAndSiblings)
{
    ASSERT_EQ(scene_reserve_vertices(3), 0);
    // Part 0 turns a quarter about z, so that its children's y runs along +x. Pop counts 0, 1, 0:
    // part 1 is part 0's child, and part 2 is part 0's child too, part 1's sibling.
    const ObjectPart parts[3] = {
        make_part(0, 0, 1, {10, 0, 0, 0}, {0, 0, 256, 0}),
        make_part(1, 1, 1, {0, 20, 0, 0}),
        make_part(0, 2, 1, {0, 0, 30, 0}),
    };
    ASSERT_EQ(scene_add_object({5, 0, 0, 0}, ORIGIN, UNIT_SCALE, parts, 3), 0);
    EXPECT_EQ(scene_transform_object(0, identity()), 0);
    // World points: part 0 at (15, 0, 0); part 1 at 15 + 20 along x; part 2 at (15, 0, 30).
    expect_vertex(0, CX + 15, CY, 0, 0);
    expect_vertex(1, CX + 35, CY, 0, 0);
    expect_vertex(2, CX + 15 * 256 / (30 + 256), CY, 30, 0);

    // More levels than were pushed are refused, and the next part stays a child.
    const ObjectPart chain[2] = {make_part(5, 0, 1, {10, 0, 0, 0}),
                                 make_part(-2, 1, 1, {0, 20, 0, 0})};
    ASSERT_EQ(scene_add_object(ORIGIN, ORIGIN, UNIT_SCALE, chain, 2), 1);
    EXPECT_EQ(scene_transform_object(1, identity()), 0);
    expect_vertex(1, CX + 10, CY + 20, 0, 0);
}

TEST_F(SceneTest, DeepHierarchyOutrunsTheStackWithoutHarm)
{
    constexpr int32_t PARTS = 40;
    ASSERT_EQ(scene_reserve_vertices(PARTS), 0);
    ObjectPart parts[PARTS];
    for (int32_t i = 0; i < PARTS; ++i)
        parts[i] = make_part(0, i, 1, {1, 0, 0, 0});
    ASSERT_EQ(scene_add_object(ORIGIN, ORIGIN, UNIT_SCALE, parts, PARTS), 0);
    EXPECT_EQ(scene_transform_object(0, identity()), 0);
    expect_vertex(PARTS - 1, CX + PARTS, CY, 0, 0);
}

TEST_F(SceneTest, ViewMatrixPutsTheOriginSeventyFiveUnitsAway)
{
    scene_transform_objects();
    Matrix expected = identity();
    expected.m[3][2] = 75 * 512;
    EXPECT_EQ(std::memcmp(&scene_view_matrix(), &expected, sizeof expected), 0);
    ScreenVertex v{};
    math_transform_project(1, &v, &ORIGIN, scene_view_matrix());
    EXPECT_EQ(std::tuple(v.x, v.y, v.depth, v.clip), std::tuple(CX, CY, 75, 0));
}

TEST_F(SceneTest, HiddenObjectsStayClippedAndBadIndicesAreRefused)
{
    ASSERT_EQ(scene_reserve_vertices(4), 0);
    const ObjectPart first = make_part(0, 0, 2, ORIGIN);
    const ObjectPart second = make_part(0, 2, 2, ORIGIN);
    ASSERT_EQ(scene_add_object(ORIGIN, ORIGIN, UNIT_SCALE, &first, 1), 0);
    ASSERT_EQ(scene_add_object(ORIGIN, ORIGIN, UNIT_SCALE, &second, 1), 1);
    // Through the view: 331 units across at depth 75 is 256 pixels.
    scene_object_position(1)->x = 331;
    scene_transform_objects();
    expect_vertex(3, CX + 256, CY, 75, 0);

    EXPECT_EQ(scene_hide_object(0), 0);
    EXPECT_EQ(scene_hide_object(0), -2);
    scene_transform_objects();
    expect_vertex(0, CX, CY, 75, -1);
    expect_vertex(1, CX, CY, 75, -1);
    expect_vertex(2, CX + 256, CY, 75, 0);

    for (const int32_t index : {2, 31, -1, 32, INT32_MIN}) {
        EXPECT_EQ(scene_hide_object(index), -1) << index;
        EXPECT_EQ(scene_object_position(index), nullptr) << index;
        EXPECT_EQ(scene_free_object(index), -1) << index;
        EXPECT_EQ(scene_transform_object(index, identity()), -1) << index;
    }
    EXPECT_EQ(scene_free_object(0), 0);
    EXPECT_EQ(scene_free_object(0), -1);
    EXPECT_EQ(scene_object_position(0), nullptr);

    // Parts whose slots leave the table, or without vertices, are refused; 32 objects fill it.
    ObjectPart outside = make_part(0, 1499, 2, ORIGIN);
    EXPECT_EQ(scene_add_object(ORIGIN, ORIGIN, UNIT_SCALE, &outside, 1), -1);
    outside = make_part(0, 0, 1, ORIGIN);
    outside.vertices = nullptr;
    EXPECT_EQ(scene_add_object(ORIGIN, ORIGIN, UNIT_SCALE, &outside, 1), -1);
    EXPECT_EQ(scene_add_object(ORIGIN, ORIGIN, UNIT_SCALE, nullptr, 0), 0);
    for (int32_t index = 2; index < SCENE_OBJECTS; ++index)
        ASSERT_EQ(scene_add_object(ORIGIN, ORIGIN, UNIT_SCALE, nullptr, 0), index);
    EXPECT_EQ(scene_add_object(ORIGIN, ORIGIN, UNIT_SCALE, nullptr, 0), -1);
}

using SceneProgramTest = ProgramTest;

TEST_F(SceneProgramTest, StartupSetsClipBoundsAndCentreAndFramesLeaveNoSavedHeader)
{
    at_frame(2, [] {
        const ClipBounds& clip = scene_clip_bounds();
        EXPECT_EQ(std::tuple(clip.width, clip.height, clip.right, clip.bottom),
                  std::tuple(512, 461, 511, 460));
        int32_t x = 0;
        int32_t y = 0;
        math_get_screen_centre(&x, &y);
        EXPECT_EQ(std::tuple(x, y), std::tuple(256, 230));
        // Each frame restores what it saved: all sixteen levels are free between frames.
        for (int i = 0; i < HEADER_SAVE_DEPTH; ++i)
            EXPECT_EQ(scene_save_header(), 0);
        EXPECT_EQ(scene_save_header(), -1);
        for (int i = 0; i < HEADER_SAVE_DEPTH; ++i)
            scene_restore_header();
    });
    EXPECT_EQ(run(3), 0);
    EXPECT_TRUE(headless_error_boxes().empty());
}

} // namespace
