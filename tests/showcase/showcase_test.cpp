// The showcase end to end on the headless host: holding the button on an object until it is
// destroyed, the reset, the press latch of the keys, the filter keys, and its textures and flat
// colours on the screen.
#include <algorithm>
#include <string>
#include <tuple>

#include "platform/texture.h"
#include "scene/pick.h"
#include "showcase/panel.h"
#include "showcase/ring.h"
#include "tests/support/program.h"
#include "text/text.h"

namespace {

using Frame = std::vector<uint16_t>;

constexpr int32_t CUBE = 1; // the textured cube, away from its neighbours' spheres
constexpr int32_t SOLID = PICK_FLAG_PICKABLE | PICK_FLAG_SOLID;

uint16_t rgb(int32_t r, int32_t g, int32_t b)
{
    return static_cast<uint16_t>(r << 10 | g << 5 | b);
}

auto xyz(const Vec3& v)
{
    return std::tuple(v.x, v.y, v.z);
}

const ShowcaseObject& object(int32_t k)
{
    return showcase().objects[k];
}

bool status_says(const std::string& words)
{
    return std::string(text_windows()[showcase().status_window].text).find(words) !=
           std::string::npos;
}

// A tap between two frames, pressed and released before the next one polls.
void tap(int key)
{
    headless_set_key(key, true);
    headless_set_key(key, false);
}

void press_on_cube()
{
    const PickRecord& record = *pick_list(object(CUBE).slot);
    headless_move_cursor(record.screen_x, record.screen_y);
    headless_post(HOST_WM_LBUTTONDOWN);
}

class ShowcaseTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        program = &APP_SHOWCASE;
    }
};

TEST_F(ShowcaseTest, HeldButtonDestroysTheObjectAndEveryKeyPressActsOnce)
{
    // Each tap selects its filter once, so the later tap wins though the first code is higher.
    at_frame(1, [] {
        EXPECT_TRUE(object(CUBE).hit_points == 4 && status_says("Objects left: 15 of 15"));
        tap(HOST_VK_0 + 7);
        press_on_cube();
    });
    at_frame(2, [] {
        EXPECT_EQ(showcase().filter, 7);
        tap(HOST_VK_0 + 4);
    });
    // The button holds from frame 2 on: one hit a frame, the fourth and last in frame 5.
    at_frame(4, [] {
        EXPECT_EQ(std::pair(showcase().filter, pick_live_objects()),
                  std::pair(4, SHOWCASE_OBJECTS));
    });
    at_frame(5, [] {
        const int32_t slot = object(CUBE).slot;
        EXPECT_EQ(std::tuple(scene_object(slot)->flags & OBJECT_HIDDEN,
                             pick_body(slot)->flags & BODY_DESTROYED, pick_live_objects()),
                  std::tuple(OBJECT_HIDDEN, BODY_DESTROYED, SHOWCASE_OBJECTS - 1));
    });
    at_frame(7, [] {
        EXPECT_TRUE(status_says("Objects left: 14 of 15"));
        headless_post(HOST_WM_LBUTTONUP);
    });
    // R held from frame 7, its keyboard repeating every frame: the reset in frame 8 brings every
    // object back, whole, still and pickable; the button destroys the cube again in frames 9 to
    // 12, and no later reset undoes that.
    for (uint32_t frame = 7; frame < 17; ++frame)
        at_frame(frame, [] { headless_set_key(SHOWCASE_KEY_RESET, true); });
    at_frame(8, [] {
        EXPECT_EQ(pick_live_objects(), SHOWCASE_OBJECTS);
        for (const ShowcaseObject& o : showcase().objects) {
            const int32_t slot = o.slot;
            EXPECT_EQ(std::tuple(scene_object(slot)->flags, xyz(*scene_object_position(slot)),
                                 pick_body(slot)->hit_points, pick_list(slot)->flags & SOLID),
                      std::tuple(0, xyz(o.home), o.hit_points, SOLID));
        }
        press_on_cube();
    });
    at_frame(17, [] { EXPECT_EQ(pick_live_objects(), SHOWCASE_OBJECTS - 1); });
    EXPECT_EQ(run(17), 0);
    EXPECT_EQ(headless_frames_presented(), 17u);
}

// One hit: the object then moves by its velocity / 2^15 a frame, the velocity fading by 1/16 and
// the swelling of the hit by 1/8 a frame. The panels: the status line at the top, the controls
// at the bottom.
TEST_F(ShowcaseTest, AHitObjectDriftsAndSettles)
{
    ObjectBody hit{};
    Vec3 p{};
    at_frame(1, [&] {
        EXPECT_EQ(std::pair(text_windows()[showcase().status_window].y,
                            text_windows()[showcase().help_window].y),
                  std::pair(0, 461 - PANEL_HEIGHT));
        press_on_cube();
    });
    at_frame(2, [&] {
        hit = *pick_body(object(CUBE).slot);
        p = *scene_object_position(object(CUBE).slot);
        EXPECT_EQ(hit.hit_points, object(CUBE).hit_points - 1);
        headless_post(HOST_WM_LBUTTONUP);
    });
    at_frame(3, [&] {
        const ObjectBody& now = *pick_body(object(CUBE).slot);
        const Vec3& v = hit.velocity;
        EXPECT_EQ(std::tuple(xyz(now.velocity), xyz(*scene_object_position(object(CUBE).slot)),
                             now.hit_value),
                  std::tuple(std::tuple(v.x - (v.x >> 4), v.y - (v.y >> 4), v.z - (v.z >> 4)),
                             std::tuple(p.x + (v.x >> 15), p.y + (v.y >> 15), p.z + (v.z >> 15)),
                             hit.hit_value - (hit.hit_value >> 3)));
    });
    EXPECT_EQ(run(3), 0);
}

// The filters' pixels are the filter tests' concern; here each digit key, held through frame 1,
// selects its filter, which changes the frame below the status window and above the guard row
// (key 0 leaves it as it was).
TEST_F(ShowcaseTest, KeyNSelectsFilterNAndTheFrameChanges)
{
    const auto frame_with_filter = [this](int32_t code) {
        restart();
        if (code >= 0) {
            headless_set_key(HOST_VK_0 + code, true);
            at_frame(1, [code] { headless_set_key(HOST_VK_0 + code, false); });
        }
        EXPECT_EQ(run(3), 0);
        EXPECT_EQ(showcase().filter, std::max(code, 0));
        return headless_screen();
    };
    const Frame plain = frame_with_filter(-1);
    const auto from = HEADLESS_CLIENT_WIDTH * PANEL_HEIGHT;
    const auto to = HEADLESS_CLIENT_WIDTH * (HEADLESS_CLIENT_HEIGHT - 1);
    for (int32_t code = 0; code < FILTER_CODES; ++code) {
        const Frame filtered = frame_with_filter(code);
        EXPECT_EQ(std::equal(plain.begin() + from, plain.begin() + to, filtered.begin() + from),
                  code == 0)
            << "filter " << code;
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
