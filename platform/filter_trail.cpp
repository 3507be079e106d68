#include "platform/filter_trail.h"

#include "platform/filter.h"
#include "platform/pixel.h"
#include "platform/surface.h"

namespace {

struct FilterTrail {
    int32_t counter; // calls since the last average; the selector leaves it alone
};

FilterTrail trail;

} // namespace

void filter_trail()
{
    Pixel* other = surface_slot_pixels(surface_current_index() ^ 1);
    Pixel* current = surface_current_pixels();
    // With the buffers alternating, the image shown last stays in the other buffer, where the
    // averaging call finds it.
    surface_set_flip(1);
    if (trail.counter++ <= 0) {
        surface_toggle_current();
        return;
    }
    const int32_t words = filter_frame_words();
    for (int32_t i = 0; i < words; ++i) {
        Pixel* at = current + 2 * i;
        rgb555_store_pair(
            at, rgb555_average_pair(rgb555_load_pair(other + 2 * i), rgb555_load_pair(at)));
    }
    trail.counter = 0;
}

void filter_trail_reset()
{
    trail = {};
}
