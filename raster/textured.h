// Texture-mapped triangles and quads: each vertex's texture coordinate is interpolated, affinely
// in screen space, along the edges and across every span, and the texture repeats by masking.
// Three pixel operations: opaque, additive with each channel saturating at 31, and a 50% blend
// with the frame. Every texel is drawn; no colour is transparent.
#pragma once

#include <cstdint>

#include "raster/target.h"
#include "scene/math.h"
#include "scene/scene_buffer.h"

// The span arithmetic shifts by 8 - E and 8 - F: textures up to 256 x 256 texels can be drawn.
constexpr int32_t RASTER_TEX_LOG2_MAX = 8;

// Each draws nothing when its vertices share a row, when the slot is empty, or when the slot's
// texture is larger than 2^RASTER_TEX_LOG2_MAX either way.
void raster_tex_tri(const RasterTarget& target, const ScreenVertex& v0, const ScreenVertex& v1,
                    const ScreenVertex& v2, const TexCoordEntry& t0, const TexCoordEntry& t1,
                    const TexCoordEntry& t2, int32_t slot);
void raster_tex_quad(const RasterTarget& target, const ScreenVertex& v0, const ScreenVertex& v1,
                     const ScreenVertex& v2, const ScreenVertex& v3, const TexCoordEntry& t0,
                     const TexCoordEntry& t1, const TexCoordEntry& t2, const TexCoordEntry& t3,
                     int32_t slot);
void raster_tex_add_tri(const RasterTarget& target, const ScreenVertex& v0, const ScreenVertex& v1,
                        const ScreenVertex& v2, const TexCoordEntry& t0, const TexCoordEntry& t1,
                        const TexCoordEntry& t2, int32_t slot);
void raster_tex_add_quad(const RasterTarget& target, const ScreenVertex& v0, const ScreenVertex& v1,
                         const ScreenVertex& v2, const ScreenVertex& v3, const TexCoordEntry& t0,
                         const TexCoordEntry& t1, const TexCoordEntry& t2, const TexCoordEntry& t3,
                         int32_t slot);
void raster_tex_half_tri(const RasterTarget& target, const ScreenVertex& v0, const ScreenVertex& v1,
                         const ScreenVertex& v2, const TexCoordEntry& t0, const TexCoordEntry& t1,
                         const TexCoordEntry& t2, int32_t slot);
void raster_tex_half_quad(const RasterTarget& target, const ScreenVertex& v0,
                          const ScreenVertex& v1, const ScreenVertex& v2, const ScreenVertex& v3,
                          const TexCoordEntry& t0, const TexCoordEntry& t1, const TexCoordEntry& t2,
                          const TexCoordEntry& t3, int32_t slot);
