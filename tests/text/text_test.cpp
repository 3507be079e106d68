// The text system's line primitives, with the test face.
#include "text/text.h"

#include <cstring>
#include <string>

#include "tests/support/text_layers.h"

namespace {

using TextTest = TextLayersTest;

// Mixed widths: each character of the colour pass starts at the previous one's measured width
// less one, which is exactly its advance; a wide one takes its second byte's colour. Without
// colours a line goes into the mask alone.
TEST_F(TextTest, LinesAreDrawnAtTheirWindowAndCentred)
{
    const TextColour colours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF};
    EXPECT_EQ(text_draw_coloured(30, 40,
                                 "A\x82\xa0"
                                 "B",
                                 colours),
              0);
    std::vector<TestGlyph> expected;
    test_line(expected, 30, 40, "rBw");
    expect_layers(expected);
    MessageWindow& window = text_windows()[0];
    window.x = 100;
    window.y = 200;
    const TextColour white[] = {TEXT_WHITE, TEXT_WHITE};
    EXPECT_EQ(text_draw_line(0, 5, 6, "A", white), 0);
    expected.clear();
    test_line(expected, 105, 206, "w");
    expect_layers(expected);
    EXPECT_EQ(text_draw_line(0, 0, 0, "A", nullptr), 0);
    EXPECT_EQ(layer(text_mask_layer())[204 * surface_width() + 102], TEST_WHITE);
    EXPECT_EQ(layer(text_colour_layer())[204 * surface_width() + 102], 0);
    text_clear_rect(0, 0, surface_width(), surface_height());

    // "A" measures 13: in a window exactly that wide it starts at the window's x, in one a pixel
    // narrower one pixel left of it. The narrowest window centres too, in 64 bits: "AB"
    // measures 25, so it starts floor((-2^31 - 25) / 2) from the window's x.
    struct Case {
        int32_t x, width, pen;
        const char* line;
    };
    for (const Case& c : {Case{100, 13, 100, "A"}, Case{100, 12, 99, "A"},
                          Case{100 + 1073741837, INT32_MIN, 100, "AB"}}) {
        window.x = c.x;
        window.width = c.width;
        EXPECT_EQ(text_draw_line_centred(0, 0, c.line, white), 0);
        expected.clear();
        test_line(expected, c.pen, 200, std::string(std::strlen(c.line), 'w'));
        expect_layers(expected);
    }
    EXPECT_EQ(text_draw_line(-1, 0, 0, "A", white), -1);
    EXPECT_EQ(text_draw_line_centred(MSGWIN_COUNT, 0, "A", white), -1);
}

// text_out formats into a buffer of 100 bytes: of 150 characters, 99 are drawn. Started left of
// the layer, the 99th lands at pen 76 and a 100th would at 88.
TEST_F(TextTest, TextOutFormatsIntoItsBufferAndCutsLongOutput)
{
    host_set_text_colour(surface_slot_dc(text_mask_layer()), TEXT_WHITE);
    text_out(text_mask_layer(), 76 - 98 * TEST_FACE_NARROW, 0, "%d%s", 42,
             std::string(148, 'A').c_str());
    const Pixel* row = layer(text_mask_layer()) + TEST_FACE_INK_TOP_ROW * surface_width();
    EXPECT_EQ(row[76 + TEST_FACE_INK_LEFT], TEST_WHITE);
    EXPECT_EQ(row[88 + TEST_FACE_INK_LEFT], 0);
}

} // namespace
