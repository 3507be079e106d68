// The showcase end to end on the headless host: holding the button on an object until it is
// destroyed, the reset, the filter keys, and its textures and flat colours on the screen.
#include <algorithm>
#include <array>
#include <string>
#include <tuple>

#include "platform/texture.h"
#include "scene/effect.h"
#include "scene/pick.h"
#include "showcase/panel.h"
#include "showcase/ring.h"
#include "tests/support/program.h"
#include "text/text.h"

namespace {

using Frame = std::vector<uint16_t>;

// The status window names the filter; the frame below it, above the guard row, shows the filter.
constexpr size_t BELOW_STATUS = size_t{HEADLESS_CLIENT_WIDTH} * PANEL_HEIGHT;
constexpr size_t FRAME_END = size_t{HEADLESS_CLIENT_WIDTH} * (HEADLESS_CLIENT_HEIGHT - 1);

uint16_t rgb(int32_t r, int32_t g, int32_t b)
{
    return static_cast<uint16_t>(r << 10 | g << 5 | b);
}

int64_t dot(const Vec3& a, const Vec3& b)
{
    return int64_t{a.x} * b.x + int64_t{a.y} * b.y + int64_t{a.z} * b.z;
}

Vec3 minus(const Vec3& a, const Vec3& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z, 0};
}

int32_t running_effects()
{
    int32_t running = 0;
    for (int32_t i = 0; i < EFFECT_INSTANCES; ++i)
        running += effect_instance_first_step(i) != EFFECT_FREE;
    return running;
}

class ShowcaseTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        program = &APP_SHOWCASE;
    }

    // Runs count frames, the digit key of filter code held through the first (-1: none), and
    // returns the last frame.
    Frame run_with_filter(int32_t code, uint32_t count)
    {
        headless_reset(config);
        actions.clear();
        if (code >= 0) {
            headless_set_key(HOST_VK_0 + code, true);
            at_frame(1, [code] { headless_set_key(HOST_VK_0 + code, false); });
        }
        EXPECT_EQ(run(count), 0);
        EXPECT_EQ(showcase().filter, std::max(code, 0));
        return headless_screen();
    }

    static std::string status_text()
    {
        return text_windows()[showcase().status_window].text;
    }
    static const ShowcaseObject& object(int32_t k)
    {
        return showcase().objects[k];
    }
    static const PickRecord& record(int32_t k)
    {
        return *pick_list(object(k).slot);
    }
};

TEST_F(ShowcaseTest, HeldButtonHitsTheObjectUntilItIsDestroyedAndTheResetBringsItBack)
{
    constexpr int32_t k = 1; // the textured cube, away from its neighbours' spheres
    std::array<ObjectBody, PICK_BODIES> before{};
    at_frame(1, [&] {
        EXPECT_EQ(object(k).hit_points, 4);
        EXPECT_EQ(pick_live_objects(), SHOWCASE_OBJECTS);
        EXPECT_NE(status_text().find("Objects left: 15 of 15"), std::string::npos);
        headless_move_cursor(record(k).screen_x, record(k).screen_y);
        headless_post(HOST_WM_LBUTTONDOWN);
    });
    // The button holds from frame 2 on: one hit a frame, the last one in frame 5.
    at_frame(4, [&] {
        std::copy_n(pick_body(0), PICK_BODIES, before.begin());
        EXPECT_EQ(running_effects(), 3);
        EXPECT_EQ(pick_live_objects(), SHOWCASE_OBJECTS);
    });
    at_frame(5, [&] {
        const int32_t slot = object(k).slot;
        EXPECT_TRUE(scene_object(slot)->flags & OBJECT_HIDDEN);
        EXPECT_TRUE(pick_body(slot)->flags & BODY_DESTROYED);
        EXPECT_EQ(pick_live_objects(), SHOWCASE_OBJECTS - 1);
        EXPECT_EQ(running_effects(), 4);
        // The shock wave: on top of one frame's damping, every other object got a push of about
        // 100 x 1024 away from the destroyed one (all are within 2047 units).
        const Vec3 centre = *scene_object_position(slot);
        for (int32_t j = 0; j < SHOWCASE_OBJECTS; ++j) {
            const int32_t other = object(j).slot;
            if (other == slot)
                continue;
            const Vec3& v = before[other].velocity;
            const Vec3 damped = {v.x - (v.x >> RING_DAMPING_SHIFT),
                                 v.y - (v.y >> RING_DAMPING_SHIFT),
                                 v.z - (v.z >> RING_DAMPING_SHIFT), 0};
            const Vec3 push = minus(pick_body(other)->velocity, damped);
            EXPECT_GT(dot(push, minus(*scene_object_position(other), centre)), 0) << j;
            EXPECT_GT(dot(push, push), int64_t{100 * 1000} * (100 * 1000)) << j;
            EXPECT_LT(dot(push, push), int64_t{100 * 1030} * (100 * 1030)) << j;
        }
    });
    // Still held, but the destroyed object is no longer pickable: no further burst.
    at_frame(7, [&] {
        EXPECT_EQ(running_effects(), 4);
        EXPECT_NE(status_text().find("Objects left: 14 of 15"), std::string::npos);
        headless_post(HOST_WM_LBUTTONUP);
        headless_set_key(SHOWCASE_KEY_RESET, true);
    });
    at_frame(8, [&] {
        EXPECT_EQ(pick_live_objects(), SHOWCASE_OBJECTS);
        for (int32_t j = 0; j < SHOWCASE_OBJECTS; ++j) {
            const int32_t slot = object(j).slot;
            EXPECT_EQ(scene_object(slot)->flags, 0) << j;
            const Vec3 moved = minus(*scene_object_position(slot), object(j).home);
            EXPECT_EQ(dot(moved, moved), 0) << j;
            EXPECT_EQ(pick_body(slot)->hit_points, object(j).hit_points) << j;
            EXPECT_EQ(record(j).flags & (PICK_FLAG_PICKABLE | PICK_FLAG_SOLID),
                      PICK_FLAG_PICKABLE | PICK_FLAG_SOLID);
        }
    });
    EXPECT_EQ(run(8), 0);
}

// One hit: the object then moves by its velocity / 2^15 a frame, the velocity fading by 1/16 and
// the swelling of the hit by 1/8 a frame.
TEST_F(ShowcaseTest, AHitObjectDriftsAndSettles)
{
    constexpr int32_t k = 1;
    ObjectBody hit{};
    Vec3 position{};
    at_frame(1, [&] {
        headless_move_cursor(record(k).screen_x, record(k).screen_y);
        // The panels: the status line at the top, the controls at the bottom.
        EXPECT_EQ(text_windows()[showcase().status_window].y, 0);
        EXPECT_EQ(text_windows()[showcase().help_window].y, 461 - PANEL_HEIGHT);
        headless_post(HOST_WM_LBUTTONDOWN);
    });
    at_frame(2, [&] {
        hit = *pick_body(object(k).slot);
        position = *scene_object_position(object(k).slot);
        EXPECT_EQ(hit.hit_points, object(k).hit_points - 1);
        headless_post(HOST_WM_LBUTTONUP);
    });
    at_frame(3, [&] {
        const ObjectBody& now = *pick_body(object(k).slot);
        const Vec3& v = hit.velocity;
        EXPECT_EQ(std::tuple(now.velocity.x, now.velocity.y, now.velocity.z),
                  std::tuple(v.x - (v.x >> 4), v.y - (v.y >> 4), v.z - (v.z >> 4)));
        const Vec3 moved = minus(*scene_object_position(object(k).slot), position);
        EXPECT_EQ(std::tuple(moved.x, moved.y, moved.z),
                  std::tuple(v.x >> 15, v.y >> 15, v.z >> 15));
        EXPECT_EQ(now.hit_value, hit.hit_value - (hit.hit_value >> 3));
    });
    EXPECT_EQ(run(3), 0);
}

// The filters' pixels are the filter tests' concern; here each digit key selects its filter,
// which changes the frame below the status window (key 0 leaves it as it was).
TEST_F(ShowcaseTest, EveryKeyPressActsOnce)
{
    // Taps between two frames, pressed and released before the next one polls: each selects its
    // filter once, so the later tap's filter wins even though the first digit's code is higher.
    constexpr int32_t k = 1;
    at_frame(1, [] {
        headless_set_key(HOST_VK_0 + 7, true);
        headless_set_key(HOST_VK_0 + 7, false);
    });
    at_frame(2, [] {
        EXPECT_EQ(showcase().filter, 7);
        headless_set_key(HOST_VK_0 + 4, true);
        headless_set_key(HOST_VK_0 + 4, false);
    });
    at_frame(3, [] {
        EXPECT_EQ(showcase().filter, 4);
        headless_move_cursor(record(k).screen_x, record(k).screen_y);
        headless_post(HOST_WM_LBUTTONDOWN);
    });
    // The held button destroys the cube in frames 4 to 7. R is then held for ten frames, its
    // keyboard repeating every frame: one reset in frame 8 brings the cube back, the button
    // destroys it again in frames 8 to 11, and no later reset undoes that.
    at_frame(7, [] {
        EXPECT_EQ(pick_live_objects(), SHOWCASE_OBJECTS - 1);
        headless_set_key(SHOWCASE_KEY_RESET, true);
    });
    at_frame(8, [] { EXPECT_EQ(pick_live_objects(), SHOWCASE_OBJECTS); });
    for (uint32_t frame = 8; frame < 17; ++frame)
        at_frame(frame, [] { headless_set_key(SHOWCASE_KEY_RESET, true); });
    at_frame(17, [] { EXPECT_EQ(pick_live_objects(), SHOWCASE_OBJECTS - 1); });
    EXPECT_EQ(run(17), 0);
    EXPECT_EQ(headless_frames_presented(), 17u);
}

TEST_F(ShowcaseTest, KeyNSelectsFilterNAndTheFrameChanges)
{
    const Frame plain = run_with_filter(-1, 3);
    for (int32_t code = 0; code < FILTER_CODES; ++code) {
        const Frame filtered = run_with_filter(code, 3);
        const bool same = std::equal(plain.begin() + BELOW_STATUS, plain.begin() + FRAME_END,
                                     filtered.begin() + BELOW_STATUS);
        EXPECT_EQ(same, code == 0) << "filter " << code;
    }
}

TEST_F(ShowcaseTest, TexturesAndFlatColoursReachTheScreen)
{
    at_frame(1, [] {
        // The checker's squares are 4 texels wide; the floor's tiles 16, light and dark in turn,
        // with grout on each tile's first row and column.
        const int32_t checker_slot = showcase().textures[1];
        const Pixel* checker = tex_pixels(checker_slot);
        const int32_t w = 1 << tex_log2_width(checker_slot);
        const uint16_t a = rgb(31, 20, 4), b = rgb(4, 10, 28);
        EXPECT_EQ(std::tuple(checker[3], checker[4], checker[4 * w], checker[4 * w + 4]),
                  std::tuple(a, b, b, a));
        const Pixel* floor = tex_pixels(showcase().textures[0]);
        const uint16_t grout = rgb(3, 3, 4), light = rgb(14, 12, 9), dark = rgb(8, 7, 6);
        EXPECT_EQ(std::tuple(floor[5], floor[5 * 128], floor[128 + 1], floor[128 + 17],
                             floor[17 * 128 + 1], floor[17 * 128 + 17]),
                  std::tuple(grout, grout, light, dark, dark, light));
    });
    EXPECT_EQ(run(1), 0);
    const Frame frame = headless_screen();
    const auto shown = [&](uint16_t pixel) {
        return std::count(frame.begin(), frame.end(), pixel);
    };
    // The checker's two colours, the brick and its mortar, each on textured faces.
    for (const uint16_t texel : {rgb(31, 20, 4), rgb(4, 10, 28), rgb(22, 8, 5), rgb(24, 23, 20)})
        EXPECT_GT(shown(texel), 20) << std::hex << texel;
    // The prism's face colours, (255, 64, 64) and (64, 128, 255) by bits 3 to 7 of each channel:
    // its flat packets draw the converted colour table.
    EXPECT_GT(shown(rgb(31, 8, 8)) + shown(rgb(8, 16, 31)), 20);
}

} // namespace
