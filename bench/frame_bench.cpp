// The whole program: one frame of the demo in its steady state, every step of the frame
// sequence, a frame of the showcase under stress, and the start-up up to the first frame
// presented.
#include <benchmark/benchmark.h>

#include "bench/bench_register.h"
#include "bench/bench_stage.h"
#include "platform/filter.h"
#include "platform/filter_effects.h"
#include "scene/effect.h"
#include "scene/pick_hit.h"
#include "scene/scene.h"
#include "showcase/showcase.h"

namespace {

// Keeps every effect instance playing a burst, each at one of the ring's objects.
void frame_fill_bursts()
{
    for (int32_t i = 0; i < EFFECT_INSTANCES; ++i) {
        if (effect_instance_first_step(i) != EFFECT_FREE)
            continue;
        const ShowcaseObject& object = showcase().objects[i % SHOWCASE_OBJECTS];
        effect_start(EFFECT_BURST, EFFECT_BURST_DURATION, *scene_object_position(object.slot),
                     BURST_ANGLES, BURST_SCALE, object.colour);
    }
}

// The showcase at its heaviest: every object of the ring, all 32 effect instances bursting, the
// floor beneath and the blur over the finished frame. One filter code cannot select both, so the
// blur runs on the presented frame, the work it would do as the post-draw hook.
void frame_showcase_stress(benchmark::State& state)
{
    if (!bench_stage_start(APP_SHOWCASE)) {
        state.SkipWithError("start-up failed");
        return;
    }
    filter_select(FILTER_FLOOR);
    for (auto _ : state) {
        frame_fill_bursts();
        bench_stage_frame();
        filter_blur();
    }
    // The other benchmarks play the demo.
    bench_stage_stop();
}

void frame_demo(benchmark::State& state)
{
    if (!bench_stage().window) {
        state.SkipWithError("start-up failed");
        return;
    }
    for (auto _ : state)
        bench_stage_frame();
}

// From a fresh headless host to the first present; the teardown is not counted.
void frame_startup(benchmark::State& state)
{
    bench_stage_stop();
    for (auto _ : state) {
        if (!bench_stage_start()) {
            state.SkipWithError("start-up failed");
            break;
        }
        bench_stage_frame();
        state.PauseTiming();
        bench_stage_stop();
        state.ResumeTiming();
    }
}

} // namespace

void bench_register_frame()
{
    benchmark::RegisterBenchmark("frame/demo", frame_demo);
    benchmark::RegisterBenchmark("frame/showcase_stress", frame_showcase_stress);
    benchmark::RegisterBenchmark("frame/startup", frame_startup)->Unit(benchmark::kMillisecond);
}
