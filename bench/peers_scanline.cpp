// The plain scanline filler: the straightforward way to draw a gouraud triangle, as a peer. The
// vertices are sorted by row, the two sides walk down in 24.8 with each channel, every row divides
// its channel differences by its width, and every pixel packs its three channels (opaque) or adds
// them to the frame's channel by channel with a clamp at 31 (additive). Spans are cropped to the
// frame; it draws the same seeded triangles as the other fill-rate benchmarks.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_register.h"
#include "bench/bench_shapes.h"

namespace {

constexpr int32_t PLAIN_SHIFT = 8;
constexpr int32_t PLAIN_CHANNELS = 3;
constexpr int32_t PLAIN_TO_RGB5_SHIFT = PLAIN_SHIFT + 3;
constexpr int32_t PLAIN_CHANNEL_MAX = 31;

struct PlainPoint {
    int32_t x;                     // 24.8
    int32_t value[PLAIN_CHANNELS]; // 24.8
};

struct PlainVertex {
    int32_t x;
    int32_t y;
    int32_t value[PLAIN_CHANNELS];
};

PlainPoint plain_at(const PlainVertex& v)
{
    return {v.x << PLAIN_SHIFT,
            {v.value[0] << PLAIN_SHIFT, v.value[1] << PLAIN_SHIFT, v.value[2] << PLAIN_SHIFT}};
}

PlainPoint plain_step(const PlainVertex& from, const PlainVertex& to)
{
    const int32_t rows = std::max(to.y - from.y, 1);
    PlainPoint step{((to.x - from.x) << PLAIN_SHIFT) / rows, {}};
    for (int32_t c = 0; c < PLAIN_CHANNELS; ++c)
        step.value[c] = ((to.value[c] - from.value[c]) << PLAIN_SHIFT) / rows;
    return step;
}

void plain_advance(PlainPoint& point, const PlainPoint& step)
{
    point.x += step.x;
    for (int32_t c = 0; c < PLAIN_CHANNELS; ++c)
        point.value[c] += step.value[c];
}

template <bool ADDITIVE> Pixel plain_pixel(int32_t red, int32_t green, int32_t blue, Pixel frame)
{
    red >>= PLAIN_TO_RGB5_SHIFT;
    green >>= PLAIN_TO_RGB5_SHIFT;
    blue >>= PLAIN_TO_RGB5_SHIFT;
    if constexpr (ADDITIVE) {
        red = std::min(red + ((frame >> 10) & PLAIN_CHANNEL_MAX), PLAIN_CHANNEL_MAX);
        green = std::min(green + ((frame >> 5) & PLAIN_CHANNEL_MAX), PLAIN_CHANNEL_MAX);
        blue = std::min(blue + (frame & PLAIN_CHANNEL_MAX), PLAIN_CHANNEL_MAX);
    }
    return static_cast<Pixel>((red << 10) | (green << 5) | blue);
}

template <bool ADDITIVE> void plain_span(Pixel* row, PlainPoint left, PlainPoint right)
{
    if (left.x > right.x)
        std::swap(left, right);
    const int32_t first = left.x >> PLAIN_SHIFT;
    const int32_t end = right.x >> PLAIN_SHIFT;
    if (end <= first)
        return;
    const int32_t skip = std::max(-first, 0);
    const int32_t red_step = (right.value[0] - left.value[0]) / (end - first);
    const int32_t green_step = (right.value[1] - left.value[1]) / (end - first);
    const int32_t blue_step = (right.value[2] - left.value[2]) / (end - first);
    int32_t red = left.value[0] + red_step * skip;
    int32_t green = left.value[1] + green_step * skip;
    int32_t blue = left.value[2] + blue_step * skip;
    for (int32_t x = first + skip; x < std::min(end, BENCH_WIDTH); ++x) {
        row[x] = plain_pixel<ADDITIVE>(red, green, blue, row[x]);
        red += red_step;
        green += green_step;
        blue += blue_step;
    }
}

template <bool ADDITIVE>
void plain_triangle(Pixel* frame, PlainVertex a, PlainVertex b, PlainVertex c)
{
    if (a.y > b.y)
        std::swap(a, b);
    if (a.y > c.y)
        std::swap(a, c);
    if (b.y > c.y)
        std::swap(b, c);
    if (a.y == c.y)
        return;
    PlainPoint long_side = plain_at(a);
    const PlainPoint long_step = plain_step(a, c);
    PlainPoint short_side = plain_at(a);
    PlainPoint short_step = plain_step(a, b);
    for (int32_t y = a.y; y < c.y; ++y) {
        if (y == b.y) {
            short_side = plain_at(b);
            short_step = plain_step(b, c);
        }
        if (y >= 0 && y < BENCH_HEIGHT)
            plain_span<ADDITIVE>(frame + static_cast<ptrdiff_t>(y) * BENCH_WIDTH, long_side,
                                 short_side);
        plain_advance(long_side, long_step);
        plain_advance(short_side, short_step);
    }
}

PlainVertex plain_vertex(const BenchPolygon& p, int32_t k)
{
    return {p.v[k].x, p.v[k].y, {p.c[k].red, p.c[k].green, p.c[k].blue}};
}

template <bool ADDITIVE> void peer_scanline(benchmark::State& state, int32_t size)
{
    std::vector<Pixel> frame = bench_frame();
    const std::vector<BenchPolygon> shapes = bench_shapes(size);
    int64_t rounds = 0;
    for (auto _ : state) {
        for (const BenchPolygon& p : shapes) {
            for (int32_t t = 0; t + 2 < p.count; ++t)
                plain_triangle<ADDITIVE>(frame.data(), plain_vertex(p, 0), plain_vertex(p, t + 1),
                                         plain_vertex(p, t + 2));
        }
        benchmark::ClobberMemory();
        ++rounds;
    }
    bench_report(state, rounds, shapes);
}

} // namespace

void bench_register_peers_scanline()
{
    for (const BenchSize& size : BENCH_SIZES) {
        benchmark::RegisterBenchmark((std::string("peer_scanline/gouraud/") + size.name).c_str(),
                                     peer_scanline<false>, size.size);
        benchmark::RegisterBenchmark(
            (std::string("peer_scanline/gouraud_add/") + size.name).c_str(), peer_scanline<true>,
            size.size);
    }
}
