// pixman 0.42 compositing the same area from the same seeded picture: OVER of the colour layer
// through an a8 mask (the masked copy of the plain effect) and ADD of the colour layer (the
// saturating add of the additive effects), onto an x1r5g5b5 frame.
#include <pixman.h>

#include <string>
#include <vector>

#include "bench/bench_layers.h"
#include "bench/bench_register.h"
#include "bench/bench_shapes.h"

namespace {

constexpr uint8_t PEER_A8_OPAQUE = 0xFF;

struct PixmanPlanes {
    std::vector<Pixel> frame;
    std::vector<Pixel> colour;
    std::vector<uint8_t> mask;
};

PixmanPlanes pixman_planes()
{
    const size_t count = static_cast<size_t>(BENCH_WIDTH) * BENCH_HEIGHT;
    PixmanPlanes planes{std::vector<Pixel>(count), std::vector<Pixel>(count),
                        std::vector<uint8_t>(count)};
    std::vector<Pixel> mask(count);
    bench_fill_layers(planes.frame.data(), planes.colour.data(), mask.data(),
                      static_cast<int32_t>(count));
    for (size_t i = 0; i < count; ++i)
        planes.mask[i] = mask[i] ? PEER_A8_OPAQUE : 0;
    return planes;
}

pixman_image_t* pixman_rgb555(std::vector<Pixel>& pixels)
{
    return pixman_image_create_bits(PIXMAN_x1r5g5b5, BENCH_WIDTH, BENCH_HEIGHT,
                                    reinterpret_cast<uint32_t*>(pixels.data()),
                                    BENCH_WIDTH * static_cast<int>(sizeof(Pixel)));
}

void peer_pixman(benchmark::State& state, pixman_op_t op, bool masked)
{
    PixmanPlanes planes = pixman_planes();
    pixman_image_t* frame = pixman_rgb555(planes.frame);
    pixman_image_t* colour = pixman_rgb555(planes.colour);
    // The a8 rows are padded to a multiple of four bytes; the bench width already is one.
    pixman_image_t* mask =
        pixman_image_create_bits(PIXMAN_a8, BENCH_WIDTH, BENCH_HEIGHT,
                                 reinterpret_cast<uint32_t*>(planes.mask.data()), BENCH_WIDTH);
    for (auto _ : state) {
        pixman_image_composite32(op, colour, masked ? mask : nullptr, frame, BENCH_WINDOW_X,
                                 BENCH_WINDOW_Y, BENCH_WINDOW_X, BENCH_WINDOW_Y, BENCH_WINDOW_X,
                                 BENCH_WINDOW_Y, BENCH_WINDOW_WIDTH, BENCH_WINDOW_HEIGHT);
        benchmark::ClobberMemory();
    }
    bench_pixel_rate(state, BENCH_WINDOW_PIXELS);
    pixman_image_unref(mask);
    pixman_image_unref(colour);
    pixman_image_unref(frame);
}

} // namespace

void bench_register_peers_pixman()
{
    benchmark::RegisterBenchmark("peer_pixman/over", peer_pixman, PIXMAN_OP_OVER, true);
    benchmark::RegisterBenchmark("peer_pixman/add", peer_pixman, PIXMAN_OP_ADD, false);
}
