#include "host/sdl/sdl_zoom.h"

#include <algorithm>
#include <limits>

namespace {

int32_t sdl_zoom_scale_on(int32_t window, int32_t client)
{
    return client > 0 ? std::max(1, window / client) : 1;
}

int32_t sdl_zoom_offset_on(int32_t window, int32_t client, int32_t scale)
{
    return static_cast<int32_t>(
        std::max<int64_t>(0, (int64_t{window} - int64_t{client} * scale) / 2));
}

} // namespace

SdlZoom sdl_zoom_fit(int32_t window_width, int32_t window_height, int32_t client_width,
                     int32_t client_height)
{
    const int32_t scale = std::min(sdl_zoom_scale_on(window_width, client_width),
                                   sdl_zoom_scale_on(window_height, client_height));
    return {scale, sdl_zoom_offset_on(window_width, client_width, scale),
            sdl_zoom_offset_on(window_height, client_height, scale)};
}

int32_t sdl_zoom_to_client(int32_t window_coordinate, int32_t offset, int32_t scale)
{
    const int64_t shifted = int64_t{window_coordinate} - offset;
    const int64_t divisor = std::max(1, scale);
    // Division that rounds toward minus infinity: -1 window pixels left of the picture is client
    // pixel -1, not 0.
    const int64_t client = shifted >= 0 ? shifted / divisor : -((-shifted + divisor - 1) / divisor);
    return static_cast<int32_t>(std::clamp<int64_t>(client, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}
