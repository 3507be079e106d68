#include "bench/bench_stage.h"

#include <random>

#include "app/app.h"
#include "app/input.h"
#include "app/shell.h"
#include "host/headless/headless.h"
#include "platform/filter.h"
#include "platform/filter_floor.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "platform/texture.h"

namespace {

BenchStage stage;

// A texture of seeded texels in the lowest empty slot; its slot.
int32_t bench_stage_texture(int32_t log2_size)
{
    const int32_t slot = tex_create(log2_size, log2_size);
    Pixel* texels = tex_pixels(slot);
    std::mt19937 rng(static_cast<uint32_t>(log2_size));
    for (int32_t i = 0; texels && i < (1 << (2 * log2_size)); ++i)
        texels[i] = static_cast<Pixel>(rng() & 0x7FFF);
    return slot;
}

} // namespace

bool bench_stage_start(const AppProgram& program)
{
    bench_stage_stop();
    HeadlessConfig config;
    config.keep_log = false;
    headless_reset(config);
    headless_set_tick_step(FRAME_INTERVAL_MS);
    // What app_win_main does at program start: the frames below run that program's script from
    // a fresh input state, generator and filter selection (a previous stage's filter would
    // otherwise go on running).
    app_shell().program = &program;
    input_reset();
    random_reset();
    filter_reset();
    stage.window = app_create_main_window(headless_instance(), APP_CLASS_NAME, program.title);
    if (!stage.window || !headless_error_boxes().empty()) {
        bench_stage_stop();
        return false;
    }
    // The floor filter's image first, so that it lands in the slot the filter reads.
    if (!tex_pixels(FLOOR_TEXTURE_SLOT))
        bench_stage_texture(FLOOR_TEXTURE_LOG2);
    stage.texture_slot = bench_stage_texture(BENCH_TEXTURE_LOG2);
    return true;
}

BenchStage& bench_stage()
{
    if (!stage.window && bench_stage_start()) {
        for (uint32_t frame = 0; frame < BENCH_STAGE_WARM_UP_FRAMES; ++frame)
            bench_stage_frame();
    }
    return stage;
}

void bench_stage_frame()
{
    app_frame(stage.window);
}

void bench_stage_stop()
{
    if (stage.window) {
        headless_close_window();
        HostMessage message;
        while (host_peek_message(&message) && message.message != HOST_WM_QUIT)
            host_dispatch_message(&message);
    }
    app_shell().program = nullptr;
    stage = {};
}
