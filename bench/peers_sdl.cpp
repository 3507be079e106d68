// SDL2's software renderer drawing the same seeded triangles: SDL_RenderGeometry with a colour
// per vertex and no texture, onto an SDL_PIXELFORMAT_RGB555 surface, opaque (SDL_BLENDMODE_NONE)
// and additive (SDL_BLENDMODE_ADD). It is credited with the pixels this renderer covers.
#include <SDL.h>

#include <string>
#include <vector>

#include "bench/bench_register.h"
#include "bench/bench_shapes.h"

namespace {

SDL_Color sdl_colour(const ColourEntry& c)
{
    return {static_cast<Uint8>(c.red), static_cast<Uint8>(c.green), static_cast<Uint8>(c.blue),
            SDL_ALPHA_OPAQUE};
}

SDL_Vertex sdl_vertex(const ScreenVertex& v, const ColourEntry& c)
{
    return {{static_cast<float>(v.x), static_cast<float>(v.y)}, sdl_colour(c), {0.0f, 0.0f}};
}

// Every polygon as triangles: a quad v0 v1 v2 v3 as v0 v1 v2 and v0 v2 v3.
std::vector<SDL_Vertex> sdl_triangles(const std::vector<BenchPolygon>& shapes)
{
    std::vector<SDL_Vertex> vertices;
    for (const BenchPolygon& p : shapes) {
        for (int32_t t = 0; t + 2 < p.count; ++t) {
            for (const int32_t k : {0, t + 1, t + 2})
                vertices.push_back(sdl_vertex(p.v[k], p.c[k]));
        }
    }
    return vertices;
}

void peer_sdl(benchmark::State& state, SDL_BlendMode blend, int32_t size)
{
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormat(0, BENCH_WIDTH, BENCH_HEIGHT, 16, SDL_PIXELFORMAT_RGB555);
    SDL_Renderer* renderer = surface ? SDL_CreateSoftwareRenderer(surface) : nullptr;
    if (!renderer) {
        state.SkipWithError(SDL_GetError());
        if (surface)
            SDL_FreeSurface(surface);
        return;
    }
    SDL_SetRenderDrawBlendMode(renderer, blend);
    const std::vector<BenchPolygon> shapes = bench_shapes(size);
    const std::vector<SDL_Vertex> triangles = sdl_triangles(shapes);
    const int vertices_per_polygon = 3 * (shapes[0].count - 2);
    int64_t rounds = 0;
    for (auto _ : state) {
        // One call per polygon, as the ordering table hands them over one by one.
        for (size_t i = 0; i < triangles.size(); i += vertices_per_polygon)
            SDL_RenderGeometry(renderer, nullptr, &triangles[i], vertices_per_polygon, nullptr, 0);
        SDL_RenderFlush(renderer);
        benchmark::ClobberMemory();
        ++rounds;
    }
    bench_report(state, rounds, shapes);
    SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(surface);
}

} // namespace

void bench_register_peers_sdl()
{
    const struct {
        const char* name;
        SDL_BlendMode blend;
    } modes[] = {{"gouraud", SDL_BLENDMODE_NONE}, {"gouraud_add", SDL_BLENDMODE_ADD}};
    for (const auto& mode : modes) {
        for (const BenchSize& size : BENCH_SIZES) {
            const std::string name = std::string("peer_sdl/") + mode.name + "/" + size.name;
            benchmark::RegisterBenchmark(name.c_str(), peer_sdl, mode.blend, size.size);
        }
    }
}
