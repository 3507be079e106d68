// Picking and hits: the cursor circle, projection of records, collisions between objects, the
// hit response with its shock wave, and the object blocks teardown frees.
#include "scene/pick.h"

#include <algorithm>
#include <vector>

#include "platform/surface.h"
#include "scene/pick_hit.h"
#include "tests/support/program.h"
#include "tests/support/scene_fixture.h"

namespace {

constexpr Pixel YELLOW = 0x7FE0;
constexpr ColourEntry ORANGE = {255, 128, 0, 0};

// The records whose callbacks ran, in order.
std::vector<PickRecord*> calls;

void record_call(PickRecord* record)
{
    calls.push_back(record);
}

// The pick steps alone, with the mouse set directly in the input state.
class PickTest : public StartedProgramTest {
protected:
    void SetUp() override
    {
        StartedProgramTest::SetUp();
        math_get_screen_centre(&cx, &cy);
        calls.clear();
    }

    static PickRecord* add(int32_t list, Vec3 centre, int32_t radius, int32_t flags)
    {
        PickRecord* record =
            pick_add_record(list, centre, radius, &TEST_IDENTITY, flags, record_call, record_call);
        EXPECT_NE(record, nullptr);
        return record;
    }

    int32_t cx = 0;
    int32_t cy = 0;
};

TEST_F(PickTest, CursorInsideTheScreenRadiusCallsThePickCallback)
{
    // Projected at depth 0 through the identity: the screen point is the centre plus (x, y), and
    // the screen radius the radius.
    PickRecord* record = add(5, {100 - cx, 100 - cy, 0, 0}, 10, PICK_FLAG_PICKABLE);
    pick_project_all();
    ASSERT_EQ(std::tuple(record->screen_x, record->screen_y, record->screen_radius),
              std::tuple(100, 100, 10));
    // (x, y, inside): hypot(7, 7) = 9.9 truncates to 9; hypot(8, 7) = 10.6 to 10.
    // clang-format off
    for (const auto& [x, y, inside] : {std::tuple(109, 100, true), {110, 100, false},
             {91, 100, true}, {100, 110, false}, {107, 107, true}, {108, 107, false}}) {
        // clang-format on
        calls.clear();
        EXPECT_EQ(pick_test(x, y), 0);
        EXPECT_EQ(calls.size(), inside ? 1u : 0u) << x << ", " << y;
    }
    // Farther away the circle shrinks: at depth 256 half the offset and half the radius.
    record->centre = {20, 40, 256, 0};
    pick_project_all();
    EXPECT_EQ(std::tuple(record->screen_x, record->screen_y, record->screen_radius),
              std::tuple(cx + 10, cy + 20, 5));
}

TEST_F(PickTest, RecordsBehindTheEyeOrNotPickableAreNeverPicked)
{
    PickRecord* just_in_front = add(0, {0, 0, -255, 0}, 10, PICK_FLAG_PICKABLE);
    PickRecord* behind = add(1, {0, 0, -256, 0}, 10, PICK_FLAG_PICKABLE);
    PickRecord* hidden = add(2, {10, 20, 0, 0}, 10, PICK_FLAG_SOLID);
    behind->screen_x = 3;
    hidden->screen_x = 5;
    pick_project_all();
    // Divisor 1 at depth -255; at -256 the radius is -1 and the screen point is not written.
    EXPECT_EQ(just_in_front->screen_radius, 10 * 256);
    EXPECT_EQ(std::pair(behind->screen_radius, behind->screen_x), std::pair(-1, 3));
    // Not pickable: radius 0, the old screen point, but the view position all the same.
    EXPECT_EQ(std::tuple(hidden->screen_radius, hidden->screen_x, hidden->view.x, hidden->view.y),
              std::tuple(0, 5, 10, 20));
    // Only the record in front, whose circle of 2560 pixels covers the stale points too.
    pick_test(4, 0);
    EXPECT_EQ(calls, std::vector<PickRecord*>{just_in_front});
}

TEST_F(PickTest, SolidRecordsOfDifferentObjectsCollideBelowTheSumOfTheirRadii)
{
    // 30 apart: hypot(hypot(10, 20), 20) = 30 exactly. Records of one object, and records that
    // are not solid, never collide.
    add(0, {500, 0, 0, 0}, 1, PICK_FLAG_SOLID); // puts p second in its list
    PickRecord* p = add(0, TEST_ORIGIN, 10, PICK_FLAG_SOLID);
    PickRecord* q = add(1, {10, 20, 20, 0}, 20, PICK_FLAG_SOLID);
    add(2, TEST_ORIGIN, 50, PICK_FLAG_PICKABLE);
    for (int i = 0; i < 2; ++i)
        add(3, {0, 900, 0, 0}, 10, PICK_FLAG_SOLID);
    pick_project_all();
    pick_collide();
    EXPECT_EQ(std::pair(calls.size(), q->flags), std::pair(size_t{0}, PICK_FLAG_SOLID));

    q->radius = 21;
    pick_project_all();
    pick_collide();
    EXPECT_EQ(p->flags, PICK_FLAG_SOLID | PICK_FLAG_COLLIDED);
    EXPECT_EQ(std::pair(p->partner, q->partner), std::pair(q, p));
    // p when it finds q; q when the pass reaches it, already collided.
    EXPECT_EQ(calls, (std::vector<PickRecord*>{p, q}));

    // Each frame forgets the collision of the first record of each list only: q searches
    // again, p (second in its list) reports at once.
    q->partner = nullptr;
    pick_project_all();
    EXPECT_EQ(std::pair(p->flags, q->flags),
              std::pair(PICK_FLAG_SOLID | PICK_FLAG_COLLIDED, PICK_FLAG_SOLID));
    calls.clear();
    pick_collide();
    EXPECT_EQ(calls, (std::vector<PickRecord*>{p, q}));
    EXPECT_EQ(q->partner, p);
}

// The target at the origin, neighbours 1000 along x and 3000 along y, one already destroyed,
// and one object without a body, under the pick steps of whole frames.
TEST_F(PickTest, ThreeHeldFramesBurstAndDestroyAndTheFourthLeavesItAlone)
{
    for (const Vec3& position : {TEST_ORIGIN, Vec3{1000, 0, 0, 0}, Vec3{0, 3000, 0, 0},
                                 Vec3{0, 0, 500, 0}, Vec3{0, -500, 0, 0}})
        ASSERT_GE(scene_add_object(position, TEST_ORIGIN, TEST_UNIT_SCALE, nullptr, 0), 0);
    ObjectBody bodies[PICK_BODIES] = {};
    pick_set_bodies(bodies);
    for (int32_t i = 0; i < 4; ++i) {
        ASSERT_EQ(pick_add_body(i, 3, ORANGE), 0);
        pick_body(i)->velocity = {5, -7, 9, 0};
    }
    pick_body(3)->flags |= BODY_DESTROYED;
    bodies[4].velocity = {1, 2, 3, 0};
    const PickRecord* target =
        pick_add_record(0, TEST_ORIGIN, 20, &TEST_IDENTITY, PICK_FLAG_PICKABLE | PICK_FLAG_SOLID,
                        pick_select, nullptr);
    ASSERT_NE(target, nullptr);
    // Whether a frame drew the box of radius 20 about the screen centre (its top-left corner, its
    // left edge and its right one), the cursor at a client point in screen coordinates.
    const auto frame_boxed = [&](int32_t x, int32_t y) {
        input_update(x + HEADLESS_CLIENT_ORIGIN_X, y + HEADLESS_CLIENT_ORIGIN_Y);
        Pixel* pixels = surface_current_pixels();
        const int32_t w = surface_width();
        std::fill(pixels, pixels + w * surface_height(), Pixel{0});
        pick_project_all();
        pick_collide();
        pick_update();
        const auto at = [&](int32_t px, int32_t py) { return pixels[py * w + px] == YELLOW; };
        return at(cx - 20, cy - 20) && at(cx - 20, cy) && at(cx + 20, cy);
    };

    // No hit on an empty slot, a free body (slot 4) or a slot without an object (5).
    for (const int32_t slot : {-1, 4, 5, PICK_BODIES})
        EXPECT_EQ(pick_hit(slot), -1) << slot;
    // The left button off the circle boxes and hits nothing.
    input_button_down(INPUT_BUTTON_LEFT);
    EXPECT_FALSE(frame_boxed(cx + 20, cy)) << "the picked record does not outlast its frame";
    EXPECT_EQ(std::pair(pick_body(0)->hit_points, effect_instance(0)->first_step),
              std::pair(3, EFFECT_FREE));
    // From (0, 0, -100) to the origin: length 100 made odd, 101; 1024 x 100 / 101 = 1013. Each
    // hit starts a 32-frame burst at the target at scale 1024 in the body's colour (channel x 4).
    for (int32_t hit = 1; hit <= 3; ++hit) {
        EXPECT_TRUE(frame_boxed(cx + 3, cy - 4)) << "hit " << hit;
        const EffectInstance& b = *effect_instance(hit - 1);
        EXPECT_EQ(std::tuple(b.first_step, b.duration, test_xyz(b.position), b.scale.x,
                             b.factors.red, b.factors.green, b.factors.blue),
                  std::tuple(EFFECT_BURST, 32, std::tuple(0, 0, 0), 1024, 255 * 4, 128 * 4, 0));
        const ObjectBody& body = *pick_body(0);
        EXPECT_EQ(std::tuple(body.hit_points, body.flags, pick_live_objects()),
                  std::tuple(3 - hit, hit < 3 ? 0 : BODY_DESTROYED, hit < 3 ? 4 : 3));
        if (hit < 3) {
            EXPECT_EQ(std::tuple(body.hit_value, test_xyz(body.velocity), pick_body(1)->velocity.x),
                      std::tuple(153600, std::tuple(0, 0, 1013 * 200), 5));
        }
    }
    // Hidden already, no longer pickable.
    EXPECT_EQ(std::pair(scene_hide_object(0), target->flags), std::pair(-2, 0));
    // At 1000: length 1001, D.x = 1024000 / 1001 = 1022, falloff 1: + 102200.
    EXPECT_EQ(test_xyz(pick_body(1)->velocity), std::tuple(5 + 102200, -7, 9));
    // At 3000: length 3001, D.y = 3072000 / 3001 = 1023, falloff 3 | 1 = 3: + 102300 / 3.
    EXPECT_EQ(test_xyz(pick_body(2)->velocity), std::tuple(5, -7 + 34100, 9));
    // Destroyed and free bodies are left alone.
    EXPECT_EQ(std::pair(pick_body(3)->velocity.z, bodies[4].velocity.x), std::pair(9, 1));

    // No longer pickable: no box, no hit; without a body table nothing is hit.
    EXPECT_FALSE(frame_boxed(cx + 3, cy - 4));
    EXPECT_EQ(
        std::tuple(effect_instance(3)->first_step, pick_live_objects(), pick_body(1)->velocity.x),
        std::tuple(EFFECT_FREE, 3, 5 + 102200));
    pick_set_bodies(nullptr);
    EXPECT_EQ(pick_hit(1), -1);
}

// Bad list and block indices and a full pool are refused; teardown frees the blocks left.
TEST_F(PickTest, TablesRefuseBadIndicesAndTheFullPoolAndTeardownFreesTheBlocksLeft)
{
    const auto add_to = [](int32_t list, const Matrix* matrix = &TEST_IDENTITY) {
        return pick_add_record(list, TEST_ORIGIN, 1, matrix, 0, nullptr, nullptr);
    };
    EXPECT_EQ(std::tuple(add_to(-1), add_to(PICK_LISTS), add_to(0, nullptr), pick_list(-1),
                         pick_list(PICK_LISTS), pick_clear_flags(PICK_LISTS, PICK_FLAG_SOLID)),
              std::tuple(nullptr, nullptr, nullptr, nullptr, nullptr, -1));
    for (int32_t i = 0; i < PICK_POOL_RECORDS; ++i)
        ASSERT_NE(add_to(i % PICK_LISTS), nullptr);
    EXPECT_EQ(add_to(0), nullptr);
    void* block = mem_alloc(16);
    EXPECT_EQ(pick_block_set(0, block), 0);
    EXPECT_EQ(pick_block_set(0, block), -1);
    EXPECT_EQ(std::pair(pick_block_set(PICK_BLOCKS, block), pick_block_set(1, nullptr)),
              std::pair(-1, -1));
    EXPECT_EQ(pick_block_free(0), 0);
    EXPECT_EQ(pick_block_free(0), 1);
    EXPECT_EQ(pick_block_free(-1), -1);
    EXPECT_EQ(pick_block_set(PICK_BLOCKS - 1, mem_alloc(16)), 0);
}

} // namespace
