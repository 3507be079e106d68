// Which span routines the fillers run. Every path draws the very pixels of the portable one; the
// wider ones only take fewer instructions. The release build runs on any x86-64 processor: the
// AVX2 routines are compiled for that instruction set alone (platform/pixel_avx2.h) and taken only
// when the processor reports it, as it is asked once at program start.
#pragma once

#include <cstdint>

enum class RasterPath {
    PORTABLE, // 32-bit words, any processor
    SSE2,     // eight pixels to a register; every x86-64 build, and 32-bit builds that ask for it
    AVX2,     // sixteen pixels to a register and texel gathers; x86-64 only
};

constexpr RasterPath RASTER_PATHS[] = {RasterPath::PORTABLE, RasterPath::SSE2, RasterPath::AVX2};

// "portable", "SSE2" or "AVX2".
const char* raster_path_name(RasterPath path);
// Whether the build has the path and the processor runs it.
bool raster_path_available(RasterPath path);
// The widest available path: what the fillers run unless told otherwise.
RasterPath raster_path_best();
// The path the fillers run now, read once per polygon.
RasterPath raster_path();
// Makes the fillers run path (tests and benchmarks compare the paths); false, and no change, when
// it is not available.
bool raster_path_set(RasterPath path);
