#include "bench/stress_frame.h"

#include "platform/filter.h"
#include "platform/filter_effects.h"
#include "scene/effect.h"
#include "scene/pick_hit.h"
#include "scene/scene.h"
#include "showcase/showcase.h"

void stress_frame_begin()
{
    filter_select(FILTER_FLOOR);
}

void stress_frame_fill_bursts()
{
    for (int32_t i = 0; i < EFFECT_INSTANCES; ++i) {
        if (effect_instance_first_step(i) != EFFECT_FREE)
            continue;
        const ShowcaseObject& object = showcase().objects[i % SHOWCASE_OBJECTS];
        effect_start(EFFECT_BURST, EFFECT_BURST_DURATION, *scene_object_position(object.slot),
                     BURST_ANGLES, BURST_SCALE, object.colour);
    }
}

void stress_frame_finish()
{
    filter_blur();
}
