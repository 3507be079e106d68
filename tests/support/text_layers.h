// A program started on the headless host with the test face, and the text layers it should
// hold, worked out glyph by glyph from the test face's boxes.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "app/app.h"
#include "platform/surface.h"
#include "tests/support/test_face.h"
#include "text/text.h"

constexpr Pixel TEST_WHITE = 0x7FFF;

// A 24-bit colour as the layers hold it: the top five bits of each channel.
constexpr Pixel test_rgb555(uint32_t red, uint32_t green, uint32_t blue)
{
    return static_cast<Pixel>((red >> 3) << 10 | (green >> 3) << 5 | (blue >> 3));
}

struct TestGlyph {
    int32_t pen; // where the character's cell starts
    int32_t top; // the cell's top row
    int32_t advance;
    Pixel colour;
};

// Glyphs side by side from pen x, each advancing by its own width.
inline std::vector<TestGlyph> test_line(int32_t x, int32_t top,
                                        const std::vector<std::pair<int32_t, Pixel>>& characters)
{
    std::vector<TestGlyph> glyphs;
    for (const auto& [advance, colour] : characters) {
        glyphs.push_back({x, top, advance, colour});
        x += advance;
    }
    return glyphs;
}

// A line's measured width: its advances and the one pixel the emboldening hangs over.
inline int32_t test_line_width(const std::vector<std::pair<int32_t, Pixel>>& characters)
{
    int32_t width = 1;
    for (const auto& character : characters)
        width += character.first;
    return width;
}

class TextLayersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HeadlessConfig config;
        config.client_width = client_width;
        config.client_height = client_height;
        headless_reset(config);
        if (use_test_face)
            headless_use_face(test_face());
        window = app_create_main_window(headless_instance(), APP_CLASS_NAME, APP_TITLE);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(headless_error_boxes().empty());
    }

    void TearDown() override
    {
        app_teardown();
    }

    static Pixel* layer(int32_t slot)
    {
        return surface_slot_pixels(slot);
    }

    // Both layers, pixel for pixel, against the boxes of the given glyphs.
    static void expect_layers(const std::vector<TestGlyph>& glyphs)
    {
        const int32_t w = surface_width();
        const int32_t h = surface_height();
        std::vector<Pixel> colour(static_cast<size_t>(w) * h, 0);
        std::vector<Pixel> mask(colour.size(), 0);
        for (const TestGlyph& g : glyphs) {
            for (int32_t y = g.top + TEST_FACE_INK_TOP_ROW;
                 y < g.top + TEST_FACE_INK_TOP_ROW + TEST_FACE_INK_ROWS; ++y) {
                for (int32_t x = g.pen + TEST_FACE_INK_LEFT; x <= g.pen + g.advance - 2; ++x) {
                    if (x < 0 || x >= w || y < 0 || y >= h)
                        continue;
                    colour[static_cast<size_t>(y) * w + x] = g.colour;
                    mask[static_cast<size_t>(y) * w + x] = TEST_WHITE;
                }
            }
        }
        for (size_t i = 0; i < colour.size(); ++i) {
            ASSERT_EQ(layer(text_colour_layer())[i], colour[i])
                << "colour layer at " << i % w << "," << i / w;
            ASSERT_EQ(layer(text_mask_layer())[i], mask[i])
                << "mask layer at " << i % w << "," << i / w;
        }
    }

    int32_t client_width = HEADLESS_CLIENT_WIDTH;
    int32_t client_height = HEADLESS_CLIENT_HEIGHT;
    bool use_test_face = true;
    HostWindow* window = nullptr;
};
