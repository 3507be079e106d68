#include "bench/bench_shapes.h"

#include <algorithm>
#include <random>

#include "raster/flat.h"
#include "raster/target.h"

namespace {

constexpr int32_t BENCH_CHANNEL_MAX = 255;
constexpr int32_t BENCH_TEXCOORD_SPAN = 256;

ColourEntry bench_colour(std::mt19937& rng)
{
    const auto channel = [&] { return static_cast<int32_t>(rng() % (BENCH_CHANNEL_MAX + 1)); };
    return {channel(), channel(), channel(), 0};
}

} // namespace

std::vector<BenchPolygon> bench_shapes(int32_t size)
{
    std::mt19937 rng(static_cast<uint32_t>(size));
    if (size == BENCH_FULL_SCREEN) {
        BenchPolygon quad{{{0, 0, 0, 0},
                           {BENCH_WIDTH, 0, 0, 0},
                           {BENCH_WIDTH, BENCH_HEIGHT, 0, 0},
                           {0, BENCH_HEIGHT, 0, 0}},
                          {},
                          {{0, 0, {}},
                           {BENCH_TEXCOORD_SPAN, 0, {}},
                           {BENCH_TEXCOORD_SPAN, BENCH_TEXCOORD_SPAN, {}},
                           {0, BENCH_TEXCOORD_SPAN, {}}},
                          4};
        for (ColourEntry& c : quad.c)
            c = bench_colour(rng);
        return {quad};
    }
    std::vector<BenchPolygon> shapes;
    for (int32_t i = 0; i < BENCH_SHAPES; ++i) {
        const int32_t x = static_cast<int32_t>(rng() % (BENCH_WIDTH - size));
        const int32_t y = static_cast<int32_t>(rng() % (BENCH_HEIGHT - size));
        BenchPolygon p{{{x, y, 0, 0}, {x + size, y, 0, 0}, {x, y + size, 0, 0}, {}},
                       {},
                       {{0, 0, {}}, {BENCH_TEXCOORD_SPAN, 0, {}}, {0, BENCH_TEXCOORD_SPAN, {}}, {}},
                       3};
        for (ColourEntry& c : p.c)
            c = bench_colour(rng);
        shapes.push_back(p);
    }
    return shapes;
}

int64_t bench_triangles(const std::vector<BenchPolygon>& shapes)
{
    int64_t triangles = 0;
    for (const BenchPolygon& p : shapes)
        triangles += p.count - 2;
    return triangles;
}

int64_t bench_covered_pixels(const std::vector<BenchPolygon>& shapes)
{
    std::vector<Pixel> frame = bench_frame();
    const RasterTarget target{
        frame.data(), BENCH_WIDTH, {BENCH_WIDTH, BENCH_HEIGHT, BENCH_WIDTH - 1, BENCH_HEIGHT - 1}};
    int64_t pixels = 0;
    for (const BenchPolygon& p : shapes) {
        std::fill(frame.begin(), frame.end(), 0);
        if (p.count == 4)
            raster_flat_quad(target, p.v[0], p.v[1], p.v[2], p.v[3], 1);
        else
            raster_flat_tri(target, p.v[0], p.v[1], p.v[2], 1);
        pixels += std::count(frame.begin(), frame.end(), Pixel{1});
    }
    return pixels;
}

void bench_report(benchmark::State& state, int64_t rounds, const std::vector<BenchPolygon>& shapes)
{
    state.counters["triangles"] = benchmark::Counter(
        static_cast<double>(rounds * bench_triangles(shapes)), benchmark::Counter::kIsRate);
    state.counters["pixels"] = benchmark::Counter(
        static_cast<double>(rounds * bench_covered_pixels(shapes)), benchmark::Counter::kIsRate);
}

void bench_pixel_rate(benchmark::State& state, int64_t pixels_per_iteration)
{
    state.counters["pixels"] = benchmark::Counter(static_cast<double>(state.iterations()) *
                                                      static_cast<double>(pixels_per_iteration),
                                                  benchmark::Counter::kIsRate);
}

std::vector<Pixel> bench_frame()
{
    return std::vector<Pixel>(static_cast<size_t>(BENCH_WIDTH) * (BENCH_HEIGHT + 1));
}
