// The markup, drawn with the test face: whole layers compared with the boxes the rules place.
#include "text/markup.h"

#include "demo/demo_script.h"
#include "tests/support/text_layers.h"
#include "text/msgwin.h"

namespace {

constexpr int32_t N = TEST_FACE_NARROW;
constexpr int32_t F = TEST_FACE_WIDE;
constexpr Pixel CYAN = test_rgb555(0, 255, 255);
constexpr Pixel MAGENTA = test_rgb555(255, 0, 255);

// Window 0 (made by the demo at start-up, 512 wide) put at a chosen place, with fresh layers.
class MarkupTest : public TextLayersTest {
protected:
    void show(const char* text, int32_t x = 0, int32_t y = 50)
    {
        text_clear_rect(0, 0, surface_width(), surface_height());
        text_windows()[0].x = x;
        text_windows()[0].y = y;
        ASSERT_EQ(msgwin_set_text(0, text), 0);
    }

    static int32_t centred(int32_t width)
    {
        return (512 - width) >> 1;
    }
};

std::vector<TestGlyph> operator+(std::vector<TestGlyph> a, const std::vector<TestGlyph>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(MarkupTest, IntroductionGivesTwoCentredLinesInTheirColours)
{
    show(demo_texts[0]);
    // 今から in white, 表示 in cyan, テスト in white; then を行います。, still white.
    const std::vector<std::pair<int32_t, Pixel>> first = {
        {F, TEST_WHITE}, {F, TEST_WHITE}, {F, TEST_WHITE}, {F, CYAN},
        {F, CYAN},       {F, TEST_WHITE}, {F, TEST_WHITE}, {F, TEST_WHITE}};
    const std::vector<std::pair<int32_t, Pixel>> second(6, {F, TEST_WHITE});
    ASSERT_EQ(test_line_width(first), 193);
    expect_layers(test_line(centred(193), 50, first) + test_line(centred(145), 82, second));
}

TEST_F(MarkupTest, ColourStartsWhiteAndLastsAcrossLineEnds)
{
    // て white, きと magenta, ー white.
    show(demo_texts[3]);
    const std::vector<std::pair<int32_t, Pixel>> line = {
        {F, TEST_WHITE}, {F, MAGENTA}, {F, MAGENTA}, {F, TEST_WHITE}};
    expect_layers(test_line(centred(97), 50, line));

    show("\\i[255,0,0]A\\nB", 20, 30);
    expect_layers(test_line(20, 30, {{N, test_rgb555(255, 0, 0)}}) +
                  test_line(20, 62, {{N, test_rgb555(255, 0, 0)}}));
}

TEST_F(MarkupTest, UnknownEscapesAreDroppedWithTheirLetter)
{
    // Upper case is no escape; "\\" produces nothing either.
    show("A\\CB\\NC\\ID\\\\", 10, 20);
    expect_layers(
        test_line(10, 20, {{N, TEST_WHITE}, {N, TEST_WHITE}, {N, TEST_WHITE}, {N, TEST_WHITE}}));
}

TEST_F(MarkupTest, LineEndsAndCentring)
{
    // "\n\n" leaves an empty line: 64 pixels from one text to the next.
    show("A\\n\\nB", 10, 20);
    expect_layers(test_line(10, 20, {{N, TEST_WHITE}}) + test_line(10, 84, {{N, TEST_WHITE}}));

    // A text ending in "\n" draws its lines and nothing more.
    show("AB\\n", 10, 20);
    expect_layers(test_line(10, 20, {{N, TEST_WHITE}, {N, TEST_WHITE}}));

    // The centre flag belongs to its line, wherever it stands in it.
    show("\\cAB\\nCD\\nEF\\c");
    const std::vector<std::pair<int32_t, Pixel>> pair(2, {N, TEST_WHITE});
    expect_layers(test_line(centred(25), 50, pair) + test_line(0, 82, pair) +
                  test_line(centred(25), 114, pair));

    // A centred line wider than its window starts left of it (an arithmetic shift) and is cut
    // at the layer's edge.
    const std::string wide = "\\c" + std::string(50, 'A');
    show(wide.c_str());
    const std::vector<std::pair<int32_t, Pixel>> fifty(50, {N, TEST_WHITE});
    ASSERT_EQ(centred(test_line_width(fifty)), -45);
    expect_layers(test_line(-45, 50, fifty));
}

TEST_F(MarkupTest, ColourNumbersKeepTheirLowByte)
{
    show("\\i[256,0,-1]A\\i[64,255,255]B\\i[4294967551,0,0]C", 10, 20);
    expect_layers(test_line(10, 20,
                            {{N, test_rgb555(0, 0, 255)},
                             {N, test_rgb555(64, 255, 255)},
                             {N, test_rgb555(255, 0, 0)}}));
    // A colour cut short keeps the components it does not read: white's at first, then the
    // last colour's.
    show("\\i[0]A\\i[255,0,0]B\\i[0,255]C", 10, 20);
    expect_layers(
        test_line(10, 20, {{N, CYAN}, {N, test_rgb555(255, 0, 0)}, {N, test_rgb555(0, 255, 0)}}));
}

TEST_F(MarkupTest, MissingBracketDropsThePendingLineAndEnds)
{
    show("AB\\nCD\\i[1,2,3EF", 10, 20);
    expect_layers(test_line(10, 20, {{N, TEST_WHITE}, {N, TEST_WHITE}}));

    // Malformed ends: "\i", a lone backslash or a lone lead byte right before the terminator.
    show("A\\nB\\i", 10, 20);
    expect_layers(test_line(10, 20, {{N, TEST_WHITE}}));
    show("A\\", 10, 20);
    expect_layers(test_line(10, 20, {{N, TEST_WHITE}}));
    show("A\x82", 10, 20);
    expect_layers(test_line(10, 20, {{N, TEST_WHITE}}));
}

TEST_F(MarkupTest, SecondByteBackslashAndPercentAreCharacters)
{
    // 表 is 0x95 0x5C: one character, no escape.
    show("\x95\x5c"
         "A",
         10, 20);
    expect_layers(test_line(10, 20, {{F, TEST_WHITE}, {N, TEST_WHITE}}));

    // Drawn literally: no conversion is ever read from a text.
    show("%d%s%n", 10, 20);
    expect_layers(test_line(10, 20, std::vector<std::pair<int32_t, Pixel>>(6, {N, TEST_WHITE})));
}

TEST_F(MarkupTest, BadWindowIndexDrawsNothing)
{
    EXPECT_EQ(markup_layout(-1), -1);
    EXPECT_EQ(markup_layout(MSGWIN_COUNT), -1);
    EXPECT_EQ(markup_layout(5), 0); // a free record with an empty text
    expect_layers({});
}

} // namespace
