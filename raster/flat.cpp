#include "raster/flat.h"

#include <algorithm>
#include <cstddef>

#include "raster/clip.h"
#include "raster/scan.h"

namespace {

// Two pixels per 32-bit store, the colour in both halves of pattern; the odd last one alone.
void flat_span(const RasterSpan& span, uint32_t pattern)
{
    Pixel* at = span.pixels;
    int32_t remaining = span.visible;
    for (; remaining >= 2; remaining -= 2, at += 2)
        rgb555_store_pair(at, pattern);
    if (remaining)
        *at = static_cast<Pixel>(pattern);
}

void flat_polygon(const RasterTarget& target, const ScreenVertex* const vertices[], int32_t count,
                  Pixel colour)
{
    if (raster_on_one_row(vertices, count))
        return;
    FlatVertex polygon[RASTER_CLIP_CAPACITY];
    const int32_t clipped = raster_clip_flat(target.bounds, vertices, count, polygon);
    const uint32_t pattern = rgb555_pair(colour);
    raster_scan(
        target, polygon, clipped,
        [pattern](const RasterSpan& span, const auto&, const auto&) { flat_span(span, pattern); });
}

// The part of the run from start for length that lies on 0 .. limit - 1 and within the box, as
// first and end (not included). The end is computed in 32 bits and wraps like every sum here.
struct BoxRun {
    int32_t first;
    int32_t end;
};

BoxRun box_run(int32_t start, int32_t length, int32_t limit)
{
    return {std::max(start, 0), std::min(wrap_add(start, length), limit)};
}

Pixel* box_pixel(const RasterTarget& target, int32_t column, int32_t row)
{
    return target.pixels + static_cast<std::ptrdiff_t>(row) * target.pitch + column;
}

} // namespace

void raster_flat_tri(const RasterTarget& target, const ScreenVertex& v0, const ScreenVertex& v1,
                     const ScreenVertex& v2, Pixel colour)
{
    const ScreenVertex* const vertices[] = {&v0, &v1, &v2};
    flat_polygon(target, vertices, 3, colour);
}

void raster_flat_quad(const RasterTarget& target, const ScreenVertex& v0, const ScreenVertex& v1,
                      const ScreenVertex& v2, const ScreenVertex& v3, Pixel colour)
{
    const ScreenVertex* const vertices[] = {&v0, &v1, &v2, &v3};
    flat_polygon(target, vertices, 4, colour);
}

// The box has its own bounds, W and H rather than the last column and row: an edge on row H lands
// in the guard row, and one at column W, by the row * pitch + column addressing, on column 0 of
// the next row.
void raster_box(const RasterTarget& target, int32_t x, int32_t y, int32_t w, int32_t h,
                Pixel colour)
{
    const int32_t width = target.bounds.width;
    const int32_t height = target.bounds.height;
    const BoxRun columns = box_run(x, w, width);
    const BoxRun rows = box_run(y, h, height);
    const int32_t right = wrap_add(x, w);
    const int32_t bottom = wrap_add(y, h);

    for (const int32_t row : {y, bottom}) {
        if (row < 0 || row > height)
            continue;
        for (int32_t column = columns.first; column < columns.end; ++column)
            *box_pixel(target, column, row) = colour;
    }
    for (const int32_t column : {x, right}) {
        if (column < 0 || column > width)
            continue;
        for (int32_t row = rows.first; row < rows.end; ++row)
            *box_pixel(target, column, row) = colour;
    }
}
