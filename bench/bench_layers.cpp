#include "bench/bench_layers.h"

#include <random>

namespace {

constexpr Pixel BENCH_MASK_SET = 0x7FFF;
constexpr uint32_t BENCH_INK_IN_THREE = 3;

} // namespace

void bench_fill_layers(Pixel* frame, Pixel* colour, Pixel* mask, int32_t count)
{
    std::mt19937 rng(BENCH_WINDOW_PIXELS);
    for (int32_t i = 0; i < count; ++i) {
        frame[i] = static_cast<Pixel>(rng() & 0x7FFF);
        const bool ink = rng() % BENCH_INK_IN_THREE == 0;
        mask[i] = ink ? BENCH_MASK_SET : 0;
        colour[i] = ink ? static_cast<Pixel>(rng() & 0x7FFF) : 0;
    }
}
