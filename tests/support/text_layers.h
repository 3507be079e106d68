// A program started on the headless host with the test face, and the text layers it should
// hold, worked out glyph by glyph from the test face's boxes.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "app/app.h"
#include "platform/filter.h"
#include "platform/surface.h"
#include "tests/support/test_face.h"
#include "text/text.h"

constexpr Pixel TEST_WHITE = 0x7FFF;

struct TestGlyph {
    int32_t pen; // where the character's cell starts
    int32_t top; // the cell's top row
    int32_t advance;
    Pixel colour;
};

// Glyphs side by side from pen x, a letter each: lower case narrow, upper case wide; w white,
// c cyan, m magenta, r red, g green, b blue, t (64, 255, 255) as the layers keep it: the top five
// bits of each channel.
inline void test_line(std::vector<TestGlyph>& glyphs, int32_t x, int32_t top,
                      std::string_view letters)
{
    const Pixel colours[] = {TEST_WHITE, 0x03FF, 0x7C1F, 0x7C00, 0x03E0, 0x001F, 0x23FF};
    for (const char letter : letters) {
        const bool wide = letter >= 'A' && letter <= 'Z';
        const size_t name = std::string_view("wcmrgbt").find(wide ? letter - 'A' + 'a' : letter);
        glyphs.push_back({x, top, wide ? TEST_FACE_WIDE : TEST_FACE_NARROW, colours[name]});
        x += glyphs.back().advance;
    }
}

// The program started on a headless client (512 x 462 unless told), with the test face unless
// use_test_face is cleared; start() starts it again, on a client of any size, expecting that many
// error boxes.
class TextLayersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        start();
    }

    // No frame filter is left selected for the next test.
    void TearDown() override
    {
        app_teardown();
        filter_reset();
    }

    void start(int32_t width = HEADLESS_CLIENT_WIDTH, int32_t height = HEADLESS_CLIENT_HEIGHT,
               size_t boxes = 0)
    {
        TearDown();
        headless_reset({width, height});
        if (use_test_face)
            headless_use_face(test_face());
        window = app_create_main_window(headless_instance(), APP_CLASS_NAME, APP_TITLE);
        ASSERT_NE(window, nullptr);
        ASSERT_EQ(headless_error_boxes().size(), boxes);
    }

    static Pixel* layer(int32_t slot)
    {
        return surface_slot_pixels(slot);
    }

    // Both layers, pixel for pixel, against the boxes of the given glyphs; then cleared.
    static void expect_layers(const std::vector<TestGlyph>& glyphs)
    {
        const int32_t w = surface_width();
        const int32_t h = surface_height();
        std::vector<Pixel> colour(static_cast<size_t>(w) * h, 0);
        for (const TestGlyph& g : glyphs) {
            for (int32_t y = std::max(g.top + TEST_FACE_INK_TOP_ROW, 0);
                 y < std::min(g.top + TEST_FACE_INK_TOP_ROW + TEST_FACE_INK_ROWS, h); ++y) {
                for (int32_t x = std::max(g.pen + TEST_FACE_INK_LEFT, 0);
                     x <= std::min(g.pen + g.advance - 2, w - 1); ++x)
                    colour[static_cast<size_t>(y) * w + x] = g.colour;
            }
        }
        // Every glyph colour is non-zero, so the mask is white exactly where a colour is.
        for (size_t i = 0; i < colour.size(); ++i) {
            const Pixel mask = colour[i] ? TEST_WHITE : 0;
            ASSERT_EQ(layer(text_colour_layer())[i], colour[i])
                << "colour at " << i % w << "," << i / w;
            ASSERT_EQ(layer(text_mask_layer())[i], mask) << "mask at " << i % w << "," << i / w;
        }
        text_clear_rect(0, 0, w, h);
    }

    bool use_test_face = true;
    HostWindow* window = nullptr;
};
