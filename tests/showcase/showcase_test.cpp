// The showcase end to end on the headless host: picking, hitting and destroying an object, the
// reset, every frame filter against the rule it follows, textures and flat colours on the screen,
// replay, and start-up failures.
#include <algorithm>
#include <array>
#include <set>

#include "platform/pixel.h"
#include "platform/texture.h"
#include "scene/effect.h"
#include "scene/pick.h"
#include "showcase/panel.h"
#include "showcase/ring.h"
#include "tests/support/program.h"

namespace {

using Frame = std::vector<uint16_t>;

constexpr int32_t WIDTH = HEADLESS_CLIENT_WIDTH;
// The frame's rows: the client area's last row is the class background.
constexpr int32_t ROWS = HEADLESS_CLIENT_HEIGHT - 1;
constexpr size_t FRAME_END = size_t{WIDTH} * ROWS;
// The status window names the filter, so a filtered frame's top differs by its text; the rules
// are checked below it.
constexpr size_t BELOW_STATUS = size_t{WIDTH} * PANEL_HEIGHT;
constexpr uint16_t CHANNEL = 0x1F;

int32_t red(uint16_t p)
{
    return p >> 10 & CHANNEL;
}
int32_t green(uint16_t p)
{
    return p >> 5 & CHANNEL;
}
int32_t blue(uint16_t p)
{
    return p & CHANNEL;
}
uint16_t rgb(int32_t r, int32_t g, int32_t b)
{
    return static_cast<uint16_t>(r << 10 | g << 5 | b);
}
// Each channel halved, rounded down.
uint16_t half(uint16_t p)
{
    return rgb(red(p) / 2, green(p) / 2, blue(p) / 2);
}

// Where a frame shows black, additive packets may still have added black, which keeps a pixel
// below it but for the lowest bit of each channel.
bool under_black(uint16_t shown, uint16_t below)
{
    constexpr auto kept = static_cast<uint16_t>(RGB555_ADD_MASK);
    return shown == below || shown == (below & kept);
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
    // returns every presented frame; actions scripted before apply to this run only.
    std::vector<Frame> run_with_filter(int32_t code, uint32_t count)
    {
        headless_reset(config);
        std::vector<Frame> frames(count + 1);
        for (uint32_t n = 1; n <= count; ++n)
            at_frame(n, [&frames, n] { frames[n] = headless_screen(); });
        if (code >= 0) {
            headless_set_key(HOST_VK_0 + code, true);
            at_frame(1, [code] { headless_set_key(HOST_VK_0 + code, false); });
        }
        headless_close_after_frames(count);
        EXPECT_EQ(run(), 0);
        actions.clear();
        return frames;
    }

    // The object the ring placed at position k, whose pick record the first frame projected.
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
    uint32_t hit_points = 0;
    std::array<ObjectBody, PICK_BODIES> before{};
    at_frame(1, [&] {
        hit_points = static_cast<uint32_t>(object(k).hit_points);
        EXPECT_EQ(pick_live_objects(), SHOWCASE_OBJECTS);
        headless_move_cursor(record(k).screen_x, record(k).screen_y);
        headless_post(HOST_WM_LBUTTONDOWN);
    });
    // The button holds from frame 2 on: one hit a frame, the last one in frame 1 + hit points.
    at_frame(4, [&] {
        for (int32_t i = 0; i < PICK_BODIES; ++i)
            before[i] = *pick_body(i);
        EXPECT_EQ(running_effects(), 3);
        EXPECT_EQ(pick_live_objects(), SHOWCASE_OBJECTS);
    });
    at_frame(5, [&] {
        ASSERT_EQ(hit_points, 4u);
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
            EXPECT_GT(dot(push, minus(*scene_object_position(other), centre)), 0) << "object " << j;
            const int64_t length_squared = dot(push, push);
            EXPECT_GT(length_squared, int64_t{100 * 1000} * (100 * 1000)) << "object " << j;
            EXPECT_LT(length_squared, int64_t{100 * 1030} * (100 * 1030)) << "object " << j;
        }
    });
    // Still held, but the destroyed object is no longer pickable: no further burst.
    at_frame(7, [&] {
        EXPECT_EQ(running_effects(), 4);
        headless_post(HOST_WM_LBUTTONUP);
        headless_set_key(SHOWCASE_KEY_RESET, true);
    });
    at_frame(8, [&] {
        headless_set_key(SHOWCASE_KEY_RESET, false);
        EXPECT_EQ(pick_live_objects(), SHOWCASE_OBJECTS);
        for (int32_t j = 0; j < SHOWCASE_OBJECTS; ++j) {
            const int32_t slot = object(j).slot;
            EXPECT_EQ(scene_object(slot)->flags, 0) << "object " << j;
            const Vec3& position = *scene_object_position(slot);
            EXPECT_EQ(minus(position, object(j).home).x, 0) << "object " << j;
            EXPECT_EQ(minus(position, object(j).home).y, 0) << "object " << j;
            EXPECT_EQ(minus(position, object(j).home).z, 0) << "object " << j;
            EXPECT_EQ(pick_body(slot)->hit_points, object(j).hit_points);
            EXPECT_EQ(record(j).flags & (PICK_FLAG_PICKABLE | PICK_FLAG_SOLID),
                      PICK_FLAG_PICKABLE | PICK_FLAG_SOLID);
        }
    });
    headless_close_after_frames(8);
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(headless_frames_presented(), 8u);
}

TEST_F(ShowcaseTest, EveryFilterChangesTheFrameByItsRule)
{
    const std::vector<Frame> plain = run_with_filter(-1, 3);
    const Frame& a1 = plain[1];
    ASSERT_EQ(a1.size(), size_t{WIDTH} * (ROWS + 1));

    EXPECT_EQ(run_with_filter(0, 1)[1], a1);

    // Invert: every word NOT, every channel c becomes 31 - c; applying it again gives the frame
    // back.
    const Frame inverted = run_with_filter(2, 1)[1];
    for (size_t i = BELOW_STATUS; i < FRAME_END; ++i)
        ASSERT_EQ(inverted[i] ^ 0xFFFF, a1[i]) << "pixel " << i;

    // Xor smear: each pixel combined with the next in memory; the last one kept.
    const Frame smeared = run_with_filter(3, 1)[1];
    for (size_t i = BELOW_STATUS; i + 1 < FRAME_END; ++i)
        ASSERT_EQ(smeared[i], a1[i] ^ a1[i + 1]) << "pixel " << i;
    EXPECT_EQ(smeared[FRAME_END - 1], a1[FRAME_END - 1]);

    // Grey: every channel the sum of the three, divided by 3; no coloured pixel is left.
    const Frame grey = run_with_filter(4, 1)[1];
    for (size_t i = BELOW_STATUS; i < FRAME_END; ++i) {
        const int32_t level = (red(a1[i]) + green(a1[i]) + blue(a1[i])) / 3;
        ASSERT_EQ(grey[i], rgb(level, level, level)) << "pixel " << i;
    }

    // Noise: random bits ORed into the first pixel of each pair; the second is untouched.
    const Frame noisy = run_with_filter(5, 1)[1];
    size_t changed = 0;
    for (size_t i = BELOW_STATUS; i < FRAME_END; ++i) {
        ASSERT_EQ(noisy[i] & a1[i], a1[i]) << "pixel " << i;
        if (i % 2) {
            ASSERT_EQ(noisy[i], a1[i]) << "pixel " << i;
        }
        changed += noisy[i] != a1[i];
    }
    EXPECT_GT(changed, FRAME_END / 4);

    // Blur: twice, each pixel = 1/4 the one below + 1/4 itself (each halved twice, rounded down)
    // + 1/2 the one two to the right. Rows that never read the guard row are checked.
    Frame expected = a1;
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < FRAME_END - WIDTH; ++i) {
            const auto quarters =
                half(static_cast<uint16_t>(half(expected[i + WIDTH]) + half(expected[i])));
            expected[i] = static_cast<uint16_t>(quarters + half(expected[i + 2]));
        }
    }
    const Frame blurred = run_with_filter(7, 1)[1];
    for (size_t i = BELOW_STATUS; i < FRAME_END - 2 * WIDTH; ++i)
        ASSERT_EQ(blurred[i], expected[i]) << "pixel " << i;
}

TEST_F(ShowcaseTest, TrailFiltersAverageWithTheImageBefore)
{
    const std::vector<Frame> plain = run_with_filter(-1, 3);

    // After-image, after drawing: its first call shows the other, never drawn buffer, its second
    // the average of the fresh drawing with that black image.
    const std::vector<Frame> after = run_with_filter(6, 2);
    for (size_t i = 0; i < FRAME_END; ++i)
        ASSERT_EQ(after[1][i], 0) << "pixel " << i;
    for (size_t i = BELOW_STATUS; i < FRAME_END; ++i)
        ASSERT_EQ(after[2][i], half(plain[2][i])) << "pixel " << i;

    // Trails, before drawing (from the frame after the key): frame 2 is drawn on the untouched
    // buffer; frame 3 on half of frame 2, so where frame 3 draws nothing half of frame 2 shows.
    const std::vector<Frame> trails = run_with_filter(1, 3);
    for (size_t i = BELOW_STATUS; i < FRAME_END; ++i)
        ASSERT_EQ(trails[2][i], plain[2][i]) << "pixel " << i;
    size_t trail_pixels = 0;
    for (size_t i = BELOW_STATUS; i < FRAME_END; ++i) {
        if (plain[3][i] != 0)
            continue;
        ASSERT_TRUE(under_black(trails[3][i], half(plain[2][i]))) << "pixel " << i;
        trail_pixels += trails[3][i] != 0;
    }
    EXPECT_GT(trail_pixels, 100u);
}

TEST_F(ShowcaseTest, FloorMapsSlotZeroUnderTheScene)
{
    const std::vector<Frame> plain = run_with_filter(-1, 2);
    Frame floor_texture;
    at_frame(1, [&] {
        const Pixel* texels = tex_pixels(0);
        floor_texture.assign(texels, texels + 128 * 128);
    });
    const Frame floor = run_with_filter(8, 2)[2];
    ASSERT_EQ(floor_texture.size(), 128u * 128u);

    // Above the lower third, nothing changes; in it, where the scene draws nothing, the texel of
    // each row's perspective step shows.
    const int32_t third = ROWS / 3;
    for (size_t i = BELOW_STATUS; i < size_t{WIDTH} * 2 * third; ++i)
        ASSERT_EQ(floor[i], plain[2][i]) << "pixel " << i;
    int32_t checked = 0;
    for (int32_t r = 0; r < third; ++r) {
        const int32_t b = 20 + r;
        const int32_t row = (138 - b) * 32 / (b - 10) & 127;
        int32_t u = (WIDTH << 12) / b;
        const int32_t du = -8192 / b;
        for (int32_t x = 0; x < WIDTH; ++x, u += du) {
            const size_t at = size_t{WIDTH} * (2 * third + r) + x;
            if (plain[2][at] != 0)
                continue;
            ASSERT_TRUE(under_black(floor[at], floor_texture[row * 128 + (u >> 8 & 127)]))
                << "row " << r << " column " << x;
            ++checked;
        }
    }
    EXPECT_GT(checked, WIDTH * third / 2);
}

TEST_F(ShowcaseTest, TexturesAndFlatColoursReachTheScreen)
{
    const Frame frame = run_with_filter(-1, 1)[1];
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

TEST_F(ShowcaseTest, ScriptedRunReplaysExactly)
{
    const auto checksums = [this] {
        headless_reset(config);
        actions.clear();
        std::vector<uint64_t> sums;
        for (uint32_t n = 1; n <= 120; ++n) {
            at_frame(n, [&sums] {
                uint64_t hash = 14695981039346656037u; // FNV-1a
                for (const uint16_t pixel : headless_screen())
                    hash = (hash ^ pixel) * 1099511628211u;
                sums.push_back(hash);
            });
        }
        // Clicks on two objects, every filter in turn, then a reset.
        at_frame(1, [] {
            headless_move_cursor(record(4).screen_x, record(4).screen_y);
            headless_post(HOST_WM_LBUTTONDOWN);
        });
        at_frame(6, [] { headless_post(HOST_WM_LBUTTONUP); });
        at_frame(20, [] {
            headless_move_cursor(record(9).screen_x, record(9).screen_y);
            headless_post(HOST_WM_LBUTTONDOWN);
        });
        at_frame(30, [] { headless_post(HOST_WM_LBUTTONUP); });
        for (int32_t code = 1; code <= 9; ++code) {
            const int key = code == 9 ? HOST_VK_0 : HOST_VK_0 + code;
            at_frame(30 + 8 * code, [key] { headless_set_key(key, true); });
            at_frame(31 + 8 * code, [key] { headless_set_key(key, false); });
        }
        at_frame(110, [] { headless_set_key(SHOWCASE_KEY_RESET, true); });
        headless_close_after_frames(120);
        EXPECT_EQ(run(), 0);
        return sums;
    };
    const std::vector<uint64_t> first = checksums();
    ASSERT_EQ(first.size(), 120u);
    EXPECT_EQ(checksums(), first);
    EXPECT_GT(std::set<uint64_t>(first.begin(), first.end()).size(), 100u);
}

TEST_F(ShowcaseTest, EveryStartupAllocationCanFailAlone)
{
    headless_close_after_frames(1);
    const uint32_t before = mem_stats().calls;
    ASSERT_EQ(run(), 0);
    const uint32_t allocations = mem_stats().calls - before;

    for (uint32_t failing = 1; failing <= allocations; ++failing) {
        headless_reset(config);
        const int32_t live = mem_stats().live_blocks;
        mem_fail_call(failing);
        EXPECT_EQ(run(), 0) << "allocation " << failing;
        ASSERT_EQ(headless_error_boxes().size(), 1u) << "allocation " << failing;
        EXPECT_EQ(headless_error_boxes()[0].caption, "Error");
        EXPECT_EQ(headless_frames_presented(), 0u) << "allocation " << failing;
        app_teardown();
        EXPECT_EQ(mem_stats().live_blocks, live) << "allocation " << failing;
    }
}

} // namespace
