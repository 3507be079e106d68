// Message windows under any sequence of operations: rectangles anywhere (negative, huge, off the
// surface), texts of any bytes up to and past the 255 a window keeps (markup escapes and lone
// Shift-JIS lead bytes included), effect codes past 255, any tint, and composite passes over the
// real frame buffer in between. AddressSanitizer guards the frame buffers and the layers, which
// are blocks of their own.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <tuple>

#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_program.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "text/msgwin.h"
#include "text/text.h"

namespace {

// Enough to reach every state of a window table, few enough to keep each input quick.
constexpr int32_t FUZZ_MAX_OPERATIONS = 64;
// Texts run to twice the window's buffer, so that the cut at 255 bytes is reached.
constexpr int32_t FUZZ_TEXT_MAX = 2 * MSGWIN_TEXT_SIZE;
// Blinds and fade-in change over passes: up to this many in a row.
constexpr int32_t FUZZ_MAX_PASSES = 20;

// Every window free, both layers and the frame buffer blank (by memset, which the coverage
// instrumentation leaves alone), the passes and the generator back at their start: each input
// starts from the same table.
void fuzz_msgwin_reset()
{
    for (int32_t window = 0; window < MSGWIN_COUNT; ++window)
        text_windows()[window].id = MSGWIN_FREE;
    const size_t layer_bytes = sizeof(Pixel) * surface_width() * surface_height();
    std::memset(surface_slot_pixels(text_colour_layer()), 0, layer_bytes);
    std::memset(surface_slot_pixels(text_mask_layer()), 0, layer_bytes);
    std::memset(surface_current_pixels(), 0, layer_bytes + sizeof(Pixel) * surface_width());
    msgwin_reset_passes();
    random_reset();
}

int32_t fuzz_window(FuzzInput& in)
{
    return fuzz_number(in, -1, MSGWIN_COUNT);
}

int32_t fuzz_x(FuzzInput& in)
{
    return fuzz_number(in, -surface_width(), 2 * surface_width());
}

int32_t fuzz_y(FuzzInput& in)
{
    return fuzz_number(in, -surface_height(), 2 * surface_height());
}

int32_t fuzz_flags(FuzzInput& in)
{
    return fuzz_number(in, 0, 2 * MSGWIN_HIDDEN);
}

// Picked by a byte of the input; the arguments are read in order, as a braced list reads them.
using FuzzOperation = void (*)(FuzzInput&);
constexpr FuzzOperation FUZZ_OPERATIONS[] = {
    [](FuzzInput& in) {
        std::apply(msgwin_create,
                   std::tuple{fuzz_x(in), fuzz_y(in), fuzz_x(in), fuzz_y(in), fuzz_flags(in)});
    },
    [](FuzzInput& in) {
        const int32_t window = fuzz_window(in);
        const int32_t length = fuzz_number(in, 0, FUZZ_TEXT_MAX);
        msgwin_set_text(window, fuzz_bytes(in, std::clamp(length, 0, FUZZ_TEXT_MAX)).c_str());
    },
    [](FuzzInput& in) {
        std::apply(msgwin_move, std::tuple{fuzz_window(in), fuzz_x(in), fuzz_y(in)});
    },
    [](FuzzInput& in) {
        std::apply(msgwin_set_position, std::tuple{fuzz_window(in), fuzz_x(in), fuzz_y(in)});
    },
    [](FuzzInput& in) {
        std::apply(msgwin_set_effect, std::tuple{fuzz_window(in), fuzz_flags(in)});
    },
    [](FuzzInput& in) {
        std::apply(msgwin_set_tint, std::tuple{fuzz_window(in), fuzz_word(in)});
    },
    [](FuzzInput& in) {
        std::apply(msgwin_clear_flags, std::tuple{fuzz_window(in), fuzz_flags(in)});
    },
    [](FuzzInput& in) { msgwin_clear_area(fuzz_window(in)); },
    [](FuzzInput& in) {
        for (int32_t pass = fuzz_byte(in) % FUZZ_MAX_PASSES; pass >= 0; --pass)
            msgwin_composite();
    },
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_start_program();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_msgwin_reset();
    FuzzInput in{data, size};
    for (int32_t n = 0; n < FUZZ_MAX_OPERATIONS && !fuzz_empty(in); ++n)
        FUZZ_OPERATIONS[fuzz_byte(in) % std::size(FUZZ_OPERATIONS)](in);
    msgwin_composite();
    return 0;
}
