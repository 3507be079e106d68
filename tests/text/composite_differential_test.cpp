// msgwin_composite against the plain composite of tests/support/plain_composite.h: seeded random
// planes and windows of every effect, inside the surface, across its edges and off it, at odd
// positions and widths, over several passes; the frame, the colour layer and the window records
// must come out the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "platform/random.h"
#include "platform/surface.h"
#include "tests/support/generator.h"
#include "tests/support/plain_composite.h"
#include "tests/support/text_layers.h"

namespace {

class CompositeDifferentialTest : public TextLayersTest {
protected:
    static std::vector<Pixel> plane(const Pixel* pixels)
    {
        return std::vector<Pixel>(pixels,
                                  pixels + static_cast<size_t>(surface_width()) * surface_height());
    }

    static void randomise(Pixel* pixels, std::mt19937& rng, bool sparse)
    {
        for (int32_t i = 0; i < surface_width() * surface_height(); ++i)
            pixels[i] = sparse && rng() % 3 ? 0 : static_cast<Pixel>(rng());
    }

    MessageWindow random_window(int32_t index, std::mt19937& rng)
    {
        const auto between = [&](int32_t low, int32_t high) {
            return low + static_cast<int32_t>(rng() % static_cast<uint32_t>(high - low + 1));
        };
        MessageWindow w{};
        w.id = index;
        w.x = between(-80, surface_width() + 20);
        w.y = between(-40, surface_height() + 10);
        w.width = between(0, 120);
        w.height = between(0, 60);
        // Effects 0 to 9 (8 and 9 draw nothing), hidden now and then.
        w.flags = between(0, 9) | (rng() % 10 ? 0 : MSGWIN_HIDDEN);
        w.tint = rng() % 2 ? MSGWIN_TINT_FULL : static_cast<uint32_t>(rng());
        w.counter = between(0, MSGWIN_BLINDS_COUNTER_MAX);
        return w;
    }
};

TEST_F(CompositeDifferentialTest, EveryEffectCompositesThePlainWords)
{
    constexpr int32_t ROUNDS = 60;
    std::mt19937 rng(1206);
    MessageWindow* windows = text_windows();
    for (int32_t round = 0; round < ROUNDS; ++round) {
        randomise(surface_current_pixels(), rng, false);
        randomise(layer(text_colour_layer()), rng, true);
        randomise(layer(text_mask_layer()), rng, true);
        // A few windows at any of the eight indices, the last one included.
        for (int32_t i = 0; i < MSGWIN_COUNT; ++i) {
            windows[i] = random_window(i, rng);
            if (rng() % 3)
                windows[i].id = MSGWIN_FREE;
        }
        // A few passes over the same windows, so that the pass-dependent effects vary.
        for (int32_t pass = 0; pass < 5; ++pass) {
            PlainPlanes expected{plane(surface_current_pixels()), plane(layer(text_colour_layer())),
                                 plane(layer(text_mask_layer())), surface_width() >> 1,
                                 surface_height()};
            std::vector<MessageWindow> records(windows, windows + MSGWIN_COUNT);
            random_reset(static_cast<uint32_t>(rng()));
            uint32_t state = random_state();
            const uint32_t count = msgwin_pass_count() + 1;
            for (MessageWindow& w : records) {
                if (w.id == MSGWIN_FREE || (w.flags & MSGWIN_HIDDEN))
                    continue;
                int32_t draw = 0;
                if ((w.flags & MSGWIN_EFFECT_MASK) == MSGWIN_FX_SHAKE) {
                    TestGenerator generator{state};
                    draw = generator.next();
                    state = generator.state;
                }
                plain::composite_window(expected, w, count, draw);
            }
            msgwin_composite();
            ASSERT_EQ(random_state(), state) << "round " << round;
            ASSERT_EQ(plane(surface_current_pixels()), expected.frame) << "round " << round;
            ASSERT_EQ(plane(layer(text_colour_layer())), expected.colour) << "round " << round;
            for (int32_t i = 0; i < MSGWIN_COUNT; ++i) {
                ASSERT_EQ(windows[i].tint, records[i].tint) << "round " << round << " window " << i;
                ASSERT_EQ(windows[i].counter, records[i].counter) << "round " << round;
            }
        }
    }
}

} // namespace
