// The maths, the scene buffer and the models as start-up leaves them, without a window: tables
// made, buffer current, the scene's tables registered, the projection centre at (256, 230), the
// effect stores, the six models and the effect script built from the generator's start state,
// and the identity as the view.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "host/headless/headless.h"
#include "platform/mem.h"
#include "platform/random.h"
#include "scene/effect.h"
#include "scene/math.h"
#include "scene/matrix.h"
#include "scene/model.h"
#include "scene/projection.h"
#include "scene/scene.h"
#include "scene/scene_buffer.h"

constexpr Matrix TEST_IDENTITY = {{{512, 0, 0, 0}, {0, 512, 0, 0}, {0, 0, 512, 0}, {0, 0, 0, 512}}};
constexpr Vec3 TEST_ORIGIN{0, 0, 0, 0};
constexpr Vec3 TEST_UNIT_SCALE{512, 512, 512, 0};

inline auto test_xyz(const Vec3& v)
{
    return std::tuple(v.x, v.y, v.z);
}

inline auto test_screen(const ScreenVertex& v)
{
    return std::tuple(v.x, v.y, v.depth, v.clip);
}

template <typename Record> bool test_same(const Record& a, const Record& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The maths alone, as the Windows build's tests run them without a host: tables made and the
// projection centre set, every block given back at the end.
class MathFixture : public ::testing::Test {
protected:
    static constexpr int32_t CX = 256;
    static constexpr int32_t CY = 230;

    void SetUp() override
    {
        mem_fail_call(0);
        live_blocks = mem_stats().live_blocks;
        ASSERT_EQ(math_init_tables(), 0);
        math_set_screen_centre(CX, CY);
    }

    void TearDown() override
    {
        math_free_tables();
        EXPECT_EQ(mem_stats().live_blocks, live_blocks) << "blocks left allocated";
    }

    int32_t live_blocks = 0;
};

class SceneFixture : public MathFixture {
protected:
    void SetUp() override
    {
        headless_reset();
        MathFixture::SetUp();
        ASSERT_EQ(scene_init_buffer(), 0);
        scene_init();
        scene_register_tables();
        scene_view_matrix() = TEST_IDENTITY; // a model placed at p shows at p
        random_reset();
        ASSERT_EQ(effect_init_stores(), 0);
        ASSERT_EQ(model_build_all(), 0);
    }

    void TearDown() override
    {
        model_free_stores();
        effect_free_stores();
        scene_free_objects();
        scene_free_buffer();
        MathFixture::TearDown();
    }
};
