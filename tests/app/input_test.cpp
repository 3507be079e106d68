// Mouse and view keys through the whole program: button messages, the cursor from the last
// message point, and the yaw sequences that F1, F2 and F3 produce frame by frame.
#include "app/input.h"

#include <vector>

#include "scene/math.h"
#include "scene/scene.h"
#include "tests/support/program.h"

namespace {

using InputTest = ProgramTest;

struct Keys {
    bool f1, f2, f3;
};

void press(Keys keys)
{
    headless_set_key(HOST_VK_F1, keys.f1);
    headless_set_key(HOST_VK_F2, keys.f2);
    headless_set_key(HOST_VK_F3, keys.f3);
}

TEST_F(InputTest, ViewKeysEaseTheYawTowardTheirTargetsAndEveryRunStartsUnturned)
{
    // Frame by frame: the keys held and the stored yaw after the frame.
    struct Step {
        Keys keys;
        int32_t yaw;
    };
    std::vector<Step> steps;
    for (const int32_t yaw :
         {37, 65, 86, 102, 114, 123, 129, 134, 138, 141, 143, 144, 145, 146, 147})
        steps.push_back({{true, false, false}, yaw});
    // Released, the yaw stays; one frame of F2 walks it back to 0 in 15 frames.
    steps.push_back({{false, false, false}, 147});
    steps.push_back({{false, true, false}, 110});
    for (const int32_t yaw : {82, 61, 45, 33, 24, 18, 13, 9, 6, 4, 3, 2, 1, 0, 0})
        steps.push_back({{false, false, false}, yaw});
    // F3 wins over F1, and -150 is stored modulo 1024; with all three held F3 still wins.
    for (const int32_t yaw :
         {-38, -66, -87, -103, -115, -124, -131, -136, -140, -143, -145, -147, -148, -149, -150})
        steps.push_back({{true, false, true}, yaw & 1023});
    steps.push_back({{true, true, true}, 874});

    std::vector<int32_t> yaws;
    press(steps[0].keys);
    for (uint32_t frame = 1; frame <= steps.size(); ++frame) {
        at_frame(frame, [&, frame] {
            yaws.push_back(scene_view_angles().y);
            // The frame's scene transformation already turned the view by the new yaw.
            EXPECT_EQ(scene_view_matrix().m[2][0], math_sin(scene_view_angles().y)) << frame;
            if (frame < steps.size())
                press(steps[frame].keys);
        });
    }
    EXPECT_EQ(run(static_cast<uint32_t>(steps.size())), 0);
    ASSERT_EQ(yaws.size(), steps.size());
    for (size_t i = 0; i < steps.size(); ++i)
        EXPECT_EQ(yaws[i], steps[i].yaw) << "frame " << i + 1;

    // The next run in the same process starts from yaw 0 again.
    restart();
    int32_t yaw = -1;
    at_frame(1, [&] { yaw = scene_view_angles().y; });
    EXPECT_EQ(run(1), 0);
    EXPECT_EQ(yaw, 0);
}

// After frame n the n-th message is posted, after five cursor moves in frame 1: the loop
// handles every message waiting before it starts a frame, so the next frame sees the buttons
// held and the cursor at the last message point.
TEST_F(InputTest, EveryMessageComesBeforeTheNextFrameWhichSeesTheButtonsAndTheLastPoint)
{
    const std::pair<uint32_t, uint32_t> messages[] = {
        {HOST_WM_LBUTTONDOWN, INPUT_BUTTON_LEFT},
        {HOST_WM_RBUTTONDOWN, INPUT_BUTTON_LEFT | INPUT_BUTTON_RIGHT},
        {HOST_WM_LBUTTONUP, INPUT_BUTTON_RIGHT},
        {HOST_WM_RBUTTONUP, 0}};
    for (uint32_t frame = 1; frame <= 5; ++frame) {
        at_frame(frame, [&, frame] {
            int32_t x = 0;
            int32_t y = 0;
            const uint32_t held = input_get_mouse(&x, &y);
            if (frame > 1) {
                // Screen coordinates: the client area lies at (100, 60) on the virtual screen.
                EXPECT_EQ(std::tuple(held, x, y),
                          std::tuple(messages[frame - 2].second, HEADLESS_CLIENT_ORIGIN_X + 40,
                                     HEADLESS_CLIENT_ORIGIN_Y + 30))
                    << frame;
            } else {
                for (const int32_t moved : {0, 1, 2, 3, 40})
                    headless_move_cursor(moved, moved * 3 / 4);
            }
            if (frame <= 4)
                headless_post(messages[frame - 1].first);
        });
    }
    EXPECT_EQ(run(5), 0);
    const std::string move = "dispatch " + std::to_string(HOST_WM_MOUSEMOVE);
    const std::string down = "dispatch " + std::to_string(HOST_WM_LBUTTONDOWN);
    expect_in_order(
        {{"present", 0}, {move, 0}, {move, 4}, {down, 0}, {"present", 1}, {"present", 2}});
    EXPECT_EQ(count(move), 5);
}

} // namespace
