// The frame filters and the effect player over the real frame buffers. Each input fills both
// frame buffers (guard rows included) with its own pixels, puts nothing, the floor's 128 x 128
// image or an image of another size in texture slot 0, runs any filter codes through both hooks,
// then plays instances with any first step, duration, position, angles, scale and colour (of the
// burst script and of scripts of any steps the input adds) for a few frames, drawn by the
// ordering table between the header save and restore as the frame sequence does.
#include <algorithm>
#include <cstdint>
#include <random>
#include <tuple>

#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_program.h"
#include "platform/filter.h"
#include "platform/filter_floor.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "platform/texture.h"
#include "raster/ordering_table.h"
#include "scene/effect.h"
#include "scene/model.h"
#include "scene/scene.h"
#include "scene/scene_buffer.h"

namespace {

constexpr int32_t FUZZ_MAX_FILTER_ROUNDS = 4;
constexpr int32_t FUZZ_MAX_SCRIPTS = 3;
constexpr int32_t FUZZ_MAX_STEPS = 4;
// Past the 32 instance slots, so that a full table is reached too.
constexpr int32_t FUZZ_MAX_INSTANCES = EFFECT_INSTANCES + 4;
constexpr int32_t FUZZ_MAX_FRAMES = 4;

enum FuzzFloorImage { FUZZ_NO_IMAGE, FUZZ_FLOOR_IMAGE, FUZZ_OTHER_IMAGE, FUZZ_FLOOR_IMAGES };

// Pixels from a generator the input seeds.
void fuzz_fill(FuzzInput& in, Pixel* pixels, size_t count)
{
    std::minstd_rand values(fuzz_word(in));
    std::generate_n(pixels, count, [&] { return static_cast<Pixel>(values()); });
}

// Both frame buffers with their guard rows, the same pixels in each, drawing into buffer 0, no
// filter selected, the generator at its start.
void fuzz_frames(FuzzInput& in)
{
    const size_t pixels = static_cast<size_t>(surface_width()) * (surface_height() + 1);
    fuzz_fill(in, surface_slot_pixels(0), pixels);
    std::copy_n(surface_slot_pixels(0), pixels, surface_slot_pixels(1));
    filter_reset();
    surface_set_flip(0);
    if (surface_current_index() != 0)
        surface_toggle_current();
    random_reset();
}

void fuzz_floor_image(FuzzInput& in)
{
    tex_free_all();
    const int32_t image = fuzz_byte(in) % FUZZ_FLOOR_IMAGES;
    if (image == FUZZ_NO_IMAGE)
        return;
    const bool other = image == FUZZ_OTHER_IMAGE;
    const int32_t log2_width = other ? fuzz_byte(in) % (TEXTURE_LOG2_MAX + 1) : FLOOR_TEXTURE_LOG2;
    const int32_t log2_height = other ? fuzz_byte(in) % (TEXTURE_LOG2_MAX + 1) : FLOOR_TEXTURE_LOG2;
    const int32_t slot = tex_create(log2_width, log2_height);
    fuzz_fill(in, tex_pixels(slot), size_t{1} << (log2_width + log2_height));
}

void fuzz_filters(FuzzInput& in)
{
    for (int32_t round = fuzz_byte(in) % FUZZ_MAX_FILTER_ROUNDS; round >= 0; --round) {
        filter_select(fuzz_number(in, -1, FILTER_CODES));
        filter_run_pre();
        filter_run_post();
    }
}

// Three values in low..high (read in order, as a braced list reads them) and a fourth of 0.
template <typename Triple> Triple fuzz_triple(FuzzInput& in, int32_t low, int32_t high)
{
    return {fuzz_number(in, low, high), fuzz_number(in, low, high), fuzz_number(in, low, high), 0};
}

// The stores as start-up makes them, then the input's own scripts after the burst.
void fuzz_scripts(FuzzInput& in)
{
    model_free_stores();
    effect_free_stores();
    random_reset();
    if (effect_init_stores() < 0 || model_build_all() < 0)
        std::abort();
    for (int32_t script = fuzz_byte(in) % (FUZZ_MAX_SCRIPTS + 1); script > 0; --script) {
        effect_begin_script();
        for (int32_t step = fuzz_byte(in) % FUZZ_MAX_STEPS; step >= 0; --step) {
            std::apply(effect_add_step,
                       std::tuple{fuzz_number(in, -1, MODEL_STARBURST + 1),
                                  fuzz_number(in, -1, EFFECT_POSITION_INSTANCE + 1),
                                  fuzz_number(in, -1, EFFECT_ROTATION_ROLL + 1),
                                  fuzz_number(in, -1, EFFECT_SCALE_SQUARE + 1),
                                  fuzz_number(in, -1, EFFECT_COLOUR_FADE_OUT + 1),
                                  fuzz_number(in, -2, FUZZ_MAX_FRAMES),
                                  static_cast<int32_t>(fuzz_word(in)),
                                  fuzz_number(in, 0, EFFECT_KIND_MODEL + 1)});
        }
        effect_end_script();
    }
}

void fuzz_instances(FuzzInput& in)
{
    for (int32_t n = fuzz_byte(in) % (FUZZ_MAX_INSTANCES + 1); n > 0; --n) {
        std::apply(effect_start,
                   std::tuple{fuzz_number(in, -1, FUZZ_MAX_SCRIPTS * FUZZ_MAX_STEPS + 1),
                              fuzz_number(in, -1, 2 * FUZZ_MAX_FRAMES),
                              fuzz_triple<Vec3>(in, -1000, 1000),
                              fuzz_triple<Vec3>(in, 0, ANGLE_MASK),
                              fuzz_triple<Vec3>(in, 0, 2 * FIXED_ONE),
                              fuzz_triple<ColourEntry>(in, 0, MODEL_CHANNEL_MAX)});
    }
}

// The frame sequence's 3D steps and the filter hooks around them.
void fuzz_play(FuzzInput& in)
{
    scene_view_angles() = fuzz_triple<Vec3>(in, 0, ANGLE_MASK);
    for (int32_t frame = fuzz_byte(in) % FUZZ_MAX_FRAMES; frame >= 0; --frame) {
        filter_run_pre();
        scene_transform_objects();
        scene_save_header();
        effect_update();
        ot_draw_scene();
        scene_restore_header();
        filter_run_post();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_start_program();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in{data, size};
    fuzz_frames(in);
    fuzz_floor_image(in);
    fuzz_filters(in);
    fuzz_scripts(in);
    fuzz_instances(in);
    fuzz_play(in);
    return 0;
}
