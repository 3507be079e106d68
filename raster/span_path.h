// Which span routines the fillers run. Every path draws the very pixels of the portable one; the
// wider ones only take fewer instructions. The release build runs on any x86-64 processor: the
// AVX2 routines are compiled for that instruction set alone (platform/pixel_avx2.h) and taken only
// when the processor reports it, as it is asked once at program start; so are the same routines
// compiled with AVX-512 at hand, the AVX512 path.
#pragma once

#include <cstdint>

enum class RasterPath {
    PORTABLE, // 32-bit words, any processor
    SSE2,     // eight pixels to a register; every x86-64 build, and 32-bit builds that ask for it
    AVX2,     // sixteen pixels to a register; x86-64 only
    AVX512,   // the AVX2 routines compiled with AVX-512 at hand, and its word permute for texels
};

// The instruction sets the AVX512 path's walks are compiled for, beside the AVX2 ones.
#define RASTER_AVX512_TARGET "avx2,avx512bw,avx512vl"

constexpr RasterPath RASTER_PATHS[] = {RasterPath::PORTABLE, RasterPath::SSE2, RasterPath::AVX2,
                                       RasterPath::AVX512};

// Whether path runs the AVX2 routines.
constexpr bool raster_path_avx2(RasterPath path)
{
    return path == RasterPath::AVX2 || path == RasterPath::AVX512;
}

// "portable", "SSE2", "AVX2" or "AVX512".
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
