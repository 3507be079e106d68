// Each frame filter on the running program's frame buffer, W x H counted pixels per call (the
// floor covers a third of them). The trail leaves the frame buffers alternating, so the program
// is stopped after it, to start afresh for the next benchmark.
#include <string>

#include "bench/bench_register.h"
#include "bench/bench_shapes.h"
#include "bench/bench_stage.h"
#include "platform/filter_effects.h"
#include "platform/filter_floor.h"
#include "platform/filter_trail.h"
#include "platform/surface.h"

namespace {

void filter_rate(benchmark::State& state, void (*filter)(), int32_t rows_in_three)
{
    bench_stage();
    for (auto _ : state) {
        filter();
        benchmark::ClobberMemory();
    }
    bench_pixel_rate(state, static_cast<int64_t>(surface_width()) * (surface_height() / 3) *
                                rows_in_three);
    if (filter == filter_trail)
        bench_stage_stop();
}

} // namespace

void bench_register_filters()
{
    const struct {
        const char* name;
        void (*filter)();
        int32_t rows_in_three;
    } filters[] = {
        {"invert", filter_invert, 3}, {"xor_smear", filter_xor_smear, 3},
        {"grey", filter_grey, 3},     {"noise", filter_noise, 3},
        {"blur", filter_blur, 3},     {"trail", filter_trail, 3},
        {"floor", filter_floor, 1},
    };
    for (const auto& filter : filters)
        benchmark::RegisterBenchmark((std::string("filter/") + filter.name).c_str(), filter_rate,
                                     filter.filter, filter.rows_in_three);
}
