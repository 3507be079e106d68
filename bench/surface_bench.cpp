// The frame start's clear and the present's copy to the window, on the running program's frame
// buffer, W x H counted pixels each.
#include "bench/bench_register.h"
#include "bench/bench_shapes.h"
#include "bench/bench_stage.h"
#include "platform/surface.h"

namespace {

// The frame start with its clear; the clock never makes it wait.
void surface_clear(benchmark::State& state)
{
    HostWindow* window = bench_stage().window;
    for (auto _ : state) {
        surface_begin_frame(window, SURFACE_CLEAR);
        benchmark::ClobberMemory();
    }
    bench_pixel_rate(state, static_cast<int64_t>(surface_width()) * surface_height());
}

// The present needs the DC that a frame start takes, so each present has an uncleared start.
void surface_present_copy(benchmark::State& state)
{
    HostWindow* window = bench_stage().window;
    for (auto _ : state) {
        surface_begin_frame(window, 0);
        surface_present();
        benchmark::ClobberMemory();
    }
    bench_pixel_rate(state, static_cast<int64_t>(surface_width()) * surface_height());
}

} // namespace

void bench_register_surface()
{
    benchmark::RegisterBenchmark("surface/clear", surface_clear);
    benchmark::RegisterBenchmark("surface/present", surface_present_copy);
}
