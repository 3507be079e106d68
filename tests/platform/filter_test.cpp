// The frame filters on the current frame buffer after a real start-up on the headless host, each
// selected by its code and checked against its rule worked out pixel by pixel here.
#include "platform/filter.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "host/headless/headless.h"
#include "platform/filter_floor.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "platform/texture.h"
#include "tests/support/generator.h"
#include "tests/support/text_layers.h"

namespace {

using Frame = std::vector<Pixel>;

// The surface of the usual client.
constexpr int32_t W = HEADLESS_CLIENT_WIDTH;
constexpr int32_t H = HEADLESS_CLIENT_HEIGHT - 1;

// f of each channel (red at bit 10, green at 5, blue at 0) of the given pixels.
template <typename F> Pixel per_channel(F f, auto... pixels)
{
    uint32_t out = 0;
    for (const int shift : {10, 5, 0})
        out |= f(((pixels >> shift) & 31)...) << shift;
    return static_cast<Pixel>(out);
}

// Rounds down, then into 0..127: how the floor wraps round its texture.
int32_t wrap_texel(int32_t value, int32_t divisor)
{
    const int32_t floored = value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
    return ((floored % 128) + 128) % 128;
}

// A whole frame buffer, guard row included: the current one unless told.
Frame buffer(int32_t index = surface_current_index())
{
    const Pixel* pixels = surface_slot_pixels(index);
    return Frame(pixels, pixels + surface_width() * (surface_height() + 1));
}

// Arbitrary pixels over the guard row too, bit 15 included unless masked off.
Frame fill(int32_t index, uint32_t seed, Pixel mask = 0xFFFF)
{
    Pixel* pixels = surface_slot_pixels(index);
    for (int32_t i = 0; i < surface_width() * (surface_height() + 1); ++i) {
        seed = seed * 1103515245u + 12345u;
        pixels[i] = static_cast<Pixel>(seed >> 15) & mask;
    }
    return buffer(index);
}

using FilterTest = TextLayersTest;

// Each filter from its own hook, over every pixel above the guard row, which none of them
// touches; its other hook is empty. The noise ORs one draw into each left pixel, advancing the
// generator once a pair; the blur runs twice, upward and in place, so that the pixels below and
// two to the right are not yet done. 9 and -1 (4294967295 taken as unsigned) are past the last
// code and keep the filter before them; 0, last, empties both hooks.
TEST_F(FilterTest, EachCodeRunsItsFilterFromItsHook)
{
    const auto mix = [](uint32_t below, uint32_t self, uint32_t right) {
        return (((below >> 1) + (self >> 1)) >> 1) + (right >> 1);
    };
    const size_t last = size_t(W) * H - 1;
    // Worked by hand: grey of white, black, red 31 and (1, 1, 0).
    const Frame named = {0x7FFF, 0x0000, 0x7C00, 0x0420};
    for (const int32_t code :
         {FILTER_INVERT, FILTER_XOR_SMEAR, FILTER_GREY, FILTER_NOISE, FILTER_BLUR, FILTER_NONE}) {
        fill(0, code);
        // Every 16-bit value, bit 15 included, among the pixels, and the named ones after them.
        for (int32_t i = 0; i < 0x10000 && i < W * H; ++i)
            surface_current_pixels()[i] = static_cast<Pixel>(i);
        std::copy(named.begin(), named.end(), surface_current_pixels() + 0x10000);
        Frame e = buffer();
        TestGenerator draws{0xC0FFEE};
        random_reset(draws.state);
        for (int pass = 0; pass < (code == FILTER_BLUR ? 2 : 1); ++pass) {
            for (size_t i = 0; i <= last; ++i) {
                const uint32_t level = ((e[i] >> 10 & 31) + (e[i] >> 5 & 31) + (e[i] & 31)) / 3;
                if (code == FILTER_INVERT)
                    e[i] = ~e[i];
                if (code == FILTER_XOR_SMEAR && i < last)
                    e[i] ^= e[i + 1];
                if (code == FILTER_GREY)
                    e[i] = static_cast<Pixel>(level * 0x421);
                if (code == FILTER_NOISE && i % 2 == 0)
                    e[i] |= draws.next();
                if (code == FILTER_BLUR)
                    e[i] = per_channel(mix, e[i + W], e[i], e[i + 2]);
            }
        }
        if (code == FILTER_GREY) {
            EXPECT_EQ(Frame(e.begin() + 0x10000, e.begin() + 0x10004),
                      (Frame{0x7FFF, 0, 0x294A, 0}));
        }
        EXPECT_EQ((std::vector{filter_select(code), filter_select(9), filter_select(-1)}),
                  (std::vector{code, 9, -1}));
        const Frame before = buffer();
        filter_run_pre();
        EXPECT_EQ(buffer(), before) << code;
        filter_run_post();
        EXPECT_EQ(buffer(), e) << code;
        EXPECT_EQ(random_state(), draws.state) << code;
    }
}

TEST_F(FilterTest, TrailFirstOnlyTogglesThenAveragesTheTwoBuffers)
{
    // Bit 15 left clear: the average keeps it only where both pixels have it.
    const Frame zero = fill(0, 11, 0x7FFF);
    const Frame one = fill(1, 12, 0x7FFF);
    // Selected twice for after drawing, then for before: one trail, run before drawing only.
    for (const int32_t code : {FILTER_POST_TRAIL, FILTER_POST_TRAIL, FILTER_PRE_TRAIL})
        filter_select(code);
    filter_run_post();
    EXPECT_EQ(surface_current_index(), 0);
    filter_run_pre();
    EXPECT_EQ(surface_current_index(), 1);
    EXPECT_EQ(std::pair(buffer(0), buffer(1)), std::pair(zero, one));
    filter_run_pre();
    Frame expected = one;
    for (int32_t i = 0; i < W * H; ++i)
        expected[i] =
            per_channel([](uint32_t a, uint32_t b) { return (a + b) / 2; }, zero[i], one[i]);
    EXPECT_EQ(std::pair(buffer(0), buffer(1)), std::pair(zero, expected));
    filter_run_pre();
    EXPECT_EQ(surface_current_index(), 0);
}

// Only a 128 x 128 texture makes a floor, over the lower third of the demo's height, of
// one row at H = 3, of none at H = 2.
TEST_F(FilterTest, FloorMapsTheTextureOverTheLowerThird)
{
    filter_select(FILTER_FLOOR);
    const Frame before = fill(0, 9);
    for (const auto& [log2_width, log2_height] :
         {std::pair{6, 6}, std::pair{7, 6}, std::pair{6, 7}, std::pair{8, 7}, std::pair{7, 8}}) {
        ASSERT_EQ(tex_create(log2_width, log2_height), 0);
        filter_run_pre();
        tex_free(0);
    }
    EXPECT_EQ(buffer(), before);
    for (const int32_t height : {H, 2, 3}) {
        start(W, height + 1);
        ASSERT_EQ(tex_create(7, 7), FLOOR_TEXTURE_SLOT);
        Pixel* texels = tex_pixels(FLOOR_TEXTURE_SLOT);
        for (int32_t i = 0; i < 128 * 128; ++i)
            texels[i] = static_cast<Pixel>(i + 1);
        const Frame filled = fill(0, 8);
        Frame expected = filled;
        for (int32_t y = 2 * (height / 3); y < height / 3 * 3; ++y) {
            const int32_t b = 20 + y - 2 * (height / 3);
            const int32_t row = wrap_texel((138 - b) * 32 / (b - 10), 1);
            for (int32_t x = 0; x < W; ++x)
                expected[y * W + x] =
                    texels[row * 128 + wrap_texel(W * 4096 / b + x * (-8192 / b), 256)];
        }
        filter_select(FILTER_FLOOR);
        filter_run_post();
        EXPECT_EQ(buffer(), filled);
        filter_run_pre();
        EXPECT_EQ(buffer(), expected) << "height " << height;
    }
}

} // namespace
