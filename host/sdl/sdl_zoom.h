// The whole-number zoom of the SDL window: the client area's pixels drawn as scale x scale
// squares (nearest neighbour), the picture centred in a window larger than it, and window points
// mapped back to the client pixels they show. The frame buffers keep their size whatever the zoom.
#pragma once

#include <cstdint>

struct SdlZoom {
    int32_t scale;    // window pixels per client pixel, at least 1
    int32_t offset_x; // where the client area's top-left corner lies in the window
    int32_t offset_y;
};

// The largest scale at which the client area fits the window, centred; at least 1, and then at
// the top-left corner when the window is smaller than the client area.
SdlZoom sdl_zoom_fit(int32_t window_width, int32_t window_height, int32_t client_width,
                     int32_t client_height);
// The client coordinate of a window coordinate on one axis: rounded down, so points left of or
// above the picture are negative, and clamped to the 32-bit range.
int32_t sdl_zoom_to_client(int32_t window_coordinate, int32_t offset, int32_t scale);
