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

// The ranges the operations read their arguments from: any window index and one past either
// end, rectangles reaching a surface's size beyond either edge, effect values past 256.
enum FuzzArgument { FUZZ_WINDOW, FUZZ_X, FUZZ_Y, FUZZ_FLAGS };
constexpr int32_t FUZZ_SURFACE_HEIGHT = FUZZ_CLIENT_HEIGHT - 1;
constexpr int32_t FUZZ_RANGES[][2] = {{-1, MSGWIN_COUNT},
                                      {-FUZZ_CLIENT_WIDTH, 2 * FUZZ_CLIENT_WIDTH},
                                      {-FUZZ_SURFACE_HEIGHT, 2 * FUZZ_SURFACE_HEIGHT},
                                      {0, 2 * MSGWIN_HIDDEN}};

// Arguments of the given kinds, read in order, as a braced list reads them.
template <FuzzArgument... kinds> auto fuzz_args(FuzzInput& in)
{
    return std::tuple{fuzz_number(in, FUZZ_RANGES[kinds][0], FUZZ_RANGES[kinds][1])...};
}

// Picked by a byte of the input.
using FuzzOperation = void (*)(FuzzInput&);
constexpr FuzzOperation FUZZ_OPERATIONS[] = {
    [](FuzzInput& in) {
        std::apply(msgwin_create, fuzz_args<FUZZ_X, FUZZ_Y, FUZZ_X, FUZZ_Y, FUZZ_FLAGS>(in));
    },
    [](FuzzInput& in) {
        const auto [window] = fuzz_args<FUZZ_WINDOW>(in);
        const int32_t length = std::clamp(fuzz_number(in, 0, FUZZ_TEXT_MAX), 0, FUZZ_TEXT_MAX);
        msgwin_set_text(window, fuzz_bytes(in, length).c_str());
    },
    [](FuzzInput& in) { std::apply(msgwin_move, fuzz_args<FUZZ_WINDOW, FUZZ_X, FUZZ_Y>(in)); },
    [](FuzzInput& in) {
        std::apply(msgwin_set_position, fuzz_args<FUZZ_WINDOW, FUZZ_X, FUZZ_Y>(in));
    },
    [](FuzzInput& in) { std::apply(msgwin_set_effect, fuzz_args<FUZZ_WINDOW, FUZZ_FLAGS>(in)); },
    [](FuzzInput& in) {
        const auto [window] = fuzz_args<FUZZ_WINDOW>(in);
        msgwin_set_tint(window, fuzz_word(in));
    },
    [](FuzzInput& in) { std::apply(msgwin_clear_flags, fuzz_args<FUZZ_WINDOW, FUZZ_FLAGS>(in)); },
    [](FuzzInput& in) { std::apply(msgwin_clear_area, fuzz_args<FUZZ_WINDOW>(in)); },
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
