// The limits of the clear and the present: memset and memcpy over the W x H counted pixels of
// the running program's frame buffer.
#include <cstring>
#include <vector>

#include "bench/bench_register.h"
#include "bench/bench_shapes.h"
#include "bench/bench_stage.h"
#include "platform/surface.h"

namespace {

size_t frame_bytes()
{
    return static_cast<size_t>(surface_width()) * surface_height() * sizeof(Pixel);
}

void peer_memset(benchmark::State& state)
{
    bench_stage();
    Pixel* pixels = surface_current_pixels();
    for (auto _ : state) {
        std::memset(pixels, 0, frame_bytes());
        benchmark::ClobberMemory();
    }
    bench_pixel_rate(state, static_cast<int64_t>(surface_width()) * surface_height());
}

void peer_memcpy(benchmark::State& state)
{
    bench_stage();
    const Pixel* pixels = surface_current_pixels();
    std::vector<Pixel> window(frame_bytes() / sizeof(Pixel));
    for (auto _ : state) {
        std::memcpy(window.data(), pixels, frame_bytes());
        benchmark::ClobberMemory();
    }
    bench_pixel_rate(state, static_cast<int64_t>(surface_width()) * surface_height());
}

} // namespace

void bench_register_peers_memory()
{
    benchmark::RegisterBenchmark("peer_memory/memset", peer_memset);
    benchmark::RegisterBenchmark("peer_memory/memcpy", peer_memcpy);
}
