#include "platform/filter.h"

#include "platform/filter_effects.h"
#include "platform/filter_floor.h"
#include "platform/filter_trail.h"
#include "platform/surface.h"

namespace {

struct FilterHooks {
    FilterHook pre;
    FilterHook post;
};

// Indexed by code. The trail runs from either hook: before drawing it leaves fading trails
// behind everything, after drawing it leaves an after-image of the whole frame.
constexpr FilterHooks FILTER_TABLE[FILTER_CODES] = {
    {nullptr, nullptr},          // FILTER_NONE
    {filter_trail, nullptr},     // FILTER_PRE_TRAIL
    {nullptr, filter_invert},    // FILTER_INVERT
    {nullptr, filter_xor_smear}, // FILTER_XOR_SMEAR
    {nullptr, filter_grey},      // FILTER_GREY
    {nullptr, filter_noise},     // FILTER_NOISE
    {nullptr, filter_trail},     // FILTER_POST_TRAIL
    {nullptr, filter_blur},      // FILTER_BLUR
    {filter_floor, nullptr},     // FILTER_FLOOR
};

FilterHooks filters;

void filter_run(FilterHook hook)
{
    if (hook)
        hook();
}

} // namespace

int32_t filter_select(int32_t code)
{
    // Taken as unsigned, so a negative code is as unknown as a large one.
    if (static_cast<uint32_t>(code) < static_cast<uint32_t>(FILTER_CODES))
        filters = FILTER_TABLE[code];
    return code;
}

void filter_run_pre()
{
    filter_run(filters.pre);
}

void filter_run_post()
{
    filter_run(filters.post);
}

void filter_reset()
{
    filters = {};
    filter_trail_reset();
}

int32_t filter_frame_words()
{
    return (surface_height() * surface_width()) >> 1;
}
