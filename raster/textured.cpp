#include "raster/textured.h"

#include "platform/texture.h"
#include "raster/clip.h"
#include "raster/scan.h"

namespace {

enum class TexBlend { OPAQUE, ADD, HALF };

// What every span of one polygon reads its texels with, set once before its first span.
struct TexSpanParams {
    const Pixel* texels;
    int32_t log2_width;     // E
    int32_t log2_height;    // F
    int32_t span_u_mask;    // 2^E - 1: the texel column
    int32_t span_v_mask;    // (2^F - 1) x 256: the texel row, still in 24.8
    int32_t span_row_shift; // 8 - E: from a 24.8 row to the row's first texel
};

// A texture coordinate across a span, in texels (24.8): at the first visible pixel, and its step.
struct TexelStepper {
    int32_t value;
    int32_t step;
};

// The coordinate's 24.8 ends (256 = the whole texture) divided per pixel first, then scaled down
// to texels by 8 - log2 bits; the start is scaled the other way round, up by log2 bits first.
TexelStepper tex_stepper(int32_t left, int32_t right, int32_t log2_size, const RasterSpan& span)
{
    const int32_t per_pixel = wrap_div(wrap_sub(right, left), span.count);
    TexelStepper stepper{fx8_floor(wrap_shl(left, log2_size)),
                         per_pixel >> (RASTER_TEX_LOG2_MAX - log2_size)};
    stepper.value = wrap_add(stepper.value, wrap_mul(stepper.step, span.skip));
    return stepper;
}

template <TexBlend BLEND> Pixel tex_combine(Pixel texel, Pixel frame)
{
    if constexpr (BLEND == TexBlend::OPAQUE)
        return texel;
    else if constexpr (BLEND == TexBlend::ADD)
        return rgb555_add_saturate(texel, frame);
    else
        return rgb555_blend_half(texel, frame);
}

// Masking wraps both coordinates into the texture whatever their value, negative ones included:
// the texel read is (row AND 2^F - 1) x 2^E + (column AND 2^E - 1).
template <TexBlend BLEND>
void raster_span_tex(const RasterSpan& span, const EdgeSample<2>& left, const EdgeSample<2>& right,
                     const TexSpanParams& params)
{
    TexelStepper u = tex_stepper(left.value[TEX_U], right.value[TEX_U], params.log2_width, span);
    TexelStepper v = tex_stepper(left.value[TEX_V], right.value[TEX_V], params.log2_height, span);
    Pixel* at = span.pixels;
    for (int32_t remaining = span.visible; remaining > 0; --remaining, ++at) {
        const int32_t index = ((v.value & params.span_v_mask) >> params.span_row_shift) +
                              (fx8_floor(u.value) & params.span_u_mask);
        *at = tex_combine<BLEND>(params.texels[index], *at);
        u.value = wrap_add(u.value, u.step);
        v.value = wrap_add(v.value, v.step);
    }
}

template <TexBlend BLEND>
void raster_tex_polygon(const RasterTarget& target, const ScreenVertex* const vertices[],
                        const TexCoordEntry* const texcoords[], int32_t slot, int32_t count)
{
    if (raster_on_one_row(vertices, count))
        return;
    const int32_t log2_width = tex_log2_width(slot);
    const int32_t log2_height = tex_log2_height(slot);
    const Pixel* texels = tex_pixels(slot);
    if (!texels || log2_width > RASTER_TEX_LOG2_MAX || log2_height > RASTER_TEX_LOG2_MAX)
        return;
    const TexSpanParams params{texels,
                               log2_width,
                               log2_height,
                               (1 << log2_width) - 1,
                               ((1 << log2_height) - 1) << FX8_SHIFT,
                               RASTER_TEX_LOG2_MAX - log2_width};
    TexVertex polygon[RASTER_CLIP_CAPACITY];
    const int32_t clipped =
        raster_clip_textured(target.bounds, vertices, texcoords, count, polygon);
    raster_scan(
        target, polygon, clipped,
        [&params](const RasterSpan& span, const EdgeSample<2>& left, const EdgeSample<2>& right) {
            raster_span_tex<BLEND>(span, left, right, params);
        });
}

} // namespace

void raster_tex_tri(const RasterTarget& target, const ScreenVertex& v0, const ScreenVertex& v1,
                    const ScreenVertex& v2, const TexCoordEntry& t0, const TexCoordEntry& t1,
                    const TexCoordEntry& t2, int32_t slot)
{
    const ScreenVertex* const vertices[] = {&v0, &v1, &v2};
    const TexCoordEntry* const texcoords[] = {&t0, &t1, &t2};
    raster_tex_polygon<TexBlend::OPAQUE>(target, vertices, texcoords, slot, 3);
}

void raster_tex_quad(const RasterTarget& target, const ScreenVertex& v0, const ScreenVertex& v1,
                     const ScreenVertex& v2, const ScreenVertex& v3, const TexCoordEntry& t0,
                     const TexCoordEntry& t1, const TexCoordEntry& t2, const TexCoordEntry& t3,
                     int32_t slot)
{
    const ScreenVertex* const vertices[] = {&v0, &v1, &v2, &v3};
    const TexCoordEntry* const texcoords[] = {&t0, &t1, &t2, &t3};
    raster_tex_polygon<TexBlend::OPAQUE>(target, vertices, texcoords, slot, 4);
}

void raster_tex_add_tri(const RasterTarget& target, const ScreenVertex& v0, const ScreenVertex& v1,
                        const ScreenVertex& v2, const TexCoordEntry& t0, const TexCoordEntry& t1,
                        const TexCoordEntry& t2, int32_t slot)
{
    const ScreenVertex* const vertices[] = {&v0, &v1, &v2};
    const TexCoordEntry* const texcoords[] = {&t0, &t1, &t2};
    raster_tex_polygon<TexBlend::ADD>(target, vertices, texcoords, slot, 3);
}

void raster_tex_add_quad(const RasterTarget& target, const ScreenVertex& v0, const ScreenVertex& v1,
                         const ScreenVertex& v2, const ScreenVertex& v3, const TexCoordEntry& t0,
                         const TexCoordEntry& t1, const TexCoordEntry& t2, const TexCoordEntry& t3,
                         int32_t slot)
{
    const ScreenVertex* const vertices[] = {&v0, &v1, &v2, &v3};
    const TexCoordEntry* const texcoords[] = {&t0, &t1, &t2, &t3};
    raster_tex_polygon<TexBlend::ADD>(target, vertices, texcoords, slot, 4);
}

void raster_tex_half_tri(const RasterTarget& target, const ScreenVertex& v0, const ScreenVertex& v1,
                         const ScreenVertex& v2, const TexCoordEntry& t0, const TexCoordEntry& t1,
                         const TexCoordEntry& t2, int32_t slot)
{
    const ScreenVertex* const vertices[] = {&v0, &v1, &v2};
    const TexCoordEntry* const texcoords[] = {&t0, &t1, &t2};
    raster_tex_polygon<TexBlend::HALF>(target, vertices, texcoords, slot, 3);
}

void raster_tex_half_quad(const RasterTarget& target, const ScreenVertex& v0,
                          const ScreenVertex& v1, const ScreenVertex& v2, const ScreenVertex& v3,
                          const TexCoordEntry& t0, const TexCoordEntry& t1, const TexCoordEntry& t2,
                          const TexCoordEntry& t3, int32_t slot)
{
    const ScreenVertex* const vertices[] = {&v0, &v1, &v2, &v3};
    const TexCoordEntry* const texcoords[] = {&t0, &t1, &t2, &t3};
    raster_tex_polygon<TexBlend::HALF>(target, vertices, texcoords, slot, 4);
}
