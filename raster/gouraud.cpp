#include "raster/gouraud.h"

#include "raster/clip.h"
#include "raster/scan.h"

namespace {

enum class GouraudBlend { OPAQUE, ADD };

constexpr int GOURAUD_CHANNELS = 3;

// A colour channel across a span: its accumulator at the first visible pixel and its step.
struct ChannelStepper {
    int32_t value;
    int32_t step;
};

// Opaque spans step each channel at 128 times its value (8.7): the 24.8 ends halved before their
// difference is divided, so that the colour fits the pixel packing without a per-pixel shift.
// Additive spans place each channel's eight integer bits where a mask picks its top four.
template <GouraudBlend BLEND>
ChannelStepper gouraud_channel(int32_t left, int32_t right, int channel, const RasterSpan& span)
{
    ChannelStepper stepper;
    if constexpr (BLEND == GouraudBlend::OPAQUE) {
        stepper = {left >> 1, wrap_div(wrap_sub(right, left) >> 1, span.count)};
    } else {
        constexpr int place[GOURAUD_CHANNELS] = {RGB8_PLACED_RED_LOW - FX8_SHIFT,
                                                 RGB8_PLACED_GREEN_LOW - FX8_SHIFT,
                                                 RGB8_PLACED_BLUE_LOW - FX8_SHIFT};
        stepper = {wrap_shl(left, place[channel]),
                   wrap_div(wrap_shl(wrap_sub(right, left), place[channel]), span.count)};
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

template <GouraudBlend BLEND>
void gouraud_span(const RasterSpan& span, const EdgeSample<GOURAUD_CHANNELS>& left,
                  const EdgeSample<GOURAUD_CHANNELS>& right)
{
    ChannelStepper channels[GOURAUD_CHANNELS];
    for (int c = 0; c < GOURAUD_CHANNELS; ++c)
        channels[c] = gouraud_channel<BLEND>(left.value[c], right.value[c], c, span);
    Pixel* at = span.pixels;
    int32_t remaining = span.visible;
    if constexpr (BLEND == GouraudBlend::OPAQUE) {
        for (; remaining > 0; --remaining)
            *at++ = gouraud_next_colour<BLEND>(channels);
    } else {
        // Two pixels per 32-bit access while two remain; the odd last one alone.
        for (; remaining >= 2; remaining -= 2, at += 2) {
            const Pixel first = gouraud_next_colour<BLEND>(channels);
            const Pixel second = gouraud_next_colour<BLEND>(channels);
            rgb555_store_pair(at, rgb555_add_saturate_pair(rgb555_join_pair(first, second),
                                                           rgb555_load_pair(at)));
        }
        if (remaining)
            *at = rgb555_add_saturate(gouraud_next_colour<BLEND>(channels), *at);
    }
}

template <GouraudBlend BLEND>
void raster_gouraud_polygon(const RasterTarget& target, const ScreenVertex* const vertices[],
                            const ColourEntry* const colours[], int32_t count)
{
    if (raster_on_one_row(vertices, count))
        return;
    GouraudVertex polygon[RASTER_CLIP_CAPACITY];
    const int32_t clipped = raster_clip_gouraud(target.bounds, vertices, colours, count, polygon);
    raster_scan(target, polygon, clipped, gouraud_span<BLEND>);
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
