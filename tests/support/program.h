// Runs the whole program on the headless host, with actions scripted at chosen frames.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/app.h"
#include "app/input.h"
#include "host/headless/headless.h"
#include "platform/mem.h"
#include "tests/support/test_face.h"

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mem_fail_call(0);
        headless_reset(config);
        live_blocks_before = mem_stats().live_blocks;
    }

    void TearDown() override
    {
        // Quits other than closing the window skip the teardown; the test owes it the memory.
        app_teardown();
        headless_set_present_hook(nullptr);
        mem_fail_call(0);
        EXPECT_EQ(mem_stats().live_blocks, live_blocks_before) << "blocks left allocated";
    }

    // Runs action once the given frame has been presented, before the next one starts.
    void at_frame(uint32_t frame, std::function<void()> action)
    {
        actions[frame].push_back(std::move(action));
    }

    // A fresh host and script for another run in the same test.
    void restart()
    {
        app_teardown();
        headless_reset(config);
        actions.clear();
    }

    // Every run has a frame limit, so a fault that keeps the program going fails the test
    // instead of hanging it: the window closes after frame_limit frames, and a frame past it
    // fails the test and closes the window itself.
    int run(uint32_t frame_limit)
    {
        headless_close_after_frames(frame_limit);
        headless_set_present_hook([this, frame_limit](const HeadlessFrame& frame) {
            for (auto& action : actions[frame.number])
                action();
            if (frame.number > frame_limit && headless_window_alive()) {
                ADD_FAILURE() << "the program ran past its " << frame_limit << " frames";
                headless_close_window();
            }
        });
        return app_win_main(headless_instance(), HOST_SW_SHOWDEFAULT, *program);
    }

    // The position of the n-th occurrence of an event in the log, or -1.
    static long position(const std::string& event, long nth = 0)
    {
        const auto& log = headless_log();
        for (size_t i = 0; i < log.size(); ++i) {
            if (log[i] == event && nth-- == 0)
                return static_cast<long>(i);
        }
        return -1;
    }

    static long count(const std::string& event)
    {
        return std::count(headless_log().begin(), headless_log().end(), event);
    }

    // Each (event, n): the n-th occurrence of the event is logged, after the one before it.
    static void expect_in_order(const std::vector<std::pair<std::string, long>>& events)
    {
        for (size_t i = 1; i < events.size(); ++i) {
            const long before = position(events[i - 1].first, events[i - 1].second);
            EXPECT_TRUE(before >= 0 && before < position(events[i].first, events[i].second))
                << events[i - 1].first << " before " << events[i].first;
        }
    }

    HeadlessConfig config;
    const AppProgram* program = &APP_DEMO;
    std::map<uint32_t, std::vector<std::function<void()>>> actions;
    int32_t live_blocks_before = 0;
};

// A program after start-up on the headless host, with the test face, its frames' steps run by
// hand outside the message loop.
class StartedProgramTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        headless_use_face(test_face());
        ASSERT_NE(app_create_main_window(headless_instance(), APP_CLASS_NAME, APP_TITLE), nullptr);
    }

    void TearDown() override
    {
        ProgramTest::TearDown();
        input_reset();
    }
};
