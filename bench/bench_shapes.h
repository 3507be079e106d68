// The seeded polygons that our fillers and the peers draw alike, on a frame of the headless
// host's size, and the figures every fill-rate benchmark reports.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "host/headless/headless.h"
#include "platform/pixel.h"
#include "scene/math.h"
#include "scene/scene_buffer.h"

constexpr int32_t BENCH_WIDTH = HEADLESS_CLIENT_WIDTH;
constexpr int32_t BENCH_HEIGHT = HEADLESS_CLIENT_HEIGHT - 1;
// Polygons drawn in turn, so that no single position flatters the caches.
constexpr int32_t BENCH_SHAPES = 256;
// The size that asks for the quad covering the whole frame.
constexpr int32_t BENCH_FULL_SCREEN = 0;
constexpr int32_t BENCH_SMALL = 8;
constexpr int32_t BENCH_MEDIUM = 64;

struct BenchSize {
    const char* name; // the last part of a fill-rate benchmark's name
    int32_t size;
};

constexpr BenchSize BENCH_SIZES[] = {
    {"small_8", BENCH_SMALL}, {"medium_64", BENCH_MEDIUM}, {"full_screen", BENCH_FULL_SCREEN}};

// A right-angled triangle with legs of the size, or the full-screen quad; colours and texture
// coordinates per vertex.
struct BenchPolygon {
    ScreenVertex v[4];
    ColourEntry c[4];
    TexCoordEntry t[4];
    int32_t count;
};

// The same polygons for a size on every call.
std::vector<BenchPolygon> bench_shapes(int32_t size);
// Triangles in the list, a quad counting as two.
int64_t bench_triangles(const std::vector<BenchPolygon>& shapes);
// The pixels the list covers by this renderer's fill convention, each polygon counted alone:
// every renderer is credited with the same pixels, so the rates compare as times do.
int64_t bench_covered_pixels(const std::vector<BenchPolygon>& shapes);

// Rates over CPU time; the console scales them, so "pixels=541M/s" reads as 541 Mpixel/s.
void bench_report(benchmark::State& state, int64_t rounds, const std::vector<BenchPolygon>& shapes);

// A pixel rate of so many pixels per iteration.
void bench_pixel_rate(benchmark::State& state, int64_t pixels_per_iteration);

// A frame buffer of the bench size with its guard row.
std::vector<Pixel> bench_frame();
