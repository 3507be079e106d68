#include "raster/gouraud.h"

#include <type_traits>

#include "platform/pixel_sse2.h"
#include "raster/clip.h"
#include "raster/scan.h"

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

template <GouraudBlend BLEND>
void gouraud_span(const RasterSpan& span, const EdgeSample<GOURAUD_CHANNELS>& left,
                  const EdgeSample<GOURAUD_CHANNELS>& right)
{
    const RasterDivisor count = raster_divisor(span.count);
    ChannelStepper channels[GOURAUD_CHANNELS];
    for (int c = 0; c < GOURAUD_CHANNELS; ++c)
        channels[c] = gouraud_channel<BLEND>(left.value[c], right.value[c], c, span, count);
#ifdef __SSE2__
    if (span.visible > GOURAUD_ONE_BY_ONE_MAX) {
        gouraud_pixels8<BLEND>(span.pixels, span.visible, channels);
        return;
    }
#endif
    gouraud_pixels_one_by_one<BLEND>(span.pixels, span.visible, channels);
}

template <GouraudBlend BLEND>
void raster_gouraud_polygon(const RasterTarget& target, const ScreenVertex* const vertices[],
                            const ColourEntry* const colours[], int32_t count)
{
    if (raster_on_one_row(vertices, count))
        return;
    GouraudVertex polygon[RASTER_CLIP_CAPACITY];
    const int32_t clipped = raster_clip_gouraud(target.bounds, vertices, colours, count, polygon);
    // A lambda rather than the function itself, so that the span is inlined into the walk.
    raster_scan(
        target, polygon, clipped,
        [](const RasterSpan& span, const EdgeSample<GOURAUD_CHANNELS>& left,
           const EdgeSample<GOURAUD_CHANNELS>& right) { gouraud_span<BLEND>(span, left, right); });
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
