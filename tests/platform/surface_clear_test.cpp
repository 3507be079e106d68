// The frame start's clear against the plain clear, every counted pixel set to the colour one by
// one: colours whose bytes repeat (the memset) and colours whose bytes differ (the word loop),
// over a frame of random pixels; the guard row keeps what it held.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/surface.h"
#include "tests/support/text_layers.h"

namespace {

using SurfaceClearTest = TextLayersTest;

TEST_F(SurfaceClearTest, ClearSetsEveryCountedPixelAndLeavesTheGuardRow)
{
    // Red, green, blue: black and 0x0101 and 0x7F7F repeat a byte; the others do not.
    const struct {
        int32_t red, green, blue;
    } colours[] = {{0, 0, 0}, {0, 8, 1}, {31, 27, 31}, {31, 31, 31}, {1, 2, 3}, {16, 0, 0}};
    std::mt19937 rng(462);
    Pixel* pixels = surface_current_pixels();
    const size_t counted = static_cast<size_t>(surface_width()) * surface_height();
    for (const auto& c : colours) {
        for (size_t i = 0; i < counted + surface_width(); ++i)
            pixels[i] = static_cast<Pixel>(rng());
        std::vector<Pixel> expected(pixels, pixels + counted + surface_width());
        const Pixel colour = static_cast<Pixel>((c.red << 10) | (c.green << 5) | c.blue);
        for (size_t i = 0; i < counted; ++i)
            expected[i] = colour;
        surface_set_clear_colour(c.red, c.green, c.blue);
        surface_begin_frame(window, SURFACE_CLEAR);
        surface_present();
        EXPECT_EQ(std::vector<Pixel>(pixels, pixels + counted + surface_width()), expected)
            << "colour " << c.red << "," << c.green << "," << c.blue;
    }
}

} // namespace
