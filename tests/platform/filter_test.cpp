// The frame filters on the current frame buffer after a real start-up on the headless host, each
// against its rule worked out pixel by pixel and channel by channel here.
#include "platform/filter.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/app.h"
#include "host/headless/headless.h"
#include "platform/filter_effects.h"
#include "platform/filter_floor.h"
#include "platform/filter_trail.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "platform/texture.h"
#include "tests/support/generator.h"

namespace {

using Frame = std::vector<Pixel>;
constexpr int RED = 10, GREEN = 5, BLUE = 0;

uint32_t channel(Pixel p, int shift)
{
    return (p >> shift) & 31;
}

Pixel rgb(uint32_t red, uint32_t green, uint32_t blue)
{
    return static_cast<Pixel>((red << RED) | (green << GREEN) | (blue << BLUE));
}

// Applies f to the three channels of the given pixels.
template <typename F> Pixel per_channel(F f, auto... pixels)
{
    return rgb(f(channel(pixels, RED)...), f(channel(pixels, GREEN)...),
               f(channel(pixels, BLUE)...));
}

Pixel average(Pixel a, Pixel b)
{
    return per_channel([](uint32_t x, uint32_t y) { return (x + y) / 2; }, a, b);
}

// Rounds down, then into 0..127: how the floor wraps round its texture.
int32_t wrap_texel(int32_t value, int32_t divisor)
{
    const int32_t floored = value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
    return ((floored % 128) + 128) % 128;
}

class FilterTest : public ::testing::Test {
protected:
    void start(int32_t client_height = HEADLESS_CLIENT_HEIGHT)
    {
        HeadlessConfig config;
        config.client_height = client_height;
        headless_reset(config);
        filter_reset();
        window = app_create_main_window(headless_instance(), APP_CLASS_NAME, APP_TITLE);
        ASSERT_NE(window, nullptr);
        w = surface_width();
        h = surface_height();
    }

    void SetUp() override
    {
        start();
    }

    void TearDown() override
    {
        app_teardown();
        filter_reset();
    }

    // A whole frame buffer, guard row included.
    Frame buffer(int32_t index) const
    {
        const Pixel* pixels = surface_slot_pixels(index);
        return Frame(pixels, pixels + w * (h + 1));
    }

    Frame current() const
    {
        return buffer(surface_current_index());
    }

    // Arbitrary pixels over the guard row too, bit 15 included unless masked off.
    Frame fill(int32_t index, uint32_t seed, Pixel mask = 0xFFFF)
    {
        Pixel* pixels = surface_slot_pixels(index);
        for (int32_t i = 0; i < w * (h + 1); ++i) {
            seed = seed * 1103515245u + 12345u;
            pixels[i] = static_cast<Pixel>(seed >> 15) & mask;
        }
        return buffer(index);
    }

    HostWindow* window = nullptr;
    int32_t w = 0;
    int32_t h = 0;
};

TEST_F(FilterTest, SelectSetsBothHooksAndUnknownCodesChangeNothing)
{
    const Frame before = fill(0, 1);
    EXPECT_EQ(filter_select(FILTER_INVERT), FILTER_INVERT);
    // 9 and -1 (4294967295 taken as unsigned) are past the last code.
    EXPECT_EQ(filter_select(9), 9);
    EXPECT_EQ(filter_select(-1), -1);
    filter_run_pre();
    EXPECT_EQ(current(), before);
    filter_run_post();
    EXPECT_EQ(current()[0], static_cast<Pixel>(~before[0]));

    // Each code's hooks do what its filters do, from the same frame and generator state.
    struct Hooks {
        int32_t code;
        FilterHook pre, post;
    };
    ASSERT_EQ(tex_create(7, 7), FLOOR_TEXTURE_SLOT);
    for (const auto& [code, pre, post] :
         {Hooks{FILTER_XOR_SMEAR, nullptr, filter_xor_smear},
          Hooks{FILTER_GREY, nullptr, filter_grey}, Hooks{FILTER_NOISE, nullptr, filter_noise},
          Hooks{FILTER_BLUR, nullptr, filter_blur}, Hooks{FILTER_FLOOR, filter_floor, nullptr}}) {
        fill(0, code);
        random_reset(code);
        filter_select(code);
        filter_run_pre();
        const Frame after_pre = current();
        filter_run_post();
        const Frame after_post = current();
        fill(0, code);
        random_reset(code);
        for (const auto& [hook, after] :
             {std::pair{pre, &after_pre}, std::pair{post, &after_post}}) {
            if (hook)
                hook();
            EXPECT_EQ(current(), *after) << "code " << code;
        }
    }

    // 6 twice is one post-draw trail; 1 moves it before drawing and empties the post-draw hook.
    const Frame frame = fill(0, 2);
    filter_select(FILTER_POST_TRAIL);
    filter_select(FILTER_POST_TRAIL);
    filter_select(FILTER_PRE_TRAIL);
    filter_run_post();
    EXPECT_EQ(surface_current_index(), 0);
    filter_run_pre();
    EXPECT_EQ(surface_current_index(), 1);
    // 0 empties both hooks.
    filter_select(FILTER_NONE);
    filter_run_pre();
    filter_run_post();
    EXPECT_EQ(surface_current_index(), 1);
    EXPECT_EQ(buffer(0), frame);
}

TEST_F(FilterTest, TrailFirstOnlyTogglesThenAveragesTheTwoBuffers)
{
    // Bit 15 left clear: the average keeps it only where both pixels have it.
    const Frame zero = fill(0, 11, 0x7FFF);
    const Frame one = fill(1, 12, 0x7FFF);
    filter_trail();
    EXPECT_EQ(surface_current_index(), 1);
    EXPECT_EQ(buffer(0), zero);
    EXPECT_EQ(buffer(1), one);

    filter_trail();
    Frame expected = one;
    for (int32_t i = 0; i < w * h; ++i)
        expected[i] = average(zero[i], one[i]);
    EXPECT_EQ(buffer(1), expected);
    EXPECT_EQ(buffer(0), zero);
    filter_trail();
    EXPECT_EQ(surface_current_index(), 0);
}

TEST_F(FilterTest, PostDrawTrailShowsEachImageTwiceAveragedWithTheOneBefore)
{
    const Pixel before = rgb(30, 2, 17);
    std::fill_n(surface_slot_pixels(1), w * (h + 1), before);
    filter_select(FILTER_POST_TRAIL);
    const Pixel clears[] = {rgb(1, 2, 3), rgb(9, 31, 0), rgb(4, 4, 4), rgb(31, 0, 7)};
    const Pixel older = average(before, clears[1]);
    // Frame 1 shows the other buffer, frame 2 its own clear averaged with that, frame 3 the same
    // again, frame 4 its own averaged with it.
    const Pixel shown[] = {before, older, older, average(older, clears[3])};
    for (int frame = 0; frame < 4; ++frame) {
        surface_set_clear_colour(channel(clears[frame], RED), channel(clears[frame], GREEN),
                                 channel(clears[frame], BLUE));
        surface_begin_frame(window, SURFACE_CLEAR);
        filter_run_post();
        surface_present();
        EXPECT_EQ(headless_screen()[0], shown[frame]) << "frame " << frame + 1;
        EXPECT_EQ(headless_screen()[w * h - 1], shown[frame]) << "frame " << frame + 1;
    }
}

// The per-pixel filters over every pixel above the guard row, which none of them touches; the
// noise ORs one draw into each left pixel, advancing the generator once a pair.
TEST_F(FilterTest, PixelFiltersFollowTheirRules)
{
    struct Rule {
        const char* name;
        void (*filter)();
        Pixel (*pixel)(const Frame& f, size_t i, size_t last, TestGenerator& draws);
    };
    const Rule rules[] = {
        {"invert", filter_invert,
         [](const Frame& f, size_t i, size_t, TestGenerator&) {
             return static_cast<Pixel>(~f[i]);
         }},
        {"xor smear", filter_xor_smear,
         [](const Frame& f, size_t i, size_t last, TestGenerator&) {
             return static_cast<Pixel>(i == last ? f[i] : f[i] ^ f[i + 1]);
         }},
        {"grey", filter_grey,
         [](const Frame& f, size_t i, size_t, TestGenerator&) {
             const uint32_t level =
                 (channel(f[i], RED) + channel(f[i], GREEN) + channel(f[i], BLUE)) / 3;
             return rgb(level, level, level);
         }},
        {"noise", filter_noise,
         [](const Frame& f, size_t i, size_t, TestGenerator& draws) {
             return static_cast<Pixel>(i % 2 ? f[i] : f[i] | draws.next());
         }},
    };
    for (const Rule& rule : rules) {
        Frame expected = fill(0, 3);
        // Every 16-bit value, bit 15 included, among the pixels.
        for (int32_t i = 0; i < 0x10000 && i < w * h; ++i)
            surface_current_pixels()[i] = static_cast<Pixel>(i);
        const Frame before = current();
        TestGenerator draws{0xC0FFEE};
        random_reset(draws.state);
        for (size_t i = 0; i < size_t(w) * h; ++i)
            expected[i] = rule.pixel(before, i, size_t(w) * h - 1, draws);
        std::copy(before.begin() + w * h, before.end(), expected.begin() + w * h);
        rule.filter();
        EXPECT_EQ(current(), expected) << rule.name;
        EXPECT_EQ(random_state(), draws.state) << rule.name;
    }
    // Worked by hand: grey of white, black, red 31 and (1, 1, 0).
    const Pixel named[] = {0x7FFF, 0x0000, 0x7C00, rgb(1, 1, 0)};
    std::copy(std::begin(named), std::end(named), surface_current_pixels());
    filter_grey();
    EXPECT_EQ(Frame(surface_current_pixels(), surface_current_pixels() + 4),
              (Frame{0x7FFF, 0, 0x294A, 0}));
}

TEST_F(FilterTest, BlurMatchesTwoPassesPixelByPixelAndLeavesTheGuardRow)
{
    Frame expected = fill(0, 6);
    const auto mix = [](uint32_t below, uint32_t self, uint32_t right) {
        return (((below >> 1) + (self >> 1)) >> 1) + (right >> 1);
    };
    // Upward and in place: the pixels below and two to the right are not yet done.
    for (int pass = 0; pass < 2; ++pass) {
        for (int32_t i = 0; i < w * h; ++i)
            expected[i] = per_channel(mix, expected[i + w], expected[i], expected[i + 2]);
    }
    filter_blur();
    EXPECT_EQ(current(), expected);
}

TEST_F(FilterTest, FloorMapsTheTextureOverTheLowerThird)
{
    // The demo's height; H = 2, too short for a third; H = 3, a floor of one row.
    for (const int32_t client_height : {HEADLESS_CLIENT_HEIGHT, 3, 4}) {
        app_teardown();
        start(client_height);
        ASSERT_EQ(tex_create(7, 7), FLOOR_TEXTURE_SLOT);
        Pixel* texels = tex_pixels(FLOOR_TEXTURE_SLOT);
        for (int32_t i = 0; i < 128 * 128; ++i)
            texels[i] = static_cast<Pixel>(i + 1);
        Frame expected = fill(0, 8);
        const int32_t third = h / 3;
        for (int32_t y = 2 * third; y < 3 * third; ++y) {
            const int32_t b = 20 + y - 2 * third;
            const int32_t row = wrap_texel((138 - b) * 32 / (b - 10), 1);
            for (int32_t x = 0; x < w; ++x)
                expected[y * w + x] =
                    texels[row * 128 + wrap_texel(w * 4096 / b + x * (-8192 / b), 256)];
        }
        filter_floor();
        EXPECT_EQ(current(), expected) << "client height " << client_height;
    }
}

TEST_F(FilterTest, FloorDrawsNothingWithoutA128By128TextureInSlotZero)
{
    const Frame before = fill(0, 9);
    filter_floor();
    for (const auto& [log2_width, log2_height] :
         {std::pair{6, 6}, std::pair{7, 6}, std::pair{6, 7}, std::pair{8, 7}, std::pair{7, 8}}) {
        ASSERT_EQ(tex_create(log2_width, log2_height), 0);
        filter_floor();
        tex_free(0);
    }
    // The right size in slot 1 is no use to the floor.
    ASSERT_EQ(tex_create(0, 0), 0);
    ASSERT_EQ(tex_create(7, 7), 1);
    tex_free(0);
    filter_floor();
    EXPECT_EQ(current(), before);
}

} // namespace
