// Picking and hits: the cursor circle, projection of records, collisions between objects, the
// hit response with its shock wave, the tables' bad indices, and the whole road on the headless
// host from a held button to a vanished object.
#include "scene/pick.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

#include "app/app.h"
#include "app/input.h"
#include "platform/surface.h"
#include "raster/packet.h"
#include "scene/effect.h"
#include "scene/pick_hit.h"
#include "tests/support/packets.h"
#include "tests/support/program.h"
#include "tests/support/test_face.h"

namespace {

constexpr Matrix IDENTITY = {{{512, 0, 0, 0}, {0, 512, 0, 0}, {0, 0, 512, 0}, {0, 0, 0, 512}}};
constexpr Vec3 ORIGIN = {0, 0, 0, 0};
constexpr Vec3 UNIT_SCALE = {512, 512, 512, 0};
constexpr Pixel YELLOW = 0x7FE0;
constexpr ColourEntry ORANGE = {255, 128, 0, 0};

std::tuple<int32_t, int32_t, int32_t> xyz(const Vec3& v)
{
    return {v.x, v.y, v.z};
}

// The records whose callbacks ran, in order.
std::vector<PickRecord*> calls;

void record_call(PickRecord* record)
{
    calls.push_back(record);
}

// A program after start-up, its frames run by hand: the pick steps alone, with the mouse set
// directly in the input state.
class PickTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless_reset();
        headless_use_face(test_face());
        mem_fail_call(0);
        live_blocks = mem_stats().live_blocks;
        ASSERT_NE(app_create_main_window(headless_instance(), APP_CLASS_NAME, APP_TITLE), nullptr);
        math_get_screen_centre(&cx, &cy);
        calls.clear();
    }

    void TearDown() override
    {
        app_teardown();
        input_reset();
        EXPECT_EQ(mem_stats().live_blocks, live_blocks) << "blocks left allocated";
    }

    static PickRecord* add(int32_t list, Vec3 centre, int32_t radius, int32_t flags)
    {
        PickRecord* record =
            pick_add_record(list, centre, radius, &IDENTITY, flags, record_call, record_call);
        EXPECT_NE(record, nullptr);
        return record;
    }

    // The cursor at a client point, as the message loop would leave it in screen coordinates.
    static void cursor_at(int32_t x, int32_t y)
    {
        input_update(x + HEADLESS_CLIENT_ORIGIN_X, y + HEADLESS_CLIENT_ORIGIN_Y);
    }

    // The pick steps of one frame, over a cleared frame buffer.
    static void frame()
    {
        Pixel* pixels = surface_current_pixels();
        std::fill(pixels, pixels + surface_width() * surface_height(), Pixel{0});
        pick_project_all();
        pick_collide();
        pick_update();
    }

    static Pixel pixel(int32_t x, int32_t y)
    {
        return surface_current_pixels()[y * surface_width() + x];
    }

    int32_t cx = 0;
    int32_t cy = 0;
    int32_t live_blocks = 0;
};

TEST_F(PickTest, CursorInsideTheScreenRadiusCallsThePickCallback)
{
    // Projected at depth 0 through the identity: the screen point is the centre plus (x, y), and
    // the screen radius the radius.
    PickRecord* record = add(5, {100 - cx, 100 - cy, 0, 0}, 10, PICK_FLAG_PICKABLE);
    pick_project_all();
    ASSERT_EQ(record->screen_x, 100);
    ASSERT_EQ(record->screen_y, 100);
    ASSERT_EQ(record->screen_radius, 10);

    struct Case {
        int32_t x, y;
        bool inside;
    };
    // hypot(7, 7) = 9.9 truncates to 9; hypot(8, 7) = 10.6 to 10.
    for (const Case c :
         {Case{109, 100, true}, Case{110, 100, false}, Case{91, 100, true}, Case{90, 100, false},
          Case{100, 110, false}, Case{107, 107, true}, Case{108, 107, false}}) {
        calls.clear();
        EXPECT_EQ(pick_test(c.x, c.y), 0);
        EXPECT_EQ(calls.size(), c.inside ? 1u : 0u) << c.x << ", " << c.y;
    }

    // Farther away the circle shrinks: at depth 256 half the offset and half the radius.
    record->centre = {20, 40, 256, 0};
    pick_project_all();
    EXPECT_EQ(record->screen_x, cx + 10);
    EXPECT_EQ(record->screen_y, cy + 20);
    EXPECT_EQ(record->screen_radius, 5);
}

TEST_F(PickTest, RecordsBehindTheEyeOrNotPickableAreNeverPicked)
{
    PickRecord* just_in_front = add(0, {0, 0, -255, 0}, 10, PICK_FLAG_PICKABLE);
    PickRecord* behind = add(1, {0, 0, -256, 0}, 10, PICK_FLAG_PICKABLE);
    PickRecord* hidden = add(2, {10, 20, 0, 0}, 10, PICK_FLAG_SOLID);
    behind->screen_x = 3;
    hidden->screen_x = 5;
    hidden->screen_y = 6;
    pick_project_all();

    // Divisor 1 at depth -255; at -256 the radius is -1 and the screen point is not written.
    EXPECT_EQ(just_in_front->screen_radius, 10 * 256);
    EXPECT_EQ(behind->screen_radius, -1);
    EXPECT_EQ(behind->screen_x, 3);
    // Not pickable: radius 0, the old screen point, but the view position all the same.
    EXPECT_EQ(hidden->screen_radius, 0);
    EXPECT_EQ(hidden->screen_x, 5);
    EXPECT_EQ(hidden->screen_y, 6);
    EXPECT_EQ(hidden->view.x, 10);
    EXPECT_EQ(hidden->view.y, 20);

    // Only the record in front, whose circle of 2560 pixels covers every point tried.
    for (const auto& [x, y] : {std::pair{3, 0}, std::pair{5, 6}, std::pair{cx + 10, cy + 20}}) {
        calls.clear();
        pick_test(x, y);
        EXPECT_EQ(calls, std::vector<PickRecord*>{just_in_front}) << x << ", " << y;
    }
}

TEST_F(PickTest, SolidRecordsOfDifferentObjectsCollideBelowTheSumOfTheirRadii)
{
    // 30 apart: hypot(hypot(10, 20), 20) = 30 exactly.
    PickRecord* p = add(0, ORIGIN, 10, PICK_FLAG_SOLID);
    PickRecord* q = add(1, {10, 20, 20, 0}, 20, PICK_FLAG_SOLID);
    // Not solid, on top of p: never tested.
    add(2, ORIGIN, 50, PICK_FLAG_PICKABLE);
    pick_project_all();
    pick_collide();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(p->flags & PICK_FLAG_COLLIDED, 0);
    EXPECT_EQ(q->flags & PICK_FLAG_COLLIDED, 0);

    q->radius = 21;
    pick_project_all();
    pick_collide();
    EXPECT_NE(p->flags & PICK_FLAG_COLLIDED, 0);
    EXPECT_NE(q->flags & PICK_FLAG_COLLIDED, 0);
    EXPECT_EQ(p->partner, q);
    EXPECT_EQ(q->partner, p);
    // p when it finds q; q when the pass reaches it, already collided.
    EXPECT_EQ(calls, (std::vector<PickRecord*>{p, q}));
}

TEST_F(PickTest, RecordsOfOneObjectNeverCollide)
{
    PickRecord* a = add(3, ORIGIN, 10, PICK_FLAG_SOLID);
    PickRecord* b = add(3, ORIGIN, 10, PICK_FLAG_SOLID);
    pick_project_all();
    pick_collide();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(a->partner, nullptr);
    EXPECT_EQ(b->flags, PICK_FLAG_SOLID);
}

TEST_F(PickTest, OnlyTheFirstRecordOfAListForgetsItsCollision)
{
    PickRecord* first = add(0, {500, 0, 0, 0}, 1, PICK_FLAG_SOLID);
    PickRecord* second = add(0, ORIGIN, 10, PICK_FLAG_SOLID);
    PickRecord* other = add(1, {5, 0, 0, 0}, 10, PICK_FLAG_SOLID);
    pick_project_all();
    pick_collide();
    EXPECT_EQ(calls, (std::vector<PickRecord*>{second, other}));

    // Next frame other is the first of its list and searches again; second reports at once.
    calls.clear();
    other->partner = nullptr;
    pick_project_all();
    EXPECT_EQ(other->flags & PICK_FLAG_COLLIDED, 0);
    EXPECT_NE(second->flags & PICK_FLAG_COLLIDED, 0);
    pick_collide();
    EXPECT_EQ(calls, (std::vector<PickRecord*>{second, other}));
    EXPECT_EQ(other->partner, second);
    EXPECT_EQ(first->flags, PICK_FLAG_SOLID);
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
            ASSERT_GE(scene_add_object(position, ORIGIN, UNIT_SCALE, nullptr, 0), 0);
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
        cursor_at(cx + 3, cy - 4);
    }

    bool boxed()
    {
        // The box of radius 20 about the screen centre: its top-left corner and its left edge.
        return pixel(cx - 20, cy - 20) == YELLOW && pixel(cx - 20, cy) == YELLOW;
    }

    // A 32-frame burst at the target, unturned, at scale 1024, in the body's colour.
    static void expect_burst(int32_t instance)
    {
        const EffectInstance& burst = *effect_instance(instance);
        EXPECT_EQ(burst.first_step, EFFECT_BURST);
        EXPECT_EQ(burst.duration, 32);
        EXPECT_EQ(xyz(burst.position), std::tuple(0, 0, 0));
        EXPECT_EQ(xyz(burst.angles), std::tuple(0, 0, 0));
        EXPECT_EQ(xyz(burst.scale), std::tuple(1024, 1024, 1024));
        EXPECT_EQ(burst.scale.w, 1024);
        // The player keeps a channel as a factor of channel x 4.
        EXPECT_EQ(std::tuple(burst.factors.red, burst.factors.green, burst.factors.blue),
                  std::tuple(255 * 4, 128 * 4, 0));
    }

    ObjectBody bodies[PICK_BODIES] = {};
    PickRecord* target = nullptr;
};

TEST_F(HitTest, ThreeHeldFramesBurstAndDestroyAndTheFourthLeavesItAlone)
{
    input_button_down(INPUT_BUTTON_LEFT);
    // From (0, 0, -100) to the origin: length 100 made odd, 101; 1024 x 100 / 101 = 1013.
    const Vec3 pushed = {0, 0, 1013 * 200, 0};
    for (int32_t hit = 1; hit <= 2; ++hit) {
        frame();
        EXPECT_TRUE(boxed()) << "hit " << hit;
        const ObjectBody& body = *pick_body(0);
        EXPECT_EQ(body.hit_points, 3 - hit);
        EXPECT_EQ(body.hit_value, 153600);
        EXPECT_EQ(xyz(body.velocity), xyz(pushed));
        EXPECT_EQ(body.flags, 0);
        EXPECT_EQ(pick_live_objects(), 4);
        EXPECT_EQ(pick_body(1)->velocity.x, 5);
        expect_burst(hit - 1);
    }

    frame();
    EXPECT_TRUE(boxed());
    expect_burst(2);
    EXPECT_EQ(pick_body(0)->hit_points, 0);
    EXPECT_EQ(pick_body(0)->flags, BODY_DESTROYED);
    EXPECT_EQ(scene_hide_object(0), -2) << "hidden already";
    EXPECT_EQ(target->flags, 0);
    EXPECT_EQ(pick_live_objects(), 3);
    // At 1000: length 1001, D.x = 1024000 / 1001 = 1022, falloff 1: + 102200.
    EXPECT_EQ(xyz(pick_body(1)->velocity), std::tuple(5 + 102200, -7, 9));
    // At 3000: length 3001, D.y = 3072000 / 3001 = 1023, falloff 3 | 1 = 3: + 102300 / 3.
    EXPECT_EQ(xyz(pick_body(2)->velocity), std::tuple(5, -7 + 34100, 9));
    // Destroyed and free bodies are left alone.
    EXPECT_EQ(pick_body(3)->velocity.z, 9);
    EXPECT_EQ(bodies[4].velocity.x, 1);

    // No longer pickable: no box, no hit.
    frame();
    EXPECT_FALSE(boxed());
    EXPECT_EQ(effect_instance(3)->first_step, EFFECT_FREE);
    EXPECT_EQ(pick_body(0)->hit_points, 0);
    EXPECT_EQ(pick_live_objects(), 3);
    EXPECT_EQ(pick_body(1)->velocity.x, 5 + 102200);
}

TEST_F(HitTest, WithoutTheLeftButtonOrOffTheCircleThereIsNoHit)
{
    input_button_down(INPUT_BUTTON_RIGHT);
    frame();
    EXPECT_TRUE(boxed());
    EXPECT_EQ(pick_body(0)->hit_points, 3);
    EXPECT_EQ(effect_instance(0)->first_step, EFFECT_FREE);

    // The picked record does not outlast its frame.
    input_button_down(INPUT_BUTTON_LEFT);
    cursor_at(cx + 20, cy);
    frame();
    EXPECT_FALSE(boxed());
    EXPECT_EQ(pick_body(0)->hit_points, 3);
}

TEST_F(HitTest, HitOnAnEmptySlotOrAFreeBodyDoesNothing)
{
    EXPECT_EQ(pick_hit(-1), -1);
    EXPECT_EQ(pick_hit(PICK_BODIES), -1);
    // Slot 4 has an object but a free body; slot 5 has neither.
    EXPECT_EQ(pick_hit(4), -1);
    EXPECT_EQ(pick_hit(5), -1);
    EXPECT_EQ(bodies[4].velocity.x, 1);
    // A body whose object has gone.
    ASSERT_EQ(scene_free_object(1), 1);
    EXPECT_EQ(pick_hit(1), -1);
    EXPECT_EQ(pick_body(1)->hit_points, 3);
    // Nor is it pushed by a shock wave.
    pick_body(0)->hit_points = 1;
    EXPECT_EQ(pick_hit(0), 0);
    EXPECT_EQ(pick_body(1)->velocity.x, 5);
    EXPECT_EQ(pick_body(2)->velocity.y, -7 + 34100);

    // Bodies need an object and a free body; without a table nothing is hit.
    EXPECT_EQ(pick_add_body(2, 3, ORANGE), -1);
    EXPECT_EQ(pick_add_body(5, 3, ORANGE), -1);
    pick_set_bodies(nullptr);
    EXPECT_EQ(pick_body(0), nullptr);
    EXPECT_EQ(pick_add_body(4, 3, ORANGE), -1);
    EXPECT_EQ(pick_hit(2), -1);
}

TEST_F(PickTest, TablesRefuseBadIndicesAndTheFullPool)
{
    EXPECT_EQ(pick_add_record(-1, ORIGIN, 1, &IDENTITY, 0, nullptr, nullptr), nullptr);
    EXPECT_EQ(pick_add_record(PICK_LISTS, ORIGIN, 1, &IDENTITY, 0, nullptr, nullptr), nullptr);
    EXPECT_EQ(pick_add_record(0, ORIGIN, 1, nullptr, 0, nullptr, nullptr), nullptr);
    EXPECT_EQ(pick_list(-1), nullptr);
    EXPECT_EQ(pick_list(PICK_LISTS), nullptr);
    EXPECT_EQ(pick_clear_flags(PICK_LISTS, PICK_FLAG_SOLID), -1);
    for (int32_t i = 0; i < PICK_POOL_RECORDS; ++i)
        ASSERT_NE(pick_add_record(i % PICK_LISTS, ORIGIN, 1, &IDENTITY, 0, nullptr, nullptr),
                  nullptr);
    EXPECT_EQ(pick_add_record(0, ORIGIN, 1, &IDENTITY, 0, nullptr, nullptr), nullptr);
    // Records go to the end of their list.
    int32_t in_list = 0;
    for (PickRecord* record = pick_list(7); record; record = record->next)
        ++in_list;
    EXPECT_EQ(in_list, PICK_POOL_RECORDS / PICK_LISTS);

    // The object blocks: teardown frees what is left in them.
    void* block = mem_alloc(16);
    EXPECT_EQ(pick_block_set(0, block), 0);
    EXPECT_EQ(pick_block_set(0, block), -1);
    EXPECT_EQ(pick_block_set(PICK_BLOCKS, block), -1);
    EXPECT_EQ(pick_block_set(1, nullptr), -1);
    EXPECT_EQ(pick_block_free(0), 0);
    EXPECT_EQ(pick_block_free(0), 1);
    EXPECT_EQ(pick_block_free(-1), -1);
    EXPECT_EQ(pick_block_set(31, mem_alloc(16)), 0);
}

TEST_F(PickTest, PoolAllocationFailureIsReported)
{
    pick_free();
    mem_fail_call(1);
    EXPECT_EQ(pick_init(), -1);
    ASSERT_EQ(headless_error_boxes().size(), 1u);
    EXPECT_EQ(headless_error_boxes()[0].text_utf8, "49152byteの領域の確保に失敗しました。");
    EXPECT_EQ(pick_add_record(0, ORIGIN, 1, &IDENTITY, 0, nullptr, nullptr), nullptr);
}

// Two quads, 10 units about their centres, 200 apart in front of the view; a pick circle of
// radius 20 about each, and three hit points.
class PickProgramTest : public ProgramTest {
protected:
    static constexpr int32_t HALF = 10;
    static constexpr Vec3 POSITIONS[2] = {{-100, 0, 0, 0}, {100, 0, 0, 0}};
    static constexpr Pixel RED = 0x7C00;

    void place_objects()
    {
        const int32_t colour = scene_add_colours(&RED_ENTRY, 1);
        ASSERT_GE(colour, 0);
        pick_set_bodies(bodies);
        for (const Vec3& position : POSITIONS) {
            const int32_t first = scene_reserve_vertices(4);
            ASSERT_GE(first, 0);
            const QuadPacket packet = quad_packet(PACKET_FLAT_QUAD, static_cast<int16_t>(first),
                                                  static_cast<int16_t>(colour));
            ASSERT_GE(scene_add_packets(&packet, sizeof packet, 1), 0);
            ObjectPart part{};
            part.vertex_count = 4;
            part.first_slot = first;
            part.vertices = CORNERS;
            part.scale = UNIT_SCALE;
            const int32_t slot = scene_add_object(position, ORIGIN, UNIT_SCALE, &part, 1);
            ASSERT_GE(slot, 0);
            ASSERT_NE(pick_add_record(slot, position, 20, &scene_view_matrix(),
                                      PICK_FLAG_PICKABLE | PICK_FLAG_SOLID, pick_select, nullptr),
                      nullptr);
            ASSERT_EQ(pick_add_body(slot, 3, ORANGE), 0);
        }
    }

    // The shown pixel (dx, dy) from the object's centre on screen.
    static Pixel shown(int32_t object, int32_t dx, int32_t dy)
    {
        return headless_screen()[(CY + dy) * HEADLESS_CLIENT_WIDTH + screen_x(object) + dx];
    }

    // Shown pixels within reach of the object's centre that the predicate takes.
    template <typename Predicate>
    static int32_t pixels_about(int32_t object, int32_t reach, Predicate taken)
    {
        int32_t found = 0;
        for (int32_t dy = -reach; dy <= reach; ++dy) {
            for (int32_t dx = -reach; dx <= reach; ++dx)
                found += taken(shown(object, dx, dy));
        }
        return found;
    }

    // Red pixels within the object's quad on screen (the view puts it 75 units away).
    static int32_t red_pixels(int32_t object)
    {
        return pixels_about(object, HALF, [](Pixel p) { return p == RED; });
    }

    // Pixels about the object in the burst's colours: red and green without blue, not the box.
    static int32_t burst_pixels(int32_t object)
    {
        return pixels_about(object, 70, [](Pixel p) {
            return p != YELLOW && (p >> 10) != 0 && ((p >> 5) & 31) != 0 && (p & 31) == 0;
        });
    }

    // The box of the object's record: screen radius 20 x 256 / 331 = 15.
    static bool boxed(int32_t object)
    {
        return shown(object, -15, -15) == YELLOW && shown(object, 15, 0) == YELLOW &&
               shown(object, 0, 15) == YELLOW;
    }

    // -100 and 100 units at view depth 75: 256 x 100 / 331 = 77 pixels from the centre.
    static int32_t screen_x(int32_t object)
    {
        return object == 0 ? CX - 77 : CX + 77;
    }

    static constexpr int32_t CX = HEADLESS_CLIENT_WIDTH / 2;
    static constexpr int32_t CY = (HEADLESS_CLIENT_HEIGHT - 1) / 2;
    static constexpr ColourEntry RED_ENTRY = {255, 0, 0, 0};
    static constexpr Vec3 CORNERS[4] = {
        {-HALF, -HALF, 0, 0}, {HALF, -HALF, 0, 0}, {HALF, HALF, 0, 0}, {-HALF, HALF, 0, 0}};

    ObjectBody bodies[PICK_BODIES] = {};
};

TEST_F(PickProgramTest, HeldButtonBoxesAndHitsTheObjectUntilItVanishes)
{
    std::vector<int32_t> reds[2];
    std::vector<bool> boxes[2];
    std::vector<int32_t> bursts;
    const auto look = [&] {
        bursts.push_back(burst_pixels(0));
        for (int32_t object = 0; object < 2; ++object) {
            reds[object].push_back(red_pixels(object));
            boxes[object].push_back(boxed(object));
        }
    };
    at_frame(1, [&] {
        look();
        place_objects();
        headless_move_cursor(screen_x(0) + 5, CY - 5);
        headless_post(HOST_WM_LBUTTONDOWN);
    });
    for (uint32_t frame = 2; frame <= 5; ++frame)
        at_frame(frame, look);
    int32_t live_objects = 0;
    at_frame(6, [&] {
        look();
        live_objects = pick_live_objects();
    });
    headless_close_after_frames(6);
    ASSERT_EQ(run(), 0);

    // Frames 1 to 6. The object is drawn before the pick in each frame, so the third hit, in
    // frame 4, hides it from frame 5 on.
    EXPECT_EQ(reds[0].front(), 0);
    for (size_t frame = 1; frame <= 3; ++frame)
        EXPECT_GT(reds[0][frame], 0) << "frame " << frame + 1;
    EXPECT_EQ(reds[0][4], 0);
    EXPECT_EQ(reds[0][5], 0);
    EXPECT_EQ(boxes[0], (std::vector<bool>{false, true, true, true, false, false}));
    EXPECT_GT(reds[1].back(), 0);
    EXPECT_EQ(boxes[1], std::vector<bool>(6, false));
    EXPECT_EQ(bodies[0].flags, BODY_DESTROYED);
    EXPECT_EQ(bodies[1].hit_points, 3);
    EXPECT_EQ(live_objects, 1);
    // The first burst starts in frame 2 after the effect player has run, and is first drawn a
    // frame after it first plays, in frame 4; the later ones add to it.
    EXPECT_EQ(bursts.front(), 0);
    for (size_t frame = 3; frame <= 5; ++frame)
        EXPECT_GT(bursts[frame], 0) << "frame " << frame + 1;
}

} // namespace
