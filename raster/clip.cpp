#include "raster/clip.h"

#include "raster/fx8.h"

namespace {

enum class ClipAxis { COLUMNS, ROWS };
constexpr int32_t CLIP_PASSES = 2;

// The coordinate a pass compares with its bounds, and the other one.
template <ClipAxis AXIS, int VALUES> int32_t clip_along(const RasterVertex<VALUES>& v)
{
    return AXIS == ClipAxis::COLUMNS ? v.x : v.y;
}

template <ClipAxis AXIS, int VALUES> int32_t clip_across(const RasterVertex<VALUES>& v)
{
    return AXIS == ClipAxis::COLUMNS ? v.y : v.x;
}

template <ClipAxis AXIS> int32_t clip_last_inside(const ClipBounds& bounds)
{
    return AXIS == ClipAxis::COLUMNS ? bounds.right : bounds.bottom;
}

template <ClipAxis AXIS> int32_t clip_one_past(const ClipBounds& bounds)
{
    return AXIS == ClipAxis::COLUMNS ? bounds.width : bounds.height;
}

// Compared as unsigned, a negative coordinate lies beyond the high bound too.
template <ClipAxis AXIS, int VALUES>
bool clip_inside(const RasterVertex<VALUES>& v, const ClipBounds& bounds)
{
    return static_cast<uint32_t>(clip_along<AXIS>(v)) <=
           static_cast<uint32_t>(clip_last_inside<AXIS>(bounds));
}

// Where the edge from its outside end to its inside end crosses the bound the outside end lies
// beyond, every other coordinate and value moved along with it.
template <ClipAxis AXIS, int VALUES>
RasterVertex<VALUES> clip_crossing(const RasterVertex<VALUES>& outside,
                                   const RasterVertex<VALUES>& inside, const ClipBounds& bounds)
{
    const int32_t run = wrap_sub(clip_along<AXIS>(inside), clip_along<AXIS>(outside));
    // The flat clipper divides its column crossings by the run itself; every other crossing
    // spreads the run over one unit more, as the edge walker does.
    constexpr bool by_run_itself = AXIS == ClipAxis::COLUMNS && VALUES == 0;
    const int32_t divisor = by_run_itself ? run : raster_widened_run(run);
    const bool low = clip_along<AXIS>(outside) < 0;
    const int32_t distance =
        wrap_sub(low ? 0 : clip_one_past<AXIS>(bounds), clip_along<AXIS>(outside));
    const auto moved = [&](int32_t from, int32_t to) {
        return wrap_add(from, fx8_along(distance, fx8_slope(wrap_sub(to, from), divisor)));
    };

    const int32_t along = low ? 0 : clip_last_inside<AXIS>(bounds);
    const int32_t across = moved(clip_across<AXIS>(outside), clip_across<AXIS>(inside));
    RasterVertex<VALUES> crossing;
    crossing.x = AXIS == ClipAxis::COLUMNS ? along : across;
    crossing.y = AXIS == ClipAxis::COLUMNS ? across : along;
    for (int i = 0; i < VALUES; ++i)
        crossing.value[i] = moved(outside.value[i], inside.value[i]);
    return crossing;
}

// Whether a crossing falls on an edge's inside end: the column pass looks at the column alone,
// the row pass at the whole position.
template <ClipAxis AXIS, int VALUES>
bool clip_meets(const RasterVertex<VALUES>& crossing, const RasterVertex<VALUES>& end)
{
    if constexpr (AXIS == ClipAxis::COLUMNS)
        return crossing.x == end.x;
    return crossing.x == end.x && crossing.y == end.y;
}

// One pass over the edges A to B of the polygon, the last closing back to the first vertex.
template <ClipAxis AXIS, int VALUES>
int32_t clip_pass(const RasterVertex<VALUES>* in, int32_t count, RasterVertex<VALUES>* out,
                  const ClipBounds& bounds)
{
    int32_t kept = 0;
    for (int32_t i = 0; i < count; ++i) {
        const RasterVertex<VALUES>& a = in[i];
        const RasterVertex<VALUES>& b = in[(i + 1) % count];
        const bool a_inside = clip_inside<AXIS>(a, bounds);
        const bool b_inside = clip_inside<AXIS>(b, bounds);
        if (a_inside && b_inside) {
            out[kept++] = b;
        } else if (a_inside) {
            const RasterVertex<VALUES> crossing = clip_crossing<AXIS>(b, a, bounds);
            if (!clip_meets<AXIS>(crossing, a))
                out[kept++] = crossing;
        } else if (b_inside) {
            const RasterVertex<VALUES> crossing = clip_crossing<AXIS>(a, b, bounds);
            if (!clip_meets<AXIS>(crossing, b)) {
                out[kept++] = crossing;
                out[kept++] = b;
            } else {
                // One vertex on the inside end: the column pass keeps the end with its own
                // values, the row pass the crossing with the interpolated ones.
                out[kept++] = AXIS == ClipAxis::COLUMNS ? b : crossing;
            }
        }
    }
    return kept;
}

// The polygons that every pass leaves as they are: the usual case, which skips the passes.
template <int VALUES>
bool clip_all_inside(const RasterVertex<VALUES>* in, int32_t count, const ClipBounds& bounds)
{
    for (int32_t i = 0; i < count; ++i) {
        if (!clip_inside<ClipAxis::COLUMNS>(in[i], bounds) ||
            !clip_inside<ClipAxis::ROWS>(in[i], bounds))
            return false;
    }
    return true;
}

template <int VALUES>
int32_t clip_polygon(const ClipBounds& bounds, const RasterVertex<VALUES>* in, int32_t count,
                     RasterVertex<VALUES>* out)
{
    // An empty rectangle would make every coordinate look inside to the unsigned comparison.
    if (bounds.width <= 0 || bounds.height <= 0)
        return 0;
    if (clip_all_inside(in, count, bounds)) {
        // Both passes would keep every vertex, each starting its output from the second one.
        for (int32_t i = 0; i < count; ++i) {
            const int32_t from = i + CLIP_PASSES;
            out[i] = in[from < count ? from : from - count];
        }
        return count;
    }
    RasterVertex<VALUES> columns[2 * RASTER_POLYGON_MAX];
    const int32_t kept = clip_pass<ClipAxis::COLUMNS>(in, count, columns, bounds);
    return clip_pass<ClipAxis::ROWS>(columns, kept, out, bounds);
}

bool clip_valid_count(int32_t count)
{
    return count >= 0 && count <= RASTER_POLYGON_MAX;
}

} // namespace

int32_t raster_clip_flat(const ClipBounds& bounds, const ScreenVertex* const vertices[],
                         int32_t count, FlatVertex out[])
{
    if (!clip_valid_count(count))
        return 0;
    FlatVertex in[RASTER_POLYGON_MAX];
    for (int32_t i = 0; i < count; ++i)
        in[i] = {vertices[i]->x, vertices[i]->y, {}};
    return clip_polygon(bounds, in, count, out);
}

int32_t raster_clip_gouraud(const ClipBounds& bounds, const ScreenVertex* const vertices[],
                            const ColourEntry* const colours[], int32_t count, GouraudVertex out[])
{
    if (!clip_valid_count(count))
        return 0;
    GouraudVertex in[RASTER_POLYGON_MAX];
    for (int32_t i = 0; i < count; ++i)
        in[i] = {
            vertices[i]->x, vertices[i]->y, {colours[i]->red, colours[i]->green, colours[i]->blue}};
    return clip_polygon(bounds, in, count, out);
}

int32_t raster_clip_textured(const ClipBounds& bounds, const ScreenVertex* const vertices[],
                             const TexCoordEntry* const texcoords[], int32_t count, TexVertex out[])
{
    if (!clip_valid_count(count))
        return 0;
    TexVertex in[RASTER_POLYGON_MAX];
    for (int32_t i = 0; i < count; ++i)
        in[i] = {vertices[i]->x, vertices[i]->y, {texcoords[i]->u, texcoords[i]->v}};
    return clip_polygon(bounds, in, count, out);
}
