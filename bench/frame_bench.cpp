// The whole program: one frame of the demo in its steady state, every step of the frame
// sequence, a frame of the showcase under stress, and the start-up up to the first frame
// presented.
#include <benchmark/benchmark.h>

#include "bench/bench_register.h"
#include "bench/bench_stage.h"
#include "bench/stress_frame.h"
#include "showcase/showcase.h"

namespace {

// The showcase at its heaviest, the frame that bench/stress_frame.h describes.
void frame_showcase_stress(benchmark::State& state)
{
    if (!bench_stage_start(APP_SHOWCASE)) {
        state.SkipWithError("start-up failed");
        return;
    }
    stress_frame_begin();
    for (auto _ : state) {
        stress_frame_fill_bursts();
        bench_stage_frame();
        stress_frame_finish();
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
