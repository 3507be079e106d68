// The polygon fillers written plainly, as a reference for the optimised ones: the clipper's two
// passes for every polygon, an edge walk that divides every value by its rows, spans that divide
// every step by their width and draw one pixel (or one pair) at a time. The optimised fillers
// must draw exactly these pixels for any input.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

#include "platform/texture.h"
#include "raster/clip.h"
#include "raster/scan.h"

namespace plain {

enum class Blend { OPAQUE, ADD, HALF };

// Sutherland-Hodgman against columns 0..W-1, then rows 0..H-1 (see raster/clip.h).
template <int V>
int32_t clip_pass(bool columns, const RasterVertex<V>* in, int32_t count, RasterVertex<V>* out,
                  const ClipBounds& b)
{
    const auto along = [&](const RasterVertex<V>& v) { return columns ? v.x : v.y; };
    const int32_t last = columns ? b.right : b.bottom;
    const int32_t past = columns ? b.width : b.height;
    const auto inside = [&](const RasterVertex<V>& v) {
        return static_cast<uint32_t>(along(v)) <= static_cast<uint32_t>(last);
    };
    const auto crossing = [&](const RasterVertex<V>& o, const RasterVertex<V>& i) {
        const int32_t run = wrap_sub(along(i), along(o));
        const int32_t divisor = columns && V == 0 ? run : raster_widened_run(run);
        const bool low = along(o) < 0;
        const int32_t distance = wrap_sub(low ? 0 : past, along(o));
        const auto moved = [&](int32_t from, int32_t to) {
            return wrap_add(from, fx8_along(distance, fx8_slope(wrap_sub(to, from), divisor)));
        };
        RasterVertex<V> c;
        const int32_t at = low ? 0 : last;
        c.x = columns ? at : moved(o.x, i.x);
        c.y = columns ? moved(o.y, i.y) : at;
        for (int k = 0; k < V; ++k)
            c.value[k] = moved(o.value[k], i.value[k]);
        return c;
    };
    const auto meets = [&](const RasterVertex<V>& c, const RasterVertex<V>& e) {
        return columns ? c.x == e.x : c.x == e.x && c.y == e.y;
    };
    int32_t kept = 0;
    for (int32_t i = 0; i < count; ++i) {
        const RasterVertex<V>& a = in[i];
        const RasterVertex<V>& bv = in[(i + 1) % count];
        if (inside(a) && inside(bv)) {
            out[kept++] = bv;
        } else if (inside(a)) {
            const RasterVertex<V> c = crossing(bv, a);
            if (!meets(c, a))
                out[kept++] = c;
        } else if (inside(bv)) {
            const RasterVertex<V> c = crossing(a, bv);
            if (!meets(c, bv)) {
                out[kept++] = c;
                out[kept++] = bv;
            } else {
                out[kept++] = columns ? bv : c;
            }
        }
    }
    return kept;
}

template <int V>
int32_t clip(const ClipBounds& b, const RasterVertex<V>* in, int32_t count, RasterVertex<V>* out)
{
    if (b.width <= 0 || b.height <= 0)
        return 0;
    RasterVertex<V> columns[2 * RASTER_POLYGON_MAX];
    const int32_t kept = clip_pass(true, in, count, columns, b);
    return clip_pass(false, columns, kept, out, b);
}

template <int V> EdgeSample<V> slope(const RasterVertex<V>& from, const RasterVertex<V>& to)
{
    const int32_t rows = raster_widened_run(wrap_sub(to.y, from.y));
    EdgeSample<V> s{fx8_slope(wrap_sub(to.x, from.x), rows), {}};
    for (int i = 0; i < V; ++i)
        s.value[i] = fx8_slope(wrap_sub(to.value[i], from.value[i]), rows);
    return s;
}

template <int V> void move_on(EdgeWalk<V>& e, const RasterVertex<V>* polygon, int32_t count)
{
    const int32_t from = e.end;
    e.end = (e.end + e.direction + count) % count;
    e.slope = slope(polygon[from], polygon[e.end]);
}

// The edge walk of raster/scan.h.
template <int V, typename Draw>
void scan(const RasterTarget& target, const RasterVertex<V>* polygon, int32_t count, Draw draw)
{
    if (count <= 1)
        return;
    int32_t top = 0;
    for (int32_t i = 1; i < count; ++i) {
        if (polygon[i].y < polygon[top].y)
            top = i;
    }
    EdgeWalk<V> edge[2] = {{top, 1, {}}, {top, -1, {}}};
    move_on(edge[0], polygon, count);
    move_on(edge[1], polygon, count);
    EdgeSample<V> side[2] = {edge_sample_at(polygon[top]), edge_sample_at(polygon[top])};
    const int left = edge[1].slope.x < edge[0].slope.x ? 1 : 0;
    int32_t row = polygon[top].y;
    const auto fill = [&] {
        const RasterSpan span = raster_span(target, row, side[left].x, side[1 - left].x);
        if (span.visible > 0)
            draw(span, side[left], side[1 - left]);
    };
    for (int32_t segment = 1; segment < count; ++segment) {
        const int k = polygon[edge[1].end].y < polygon[edge[0].end].y ? 1 : 0;
        const int32_t end_row = polygon[edge[k].end].y;
        if (row == end_row) {
            fill();
            edge_sample_step(side[k], edge[k].slope);
        } else {
            for (; row <= end_row; ++row) {
                fill();
                edge_sample_step(side[0], edge[0].slope);
                edge_sample_step(side[1], edge[1].slope);
            }
            if (polygon[edge[1 - k].end].y == end_row)
                move_on(edge[1 - k], polygon, count);
        }
        move_on(edge[k], polygon, count);
    }
}

// Clips and walks the polygon of count vertices, values(i) giving vertex i's values, and draws
// every span with draw(span, left side, right side). A polygon on one row draws nothing.
template <int V, typename Values, typename Draw>
void fill(const RasterTarget& target, const ScreenVertex* v, int32_t count, Values values,
          Draw draw)
{
    if (std::all_of(v, v + count, [&](const ScreenVertex& p) { return p.y == v[0].y; }))
        return;
    RasterVertex<V> in[RASTER_POLYGON_MAX];
    RasterVertex<V> polygon[RASTER_CLIP_CAPACITY];
    for (int32_t i = 0; i < count; ++i)
        in[i] = {v[i].x, v[i].y, values(i)};
    scan(target, polygon, clip(target.bounds, in, count, polygon), draw);
}

inline void flat(const RasterTarget& target, const ScreenVertex* v, int32_t count, Pixel colour)
{
    const auto none = [](int32_t) { return std::array<int32_t, 0>{}; };
    fill<0>(target, v, count, none, [&](const RasterSpan& span, const auto&, const auto&) {
        std::fill_n(span.pixels, span.visible, colour);
    });
}

// Opaque channels at 8.7, additive ones placed at bits 23, 18 and 13 (platform/pixel.h).
inline void gouraud_span(Blend blend, const RasterSpan& span, const EdgeSample<3>& l,
                         const EdgeSample<3>& r)
{
    const int place[3] = {RGB8_PLACED_RED_LOW - FX8_SHIFT, RGB8_PLACED_GREEN_LOW - FX8_SHIFT,
                          RGB8_PLACED_BLUE_LOW - FX8_SHIFT};
    const bool opaque = blend == Blend::OPAQUE;
    uint32_t value[3];
    int32_t step[3];
    for (int k = 0; k < 3; ++k) {
        const int32_t run = wrap_sub(r.value[k], l.value[k]);
        step[k] = wrap_div(opaque ? run >> 1 : wrap_shl(run, place[k]), span.count);
        value[k] = static_cast<uint32_t>(opaque ? l.value[k] >> 1 : wrap_shl(l.value[k], place[k]));
        value[k] += static_cast<uint32_t>(wrap_mul(step[k], span.skip));
    }
    for (int32_t i = 0; i < span.visible; ++i) {
        Pixel& at = span.pixels[i];
        const Pixel added = rgb555_from_placed_rgb8_top4(value[0], value[1], value[2]);
        at = opaque ? rgb555_from_rgb8_fx7(value[0], value[1], value[2])
                    : rgb555_add_saturate(added, at);
        for (int k = 0; k < 3; ++k)
            value[k] += static_cast<uint32_t>(step[k]);
    }
}

inline void gouraud(const RasterTarget& target, const ScreenVertex* v, const ColourEntry* c,
                    int32_t count, Blend blend)
{
    const auto values = [&](int32_t i) { return std::array{c[i].red, c[i].green, c[i].blue}; };
    fill<3>(target, v, count, values, [&](const RasterSpan& span, const auto& l, const auto& r) {
        gouraud_span(blend, span, l, r);
    });
}

// Texel columns step at 24.8 of the texture's width, rows at 24.8 of its height times its width.
inline void textured_span(int32_t slot, Blend blend, const RasterSpan& span, const EdgeSample<2>& l,
                          const EdgeSample<2>& r)
{
    const int32_t e = tex_log2_width(slot);
    const int32_t f = tex_log2_height(slot);
    const auto stepper = [&](int k, int32_t log2) {
        const int32_t step = wrap_div(wrap_sub(r.value[k], l.value[k]), span.count) >> (8 - log2);
        const int32_t start = fx8_floor(wrap_shl(l.value[k], log2));
        return std::pair{wrap_add(start, wrap_mul(step, span.skip)), step};
    };
    auto [u, du] = stepper(TEX_U, e);
    auto [tv, dv] = stepper(TEX_V, f);
    for (int32_t i = 0; i < span.visible; ++i) {
        const int32_t row = (tv & (((1 << f) - 1) << 8)) >> (8 - e);
        const Pixel texel = tex_pixels(slot)[row + (fx8_floor(u) & ((1 << e) - 1))];
        Pixel& at = span.pixels[i];
        at = blend == Blend::OPAQUE ? texel
             : blend == Blend::ADD  ? rgb555_add_saturate(texel, at)
                                    : rgb555_blend_half(texel, at);
        u = wrap_add(u, du);
        tv = wrap_add(tv, dv);
    }
}

// Nothing for an empty slot or a texture over 256 texels either way.
inline void textured(const RasterTarget& target, const ScreenVertex* v, const TexCoordEntry* t,
                     int32_t count, int32_t slot, Blend blend)
{
    if (!tex_pixels(slot) || tex_log2_width(slot) > 8 || tex_log2_height(slot) > 8)
        return;
    const auto values = [&](int32_t i) { return std::array{t[i].u, t[i].v}; };
    fill<2>(target, v, count, values, [&](const RasterSpan& span, const auto& l, const auto& r) {
        textured_span(slot, blend, span, l, r);
    });
}

} // namespace plain
