// Flat-coloured triangles and quads, and box outlines. Spans are written two pixels at a time,
// with the colour in both halves of a word.
#pragma once

#include <cstdint>

#include "platform/pixel.h"
#include "raster/target.h"
#include "scene/math.h"

// Draws the triangle of the three vertices' x and y in one colour; nothing when they share a row.
void raster_flat_tri(const RasterTarget& target, const ScreenVertex& v0, const ScreenVertex& v1,
                     const ScreenVertex& v2, Pixel colour);
// The same for a quad whose vertices run in order around it.
void raster_flat_quad(const RasterTarget& target, const ScreenVertex& v0, const ScreenVertex& v1,
                      const ScreenVertex& v2, const ScreenVertex& v3, Pixel colour);

// The outline of the box spanning columns x to x + w and rows y to y + h, without its
// bottom-right corner, each side cropped to the target's W x H and to the box itself.
void raster_box(const RasterTarget& target, int32_t x, int32_t y, int32_t w, int32_t h,
                Pixel colour);
