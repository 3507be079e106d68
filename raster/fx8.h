// The rasteriser's 24.8 fixed point. Edge positions, colours and texture coordinates are walked
// at 256 times their value, so that one division per edge segment or span gives a step that is
// then only added, and the whole part of a position is a shift away. Every operation wraps in 32
// bits, as the rest of the pipeline does (scene/fixed.h).
#pragma once

#include <cstdint>

#include "raster/divide.h"
#include "scene/fixed.h"

constexpr int32_t FX8_SHIFT = 8;

// A whole value in 24.8.
constexpr int32_t fx8_from_int(int32_t value)
{
    return wrap_shl(value, FX8_SHIFT);
}

// The whole part of a 24.8 value, rounded toward minus infinity.
constexpr int32_t fx8_floor(int32_t value)
{
    return value >> FX8_SHIFT;
}

// How much a value changes per unit of run, in 24.8: (delta x 256) / run, truncated toward zero.
constexpr int32_t fx8_slope(int32_t delta, int32_t run)
{
    return wrap_div(fx8_from_int(delta), run);
}

// fx8_slope for a run already made a divisor.
inline int32_t fx8_slope(int32_t delta, const RasterDivisor& run)
{
    return raster_divide(fx8_from_int(delta), run);
}

// How far a 24.8 slope goes over distance units, in whole units, rounded toward minus infinity.
constexpr int32_t fx8_along(int32_t distance, int32_t slope)
{
    return fx8_floor(wrap_mul(distance, slope));
}

// The divisor of every edge slope and of most clip crossings: a run spread over one unit more than
// its length, run + 1, or run - 1 when it is negative. It is never 0, so it always divides.
constexpr int32_t raster_widened_run(int32_t run)
{
    return run >= 0 ? wrap_add(run, 1) : wrap_sub(run, 1);
}
