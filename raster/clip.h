// Polygon clipping against the raster bounds, shared by the three polygon families. Two passes of
// a Sutherland-Hodgman clipper, each against a pair of parallel bounds at once: first columns 0 to
// W - 1, then rows 0 to H - 1. A crossing is computed at the bound for the low side and one past
// the last inside column or row (W or H) for the high side, but stored on the last inside one, so
// that the polygon's right and bottom boundaries fall on W - 1 and H - 1, which the fill
// convention leaves unfilled on the right.
#pragma once

#include <array>
#include <cstdint>

#include "scene/math.h"
#include "scene/scene_buffer.h"

// Triangles and quads.
constexpr int32_t RASTER_POLYGON_MAX = 4;
// Each pass can at most double the vertex count.
constexpr int32_t RASTER_CLIP_CAPACITY = 4 * RASTER_POLYGON_MAX;

// A vertex of a polygon being clipped or walked: its position in whole pixels and the values
// interpolated over the polygon, at the scale of their entries.
template <int VALUES> struct RasterVertex {
    int32_t x;
    int32_t y;
    std::array<int32_t, VALUES> value;
};

using FlatVertex = RasterVertex<0>;
using GouraudVertex = RasterVertex<3>;
using TexVertex = RasterVertex<2>;

// Where each family keeps its values.
constexpr int GOURAUD_RED = 0;
constexpr int GOURAUD_GREEN = 1;
constexpr int GOURAUD_BLUE = 2;
constexpr int TEX_U = 0;
constexpr int TEX_V = 1;

// Clips the positions of count vertices (3 or 4) to the bounds into out, which has room for
// RASTER_CLIP_CAPACITY; the number of vertices out holds, 0 when nothing is left.
int32_t raster_clip_flat(const ClipBounds& bounds, const ScreenVertex* const vertices[],
                         int32_t count, FlatVertex out[]);
// The same with a colour per vertex, each crossing's colour interpolated like its position.
int32_t raster_clip_gouraud(const ClipBounds& bounds, const ScreenVertex* const vertices[],
                            const ColourEntry* const colours[], int32_t count, GouraudVertex out[]);
// The same with a texture coordinate per vertex.
int32_t raster_clip_textured(const ClipBounds& bounds, const ScreenVertex* const vertices[],
                             const TexCoordEntry* const texcoords[], int32_t count,
                             TexVertex out[]);
