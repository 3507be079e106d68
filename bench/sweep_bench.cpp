// How frame cost grows with work. Polygons: 100 to 100,000 small gouraud triangles at random
// depths through the ordering table, inserted and drawn far to near, in a scene buffer made for
// that many (the program's own holds 1,363 triangles). Overdraw: 1 to 16 additive gouraud quads
// over the whole frame. Each reports its triangles or its pixels per second, so that the goals
// compare the cost of one polygon or one layer at either end of a sweep.
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_register.h"
#include "bench/bench_shapes.h"
#include "bench/bench_stage.h"
#include "platform/mem.h"
#include "raster/gouraud.h"
#include "raster/ordering_table.h"
#include "raster/packet.h"

namespace {

constexpr int32_t SWEEP_POLYGONS[] = {100, 300, 1000, 3000, 10000, 30000, 100000};
constexpr int32_t SWEEP_LAYERS[] = {1, 2, 4, 8, 12, 16};
// Packets name vertices and colours by 16-bit indices, so the triangles share a pool of vertices:
// the small seeded triangles of the fill-rate benchmarks, each placed once.
constexpr int32_t SWEEP_VERTEX_POOL = 3 * BENCH_SHAPES;

void sweep_polygons(benchmark::State& state, int32_t polygons)
{
    bench_stage();
    std::vector<Pixel> frame = bench_frame();
    const RasterTarget target{
        frame.data(), BENCH_WIDTH, {BENCH_WIDTH, BENCH_HEIGHT, BENCH_WIDTH - 1, BENCH_HEIGHT - 1}};
    SceneBuffer* buffer =
        scene_buffer_create(polygons * PACKET_TRI_BYTES, SWEEP_VERTEX_POOL, 1, 0, 0);
    if (!buffer) {
        state.SkipWithError("no scene buffer");
        return;
    }
    // The fillers read the registered colour table at its full size.
    std::vector<ColourEntry> colours(SCENE_COLOUR_ENTRIES);
    buffer->header.colour_entries = colours.data();
    const std::vector<BenchPolygon> shapes = bench_shapes(BENCH_SMALL);
    for (int32_t s = 0; s < BENCH_SHAPES; ++s) {
        for (int32_t k = 0; k < 3; ++k) {
            buffer->vertex_table[3 * s + k] = shapes[s].v[k];
            colours[3 * s + k] = shapes[s].c[k];
        }
    }
    std::mt19937 rng(static_cast<uint32_t>(polygons));
    for (int32_t i = 0; i < polygons; ++i) {
        const int32_t shape = i % BENCH_SHAPES;
        TriPacket packet{};
        packet.tag = PACKET_GOURAUD_TRI;
        packet.size = PACKET_TRI_BYTES;
        // Every vertex lies at depth 0, so the offset alone picks the bucket.
        packet.depth_offset = static_cast<int16_t>(rng() % OT_BUCKETS);
        for (int16_t k = 0; k < 3; ++k) {
            packet.vertex[k] = static_cast<int16_t>(3 * shape + k);
            packet.colour[k] = static_cast<int16_t>(3 * shape + k);
        }
        std::memcpy(buffer->packet_area + static_cast<size_t>(i) * PACKET_TRI_BYTES, &packet,
                    sizeof packet);
    }
    buffer->header.packet_count = polygons;
    int64_t rounds = 0;
    for (auto _ : state) {
        ot_insert_packets(*buffer);
        ot_flush(*buffer, target);
        benchmark::ClobberMemory();
        ++rounds;
    }
    state.counters["triangles"] =
        benchmark::Counter(static_cast<double>(rounds) * polygons, benchmark::Counter::kIsRate);
    mem_free(buffer);
}

void sweep_overdraw(benchmark::State& state, int32_t layers)
{
    std::vector<Pixel> frame = bench_frame();
    const RasterTarget target{
        frame.data(), BENCH_WIDTH, {BENCH_WIDTH, BENCH_HEIGHT, BENCH_WIDTH - 1, BENCH_HEIGHT - 1}};
    const std::vector<BenchPolygon> quads = bench_shapes(BENCH_FULL_SCREEN);
    const BenchPolygon& q = quads[0];
    for (auto _ : state) {
        for (int32_t layer = 0; layer < layers; ++layer)
            raster_gouraud_add_quad(target, q.v[0], q.v[1], q.v[2], q.v[3], q.c[0], q.c[1], q.c[2],
                                    q.c[3]);
        benchmark::ClobberMemory();
    }
    bench_pixel_rate(state, layers * bench_covered_pixels(quads));
}

} // namespace

void bench_register_sweeps()
{
    for (const int32_t polygons : SWEEP_POLYGONS) {
        const std::string name = "sweep/polygons/" + std::to_string(polygons);
        benchmark::RegisterBenchmark(name.c_str(), sweep_polygons, polygons);
    }
    for (const int32_t layers : SWEEP_LAYERS) {
        const std::string name = "sweep/overdraw/" + std::to_string(layers);
        benchmark::RegisterBenchmark(name.c_str(), sweep_overdraw, layers);
    }
}
