// Gouraud-shaded triangles and quads: each vertex's colour entry is interpolated along the edges
// and across every span, either stored (opaque) or added to the frame with each channel
// saturating at 31 (additive).
#pragma once

#include "raster/target.h"
#include "scene/math.h"
#include "scene/scene_buffer.h"

// Each draws nothing when its vertices share a row.
void raster_gouraud_tri(const RasterTarget& target, const ScreenVertex& v0, const ScreenVertex& v1,
                        const ScreenVertex& v2, const ColourEntry& c0, const ColourEntry& c1,
                        const ColourEntry& c2);
void raster_gouraud_quad(const RasterTarget& target, const ScreenVertex& v0, const ScreenVertex& v1,
                         const ScreenVertex& v2, const ScreenVertex& v3, const ColourEntry& c0,
                         const ColourEntry& c1, const ColourEntry& c2, const ColourEntry& c3);
void raster_gouraud_add_tri(const RasterTarget& target, const ScreenVertex& v0,
                            const ScreenVertex& v1, const ScreenVertex& v2, const ColourEntry& c0,
                            const ColourEntry& c1, const ColourEntry& c2);
void raster_gouraud_add_quad(const RasterTarget& target, const ScreenVertex& v0,
                             const ScreenVertex& v1, const ScreenVertex& v2, const ScreenVertex& v3,
                             const ColourEntry& c0, const ColourEntry& c1, const ColourEntry& c2,
                             const ColourEntry& c3);
