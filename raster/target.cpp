#include "raster/target.h"

#include <algorithm>

#include "platform/surface.h"

RasterTarget raster_frame_target()
{
    const ClipBounds& clip = scene_clip_bounds();
    const int32_t width = std::min(clip.width, surface_width());
    const int32_t height = std::min(clip.height, surface_height());
    return {surface_current_pixels(), surface_width(), {width, height, width - 1, height - 1}};
}
