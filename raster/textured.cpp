#include "raster/textured.h"

#include "platform/pixel_avx2.h"
#include "platform/pixel_sse2.h"
#include "platform/texture.h"
#include "raster/clip.h"
#include "raster/scan.h"
#include "raster/span_path.h"

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
TexelStepper tex_stepper(int32_t left, int32_t right, int32_t log2_size, const RasterSpan& span,
                         const RasterDivisor& count)
{
    const int32_t per_pixel = raster_divide(wrap_sub(right, left), count);
    TexelStepper stepper{fx8_floor(wrap_shl(left, log2_size)),
                         per_pixel >> (RASTER_TEX_LOG2_MAX - log2_size)};
    stepper.value = wrap_add(stepper.value, wrap_mul(stepper.step, span.skip));
    return stepper;
}

#ifdef __SSE2__
// A coordinate at eight pixels in a row, one per 16-bit lane: its low 16 bits, which wrap as the
// 32-bit walk's low half does. The texel index reads bits 8 to 15 of both coordinates alone, so
// the lanes give the very texels of the 32-bit walk, and every index (below 2^16) fits a lane.
struct TexLanes {
    __m128i value;
    __m128i step8;
};

TexLanes tex_lanes(const TexelStepper& stepper)
{
    const __m128i ramp = _mm_set_epi16(7, 6, 5, 4, 3, 2, 1, 0);
    return {
        _mm_add_epi16(_mm_set1_epi16(static_cast<int16_t>(stepper.value)),
                      _mm_mullo_epi16(_mm_set1_epi16(static_cast<int16_t>(stepper.step)), ramp)),
        _mm_set1_epi16(static_cast<int16_t>(wrap_mul(stepper.step, RGB555_SSE2_PIXELS)))};
}

// The masks and the shift of the texel index on 16-bit lanes, made once per span.
struct TexIndex8 {
    __m128i v_mask;
    __m128i u_mask;
    __m128i row_shift;
};

TexIndex8 tex_index8(const TexSpanParams& params)
{
    return {_mm_set1_epi16(static_cast<int16_t>(params.span_v_mask)),
            _mm_set1_epi16(static_cast<int16_t>(params.span_u_mask)),
            _mm_cvtsi32_si128(params.span_row_shift)};
}

// The texel indices of the next eight pixels: the word loop's index on 16-bit lanes.
void tex_indices8(TexLanes& u, TexLanes& v, const TexIndex8& index8,
                  uint16_t (&index)[RGB555_SSE2_PIXELS])
{
    const __m128i rows = _mm_srl_epi16(_mm_and_si128(v.value, index8.v_mask), index8.row_shift);
    const __m128i columns = _mm_and_si128(_mm_srli_epi16(u.value, FX8_SHIFT), index8.u_mask);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(index), _mm_add_epi16(rows, columns));
    u.value = _mm_add_epi16(u.value, u.step8);
    v.value = _mm_add_epi16(v.value, v.step8);
}

// The next eight texels in one register, for the operations that combine them with the frame.
__m128i tex_texels8(TexLanes& u, TexLanes& v, const TexIndex8& index8, const Pixel* texels)
{
    alignas(16) uint16_t index[RGB555_SSE2_PIXELS];
    tex_indices8(u, v, index8, index);
    const auto texel = [&](int i) { return static_cast<int16_t>(texels[index[i]]); };
    return _mm_set_epi16(texel(7), texel(6), texel(5), texel(4), texel(3), texel(2), texel(1),
                         texel(0));
}

template <TexBlend BLEND> __m128i tex_combine8(__m128i texels, __m128i frame)
{
    if constexpr (BLEND == TexBlend::ADD)
        return rgb555_add_saturate8(texels, frame);
    else
        return rgb555_blend_half8(texels, frame);
}

// The span eight pixels at a time, the last few through the partial load and store; the lanes
// past the span read texels too, which the masks keep inside the texture.
template <TexBlend BLEND>
void tex_pixels8(Pixel* at, int32_t count, const TexelStepper& u_stepper,
                 const TexelStepper& v_stepper, const TexSpanParams& params)
{
    TexLanes u = tex_lanes(u_stepper);
    TexLanes v = tex_lanes(v_stepper);
    const TexIndex8 index8 = tex_index8(params);
    for (; count > 0; count -= RGB555_SSE2_PIXELS, at += RGB555_SSE2_PIXELS) {
        if constexpr (BLEND == TexBlend::OPAQUE) {
            // The texels go straight from the texture to the frame, no register between.
            alignas(16) uint16_t index[RGB555_SSE2_PIXELS];
            tex_indices8(u, v, index8, index);
            const int32_t pixels = count < RGB555_SSE2_PIXELS ? count : RGB555_SSE2_PIXELS;
            for (int32_t i = 0; i < pixels; ++i)
                at[i] = params.texels[index[i]];
        } else {
            const __m128i texels = tex_texels8(u, v, index8, params.texels);
            if (count >= RGB555_SSE2_PIXELS)
                rgb555_store8(at, tex_combine8<BLEND>(texels, rgb555_load8(at)));
            else
                rgb555_store_partial8(
                    at, tex_combine8<BLEND>(texels, rgb555_load_partial8(at, count)), count);
        }
    }
}
#endif

#ifdef RGB555_AVX2
// The AVX2 path. Spans of at least sixteen pixels are drawn sixteen pixels at a time, and their
// last sixteen as one group, which may overlap the group before it: the overlapped pixels get the
// texels they already have, or the blend with the frame as it was before the span, since that
// group is worked out first. Shorter spans take the SSE2 routines. The lanes compute sixteen
// texel indices at once, but the texels are read one by one: on the AMD EPYC this was measured
// on, two eight-lane gathers took longer than sixteen loads.

// The texel coordinates at sixteen pixels in a row, on 16-bit lanes as in the SSE2 path.
struct TexLanes16 {
    __m256i u;
    __m256i v;
};

// The texel indices of the sixteen pixels.
[[gnu::target("avx2")]] inline __m256i tex_index16(const TexLanes16& lanes,
                                                   const TexSpanParams& params)
{
    const __m256i rows = _mm256_srl_epi16(
        _mm256_and_si256(lanes.v, _mm256_set1_epi16(static_cast<int16_t>(params.span_v_mask))),
        _mm_cvtsi32_si128(params.span_row_shift));
    const __m256i columns =
        _mm256_and_si256(_mm256_srli_epi16(lanes.u, FX8_SHIFT),
                         _mm256_set1_epi16(static_cast<int16_t>(params.span_u_mask)));
    return _mm256_add_epi16(rows, columns);
}

// The texels combined with the frame's pixels at at; nothing is read for the opaque span.
template <TexBlend BLEND>
[[gnu::target("avx2")]] inline __m256i tex_combine16(__m256i texels, const Pixel* at)
{
    if constexpr (BLEND == TexBlend::OPAQUE)
        return texels;
    else if constexpr (BLEND == TexBlend::ADD)
        return rgb555_add_saturate16(texels, rgb555_load16(at));
    else
        return rgb555_blend_half16(texels, rgb555_load16(at));
}

// Sixteen texels to at, combined with the frame's pixels at frame; the opaque span stores its
// texels straight from the texture.
template <TexBlend BLEND>
[[gnu::target("avx2")]] inline void tex_group16(Pixel* at, const TexLanes16& lanes,
                                                const TexSpanParams& params, const Pixel* frame)
{
    alignas(32) uint16_t index[RGB555_AVX2_PIXELS];
    rgb555_store16(index, tex_index16(lanes, params));
    if constexpr (BLEND == TexBlend::OPAQUE) {
        for (int32_t i = 0; i < RGB555_AVX2_PIXELS; ++i)
            at[i] = params.texels[index[i]];
    } else {
        alignas(32) Pixel texels[RGB555_AVX2_PIXELS];
        for (int32_t i = 0; i < RGB555_AVX2_PIXELS; ++i)
            texels[i] = params.texels[index[i]];
        rgb555_store16(at, tex_combine16<BLEND>(rgb555_load16(texels), frame));
    }
}

template <TexBlend BLEND>
[[gnu::target("avx2"), gnu::always_inline]] inline void
tex_pixels16(Pixel* at, int32_t count, const TexelStepper& u, const TexelStepper& v,
             const TexSpanParams& params)
{
    TexLanes16 lanes{rgb555_lanes_ramp16(u.value, u.step), rgb555_lanes_ramp16(v.value, v.step)};
    const TexLanes16 step{
        _mm256_set1_epi16(static_cast<int16_t>(wrap_mul(u.step, RGB555_AVX2_PIXELS))),
        _mm256_set1_epi16(static_cast<int16_t>(wrap_mul(v.step, RGB555_AVX2_PIXELS)))};
    const int32_t last_offset = count - RGB555_AVX2_PIXELS;
    const TexLanes16 last{
        _mm256_add_epi16(lanes.u,
                         _mm256_set1_epi16(static_cast<int16_t>(wrap_mul(u.step, last_offset)))),
        _mm256_add_epi16(lanes.v,
                         _mm256_set1_epi16(static_cast<int16_t>(wrap_mul(v.step, last_offset))))};
    alignas(32) Pixel last_pixels[RGB555_AVX2_PIXELS];
    tex_group16<BLEND>(last_pixels, last, params, at + last_offset);
    Pixel* const end = at + last_offset;
    for (; at < end; at += RGB555_AVX2_PIXELS) {
        tex_group16<BLEND>(at, lanes, params, at);
        lanes.u = _mm256_add_epi16(lanes.u, step.u);
        lanes.v = _mm256_add_epi16(lanes.v, step.v);
    }
    rgb555_store16(end, rgb555_load16(last_pixels));
}
#endif

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
                     const TexSpanParams& params, RasterPath path)
{
    const RasterDivisor count = raster_divisor(span.count);
    TexelStepper u =
        tex_stepper(left.value[TEX_U], right.value[TEX_U], params.log2_width, span, count);
    TexelStepper v =
        tex_stepper(left.value[TEX_V], right.value[TEX_V], params.log2_height, span, count);
#ifdef __SSE2__
    if (path != RasterPath::PORTABLE) {
        tex_pixels8<BLEND>(span.pixels, span.visible, u, v, params);
        return;
    }
#endif
    Pixel* at = span.pixels;
    for (int32_t remaining = span.visible; remaining > 0; --remaining, ++at) {
        const int32_t index = ((v.value & params.span_v_mask) >> params.span_row_shift) +
                              (fx8_floor(u.value) & params.span_u_mask);
        *at = tex_combine<BLEND>(params.texels[index], *at);
        u.value = wrap_add(u.value, u.step);
        v.value = wrap_add(v.value, v.step);
    }
}

#ifdef RGB555_AVX2
// The spans are drawn one behind their set-up, as the gouraud ones are, in the walk's order.
template <TexBlend BLEND> struct TexSpanAvx2 {
    const TexSpanParams* params;
    const Pixel* end; // of the target's buffer
    Pixel* waiting_at = nullptr;
    int32_t waiting_count = 0;
    TexelStepper waiting_u{};
    TexelStepper waiting_v{};

    [[gnu::target("avx2")]] void operator()(const RasterSpan& span, const EdgeSample<2>& left,
                                            const EdgeSample<2>& right)
    {
        if (span.visible < RGB555_AVX2_PIXELS) {
            finish();
            raster_span_tex<BLEND>(span, left, right, *params, RasterPath::SSE2);
            return;
        }
        const RasterDivisor count = raster_divisor(span.count);
        const TexelStepper u =
            tex_stepper(left.value[TEX_U], right.value[TEX_U], params->log2_width, span, count);
        const TexelStepper v =
            tex_stepper(left.value[TEX_V], right.value[TEX_V], params->log2_height, span, count);
        finish();
        waiting_at = span.pixels;
        waiting_count = span.visible;
        waiting_u = u;
        waiting_v = v;
    }

    // Draws the span still waiting, if any.
    [[gnu::target("avx2")]] void finish()
    {
        if (!waiting_count)
            return;
        tex_pixels16<BLEND>(waiting_at, waiting_count, waiting_u, waiting_v, *params);
        waiting_count = 0;
    }
};

// The whole walk compiled for AVX2 and flattened, so that the span routine is inlined into it.
template <TexBlend BLEND>
[[gnu::target("avx2"), gnu::flatten]] void tex_scan_avx2(const RasterTarget& target,
                                                         const TexVertex* polygon, int32_t count,
                                                         const TexSpanParams& params)
{
    TexSpanAvx2<BLEND> spans{&params, raster_target_end(target)};
    raster_scan(target, polygon, count, spans);
    spans.finish();
}
#endif

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
    const RasterPath path = raster_path();
#ifdef RGB555_AVX2
    if (path == RasterPath::AVX2) {
        tex_scan_avx2<BLEND>(target, polygon, clipped, params);
        return;
    }
#endif
    raster_scan(target, polygon, clipped,
                [&params, path](const RasterSpan& span, const EdgeSample<2>& left,
                                const EdgeSample<2>& right) {
                    raster_span_tex<BLEND>(span, left, right, params, path);
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
