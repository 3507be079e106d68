// Picking and hits: the cursor circle, projection of records, collisions between objects, the
// hit response with its shock wave, and the tables' bad indices.
#include "scene/pick.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/surface.h"
#include "scene/pick_hit.h"
#include "tests/support/program.h"
#include "tests/support/scene_fixture.h"

namespace {

constexpr const Matrix& IDENTITY = TEST_IDENTITY;
constexpr Vec3 ORIGIN = TEST_ORIGIN;
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
            pick_add_record(list, centre, radius, &IDENTITY, flags, record_call, record_call);
        EXPECT_NE(record, nullptr);
        return record;
    }

    static void project_and_collide()
    {
        calls.clear();
        pick_project_all();
        pick_collide();
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
    for (const auto& [x, y, inside] : {std::tuple(109, 100, true),
                                       {110, 100, false},
                                       {91, 100, true},
                                       {90, 100, false},
                                       {100, 110, false},
                                       {107, 107, true},
                                       {108, 107, false}}) {
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
    // Only the record in front, whose circle of 2560 pixels covers every point tried.
    for (const auto& [x, y] : {std::pair{3, 0}, std::pair{5, 6}, std::pair{cx + 10, cy + 20}}) {
        calls.clear();
        pick_test(x, y);
        EXPECT_EQ(calls, std::vector<PickRecord*>{just_in_front}) << x << ", " << y;
    }
}

TEST_F(PickTest, SolidRecordsOfDifferentObjectsCollideBelowTheSumOfTheirRadii)
{
    // 30 apart: hypot(hypot(10, 20), 20) = 30 exactly. Records of one object, and records that
    // are not solid, never collide.
    PickRecord* far = add(0, {500, 0, 0, 0}, 1, PICK_FLAG_SOLID);
    PickRecord* p = add(0, ORIGIN, 10, PICK_FLAG_SOLID);
    PickRecord* q = add(1, {10, 20, 20, 0}, 20, PICK_FLAG_SOLID);
    add(2, ORIGIN, 50, PICK_FLAG_PICKABLE);
    for (int i = 0; i < 2; ++i)
        add(3, {0, 900, 0, 0}, 10, PICK_FLAG_SOLID);
    project_and_collide();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(q->flags & PICK_FLAG_COLLIDED, 0);

    q->radius = 21;
    project_and_collide();
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
    EXPECT_EQ(std::pair(q->partner, far->flags), std::pair(p, PICK_FLAG_SOLID));
}

class HitTest : public PickTest {
protected:
    void SetUp() override
    {
        PickTest::SetUp();
        // The target at the origin, neighbours 1000 along x and 3000 along y, one already
        // destroyed, and one object without a body.
        for (const Vec3& position : {ORIGIN, Vec3{1000, 0, 0, 0}, Vec3{0, 3000, 0, 0},
                                     Vec3{0, 0, 500, 0}, Vec3{0, -500, 0, 0}})
            ASSERT_GE(scene_add_object(position, ORIGIN, TEST_UNIT_SCALE, nullptr, 0), 0);
        pick_set_bodies(bodies);
        for (int32_t i = 0; i < 4; ++i) {
            ASSERT_EQ(pick_add_body(i, 3, ORANGE), 0);
            pick_body(i)->velocity = {5, -7, 9, 0};
        }
        pick_body(3)->flags |= BODY_DESTROYED;
        bodies[4].velocity = {1, 2, 3, 0};
        target = pick_add_record(0, ORIGIN, 20, &IDENTITY, PICK_FLAG_PICKABLE | PICK_FLAG_SOLID,
                                 pick_select, nullptr);
        ASSERT_NE(target, nullptr);
    }

    // The cursor at a client point, as the message loop would leave it in screen coordinates.
    static void cursor_at(int32_t x, int32_t y)
    {
        input_update(x + HEADLESS_CLIENT_ORIGIN_X, y + HEADLESS_CLIENT_ORIGIN_Y);
    }

    // The pick steps of one frame over a cleared frame buffer; whether the box of radius 20 about
    // the screen centre was drawn (its top-left corner, its left edge and its right one).
    bool frame_boxed() const
    {
        Pixel* pixels = surface_current_pixels();
        const int32_t w = surface_width();
        std::fill(pixels, pixels + w * surface_height(), Pixel{0});
        pick_project_all();
        pick_collide();
        pick_update();
        const auto at = [&](int32_t x, int32_t y) { return pixels[y * w + x] == YELLOW; };
        return at(cx - 20, cy - 20) && at(cx - 20, cy) && at(cx + 20, cy);
    }

    // A 32-frame burst at the target, unturned, at scale 1024, in the body's colour.
    static void expect_burst(int32_t instance)
    {
        // The player keeps a channel as a factor of channel x 4.
        const EffectInstance& b = *effect_instance(instance);
        EXPECT_EQ(std::tuple(b.first_step, b.duration, test_xyz(b.position), test_xyz(b.angles),
                             test_xyz(b.scale), b.factors.red, b.factors.green, b.factors.blue),
                  std::tuple(EFFECT_BURST, 32, std::tuple(0, 0, 0), std::tuple(0, 0, 0),
                             std::tuple(1024, 1024, 1024), 255 * 4, 128 * 4, 0));
    }

    ObjectBody bodies[PICK_BODIES] = {};
    PickRecord* target = nullptr;
};

TEST_F(HitTest, ThreeHeldFramesBurstAndDestroyAndTheFourthLeavesItAlone)
{
    // The right button, or the left off the circle, boxes or hits nothing.
    cursor_at(cx + 3, cy - 4);
    input_button_down(INPUT_BUTTON_RIGHT);
    EXPECT_TRUE(frame_boxed());
    input_button_up(INPUT_BUTTON_RIGHT);
    input_button_down(INPUT_BUTTON_LEFT);
    cursor_at(cx + 20, cy);
    EXPECT_FALSE(frame_boxed()) << "the picked record does not outlast its frame";
    EXPECT_EQ(std::pair(pick_body(0)->hit_points, effect_instance(0)->first_step),
              std::pair(3, EFFECT_FREE));
    cursor_at(cx + 3, cy - 4);
    // From (0, 0, -100) to the origin: length 100 made odd, 101; 1024 x 100 / 101 = 1013.
    for (int32_t hit = 1; hit <= 2; ++hit) {
        EXPECT_TRUE(frame_boxed()) << "hit " << hit;
        const ObjectBody& body = *pick_body(0);
        EXPECT_EQ(std::tuple(body.hit_points, body.hit_value, body.flags),
                  std::tuple(3 - hit, 153600, 0));
        EXPECT_EQ(test_xyz(body.velocity), std::tuple(0, 0, 1013 * 200));
        EXPECT_EQ(std::pair(pick_live_objects(), pick_body(1)->velocity.x), std::pair(4, 5));
        expect_burst(hit - 1);
    }
    EXPECT_TRUE(frame_boxed());
    expect_burst(2);
    EXPECT_EQ(std::pair(pick_body(0)->hit_points, pick_body(0)->flags),
              std::pair(0, BODY_DESTROYED));
    // Hidden already, no longer pickable.
    EXPECT_EQ(std::tuple(scene_hide_object(0), target->flags, pick_live_objects()),
              std::tuple(-2, 0, 3));
    // At 1000: length 1001, D.x = 1024000 / 1001 = 1022, falloff 1: + 102200.
    EXPECT_EQ(test_xyz(pick_body(1)->velocity), std::tuple(5 + 102200, -7, 9));
    // At 3000: length 3001, D.y = 3072000 / 3001 = 1023, falloff 3 | 1 = 3: + 102300 / 3.
    EXPECT_EQ(test_xyz(pick_body(2)->velocity), std::tuple(5, -7 + 34100, 9));
    // Destroyed and free bodies are left alone.
    EXPECT_EQ(std::pair(pick_body(3)->velocity.z, bodies[4].velocity.x), std::pair(9, 1));

    // No longer pickable: no box, no hit.
    EXPECT_FALSE(frame_boxed());
    EXPECT_EQ(effect_instance(3)->first_step, EFFECT_FREE);
    EXPECT_EQ(pick_live_objects(), 3);
    EXPECT_EQ(pick_body(1)->velocity.x, 5 + 102200);
}

TEST_F(HitTest, HitOnAnEmptySlotOrAFreeBodyDoesNothing)
{
    // Slot 4 has an object but a free body; slot 5 has neither; slot 1's object has gone.
    ASSERT_EQ(scene_free_object(1), 1);
    for (const int32_t slot : {-1, 1, 4, 5, PICK_BODIES})
        EXPECT_EQ(pick_hit(slot), -1) << slot;
    EXPECT_EQ(std::pair(bodies[4].velocity.x, pick_body(1)->hit_points), std::pair(1, 3));
    // Nor is a body without an object pushed by a shock wave.
    pick_body(0)->hit_points = 1;
    EXPECT_EQ(pick_hit(0), 0);
    EXPECT_EQ(std::pair(pick_body(1)->velocity.x, pick_body(2)->velocity.y),
              std::pair(5, -7 + 34100));
    pick_set_bodies(nullptr);
    EXPECT_EQ(pick_body(2), nullptr);
    EXPECT_EQ(pick_hit(2), -1);
}

TEST_F(PickTest, TablesRefuseBadIndicesAndTheFullPool)
{
    const auto add_to = [](int32_t list, const Matrix* matrix = &IDENTITY) {
        return pick_add_record(list, ORIGIN, 1, matrix, 0, nullptr, nullptr);
    };
    EXPECT_EQ(std::tuple(add_to(-1), add_to(PICK_LISTS), add_to(0, nullptr), pick_list(-1),
                         pick_list(PICK_LISTS), pick_clear_flags(PICK_LISTS, PICK_FLAG_SOLID)),
              std::tuple(nullptr, nullptr, nullptr, nullptr, nullptr, -1));
    for (int32_t i = 0; i < PICK_POOL_RECORDS; ++i)
        ASSERT_NE(add_to(i % PICK_LISTS), nullptr);
    EXPECT_EQ(add_to(0), nullptr);

    // The object blocks: teardown frees what is left in them.
    EXPECT_EQ(pick_block_set(0, mem_alloc(16)), 0);
    EXPECT_EQ(pick_block_free(0), 0);
    EXPECT_EQ(pick_block_free(0), 1);
    EXPECT_EQ(pick_block_set(PICK_BLOCKS - 1, mem_alloc(16)), 0);
}

} // namespace
