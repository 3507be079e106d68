#include "raster/textured.h"

#include "platform/pixel_avx2.h"
#include "platform/pixel_sse2.h"
#include "platform/texture.h"
#include "raster/clip.h"
#include "raster/scan.h"
#include "raster/span_path.h"

namespace {

enum class TexBlend { OPAQUE, ADD, HALF };

// The texels the AVX2 routines read with one load where they can: one group's worth.
constexpr int32_t TEX_RUN_TEXELS = 16;

// What every span of one polygon reads its texels with, set once before its first span.
struct TexSpanParams {
    const Pixel* texels;
    int32_t log2_width;     // E
    int32_t log2_height;    // F
    int32_t span_u_mask;    // 2^E - 1: the texel column
    int32_t span_v_mask;    // (2^F - 1) x 256: the texel row, still in 24.8
    int32_t span_row_shift; // 8 - E: from a 24.8 row to the row's first texel
    int32_t run_starts;     // 2^(E + F) - 15: where a run of sixteen texels can start (0: nowhere)
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

template <TexBlend BLEND> Pixel tex_combine(Pixel texel, Pixel frame)
{
    if constexpr (BLEND == TexBlend::OPAQUE)
        return texel;
    else if constexpr (BLEND == TexBlend::ADD)
        return rgb555_add_saturate(texel, frame);
    else
        return rgb555_blend_half(texel, frame);
}

#ifdef RGB555_AVX2
// The AVX2 path. Spans are drawn sixteen pixels at a time, the last few of a span through a
// masked store, as the gouraud ones are; a span whose last group would reach past the buffer's
// end takes the SSE2 routines. The lanes compute sixteen texel indices at once. Where a group's
// texels lie within sixteen texels in a row of memory they are shuffled out of one load;
// elsewhere they are read one by one, since on the AMD EPYC this was measured on two eight-lane
// gathers took longer than sixteen loads.

// The texel coordinates at sixteen pixels in a row, on 16-bit lanes as in the SSE2 path but
// shifted up so that the bits the index reads, the column's E and the row's F, are each lane's
// top bits: one shift down then brings them out without a mask.
struct TexLanes16 {
    __m256i u;
    __m256i v;
};

// Both coordinates' steppers (lane 0 u, lane 1 v) worked out together: tex_stepper's arithmetic
// on two lanes, the division by raster_divide4.
struct TexSteppers2 {
    __m128i value;
    __m128i step;
};

// The shifts of tex_stepper for both coordinates and of the lanes' index, made once per polygon.
struct TexShifts2 {
    __m128i up;     // E, F: the start scaled up to texels
    __m128i down;   // 8 - E, 8 - F: the step scaled down to texels, and the lanes' scale
    __m128i column; // 16 - E: a u lane's top E bits down to the index's lowest
    __m128i row;    // 16 - E - F: a v lane's top F bits down to just above the column
};

constexpr int32_t TEX_LANE_BITS = 16;

[[gnu::target("avx2")]] inline TexShifts2 tex_shifts2(const TexSpanParams& params)
{
    const int32_t e = params.log2_width;
    const int32_t f = params.log2_height;
    return {_mm_setr_epi32(e, f, 0, 0),
            _mm_setr_epi32(RASTER_TEX_LOG2_MAX - e, RASTER_TEX_LOG2_MAX - f, 0, 0),
            _mm_cvtsi32_si128(TEX_LANE_BITS - e), _mm_cvtsi32_si128(TEX_LANE_BITS - e - f)};
}

[[gnu::target("avx2")]] inline TexSteppers2
tex_steppers2(const RasterSpan& span, const EdgeSample<2>& left, const EdgeSample<2>& right,
              const TexSpanParams& params, const TexShifts2& shifts)
{
    const RasterDivisor count = raster_divisor(span.count);
    if (!count.reciprocal) {
        const TexelStepper u =
            tex_stepper(left.value[TEX_U], right.value[TEX_U], params.log2_width, span, count);
        const TexelStepper v =
            tex_stepper(left.value[TEX_V], right.value[TEX_V], params.log2_height, span, count);
        return {_mm_setr_epi32(u.value, v.value, 0, 0), _mm_setr_epi32(u.step, v.step, 0, 0)};
    }
    const __m128i left2 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(left.value.data()));
    const __m128i right2 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(right.value.data()));
    const __m128i step =
        _mm_srav_epi32(raster_divide4(_mm_sub_epi32(right2, left2), count), shifts.down);
    __m128i value = _mm_srai_epi32(_mm_sllv_epi32(left2, shifts.up), FX8_SHIFT);
    // Only a span that starts left of the target skips pixels, which the clipper makes rare.
    if (span.skip)
        value = _mm_add_epi32(value, _mm_mullo_epi32(step, _mm_set1_epi32(span.skip)));
    return {value, step};
}

// The lanes of both coordinates at a span's first sixteen pixels, and their step to the next
// sixteen: lane i holds the low 16 bits of (value + i x step) x 2^(8 - E) for u (F for v), which
// wrap as the 32-bit walk's do. The scale drops the bits above the column's (row's) alone.
[[gnu::target("avx2")]] inline void tex_lanes16(const TexSteppers2& steppers,
                                                const TexShifts2& shifts, TexLanes16& lanes,
                                                TexLanes16& step)
{
    const __m256i ramp = _mm256_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m128i value = _mm_sllv_epi32(steppers.value, shifts.down);
    const __m128i step2 = _mm_sllv_epi32(steppers.step, shifts.down);
    const __m128i v_value = _mm_srli_si128(value, sizeof(int32_t));
    const __m128i v_step = _mm_srli_si128(step2, sizeof(int32_t));
    const __m256i u_step1 = _mm256_broadcastw_epi16(step2);
    const __m256i v_step1 = _mm256_broadcastw_epi16(v_step);
    lanes = {_mm256_add_epi16(_mm256_broadcastw_epi16(value), _mm256_mullo_epi16(u_step1, ramp)),
             _mm256_add_epi16(_mm256_broadcastw_epi16(v_value), _mm256_mullo_epi16(v_step1, ramp))};
    static_assert(RGB555_AVX2_PIXELS == 1 << 4);
    step = {_mm256_slli_epi16(u_step1, 4), _mm256_slli_epi16(v_step1, 4)};
}

// The texel indices of the sixteen pixels: the row lands above the column with the v lane's lower
// bits below it, which the column mask clears (one ternary logic op with AVX-512 at hand).
[[gnu::target("avx2")]] inline __m256i tex_index16(const TexLanes16& lanes,
                                                   const TexShifts2& shifts, __m256i column_mask)
{
    const __m256i rows = _mm256_srl_epi16(lanes.v, shifts.row);
    const __m256i columns = _mm256_srl_epi16(lanes.u, shifts.column);
    return _mm256_or_si256(_mm256_andnot_si256(column_mask, rows), columns);
}

// The texels combined with the frame's pixels; the opaque span leaves the frame unread, so its load
// goes.
template <TexBlend BLEND>
[[gnu::target("avx2")]] inline __m256i tex_combine16(__m256i texels, __m256i frame)
{
    if constexpr (BLEND == TexBlend::OPAQUE)
        return texels;
    else if constexpr (BLEND == TexBlend::ADD)
        return rgb555_add_saturate16(texels, frame);
    else
        return rgb555_blend_half16(texels, frame);
}

constexpr int32_t TEX_HALF_LANE_MASK = RGB555_AVX2_PIXELS / 2 - 1;
constexpr int32_t TEX_GROUP_LAST = RGB555_AVX2_PIXELS - 1;
static_assert(TEX_RUN_TEXELS == RGB555_AVX2_PIXELS);

// How the texels of a run are shuffled into place: a word permute is one AVX-512 instruction,
// two byte shuffles and a blend its AVX2 stand-in.
enum class TexLookup { SHUFFLE, PERMUTE };

// The sixteen words of table at the offsets in offset (0 to 15, one per 16-bit lane). A byte
// shuffle reaches only its own 128-bit half, so each half of the table is looked up in both
// halves and the offsets past 7 take the upper half's word. The permute is written as assembly
// because the routines around it are written for AVX2 alone: only the walk compiled for AVX-512
// (tex_scan_avx512), which processors without it never run, takes it.
template <TexLookup LOOKUP>
[[gnu::target("avx2")]] inline __m256i tex_lookup16(__m256i table, __m256i offset)
{
    if constexpr (LOOKUP == TexLookup::PERMUTE) {
        __m256i words;
        asm("vpermw %1, %2, %0" : "=x"(words) : "x"(table), "x"(offset));
        return words;
    } else {
        const __m256i low_half = _mm256_permute2x128_si256(table, table, 0x00);
        const __m256i high_half = _mm256_permute2x128_si256(table, table, 0x11);
        // Word w of a half is bytes 2w and 2w + 1.
        const __m256i word = _mm256_and_si256(offset, _mm256_set1_epi16(TEX_HALF_LANE_MASK));
        const __m256i bytes = _mm256_add_epi16(_mm256_mullo_epi16(word, _mm256_set1_epi16(0x0202)),
                                               _mm256_set1_epi16(0x0100));
        return _mm256_blendv_epi8(
            _mm256_shuffle_epi8(low_half, bytes), _mm256_shuffle_epi8(high_half, bytes),
            _mm256_cmpgt_epi16(offset, _mm256_set1_epi16(TEX_HALF_LANE_MASK)));
    }
}

// The group's texels when all sixteen lie within sixteen texels in a row of the texture's
// memory, from back before the first pixel's texel on: the window is read with one load and the
// texels shuffled out of it, where texels read one by one cost a load and a store each. That is
// every group of a texture seen at up to its own size with its rows along the screen's (sprites,
// walls and floors seen straight, glyph quads); back is 15 for a span whose columns fall across
// it, 0 otherwise. Other groups return false and read their texels one by one.
template <TexLookup LOOKUP>
[[gnu::target("avx2")]] inline bool tex_run16(__m256i index, int32_t back,
                                              const TexSpanParams& params, __m256i& texels)
{
    const int32_t start =
        static_cast<uint16_t>(_mm_cvtsi128_si32(_mm256_castsi256_si128(index))) - back;
    const __m256i offset = _mm256_sub_epi16(index, _mm256_set1_epi16(static_cast<int16_t>(start)));
    // Unsigned, a start before the texture's first texel is past its last.
    if (static_cast<uint32_t>(start) >= static_cast<uint32_t>(params.run_starts) ||
        !_mm256_testz_si256(offset, _mm256_set1_epi16(static_cast<int16_t>(-RGB555_AVX2_PIXELS))))
        return false;
    texels = tex_lookup16<LOOKUP>(rgb555_load16(params.texels + start), offset);
    return true;
}

// The texels of a group read one by one, to to.
[[gnu::target("avx2")]] inline void tex_fetch16(Pixel* to, __m256i index, const Pixel* texels)
{
    alignas(32) uint16_t indices[RGB555_AVX2_PIXELS];
    rgb555_store16(indices, index);
    for (int32_t i = 0; i < RGB555_AVX2_PIXELS; ++i)
        to[i] = texels[indices[i]];
}

// Sixteen texels to at, combined with the frame's pixels there; texels read one by one go
// straight from the texture to the frame when nothing is combined with them.
template <TexBlend BLEND, TexLookup LOOKUP>
[[gnu::target("avx2")]] inline void tex_group16(Pixel* at, __m256i index, int32_t back,
                                                const TexSpanParams& params)
{
    __m256i texels;
    if (tex_run16<LOOKUP>(index, back, params, texels)) {
        rgb555_store16(at, tex_combine16<BLEND>(texels, rgb555_load16(at)));
    } else if constexpr (BLEND == TexBlend::OPAQUE) {
        tex_fetch16(at, index, params.texels);
    } else {
        alignas(32) Pixel fetched[RGB555_AVX2_PIXELS];
        tex_fetch16(fetched, index, params.texels);
        rgb555_store16(at, tex_combine16<BLEND>(rgb555_load16(fetched), rgb555_load16(at)));
    }
}

// The first count (1 to 15) pixels of a group; all sixteen lie inside the buffer. The lanes past
// the span take its first pixel's texel, so that only the span's own texels decide whether the
// group is a run: past its end a span's columns may well wrap. Texels read one by one are
// combined one by one: gathered into a register from sixteen narrow stores they would wait for
// those stores to finish.
template <TexBlend BLEND, TexLookup LOOKUP>
[[gnu::target("avx2")]] inline void tex_last_group16(Pixel* at, __m256i index, int32_t back,
                                                     const TexSpanParams& params, int32_t count)
{
    const __m256i run_index = _mm256_blendv_epi8(
        _mm256_broadcastw_epi16(_mm256_castsi256_si128(index)), index, rgb555_lanes_first16(count));
    __m256i texels;
    if (tex_run16<LOOKUP>(run_index, back, params, texels)) {
        const __m256i frame = rgb555_load16(at);
        rgb555_store_first16(at, tex_combine16<BLEND>(texels, frame), frame, count);
        return;
    }
    alignas(32) uint16_t indices[RGB555_AVX2_PIXELS];
    rgb555_store16(indices, index);
    for (int32_t i = 0; i < count; ++i)
        at[i] = tex_combine<BLEND>(params.texels[indices[i]], at[i]);
}

template <TexBlend BLEND, TexLookup LOOKUP>
[[gnu::target("avx2"), gnu::always_inline]] inline void
tex_pixels16(Pixel* at, int32_t count, const TexSteppers2& steppers, const TexSpanParams& polygon,
             const TexShifts2& shifts)
{
    // A copy of its own: the frame's stores could write anywhere for all the compiler knows, so
    // it would read the polygon's fields again after each of them.
    const TexSpanParams params = polygon;
    TexLanes16 lanes;
    TexLanes16 step;
    tex_lanes16(steppers, shifts, lanes, step);
    const __m256i column_mask = _mm256_set1_epi16(static_cast<int16_t>(params.span_u_mask));
    const int32_t back = _mm_cvtsi128_si32(steppers.step) < 0 ? TEX_GROUP_LAST : 0;
    for (;; at += RGB555_AVX2_PIXELS) {
        const __m256i index = tex_index16(lanes, shifts, column_mask);
        if (count < RGB555_AVX2_PIXELS) {
            tex_last_group16<BLEND, LOOKUP>(at, index, back, params, count);
            return;
        }
        tex_group16<BLEND, LOOKUP>(at, index, back, params);
        count -= RGB555_AVX2_PIXELS;
        if (!count)
            return;
        lanes.u = _mm256_add_epi16(lanes.u, step.u);
        lanes.v = _mm256_add_epi16(lanes.v, step.v);
    }
}
#endif

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
template <TexBlend BLEND, TexLookup LOOKUP> struct TexSpanAvx2 {
    const TexSpanParams* params;
    const Pixel* end; // of the target's buffer
    TexShifts2 shifts;
    Pixel* waiting_at = nullptr;
    int32_t waiting_count = 0;
    TexSteppers2 waiting{};

    [[gnu::target("avx2")]] void operator()(const RasterSpan& span, const EdgeSample<2>& left,
                                            const EdgeSample<2>& right)
    {
        if (end - span.pixels < rgb555_reach16(span.visible)) {
            finish();
            raster_span_tex<BLEND>(span, left, right, *params, RasterPath::SSE2);
            return;
        }
        const TexSteppers2 steppers = tex_steppers2(span, left, right, *params, shifts);
        finish();
        waiting_at = span.pixels;
        waiting_count = span.visible;
        waiting = steppers;
    }

    // Draws the span still waiting, if any.
    [[gnu::target("avx2")]] void finish()
    {
        if (!waiting_count)
            return;
        tex_pixels16<BLEND, LOOKUP>(waiting_at, waiting_count, waiting, *params, shifts);
        waiting_count = 0;
    }
};

// The whole walk compiled for AVX2 and flattened, so that the span routine is inlined into it.
template <TexBlend BLEND>
[[gnu::target("avx2"), gnu::flatten]] void tex_scan_avx2(const RasterTarget& target,
                                                         const TexVertex* polygon, int32_t count,
                                                         const TexSpanParams& params)
{
    TexSpanAvx2<BLEND, TexLookup::SHUFFLE> spans{&params, raster_target_end(target),
                                                 tex_shifts2(params)};
    raster_scan(target, polygon, count, spans);
    spans.finish();
}

// The same walk compiled with AVX-512 at hand, as the gouraud one is, and the permute for runs.
template <TexBlend BLEND>
[[gnu::target(RASTER_AVX512_TARGET), gnu::flatten]] void
tex_scan_avx512(const RasterTarget& target, const TexVertex* polygon, int32_t count,
                const TexSpanParams& params)
{
    TexSpanAvx2<BLEND, TexLookup::PERMUTE> spans{&params, raster_target_end(target),
                                                 tex_shifts2(params)};
    raster_scan(target, polygon, count, spans);
    spans.finish();
}
#endif

// The texels a run can start from in a texture of 2^log2_size: none in one smaller than a run.
constexpr int32_t tex_run_starts(int32_t log2_size)
{
    const int32_t size = 1 << log2_size;
    return size < TEX_RUN_TEXELS ? 0 : size - TEX_RUN_TEXELS + 1;
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
                               RASTER_TEX_LOG2_MAX - log2_width,
                               tex_run_starts(log2_width + log2_height)};
    TexVertex polygon[RASTER_CLIP_CAPACITY];
    const int32_t clipped =
        raster_clip_textured(target.bounds, vertices, texcoords, count, polygon);
    const RasterPath path = raster_path();
#ifdef RGB555_AVX2
    if (path == RasterPath::AVX512) {
        tex_scan_avx512<BLEND>(target, polygon, clipped, params);
        return;
    }
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
