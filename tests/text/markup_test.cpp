// The markup, drawn with the test face: whole layers compared with the boxes the rules place.
#include "text/markup.h"

#include <string>

#include "demo/demo_script.h"
#include "tests/support/text_layers.h"
#include "text/msgwin.h"

namespace {

using MarkupTest = TextLayersTest;

// Each text in window 0, put at (x, y), against the lines the rules place (test_line's letters);
// a bad window index lays out nothing.
TEST_F(MarkupTest, TextsGiveTheirLinesInTheirColours)
{
    struct Line {
        int32_t x, y;
        std::string glyphs;
    };
    struct Row {
        std::string text;
        int32_t x, y;
        std::vector<Line> lines;
    };
    // clang-format off
    const Row rows[] = {
        // 今から in white, 表示 in cyan, テスト in white; then を行います。, still white:
        // 8 wide glyphs measure 8 * 24 + 1 = 193, so centred in 512 they start at 159, rounded
        // down; 6 at 183.
        {demo_texts[0], 0, 50, {{159, 50, "WWWCCWWW"}, {183, 82, "WWWWWW"}}},
        // Colour starts white and lasts across line ends: て white, きと magenta, ー white, from
        // (512 - 97) / 2 rounded down.
        {demo_texts[3], 0, 50, {{207, 50, "WMMW"}}},
        {"\\i[255,0,0]A\\nB", 20, 30, {{20, 30, "r"}, {20, 62, "r"}}},
        // Unknown escapes go with their letter: upper case is no escape; "\\" produces nothing.
        {"A\\CB\\NC\\ID\\\\", 10, 20, {{10, 20, "wwww"}}},
        // "\n\n" leaves an empty line: 64 pixels from one text to the next; a text ending in
        // "\n" draws its lines and nothing more.
        {"A\\n\\nB", 10, 20, {{10, 20, "w"}, {10, 84, "w"}}},
        {"AB\\n", 10, 20, {{10, 20, "ww"}}},
        // The centre flag belongs to its line, wherever it stands in it: "A" measures 13.
        {"\\cA\\nB\\nC\\c", 0, 50, {{249, 50, "w"}, {0, 82, "w"}, {249, 114, "w"}}},
        // A centred line wider than its window starts left of it (an arithmetic shift: -45) and
        // is cut at the layer's edge.
        {"\\c" + std::string(50, 'A'), 0, 50, {{-45, 50, std::string(50, 'w')}}},
        // Colour numbers keep their low byte.
        {"\\i[256,0,-1]A\\i[64,255,255]B\\i[4294967551,0,0]C", 10, 20, {{10, 20, "btr"}}},
        // A colour cut short keeps the components it does not read: white's at first, then the
        // last colour's.
        {"\\i[0]A\\i[255,0,0]B\\i[0,255]C", 10, 20, {{10, 20, "crg"}}},
        // A missing bracket drops the pending line and ends; so does "\i" right before the
        // terminator.
        {"AB\\nCD\\i[1,2,3EF", 10, 20, {{10, 20, "ww"}}},
        {"A\\nB\\i", 10, 20, {{10, 20, "w"}}},
        // 表 is 0x95 0x5C: one character, no escape. Conversions are drawn literally: none is
        // ever read from a text.
        {"\x95\x5c" "A", 10, 20, {{10, 20, "Ww"}}},
        {"%d%s%n", 10, 20, {{10, 20, "wwwwww"}}},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        text_windows()[0].x = row.x;
        text_windows()[0].y = row.y;
        ASSERT_EQ(msgwin_set_text(0, row.text.c_str()), 0);
        std::vector<TestGlyph> expected;
        for (const Line& line : row.lines)
            test_line(expected, line.x, line.y, line.glyphs);
        expect_layers(expected);
    }
    EXPECT_EQ(markup_layout(-1), -1);
    EXPECT_EQ(markup_layout(MSGWIN_COUNT), -1);
    EXPECT_EQ(markup_layout(5), 0); // a free record with an empty text
    expect_layers({});
}

} // namespace
