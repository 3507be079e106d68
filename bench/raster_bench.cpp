// Fill rates of every polygon family and pixel operation on small, medium and full-screen
// polygons, and the ordering table sorting and drawing 4096 packets. Each benchmark reports the
// polygons drawn as triangles per second (a quad counts as two) and the pixels they cover per
// second.
#include <cstring>
#include <random>
#include <string>

#include "bench/bench_register.h"
#include "bench/bench_shapes.h"
#include "bench/bench_stage.h"
#include "platform/mem.h"
#include "raster/flat.h"
#include "raster/gouraud.h"
#include "raster/ordering_table.h"
#include "raster/packet.h"
#include "raster/textured.h"

namespace {

constexpr int32_t OT_PACKETS = 4096;
constexpr Pixel FLAT_COLOUR = 0x1234;

enum class Filler { FLAT, GOURAUD, GOURAUD_ADD, TEX, TEX_ADD, TEX_HALF };

void draw(Filler filler, const RasterTarget& target, const BenchPolygon& p, int32_t slot)
{
    const ScreenVertex* v = p.v;
    const ColourEntry* c = p.c;
    const TexCoordEntry* t = p.t;
    const bool quad = p.count == 4;
    switch (filler) {
    case Filler::FLAT:
        quad ? raster_flat_quad(target, v[0], v[1], v[2], v[3], FLAT_COLOUR)
             : raster_flat_tri(target, v[0], v[1], v[2], FLAT_COLOUR);
        break;
    case Filler::GOURAUD:
        quad ? raster_gouraud_quad(target, v[0], v[1], v[2], v[3], c[0], c[1], c[2], c[3])
             : raster_gouraud_tri(target, v[0], v[1], v[2], c[0], c[1], c[2]);
        break;
    case Filler::GOURAUD_ADD:
        quad ? raster_gouraud_add_quad(target, v[0], v[1], v[2], v[3], c[0], c[1], c[2], c[3])
             : raster_gouraud_add_tri(target, v[0], v[1], v[2], c[0], c[1], c[2]);
        break;
    case Filler::TEX:
        quad ? raster_tex_quad(target, v[0], v[1], v[2], v[3], t[0], t[1], t[2], t[3], slot)
             : raster_tex_tri(target, v[0], v[1], v[2], t[0], t[1], t[2], slot);
        break;
    case Filler::TEX_ADD:
        quad ? raster_tex_add_quad(target, v[0], v[1], v[2], v[3], t[0], t[1], t[2], t[3], slot)
             : raster_tex_add_tri(target, v[0], v[1], v[2], t[0], t[1], t[2], slot);
        break;
    case Filler::TEX_HALF:
        quad ? raster_tex_half_quad(target, v[0], v[1], v[2], v[3], t[0], t[1], t[2], t[3], slot)
             : raster_tex_half_tri(target, v[0], v[1], v[2], t[0], t[1], t[2], slot);
        break;
    }
}

RasterTarget bench_target(std::vector<Pixel>& frame)
{
    return {
        frame.data(), BENCH_WIDTH, {BENCH_WIDTH, BENCH_HEIGHT, BENCH_WIDTH - 1, BENCH_HEIGHT - 1}};
}

void fill_rate(benchmark::State& state, Filler filler, int32_t size)
{
    const int32_t slot = bench_stage().texture_slot;
    std::vector<Pixel> frame = bench_frame();
    const RasterTarget target = bench_target(frame);
    const std::vector<BenchPolygon> shapes = bench_shapes(size);
    int64_t rounds = 0;
    for (auto _ : state) {
        for (const BenchPolygon& p : shapes)
            draw(filler, target, p, slot);
        benchmark::ClobberMemory();
        ++rounds;
    }
    bench_report(state, rounds, shapes);
}

// 4096 small flat triangles at random depths in one scene buffer: insert, then draw far to near.
void ordering_table(benchmark::State& state)
{
    bench_stage();
    std::vector<Pixel> frame = bench_frame();
    SceneBuffer* buffer =
        scene_buffer_create(OT_PACKETS * PACKET_TRI_BYTES, 3 * OT_PACKETS, 1, 0, 0);
    if (!buffer) {
        state.SkipWithError("no scene buffer");
        return;
    }
    buffer->flat_table[0] = FLAT_COLOUR;
    const std::vector<BenchPolygon> shapes = bench_shapes(BENCH_SMALL);
    std::vector<BenchPolygon> drawn;
    std::mt19937 rng(OT_PACKETS);
    for (int32_t i = 0; i < OT_PACKETS; ++i) {
        const BenchPolygon& shape = shapes[i % shapes.size()];
        drawn.push_back(shape);
        const int32_t depth = 1 + static_cast<int32_t>(rng() % (OT_BUCKETS - 1));
        TriPacket packet{};
        packet.tag = PACKET_FLAT_TRI;
        packet.size = PACKET_TRI_BYTES;
        for (int16_t k = 0; k < 3; ++k) {
            packet.vertex[k] = static_cast<int16_t>(3 * i + k);
            buffer->vertex_table[3 * i + k] = shape.v[k];
            buffer->vertex_table[3 * i + k].depth = depth;
        }
        std::memcpy(buffer->packet_area + i * PACKET_TRI_BYTES, &packet, sizeof packet);
    }
    buffer->header.packet_count = OT_PACKETS;
    int64_t rounds = 0;
    for (auto _ : state) {
        ot_insert_packets(*buffer);
        ot_flush(*buffer, bench_target(frame));
        benchmark::ClobberMemory();
        ++rounds;
    }
    bench_report(state, rounds, drawn);
    mem_free(buffer);
}

} // namespace

void bench_register_raster()
{
    const struct {
        const char* name;
        Filler filler;
    } fillers[] = {
        {"flat", Filler::FLAT}, {"gouraud", Filler::GOURAUD}, {"gouraud_add", Filler::GOURAUD_ADD},
        {"tex", Filler::TEX},   {"tex_add", Filler::TEX_ADD}, {"tex_half", Filler::TEX_HALF},
    };
    for (const auto& filler : fillers) {
        for (const BenchSize& size : BENCH_SIZES) {
            const std::string name = std::string("fill/") + filler.name + "/" + size.name;
            benchmark::RegisterBenchmark(name.c_str(), fill_rate, filler.filler, size.size);
        }
    }
    benchmark::RegisterBenchmark("ordering_table/4096_packets", ordering_table);
    bench_register_sweeps();
}
