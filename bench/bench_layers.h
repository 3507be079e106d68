// The message-window area that the composite benchmarks and the pixman peer work on, and the
// seeded picture both start from: a frame of random pixels, and text layers whose mask is set on
// about a third of the pixels, each such pixel's colour random.
#pragma once

#include <cstdint>

#include "platform/pixel.h"

constexpr int32_t BENCH_WINDOW_X = 32;
constexpr int32_t BENCH_WINDOW_Y = 64;
constexpr int32_t BENCH_WINDOW_WIDTH = 448;
constexpr int32_t BENCH_WINDOW_HEIGHT = 128;
constexpr int64_t BENCH_WINDOW_PIXELS = int64_t{BENCH_WINDOW_WIDTH} * BENCH_WINDOW_HEIGHT;

// Fills count pixels of each plane from the same seed on every call.
void bench_fill_layers(Pixel* frame, Pixel* colour, Pixel* mask, int32_t count);
