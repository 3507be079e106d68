#include "raster/span_path.h"

#include <initializer_list>

#include "platform/pixel_avx2.h"

namespace {

// The processor's report, taken before anything draws.
RasterPath current_path = raster_path_best();

bool raster_path_processor_has_avx2()
{
#ifdef RGB555_AVX2
    // Static initialisers may run before the compiler's own start-up code has asked the processor.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

// The word permute on 256-bit registers needs both the byte-and-word and the vector-length parts.
bool raster_path_processor_has_avx512()
{
#ifdef RGB555_AVX2
    return raster_path_processor_has_avx2() && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vl");
#else
    return false;
#endif
}

} // namespace

const char* raster_path_name(RasterPath path)
{
    switch (path) {
    case RasterPath::PORTABLE:
        return "portable";
    case RasterPath::SSE2:
        return "SSE2";
    case RasterPath::AVX2:
        return "AVX2";
    case RasterPath::AVX512:
        return "AVX512";
    }
    return "?";
}

bool raster_path_available(RasterPath path)
{
    switch (path) {
    case RasterPath::PORTABLE:
        return true;
    case RasterPath::SSE2:
#ifdef __SSE2__
        return true;
#else
        return false;
#endif
    case RasterPath::AVX2:
        return raster_path_processor_has_avx2();
    case RasterPath::AVX512:
        return raster_path_processor_has_avx512();
    }
    return false;
}

RasterPath raster_path_best()
{
    for (const RasterPath path : {RasterPath::AVX512, RasterPath::AVX2, RasterPath::SSE2}) {
        if (raster_path_available(path))
            return path;
    }
    return RasterPath::PORTABLE;
}

RasterPath raster_path()
{
    return current_path;
}

bool raster_path_set(RasterPath path)
{
    if (!raster_path_available(path))
        return false;
    current_path = path;
    return true;
}
