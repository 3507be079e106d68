// The one scan converter of the polygon fillers. It walks the two sides of a clipped polygon down
// its rows and hands each row's span, cropped to the target, to the family's span routine with
// the values interpolated at the span's two ends. Families differ only in how many values they
// interpolate and in their span routines.
//
// The fill convention: a row covers the columns from its left x >> 8 up to, not including, its
// right x >> 8, so a polygon covers its top and its bottom row and its left boundary column but
// not its right one. Every edge is spread over one row more than its height, and neither side is
// reset to a vertex when its edge moves on. A row on which an edge ends can be drawn twice.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "raster/clip.h"
#include "raster/fx8.h"
#include "raster/target.h"

// A position across a row with the values that go with it, all in 24.8: where a side of the
// polygon is on the current row, or how far it moves per row.
template <int VALUES> struct EdgeSample {
    int32_t x;
    std::array<int32_t, VALUES> value;
};

// One side's walk through the vertex list: edge 0 forward from the top vertex, edge 1 backward.
template <int VALUES> struct EdgeWalk {
    int32_t end; // the vertex where its current segment ends
    int32_t direction;
    EdgeSample<VALUES> slope;
};

// The pixels of one row's span that lie on the target. The span's values step per pixel of the
// whole span, so the routine steps them over the skipped pixels too: every pixel drawn is the one
// the uncropped span would give.
struct RasterSpan {
    Pixel* pixels;   // the first visible pixel
    int32_t count;   // the whole span, from its left x >> 8 to its right x >> 8: the step divisor
    int32_t skip;    // pixels of the span left of column 0
    int32_t visible; // pixels drawn from pixels on
};

// Whether all count vertices share one row: such a polygon draws nothing.
inline bool raster_on_one_row(const ScreenVertex* const vertices[], int32_t count)
{
    for (int32_t i = 1; i < count; ++i) {
        if (vertices[i]->y != vertices[0]->y)
            return false;
    }
    return true;
}

// The span of a row between two sides (24.8), cropped to the target's columns; visible is 0 when
// no pixel of it is to be drawn. Rows need no cropping: the row pass of the clipper leaves every
// vertex on rows 0 to H - 1, and the walk stays within its vertices' rows.
inline RasterSpan raster_span(const RasterTarget& target, int32_t row, int32_t left_x,
                              int32_t right_x)
{
    const int32_t first = fx8_floor(left_x);
    const int32_t end = fx8_floor(right_x);
    RasterSpan span{nullptr, end - first, 0, 0};
    if (span.count <= 0)
        return span;
    span.skip = first < 0 ? -first : 0;
    const int32_t visible_end = end < target.bounds.width ? end : target.bounds.width;
    if (visible_end <= first + span.skip)
        return span;
    span.visible = visible_end - (first + span.skip);
    span.pixels =
        target.pixels + static_cast<std::ptrdiff_t>(row) * target.pitch + first + span.skip;
    return span;
}

template <int VALUES> EdgeSample<VALUES> edge_sample_at(const RasterVertex<VALUES>& vertex)
{
    EdgeSample<VALUES> sample{fx8_from_int(vertex.x), {}};
    for (int i = 0; i < VALUES; ++i)
        sample.value[i] = fx8_from_int(vertex.value[i]);
    return sample;
}

template <int VALUES>
void edge_sample_step(EdgeSample<VALUES>& sample, const EdgeSample<VALUES>& slope)
{
    sample.x = wrap_add(sample.x, slope.x);
    for (int i = 0; i < VALUES; ++i)
        sample.value[i] = wrap_add(sample.value[i], slope.value[i]);
}

// The per-row change of x and of every value along the segment from one vertex to the next.
template <int VALUES>
EdgeSample<VALUES> edge_slope(const RasterVertex<VALUES>& from, const RasterVertex<VALUES>& to)
{
    const RasterDivisor rows = raster_divisor(raster_widened_run(wrap_sub(to.y, from.y)));
    EdgeSample<VALUES> slope{fx8_slope(wrap_sub(to.x, from.x), rows), {}};
    for (int i = 0; i < VALUES; ++i)
        slope.value[i] = fx8_slope(wrap_sub(to.value[i], from.value[i]), rows);
    return slope;
}

// The edge takes its next segment: from the vertex where it ended to the one after it.
template <int VALUES>
void edge_move_on(EdgeWalk<VALUES>& edge, const RasterVertex<VALUES>* polygon, int32_t count)
{
    const int32_t from = edge.end;
    edge.end += edge.direction;
    if (edge.end == count)
        edge.end = 0;
    else if (edge.end < 0)
        edge.end = count - 1;
    edge.slope = edge_slope(polygon[from], polygon[edge.end]);
}

// Walks the clipped polygon of count vertices down its rows, calling
// draw_span(span, left sample, right sample) for every row with a visible pixel.
template <int VALUES, typename DrawSpan>
void raster_scan(const RasterTarget& target, const RasterVertex<VALUES>* polygon, int32_t count,
                 DrawSpan&& draw_span)
{
    if (count <= 1)
        return;
    int32_t top = 0;
    for (int32_t i = 1; i < count; ++i) {
        if (polygon[i].y < polygon[top].y)
            top = i;
    }
    EdgeWalk<VALUES> edge[2] = {{top, 1, {}}, {top, -1, {}}};
    edge_move_on(edge[0], polygon, count);
    edge_move_on(edge[1], polygon, count);
    EdgeSample<VALUES> side[2] = {edge_sample_at(polygon[top]), edge_sample_at(polygon[top])};
    // Both sides start at the top vertex, so the one leaning further left stays the left side for
    // the whole polygon.
    const int left = edge[1].slope.x < edge[0].slope.x ? 1 : 0;
    const int right = 1 - left;
    int32_t row = polygon[top].y;
    const auto fill_row = [&] {
        const RasterSpan span = raster_span(target, row, side[left].x, side[right].x);
        if (span.visible > 0)
            draw_span(span, side[left], side[right]);
    };

    for (int32_t segment = 1; segment < count; ++segment) {
        // k, the edge whose segment ends first (edge 0 when both end on one row).
        const int k = polygon[edge[1].end].y < polygon[edge[0].end].y ? 1 : 0;
        const int other = 1 - k;
        const int32_t end_row = polygon[edge[k].end].y;
        if (row == end_row) {
            // The edge ends on the current row: the row is filled, perhaps for the second time,
            // and only this edge's side steps on.
            fill_row();
            edge_sample_step(side[k], edge[k].slope);
        } else {
            for (; row <= end_row; ++row) {
                fill_row();
                edge_sample_step(side[0], edge[0].slope);
                edge_sample_step(side[1], edge[1].slope);
            }
            if (polygon[edge[other].end].y == end_row)
                edge_move_on(edge[other], polygon, count);
        }
        edge_move_on(edge[k], polygon, count);
    }
}
