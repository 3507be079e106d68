// The polygon fillers written plainly, as a reference for the optimised ones: the clipper's two
// passes for every polygon, an edge walk that divides every value by its rows, spans that divide
// every step by their width and draw one pixel (or one pair) at a time. The optimised fillers
// must draw exactly these pixels for any input.
#pragma once

#include <cstddef>

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

inline void flat(const RasterTarget& target, const ScreenVertex* const v[], int32_t count,
                 Pixel colour)
{
    if (raster_on_one_row(v, count))
        return;
    FlatVertex in[RASTER_POLYGON_MAX];
    FlatVertex polygon[RASTER_CLIP_CAPACITY];
    for (int32_t i = 0; i < count; ++i)
        in[i] = {v[i]->x, v[i]->y, {}};
    scan(target, polygon, clip(target.bounds, in, count, polygon),
         [&](const RasterSpan& span, const auto&, const auto&) {
             for (int32_t i = 0; i < span.visible; ++i)
                 span.pixels[i] = colour;
         });
}

// Opaque channels at 8.7, additive ones placed at bits 23, 18 and 13 (platform/pixel.h).
inline void gouraud(const RasterTarget& target, const ScreenVertex* const v[],
                    const ColourEntry* const c[], int32_t count, Blend blend)
{
    if (raster_on_one_row(v, count))
        return;
    GouraudVertex in[RASTER_POLYGON_MAX];
    GouraudVertex polygon[RASTER_CLIP_CAPACITY];
    for (int32_t i = 0; i < count; ++i)
        in[i] = {v[i]->x, v[i]->y, {c[i]->red, c[i]->green, c[i]->blue}};
    const int place[3] = {RGB8_PLACED_RED_LOW - FX8_SHIFT, RGB8_PLACED_GREEN_LOW - FX8_SHIFT,
                          RGB8_PLACED_BLUE_LOW - FX8_SHIFT};
    scan(target, polygon, clip(target.bounds, in, count, polygon),
         [&](const RasterSpan& span, const EdgeSample<3>& l, const EdgeSample<3>& r) {
             int32_t value[3];
             int32_t step[3];
             for (int k = 0; k < 3; ++k) {
                 if (blend == Blend::OPAQUE) {
                     value[k] = l.value[k] >> 1;
                     step[k] = wrap_div(wrap_sub(r.value[k], l.value[k]) >> 1, span.count);
                 } else {
                     value[k] = wrap_shl(l.value[k], place[k]);
                     step[k] =
                         wrap_div(wrap_shl(wrap_sub(r.value[k], l.value[k]), place[k]), span.count);
                 }
                 value[k] = wrap_add(value[k], wrap_mul(step[k], span.skip));
             }
             for (int32_t i = 0; i < span.visible; ++i) {
                 const auto u = [&](int k) { return static_cast<uint32_t>(value[k]); };
                 Pixel& at = span.pixels[i];
                 at = blend == Blend::OPAQUE
                          ? rgb555_from_rgb8_fx7(u(0), u(1), u(2))
                          : rgb555_add_saturate(rgb555_from_placed_rgb8_top4(u(0), u(1), u(2)), at);
                 for (int k = 0; k < 3; ++k)
                     value[k] = wrap_add(value[k], step[k]);
             }
         });
}

// Nothing for an empty slot or a texture over 256 texels either way.
inline void textured(const RasterTarget& target, const ScreenVertex* const v[],
                     const TexCoordEntry* const t[], int32_t count, int32_t slot, Blend blend)
{
    const int32_t e = tex_log2_width(slot);
    const int32_t f = tex_log2_height(slot);
    const Pixel* texels = tex_pixels(slot);
    if (raster_on_one_row(v, count) || !texels || e > 8 || f > 8)
        return;
    TexVertex in[RASTER_POLYGON_MAX];
    TexVertex polygon[RASTER_CLIP_CAPACITY];
    for (int32_t i = 0; i < count; ++i)
        in[i] = {v[i]->x, v[i]->y, {t[i]->u, t[i]->v}};
    scan(target, polygon, clip(target.bounds, in, count, polygon),
         [&](const RasterSpan& span, const EdgeSample<2>& l, const EdgeSample<2>& r) {
             const auto stepper = [&](int k, int32_t log2) {
                 const int32_t step =
                     wrap_div(wrap_sub(r.value[k], l.value[k]), span.count) >> (8 - log2);
                 return std::pair{
                     wrap_add(fx8_floor(wrap_shl(l.value[k], log2)), wrap_mul(step, span.skip)),
                     step};
             };
             auto [u, du] = stepper(TEX_U, e);
             auto [tv, dv] = stepper(TEX_V, f);
             for (int32_t i = 0; i < span.visible; ++i) {
                 const Pixel texel = texels[((tv & (((1 << f) - 1) << 8)) >> (8 - e)) +
                                            (fx8_floor(u) & ((1 << e) - 1))];
                 Pixel& at = span.pixels[i];
                 at = blend == Blend::OPAQUE ? texel
                      : blend == Blend::ADD  ? rgb555_add_saturate(texel, at)
                                             : rgb555_blend_half(texel, at);
                 u = wrap_add(u, du);
                 tv = wrap_add(tv, dv);
             }
         });
}

} // namespace plain
