// The maths and the scene buffer as start-up leaves them, without a window: tables made, buffer
// current, the scene's tables registered, the projection centre at (256, 230).
#pragma once

#include <gtest/gtest.h>

#include "host/headless/headless.h"
#include "platform/mem.h"
#include "scene/math.h"
#include "scene/scene.h"
#include "scene/scene_buffer.h"

class SceneFixture : public ::testing::Test {
protected:
    static constexpr int32_t CX = 256;
    static constexpr int32_t CY = 230;

    void SetUp() override
    {
        headless_reset();
        mem_fail_call(0);
        live_blocks = mem_stats().live_blocks;
        ASSERT_EQ(math_init_tables(), 0);
        ASSERT_EQ(scene_init_buffer(), 0);
        scene_init();
        scene_register_tables();
        math_set_screen_centre(CX, CY);
    }

    void TearDown() override
    {
        scene_free_objects();
        scene_free_buffer();
        math_free_tables();
        mem_fail_call(0);
        EXPECT_EQ(mem_stats().live_blocks, live_blocks) << "blocks left allocated";
    }

    int32_t live_blocks = 0;
};
