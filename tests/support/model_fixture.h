// The scene fixture with the effect stores made and the six models and the effect script built
// from the generator's start state, as start-up leaves them.
#pragma once

#include "platform/random.h"
#include "scene/effect.h"
#include "scene/model.h"
#include "tests/support/scene_fixture.h"

class ModelFixture : public SceneFixture {
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        random_reset();
        ASSERT_EQ(effect_init_stores(), 0);
        ASSERT_EQ(model_build_all(), 0);
    }

    void TearDown() override
    {
        model_free_stores();
        effect_free_stores();
        SceneFixture::TearDown();
    }
};
