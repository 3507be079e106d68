// Fill rates of every polygon family and pixel operation, and the ordering table sorting and
// drawing 4096 packets, on a frame of the headless host's size. Each benchmark reports the
// polygons drawn as triangles per second (a quad counts as two) and the pixels they cover per
// second.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "host/headless/headless.h"
#include "platform/mem.h"
#include "platform/texture.h"
#include "raster/flat.h"
#include "raster/gouraud.h"
#include "raster/ordering_table.h"
#include "raster/packet.h"
#include "raster/textured.h"

namespace {

constexpr int32_t WIDTH = HEADLESS_CLIENT_WIDTH;
constexpr int32_t HEIGHT = HEADLESS_CLIENT_HEIGHT - 1;
// Polygons drawn in turn, so that no single position flatters the caches.
constexpr int32_t SHAPES = 256;
constexpr int32_t OT_PACKETS = 4096;
constexpr int32_t TEXTURE_LOG2 = 6;

enum class Filler { FLAT, GOURAUD, GOURAUD_ADD, TEX, TEX_ADD, TEX_HALF };

struct FillerCase {
    const char* name;
    Filler filler;
};

constexpr FillerCase FILLERS[] = {
    {"flat", Filler::FLAT}, {"gouraud", Filler::GOURAUD}, {"gouraud_add", Filler::GOURAUD_ADD},
    {"tex", Filler::TEX},   {"tex_add", Filler::TEX_ADD}, {"tex_half", Filler::TEX_HALF},
};

// Right-angled triangles with legs of size pixels, or the quad covering the whole frame.
struct ShapeCase {
    const char* name;
    int32_t size;
};

constexpr int32_t FULL_SCREEN = 0;
constexpr ShapeCase SHAPE_CASES[] = {
    {"small_8", 8}, {"medium_64", 64}, {"full_screen", FULL_SCREEN}};

struct Polygon {
    ScreenVertex v[4];
    int32_t count;
};

// A frame buffer with its guard row, and the pieces every filler reads.
struct Bench {
    std::vector<Pixel> pixels = std::vector<Pixel>(static_cast<size_t>(WIDTH) * (HEIGHT + 1));
    ColourEntry colours[4] = {{255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}, {255, 255, 0, 0}};
    TexCoordEntry texcoords[4] = {{0, 0, {}}, {256, 0, {}}, {256, 256, {}}, {0, 256, {}}};
    int32_t slot = -1;

    RasterTarget target()
    {
        return {pixels.data(), WIDTH, {WIDTH, HEIGHT, WIDTH - 1, HEIGHT - 1}};
    }
};

Bench& bench()
{
    static Bench shared;
    return shared;
}

std::vector<Polygon> make_shapes(int32_t size)
{
    if (size == FULL_SCREEN)
        return {{{{0, 0, 0, 0}, {WIDTH, 0, 0, 0}, {WIDTH, HEIGHT, 0, 0}, {0, HEIGHT, 0, 0}}, 4}};
    std::mt19937 rng(size);
    std::vector<Polygon> shapes;
    for (int32_t i = 0; i < SHAPES; ++i) {
        const int32_t x = static_cast<int32_t>(rng() % (WIDTH - size));
        const int32_t y = static_cast<int32_t>(rng() % (HEIGHT - size));
        shapes.push_back({{{x, y, 0, 0}, {x + size, y, 0, 0}, {x, y + size, 0, 0}, {}}, 3});
    }
    return shapes;
}

void draw(Filler filler, const Polygon& p, Bench& b)
{
    const RasterTarget target = b.target();
    const ScreenVertex* v = p.v;
    const ColourEntry* c = b.colours;
    const TexCoordEntry* t = b.texcoords;
    const bool quad = p.count == 4;
    switch (filler) {
    case Filler::FLAT:
        quad ? raster_flat_quad(target, v[0], v[1], v[2], v[3], 0x1234)
             : raster_flat_tri(target, v[0], v[1], v[2], 0x1234);
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
        quad ? raster_tex_quad(target, v[0], v[1], v[2], v[3], t[0], t[1], t[2], t[3], b.slot)
             : raster_tex_tri(target, v[0], v[1], v[2], t[0], t[1], t[2], b.slot);
        break;
    case Filler::TEX_ADD:
        quad ? raster_tex_add_quad(target, v[0], v[1], v[2], v[3], t[0], t[1], t[2], t[3], b.slot)
             : raster_tex_add_tri(target, v[0], v[1], v[2], t[0], t[1], t[2], b.slot);
        break;
    case Filler::TEX_HALF:
        quad ? raster_tex_half_quad(target, v[0], v[1], v[2], v[3], t[0], t[1], t[2], t[3], b.slot)
             : raster_tex_half_tri(target, v[0], v[1], v[2], t[0], t[1], t[2], b.slot);
        break;
    }
}

// The pixels a polygon covers, counted on a cleared frame.
int64_t covered_pixels(const Polygon& p, Bench& b)
{
    std::fill(b.pixels.begin(), b.pixels.end(), 0);
    draw(Filler::FLAT, p, b);
    return static_cast<int64_t>(
        std::count_if(b.pixels.begin(), b.pixels.end(), [](Pixel pixel) { return pixel != 0; }));
}

// Rates over CPU time; the console scales them, so "pixels=541M/s" reads as 541 Mpixel/s.
void report(benchmark::State& state, int64_t triangles, int64_t pixels)
{
    state.counters["triangles"] =
        benchmark::Counter(static_cast<double>(triangles), benchmark::Counter::kIsRate);
    state.counters["pixels"] =
        benchmark::Counter(static_cast<double>(pixels), benchmark::Counter::kIsRate);
}

void fill_rate(benchmark::State& state, Filler filler, int32_t size)
{
    Bench& b = bench();
    const std::vector<Polygon> shapes = make_shapes(size);
    int64_t pixels_per_round = 0;
    for (const Polygon& p : shapes)
        pixels_per_round += covered_pixels(p, b);
    int64_t rounds = 0;
    for (auto _ : state) {
        for (const Polygon& p : shapes)
            draw(filler, p, b);
        benchmark::ClobberMemory();
        ++rounds;
    }
    const int64_t triangles_per_round =
        static_cast<int64_t>(shapes.size()) * (shapes[0].count == 4 ? 2 : 1);
    report(state, rounds * triangles_per_round, rounds * pixels_per_round);
}

// 4096 small flat triangles at random depths in one scene buffer: insert, then draw far to near.
void ordering_table(benchmark::State& state)
{
    Bench& b = bench();
    SceneBuffer* buffer =
        scene_buffer_create(OT_PACKETS * PACKET_TRI_BYTES, 3 * OT_PACKETS, 1, 0, 0);
    if (!buffer) {
        state.SkipWithError("no scene buffer");
        return;
    }
    buffer->flat_table[0] = 0x1234;
    const std::vector<Polygon> shapes = make_shapes(8);
    std::mt19937 rng(OT_PACKETS);
    int64_t pixels_per_round = 0;
    for (int32_t i = 0; i < OT_PACKETS; ++i) {
        const Polygon& shape = shapes[i % shapes.size()];
        pixels_per_round += covered_pixels(shape, b);
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
        ot_flush(*buffer, b.target());
        benchmark::ClobberMemory();
        ++rounds;
    }
    report(state, rounds * OT_PACKETS, rounds * pixels_per_round);
    mem_free(buffer);
}

} // namespace

int main(int argc, char** argv)
{
    headless_reset();
    tex_init();
    if (scene_init_buffer() < 0)
        return 1;
    Bench& b = bench();
    b.slot = tex_create(TEXTURE_LOG2, TEXTURE_LOG2);
    std::mt19937 rng(1);
    for (int32_t i = 0; i < (1 << (2 * TEXTURE_LOG2)); ++i)
        tex_pixels(b.slot)[i] = static_cast<Pixel>(rng() & 0x7FFF);

    for (const FillerCase& filler : FILLERS) {
        for (const ShapeCase& shape : SHAPE_CASES) {
            const std::string name = std::string("fill/") + filler.name + "/" + shape.name;
            benchmark::RegisterBenchmark(name.c_str(), fill_rate, filler.filler, shape.size);
        }
    }
    benchmark::RegisterBenchmark("ordering_table/4096_packets", ordering_table);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    tex_free_all();
    scene_free_buffer();
    return 0;
}
