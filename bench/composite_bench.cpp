// Each message-window effect compositing one large window, alone in the table, over the seeded
// layers: pixels of the window per second. The benchmarks take the running program's window
// table and layers over, so the program is stopped after each, to start afresh for the next.
#include <string>

#include "bench/bench_layers.h"
#include "bench/bench_register.h"
#include "bench/bench_shapes.h"
#include "bench/bench_stage.h"
#include "platform/surface.h"
#include "text/msgwin.h"
#include "text/text.h"

namespace {

void composite_effect(benchmark::State& state, int32_t effect)
{
    bench_stage();
    MessageWindow* windows = text_windows();
    for (int32_t i = 0; i < MSGWIN_COUNT; ++i)
        windows[i].id = MSGWIN_FREE;
    windows[0] = {0,
                  BENCH_WINDOW_X,
                  BENCH_WINDOW_Y,
                  BENCH_WINDOW_WIDTH,
                  BENCH_WINDOW_HEIGHT,
                  effect,
                  MSGWIN_TINT_FULL,
                  0,
                  {}};
    bench_fill_layers(surface_current_pixels(), surface_slot_pixels(text_colour_layer()),
                      surface_slot_pixels(text_mask_layer()), surface_width() * surface_height());
    for (auto _ : state) {
        msgwin_composite();
        benchmark::ClobberMemory();
    }
    bench_pixel_rate(state, BENCH_WINDOW_PIXELS);
    bench_stage_stop();
}

} // namespace

void bench_register_composite()
{
    const struct {
        const char* name;
        int32_t effect;
    } effects[] = {
        {"white", MSGWIN_FX_WHITE},   {"plain", MSGWIN_FX_PLAIN},
        {"sway", MSGWIN_FX_SWAY},     {"dissolve", MSGWIN_FX_DISSOLVE},
        {"add", MSGWIN_FX_ADD},       {"shake", MSGWIN_FX_SHAKE},
        {"blinds", MSGWIN_FX_BLINDS}, {"fade_in", MSGWIN_FX_FADE_IN},
    };
    for (const auto& effect : effects)
        benchmark::RegisterBenchmark((std::string("composite/") + effect.name).c_str(),
                                     composite_effect, effect.effect);
}
