// The text system's start-up and its line primitives, with the test face.
#include "text/text.h"

#include <string>

#include "tests/support/text_layers.h"

namespace {

constexpr int32_t N = TEST_FACE_NARROW;
constexpr int32_t F = TEST_FACE_WIDE;

using TextTest = TextLayersTest;

TEST_F(TextTest, ColourPassLandsOnTheMaskPassGlyphForGlyph)
{
    // Mixed widths: each character of the colour pass starts at the previous one's measured
    // width less one, which is exactly its advance.
    const char line[] = "A\x82\xa0"
                        "B";
    const TextColour colours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF};
    EXPECT_EQ(text_draw_coloured(30, 40, line, colours), 0);
    expect_layers(test_line(30, 40,
                            {{N, test_rgb555(255, 0, 0)},
                             {F, test_rgb555(0, 0, 255)}, // the colour of the second byte
                             {N, TEST_WHITE}}));

    // An empty line draws nothing.
    text_clear_rect(0, 0, surface_width(), surface_height());
    EXPECT_EQ(text_draw_coloured(30, 40, "", colours), 0);
    expect_layers({});
}

TEST_F(TextTest, LinesAreDrawnAtTheirWindowAndCentred)
{
    MessageWindow& window = text_windows()[0];
    window.x = 100;
    window.y = 200;
    const TextColour white[] = {TEXT_WHITE};
    EXPECT_EQ(text_draw_line(0, 5, 6, "A", white), 0);
    expect_layers(test_line(105, 206, {{N, TEST_WHITE}}));

    // Without colours only the mask is drawn.
    text_clear_rect(0, 0, surface_width(), surface_height());
    EXPECT_EQ(text_draw_line(0, 0, 0, "A", nullptr), 0);
    EXPECT_EQ(layer(text_mask_layer())[204 * surface_width() + 102], TEST_WHITE);
    EXPECT_EQ(layer(text_colour_layer())[204 * surface_width() + 102], 0);

    // "A" measures 13: in a window exactly that wide it starts at the window's x, in one a pixel
    // narrower one pixel left of it.
    for (const auto& [width, x] : {std::pair{13, 100}, std::pair{12, 99}}) {
        text_clear_rect(0, 0, surface_width(), surface_height());
        window.width = width;
        EXPECT_EQ(text_draw_line_centred(0, 0, "A", white), 0);
        expect_layers(test_line(x, 200, {{N, TEST_WHITE}}));
    }

    EXPECT_EQ(text_draw_line(-1, 0, 0, "A", white), -1);
    EXPECT_EQ(text_draw_line_centred(MSGWIN_COUNT, 0, "A", white), -1);
}

// A window, and so a line, may lie anywhere 32 bits reach: no position is summed past that range,
// and of a line only what lies on the layers is drawn.
TEST_F(TextTest, LinesAnywhereInThe32BitRangeDrawOnlyWhatLiesOnTheLayers)
{
    MessageWindow& window = text_windows()[0];
    const TextColour white[] = {TEXT_WHITE, TEXT_WHITE};
    struct Case {
        int32_t x, y, dx, dy;
    };
    // Running past the right end, starting past either end, a baseline past the bottom end.
    for (const Case& c :
         {Case{INT32_MAX - 5, 0, 0, 0}, Case{INT32_MIN, 0, -1, 0},
          Case{0, INT32_MAX - 10, 0, TEXT_LINE_HEIGHT}, Case{0, INT32_MAX - 10, 0, 0}}) {
        window.x = c.x;
        window.y = c.y;
        EXPECT_EQ(text_draw_line(0, c.dx, c.dy, "AB", white), 0);
        EXPECT_EQ(text_draw_line(0, c.dx, c.dy, "AB", nullptr), 0);
        expect_layers({});
    }

    // The narrowest window centres too: "AB" measures 25, so it starts floor((-2^31 - 25) / 2)
    // from the window's x.
    window.x = 100 + 1073741837;
    window.y = 40;
    window.width = INT32_MIN;
    EXPECT_EQ(text_draw_line_centred(0, 0, "AB", white), 0);
    expect_layers(test_line(100, 40, {{N, TEST_WHITE}, {N, TEST_WHITE}}));
}

TEST_F(TextTest, TextOutFormatsIntoItsBufferAndCutsLongOutput)
{
    text_clear_rect(0, 0, surface_width(), surface_height());
    HostDc* mask = surface_slot_dc(text_mask_layer());
    host_set_text_colour(mask, TEXT_WHITE);
    text_out(text_mask_layer(), 0, 0, "%d", 42);
    for (int32_t i = 0; i < 2; ++i)
        EXPECT_EQ(layer(text_mask_layer())[4 * surface_width() + i * N + 2], TEST_WHITE) << i;
    EXPECT_EQ(layer(text_mask_layer())[4 * surface_width() + 2 * N + 2], 0);
}

class WideTextTest : public TextLayersTest {
protected:
    WideTextTest()
    {
        client_width = 1400;
    }
};

TEST_F(WideTextTest, TextOutStopsAtNinetyNineBytes)
{
    HostDc* mask = surface_slot_dc(text_mask_layer());
    host_set_text_colour(mask, TEXT_WHITE);
    const std::string long_text(150, 'A');
    text_out(text_mask_layer(), 0, 0, "%s", long_text.c_str());
    const int32_t row = 4 * surface_width();
    EXPECT_EQ(layer(text_mask_layer())[row + 98 * N + 2], TEST_WHITE);
    EXPECT_EQ(layer(text_mask_layer())[row + 99 * N + 2], 0);
}

} // namespace
