// Where the fillers draw: a buffer of RGB555 pixels and the rectangle they clip to. Only the
// rasteriser (with the surface, the filters and the compositor) knows the pixel layout; everything
// above it hands over packets, vertices and rectangles.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/pixel.h"
#include "scene/scene_buffer.h"

struct RasterTarget {
    // Row r starts at pixels + r * pitch. The buffer holds bounds.height + 1 rows: the last is the
    // frame buffers' guard row, which a box edge on row H, or at column W of row H - 1, reaches.
    Pixel* pixels;
    int32_t pitch;
    // W, H, W - 1, H - 1, with W at most the pitch.
    ClipBounds bounds;
};

// One past the target's last pixel: the end of its guard row.
inline const Pixel* raster_target_end(const RasterTarget& target)
{
    return target.pixels + static_cast<std::ptrdiff_t>(target.pitch) * (target.bounds.height + 1);
}

// The current frame buffer with the raster clip bounds, cut down to the surface should they
// exceed it.
RasterTarget raster_frame_target();
