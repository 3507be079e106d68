#include "raster/gouraud.h"

#include <type_traits>

#include "platform/pixel_avx2.h"
#include "platform/pixel_sse2.h"
#include "raster/clip.h"
#include "raster/scan.h"
#include "raster/span_path.h"

namespace {

enum class GouraudBlend { OPAQUE, ADD };

constexpr int GOURAUD_CHANNELS = 3;
// Spans this short are drawn a pixel at a time: setting up the lanes would cost more.
constexpr int32_t GOURAUD_ONE_BY_ONE_MAX = 3;

// A colour channel across a span: its accumulator at the first visible pixel and its step.
struct ChannelStepper {
    int32_t value;
    int32_t step;
};

// Opaque spans step each channel at 128 times its value (8.7): the 24.8 ends halved before their
// difference is divided, so that the colour fits the pixel packing without a per-pixel shift.
// Additive spans place each channel's eight integer bits where a mask picks its top four.
template <GouraudBlend BLEND>
ChannelStepper gouraud_channel(int32_t left, int32_t right, int channel, const RasterSpan& span,
                               const RasterDivisor& count)
{
    ChannelStepper stepper;
    if constexpr (BLEND == GouraudBlend::OPAQUE) {
        stepper = {left >> 1, raster_divide(wrap_sub(right, left) >> 1, count)};
    } else {
        constexpr int place[GOURAUD_CHANNELS] = {RGB8_PLACED_RED_LOW - FX8_SHIFT,
                                                 RGB8_PLACED_GREEN_LOW - FX8_SHIFT,
                                                 RGB8_PLACED_BLUE_LOW - FX8_SHIFT};
        stepper = {wrap_shl(left, place[channel]),
                   raster_divide(wrap_shl(wrap_sub(right, left), place[channel]), count)};
    }
    stepper.value = wrap_add(stepper.value, wrap_mul(stepper.step, span.skip));
    return stepper;
}

// The colour of the current pixel, after which every channel steps on.
template <GouraudBlend BLEND>
Pixel gouraud_next_colour(ChannelStepper (&channels)[GOURAUD_CHANNELS])
{
    const uint32_t red = static_cast<uint32_t>(channels[GOURAUD_RED].value);
    const uint32_t green = static_cast<uint32_t>(channels[GOURAUD_GREEN].value);
    const uint32_t blue = static_cast<uint32_t>(channels[GOURAUD_BLUE].value);
    for (ChannelStepper& channel : channels)
        channel.value = wrap_add(channel.value, channel.step);
    if constexpr (BLEND == GouraudBlend::OPAQUE)
        return rgb555_from_rgb8_fx7(red, green, blue);
    return rgb555_from_placed_rgb8_top4(red, green, blue);
}

// The pixels one at a time; the additive span two per 32-bit access while two remain.
template <GouraudBlend BLEND>
void gouraud_pixels_one_by_one(Pixel* at, int32_t count,
                               ChannelStepper (&channels)[GOURAUD_CHANNELS])
{
    if constexpr (BLEND == GouraudBlend::OPAQUE) {
        for (; count > 0; --count)
            *at++ = gouraud_next_colour<BLEND>(channels);
    } else {
        for (; count >= 2; count -= 2, at += 2) {
            const Pixel first = gouraud_next_colour<BLEND>(channels);
            const Pixel second = gouraud_next_colour<BLEND>(channels);
            rgb555_store_pair(at, rgb555_add_saturate_pair(rgb555_join_pair(first, second),
                                                           rgb555_load_pair(at)));
        }
        if (count)
            *at = rgb555_add_saturate(gouraud_next_colour<BLEND>(channels), *at);
    }
}

#ifdef __SSE2__
// A channel at eight pixels in a row, one per 16-bit lane: its low 16 bits, which wrap as the
// 32-bit accumulator's low half does. The opaque packing reads bits 10 to 14 of each channel
// alone, so these lanes give the very pixels of the 32-bit walk.
struct GouraudLanes16 {
    __m128i value;
    __m128i step8;
};

GouraudLanes16 gouraud_lanes16(const ChannelStepper& channel)
{
    const __m128i ramp = _mm_set_epi16(7, 6, 5, 4, 3, 2, 1, 0);
    return {
        _mm_add_epi16(_mm_set1_epi16(static_cast<int16_t>(channel.value)),
                      _mm_mullo_epi16(_mm_set1_epi16(static_cast<int16_t>(channel.step)), ramp)),
        _mm_set1_epi16(static_cast<int16_t>(wrap_mul(channel.step, RGB555_SSE2_PIXELS)))};
}

// rgb555_from_rgb8_fx7 on eight pixels; the channels step on by eight.
__m128i gouraud_opaque8(GouraudLanes16 (&lanes)[GOURAUD_CHANNELS])
{
    const __m128i field = _mm_set1_epi16(RGB555_CHANNEL_MAX << (2 * RGB555_CHANNEL_BITS));
    const __m128i pixels =
        _mm_or_si128(_mm_and_si128(lanes[GOURAUD_RED].value, field),
                     _mm_or_si128(_mm_srli_epi16(_mm_and_si128(lanes[GOURAUD_GREEN].value, field),
                                                 RGB555_CHANNEL_BITS),
                                  _mm_srli_epi16(_mm_and_si128(lanes[GOURAUD_BLUE].value, field),
                                                 2 * RGB555_CHANNEL_BITS)));
    for (GouraudLanes16& channel : lanes)
        channel.value = _mm_add_epi16(channel.value, channel.step8);
    return pixels;
}

// A placed channel at four pixels in a row, one per 32-bit lane, and its step over four.
struct GouraudLanes32 {
    __m128i value;
    __m128i step4;
};

GouraudLanes32 gouraud_lanes32(const ChannelStepper& channel)
{
    const auto at = [&](int32_t i) { return wrap_add(channel.value, wrap_mul(channel.step, i)); };
    return {_mm_set_epi32(at(3), at(2), at(1), at(0)),
            _mm_set1_epi32(wrap_mul(channel.step, RGB555_SSE2_WORDS))};
}

// rgb555_from_placed_rgb8_top4 on four pixels, one per 32-bit lane; the channels step on by four.
__m128i gouraud_placed4(GouraudLanes32 (&lanes)[GOURAUD_CHANNELS])
{
    const __m128i colour = _mm_srli_epi32(
        _mm_or_si128(
            _mm_and_si128(lanes[GOURAUD_RED].value, _mm_set1_epi32(RGB8_PLACED_RED_TOP4)),
            _mm_or_si128(
                _mm_and_si128(lanes[GOURAUD_GREEN].value, _mm_set1_epi32(RGB8_PLACED_GREEN_TOP4)),
                _mm_and_si128(lanes[GOURAUD_BLUE].value, _mm_set1_epi32(RGB8_PLACED_BLUE_TOP4)))),
        RGB8_PLACED_TO_RGB555_SHIFT);
    for (GouraudLanes32& channel : lanes)
        channel.value = _mm_add_epi32(channel.value, channel.step4);
    return colour;
}

// The colours of the next eight pixels of either kind of span. Each placed colour is at most
// 0x7FFE, so the signed saturating pack to 16 bits keeps it exactly.
template <GouraudBlend BLEND, typename Lanes> __m128i gouraud_colours8(Lanes& lanes)
{
    if constexpr (BLEND == GouraudBlend::OPAQUE) {
        return gouraud_opaque8(lanes);
    } else {
        const __m128i left = gouraud_placed4(lanes);
        return _mm_packs_epi32(left, gouraud_placed4(lanes));
    }
}

// The whole span eight pixels at a time, the last few of them through the partial load and store.
template <GouraudBlend BLEND>
void gouraud_pixels8(Pixel* at, int32_t count, const ChannelStepper (&channels)[GOURAUD_CHANNELS])
{
    using Lanes = std::conditional_t<BLEND == GouraudBlend::OPAQUE, GouraudLanes16, GouraudLanes32>;
    Lanes lanes[GOURAUD_CHANNELS];
    for (int c = 0; c < GOURAUD_CHANNELS; ++c) {
        if constexpr (BLEND == GouraudBlend::OPAQUE)
            lanes[c] = gouraud_lanes16(channels[c]);
        else
            lanes[c] = gouraud_lanes32(channels[c]);
    }
    // One place computes the colours, for the whole groups and the last one alike, so that it is
    // inlined once.
    for (; count > 0; count -= RGB555_SSE2_PIXELS, at += RGB555_SSE2_PIXELS) {
        const __m128i colours = gouraud_colours8<BLEND>(lanes);
        const bool whole = count >= RGB555_SSE2_PIXELS;
        if constexpr (BLEND == GouraudBlend::OPAQUE) {
            if (whole)
                rgb555_store8(at, colours);
            else
                rgb555_store_partial8(at, colours, count);
        } else if (whole) {
            rgb555_store8(at, rgb555_add_saturate8(colours, rgb555_load8(at)));
        } else {
            rgb555_store_partial8(
                at, rgb555_add_saturate8(colours, rgb555_load_partial8(at, count)), count);
        }
    }
}
#endif

// The span's channels at its first visible pixel.
template <GouraudBlend BLEND>
[[gnu::always_inline]] inline void gouraud_channels(const RasterSpan& span,
                                                    const EdgeSample<GOURAUD_CHANNELS>& left,
                                                    const EdgeSample<GOURAUD_CHANNELS>& right,
                                                    ChannelStepper (&channels)[GOURAUD_CHANNELS])
{
    const RasterDivisor count = raster_divisor(span.count);
    for (int c = 0; c < GOURAUD_CHANNELS; ++c)
        channels[c] = gouraud_channel<BLEND>(left.value[c], right.value[c], c, span, count);
}

// The span on the portable or the SSE2 path.
template <GouraudBlend BLEND>
void gouraud_span(const RasterSpan& span, const EdgeSample<GOURAUD_CHANNELS>& left,
                  const EdgeSample<GOURAUD_CHANNELS>& right, RasterPath path)
{
    ChannelStepper channels[GOURAUD_CHANNELS];
    gouraud_channels<BLEND>(span, left, right, channels);
#ifdef __SSE2__
    if (path != RasterPath::PORTABLE && span.visible > GOURAUD_ONE_BY_ONE_MAX) {
        gouraud_pixels8<BLEND>(span.pixels, span.visible, channels);
        return;
    }
#endif
    gouraud_pixels_one_by_one<BLEND>(span.pixels, span.visible, channels);
}

#ifdef RGB555_AVX2
// The AVX2 path. A span's three channels are set up together, in lanes 1 to 3 of one register
// (lane 0 holds x, which takes no part), by the arithmetic of gouraud_channel. The span is drawn
// sixteen pixels at a time, the last group through a mask that writes the pixels past the span
// back as they were; a span whose last group would reach past the buffer takes the SSE2 routines.
static_assert(sizeof(EdgeSample<GOURAUD_CHANNELS>) == 4 * sizeof(int32_t));
constexpr int GOURAUD_LANE0 = 1; // the lane of the first channel

struct GouraudChannels4 {
    __m128i value; // at the first visible pixel
    __m128i step;
};

template <GouraudBlend BLEND>
[[gnu::target("avx2"), gnu::always_inline]] inline GouraudChannels4
gouraud_channels4(const RasterSpan& span, const EdgeSample<GOURAUD_CHANNELS>& left,
                  const EdgeSample<GOURAUD_CHANNELS>& right)
{
    const RasterDivisor count = raster_divisor(span.count);
    if (!count.reciprocal) {
        ChannelStepper channels[GOURAUD_CHANNELS];
        gouraud_channels<BLEND>(span, left, right, channels);
        return {_mm_setr_epi32(0, channels[0].value, channels[1].value, channels[2].value),
                _mm_setr_epi32(0, channels[0].step, channels[1].step, channels[2].step)};
    }
    const __m128i left4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&left));
    const __m128i difference =
        _mm_sub_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&right)), left4);
    __m128i start;
    __m128i step;
    if constexpr (BLEND == GouraudBlend::OPAQUE) {
        start = _mm_srai_epi32(left4, 1);
        step = raster_divide4(_mm_srai_epi32(difference, 1), count);
    } else {
        const __m128i place =
            _mm_setr_epi32(0, RGB8_PLACED_RED_LOW - FX8_SHIFT, RGB8_PLACED_GREEN_LOW - FX8_SHIFT,
                           RGB8_PLACED_BLUE_LOW - FX8_SHIFT);
        start = _mm_sllv_epi32(left4, place);
        step = raster_divide4(_mm_sllv_epi32(difference, place), count);
    }
    // Only a span that starts left of the target skips pixels, which the clipper makes rare.
    if (span.skip)
        start = _mm_add_epi32(start, _mm_mullo_epi32(step, _mm_set1_epi32(span.skip)));
    return {start, step};
}

// Lane lane of four in every 32-bit lane.
[[gnu::target("avx2")]] inline __m256i gouraud_broadcast(__m128i four, int lane)
{
    return _mm256_permutevar8x32_epi32(_mm256_castsi128_si256(four), _mm256_set1_epi32(lane));
}

// The same on 16-bit lanes: the low half of lane lane in every 16-bit lane.
[[gnu::target("avx2")]] inline __m256i gouraud_broadcast16(__m128i four, int lane)
{
    return _mm256_broadcastw_epi16(_mm256_castsi256_si128(gouraud_broadcast(four, lane)));
}

// rgb555_from_rgb8_fx7 on sixteen pixels, the channels' low 16 bits one per lane, which is all
// of them that the packing reads.
[[gnu::target("avx2")]] inline __m256i gouraud_opaque16(const __m256i (&value)[GOURAUD_CHANNELS])
{
    const __m256i field = _mm256_set1_epi16(RGB555_CHANNEL_MAX << (2 * RGB555_CHANNEL_BITS));
    const __m256i green = _mm256_and_si256(value[GOURAUD_GREEN], field);
    const __m256i blue = _mm256_and_si256(value[GOURAUD_BLUE], field);
    return _mm256_or_si256(_mm256_and_si256(value[GOURAUD_RED], field),
                           _mm256_or_si256(_mm256_srli_epi16(green, RGB555_CHANNEL_BITS),
                                           _mm256_srli_epi16(blue, 2 * RGB555_CHANNEL_BITS)));
}

[[gnu::target("avx2"), gnu::always_inline]] inline void
gouraud_opaque_avx2(Pixel* at, int32_t count, const GouraudChannels4& channels)
{
    const __m256i ramp = _mm256_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    __m256i value[GOURAUD_CHANNELS];
    __m256i step[GOURAUD_CHANNELS];
    for (int c = 0; c < GOURAUD_CHANNELS; ++c) {
        const __m256i step1 = gouraud_broadcast16(channels.step, GOURAUD_LANE0 + c);
        value[c] = _mm256_add_epi16(gouraud_broadcast16(channels.value, GOURAUD_LANE0 + c),
                                    _mm256_mullo_epi16(step1, ramp));
        step[c] = _mm256_slli_epi16(step1, 4);
    }
    static_assert(RGB555_AVX2_PIXELS == 1 << 4);
    for (;; at += RGB555_AVX2_PIXELS) {
        const __m256i colours = gouraud_opaque16(value);
        if (count < RGB555_AVX2_PIXELS) {
            rgb555_store_first16(at, colours, rgb555_load16(at), count);
            return;
        }
        rgb555_store16(at, colours);
        count -= RGB555_AVX2_PIXELS;
        if (!count)
            return;
        for (int c = 0; c < GOURAUD_CHANNELS; ++c)
            value[c] = _mm256_add_epi16(value[c], step[c]);
    }
}

// A placed channel at sixteen pixels in a row, in 32-bit lanes: the even pixels' in one register,
// the odd ones' in the other, so that each word of the frame meets one lane of each.
struct GouraudPlaced16 {
    __m256i even;
    __m256i odd;
};

// rgb555_from_placed_rgb8_top4 of one lane of each channel; the colour is in the lane's high half.
[[gnu::target("avx2")]] inline __m256i gouraud_placed_high16(__m256i red, __m256i green,
                                                             __m256i blue)
{
    return _mm256_or_si256(
        _mm256_and_si256(red, _mm256_set1_epi32(RGB8_PLACED_RED_TOP4)),
        _mm256_or_si256(_mm256_and_si256(green, _mm256_set1_epi32(RGB8_PLACED_GREEN_TOP4)),
                        _mm256_and_si256(blue, _mm256_set1_epi32(RGB8_PLACED_BLUE_TOP4))));
}

// The sums of sixteen pixels with their source colours: every even pixel's colour shifted down
// into the low half of its word, beside the odd pixel's in the high half.
[[gnu::target("avx2")]] inline __m256i
gouraud_add16(const GouraudPlaced16 (&lanes)[GOURAUD_CHANNELS], __m256i frame)
{
    const __m256i even = gouraud_placed_high16(lanes[GOURAUD_RED].even, lanes[GOURAUD_GREEN].even,
                                               lanes[GOURAUD_BLUE].even);
    const __m256i odd = gouraud_placed_high16(lanes[GOURAUD_RED].odd, lanes[GOURAUD_GREEN].odd,
                                              lanes[GOURAUD_BLUE].odd);
    return rgb555_add_saturate16_even(
        _mm256_or_si256(_mm256_srli_epi32(even, RGB8_PLACED_TO_RGB555_SHIFT), odd), frame);
}

[[gnu::target("avx2"), gnu::always_inline]] inline void
gouraud_add_avx2(Pixel* at, int32_t count, const GouraudChannels4& channels)
{
    const __m256i ramp = _mm256_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14);
    GouraudPlaced16 lanes[GOURAUD_CHANNELS];
    __m256i step[GOURAUD_CHANNELS];
    for (int c = 0; c < GOURAUD_CHANNELS; ++c) {
        const __m256i step1 = gouraud_broadcast(channels.step, GOURAUD_LANE0 + c);
        const __m256i even = _mm256_add_epi32(gouraud_broadcast(channels.value, GOURAUD_LANE0 + c),
                                              _mm256_mullo_epi32(step1, ramp));
        lanes[c] = {even, _mm256_add_epi32(even, step1)};
        step[c] = _mm256_slli_epi32(step1, 4);
    }
    for (;; at += RGB555_AVX2_PIXELS) {
        const __m256i frame = rgb555_load16(at);
        const __m256i sums = gouraud_add16(lanes, frame);
        if (count < RGB555_AVX2_PIXELS) {
            rgb555_store_first16(at, sums, frame, count);
            return;
        }
        rgb555_store16(at, sums);
        count -= RGB555_AVX2_PIXELS;
        if (!count)
            return;
        for (int c = 0; c < GOURAUD_CHANNELS; ++c) {
            lanes[c].even = _mm256_add_epi32(lanes[c].even, step[c]);
            lanes[c].odd = _mm256_add_epi32(lanes[c].odd, step[c]);
        }
    }
}

// The spans are drawn one behind: each span's channels are set up before the span before it is
// drawn, so that the divisions' long chain of dependent steps overlaps that drawing instead of
// waiting behind the branch that ends it. The spans are still drawn in the walk's order.
template <GouraudBlend BLEND> struct GouraudSpanAvx2 {
    const Pixel* end; // of the target's buffer
    Pixel* waiting_at = nullptr;
    int32_t waiting_count = 0;
    GouraudChannels4 waiting{};

    [[gnu::target("avx2")]] void operator()(const RasterSpan& span,
                                            const EdgeSample<GOURAUD_CHANNELS>& left,
                                            const EdgeSample<GOURAUD_CHANNELS>& right)
    {
        if (end - span.pixels < rgb555_reach16(span.visible)) {
            finish();
            gouraud_span<BLEND>(span, left, right, RasterPath::SSE2);
            return;
        }
        const GouraudChannels4 channels = gouraud_channels4<BLEND>(span, left, right);
        finish();
        waiting_at = span.pixels;
        waiting_count = span.visible;
        waiting = channels;
    }

    // Draws the span still waiting, if any.
    [[gnu::target("avx2")]] void finish()
    {
        if (!waiting_count)
            return;
        if constexpr (BLEND == GouraudBlend::OPAQUE)
            gouraud_opaque_avx2(waiting_at, waiting_count, waiting);
        else
            gouraud_add_avx2(waiting_at, waiting_count, waiting);
        waiting_count = 0;
    }
};

// The whole walk compiled for AVX2 and flattened, so that the span routine is inlined into it.
template <GouraudBlend BLEND>
[[gnu::target("avx2"), gnu::flatten]] void
gouraud_scan_avx2(const RasterTarget& target, const GouraudVertex* polygon, int32_t count)
{
    GouraudSpanAvx2<BLEND> spans{raster_target_end(target)};
    raster_scan(target, polygon, count, spans);
    spans.finish();
}

// The same walk compiled with AVX-512 at hand: the very instructions of the AVX2 routines, but
// with twice the registers to keep the channels and steps in, and masks for the last group.
template <GouraudBlend BLEND>
[[gnu::target(RASTER_AVX512_TARGET), gnu::flatten]] void
gouraud_scan_avx512(const RasterTarget& target, const GouraudVertex* polygon, int32_t count)
{
    GouraudSpanAvx2<BLEND> spans{raster_target_end(target)};
    raster_scan(target, polygon, count, spans);
    spans.finish();
}
#endif

template <GouraudBlend BLEND>
void raster_gouraud_polygon(const RasterTarget& target, const ScreenVertex* const vertices[],
                            const ColourEntry* const colours[], int32_t count)
{
    if (raster_on_one_row(vertices, count))
        return;
    GouraudVertex polygon[RASTER_CLIP_CAPACITY];
    const int32_t clipped = raster_clip_gouraud(target.bounds, vertices, colours, count, polygon);
    const RasterPath path = raster_path();
#ifdef RGB555_AVX2
    if (path == RasterPath::AVX512) {
        gouraud_scan_avx512<BLEND>(target, polygon, clipped);
        return;
    }
    if (raster_path_avx2(path)) {
        gouraud_scan_avx2<BLEND>(target, polygon, clipped);
        return;
    }
#endif
    // A lambda rather than the function itself, so that the span is inlined into the walk.
    raster_scan(target, polygon, clipped,
                [path](const RasterSpan& span, const EdgeSample<GOURAUD_CHANNELS>& left,
                       const EdgeSample<GOURAUD_CHANNELS>& right) {
                    gouraud_span<BLEND>(span, left, right, path);
                });
}

} // namespace

void raster_gouraud_tri(const RasterTarget& target, const ScreenVertex& v0, const ScreenVertex& v1,
                        const ScreenVertex& v2, const ColourEntry& c0, const ColourEntry& c1,
                        const ColourEntry& c2)
{
    const ScreenVertex* const vertices[] = {&v0, &v1, &v2};
    const ColourEntry* const colours[] = {&c0, &c1, &c2};
    raster_gouraud_polygon<GouraudBlend::OPAQUE>(target, vertices, colours, 3);
}

void raster_gouraud_quad(const RasterTarget& target, const ScreenVertex& v0, const ScreenVertex& v1,
                         const ScreenVertex& v2, const ScreenVertex& v3, const ColourEntry& c0,
                         const ColourEntry& c1, const ColourEntry& c2, const ColourEntry& c3)
{
    const ScreenVertex* const vertices[] = {&v0, &v1, &v2, &v3};
    const ColourEntry* const colours[] = {&c0, &c1, &c2, &c3};
    raster_gouraud_polygon<GouraudBlend::OPAQUE>(target, vertices, colours, 4);
}

void raster_gouraud_add_tri(const RasterTarget& target, const ScreenVertex& v0,
                            const ScreenVertex& v1, const ScreenVertex& v2, const ColourEntry& c0,
                            const ColourEntry& c1, const ColourEntry& c2)
{
    const ScreenVertex* const vertices[] = {&v0, &v1, &v2};
    const ColourEntry* const colours[] = {&c0, &c1, &c2};
    raster_gouraud_polygon<GouraudBlend::ADD>(target, vertices, colours, 3);
}

void raster_gouraud_add_quad(const RasterTarget& target, const ScreenVertex& v0,
                             const ScreenVertex& v1, const ScreenVertex& v2, const ScreenVertex& v3,
                             const ColourEntry& c0, const ColourEntry& c1, const ColourEntry& c2,
                             const ColourEntry& c3)
{
    const ScreenVertex* const vertices[] = {&v0, &v1, &v2, &v3};
    const ColourEntry* const colours[] = {&c0, &c1, &c2, &c3};
    raster_gouraud_polygon<GouraudBlend::ADD>(target, vertices, colours, 4);
}
