// Message windows on a small headless surface: the operations on the table, one worked word per
// composite effect (the differential test covers every effect's geometry), and the edges.
#include "text/msgwin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/pixel.h"
#include "tests/support/text_layers.h"

namespace {

// A 64 x 33 client: a 64 x 32 surface of 32 words a row, and the frame's guard row below it.
constexpr int32_t W = 64;
constexpr int32_t H = 32;
constexpr int32_t P = W / 2;
constexpr int32_t LAYER_WORDS = P * H;
constexpr int32_t FRAME_WORDS = P * (H + 1);

// Word k holds pixels 2k (low half) and 2k + 1 of a plane.
constexpr int32_t at(int32_t row, int32_t word)
{
    return row * P + word;
}
uint32_t get(const Pixel* plane, int32_t k)
{
    return rgb555_load_pair(plane + 2 * k);
}
void put(Pixel* plane, int32_t k, uint32_t word)
{
    rgb555_store_pair(plane + 2 * k, word);
}
std::vector<uint32_t> words(const Pixel* plane, int32_t count)
{
    std::vector<uint32_t> all(count);
    for (int32_t k = 0; k < count; ++k)
        all[k] = get(plane, k);
    return all;
}

class MsgwinTest : public TextLayersTest {
protected:
    MsgwinTest()
    {
        client_width = W;
        client_height = H + 1;
    }

    void SetUp() override
    {
        TextLayersTest::SetUp();
        ASSERT_EQ(surface_width(), W);
        ASSERT_EQ(surface_height(), H);
        // The demo's window 0 lies below this small surface; hidden, it draws nothing anyway.
        msgwin_set_effect(0, MSGWIN_HIDDEN);
        colour = layer(text_colour_layer());
        mask = layer(text_mask_layer());
        frame = surface_current_pixels();
    }

    // Words that differ from each other everywhere, so that a word in the wrong place shows.
    void scramble()
    {
        uint32_t salt = 0;
        for (Pixel* plane : {colour, mask, frame}) {
            const int32_t count = plane == frame ? FRAME_WORDS : LAYER_WORDS;
            salt += 0x1111;
            for (int32_t k = 0; k < count; ++k)
                put(plane, k, (static_cast<uint32_t>(k + 1) * 0x9E3779B9u ^ salt) & 0x7FFF7FFFu);
        }
    }

    static std::vector<char> table_bytes()
    {
        const char* table = reinterpret_cast<const char*>(text_windows());
        return {table, table + MSGWIN_COUNT * sizeof(MessageWindow)};
    }

    static std::pair<int32_t, int32_t> position(int32_t window)
    {
        return {text_windows()[window].x, text_windows()[window].y};
    }

    Pixel* colour = nullptr;
    Pixel* mask = nullptr;
    Pixel* frame = nullptr;
};

// Every plane one word throughout; the window is the table's last, index 7, over words 0-7 of
// rows 0-1, composited in the fourth pass. Frame 0x21086318 is (24, 24, 24) then (8, 8, 8); the
// mask covers the left pixel; the colour is (5, 5, 5) on the left.
TEST_F(MsgwinTest, EachEffectCompositesItsWorkedWordFromTheLastWindow)
{
    constexpr uint32_t F = 0x21086318;
    constexpr uint32_t M = 0x00007FFF;
    constexpr uint32_t C = 0x000014A5;
    constexpr uint32_t COPIED = 0x210814A5; // the mask clears the left pixel, the colour fills it
    constexpr uint32_t WHITE = 0x21087FFF;  // the mask ORed in
    constexpr uint32_t DISSOLVED = 0x2108739C; // blurred (5 -> 2 + 2 + 2 per quarter, half) 4, ORed
    constexpr uint32_t ADDED = 0x2108739C;     // 24 + (5 less its lowest bit) = 28
    struct Case {
        int32_t effect;
        uint32_t tint;
        uint32_t row0, row1;
    };
    const Case cases[] = {
        {MSGWIN_FX_WHITE, 0, WHITE, WHITE},
        {MSGWIN_FX_PLAIN, 0, COPIED, COPIED},
        {MSGWIN_FX_SWAY, 0, COPIED, COPIED},
        {MSGWIN_FX_SHAKE, 0, COPIED, COPIED},
        {MSGWIN_FX_BLINDS, 0, COPIED, F},      // counter 0: rows 0, 8, ... only
        {MSGWIN_FX_DISSOLVE, 0, F, DISSOLVED}, // never its top row
        {MSGWIN_FX_ADD, 0x7FFF7FFF, ADDED, ADDED},
        {MSGWIN_FX_FADE_IN, 0x18C618C6, ADDED, ADDED}, // 6 + one step = 7 masks nothing of 5
        {8, 0, F, F},
    };
    for (int32_t i = 1; i < MSGWIN_COUNT - 1; ++i)
        msgwin_create(0, 0, 2, 2, MSGWIN_HIDDEN);
    const int32_t window = msgwin_create(0, 0, 16, 2, 8);
    ASSERT_EQ(window, 7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.effect);
        for (int32_t k = 0; k < LAYER_WORDS; ++k) {
            put(mask, k, M);
            put(colour, k, C);
        }
        msgwin_set_effect(window, c.effect);
        msgwin_reset_passes();
        for (int32_t pass = 0; pass < 3; ++pass)
            msgwin_composite();
        for (int32_t k = 0; k < FRAME_WORDS; ++k)
            put(frame, k, F);
        msgwin_set_tint(window, c.tint);
        msgwin_composite();
        EXPECT_EQ(get(frame, at(0, 5)), c.row0);
        EXPECT_EQ(get(frame, at(1, 5)), c.row1);
        EXPECT_EQ(get(frame, at(2, 5)), F);
        EXPECT_EQ(get(frame, at(0, 8)), F);
    }
}

TEST_F(MsgwinTest, AdditiveSaturatesKeepsCarriesAndDropsEveryLowestBit)
{
    struct Case {
        uint32_t tint, colour, frame, expected;
    };
    const Case cases[] = {
        // Left: red 31 + 16 and blue 31 + 16 saturate, blue's carry lands in green's lowest bit
        // (16 -> 17), red's stays in bit 15. Right: green 31 loses its lowest bit, the 1s vanish.
        {0x7FFF7FFF, 0x03E07C1F, 0x04214210, 0x03C0FE3F},
        // An empty colour word still takes every channel's lowest bit from the frame.
        {0x7FFF7FFF, 0, 0x7FFF7FFF, 0x7BDE7BDE},
        {0x7FFF7FFF, 0x04210421, 0x04210421, 0},
        // The tint masks the colour: 16 + 30 overflows every channel; red's carry reaches bit 31.
        {0x42104210, 0x7FFF7FFF, 0x7FFF0000, 0xFFFF4210},
    };
    const int32_t window = msgwin_create(0, 0, 2, 1, MSGWIN_FX_ADD); // word 0 of row 0
    for (const Case& c : cases) {
        msgwin_set_tint(window, c.tint);
        put(colour, 0, c.colour);
        put(frame, 0, c.frame);
        put(frame, 1, 0x7FFF7FFF);
        msgwin_composite();
        EXPECT_EQ(get(frame, 0), c.expected) << std::hex << c.colour;
        EXPECT_EQ(get(frame, 1), 0x7FFF7FFFu);
    }
}

TEST_F(MsgwinTest, FadeInGrowsTheTintAStepAPassUntilItIsFull)
{
    const int32_t window = msgwin_create(0, 0, 4, 1, MSGWIN_FX_FADE_IN);
    msgwin_set_tint(window, 0);
    // 31 steps of 1 in every channel fill it; the 32nd carries into bit 31 and is taken as full.
    for (uint32_t pass = 1; pass <= 40; ++pass) {
        msgwin_composite();
        EXPECT_EQ(text_windows()[window].tint, std::min(pass, 31u) * 0x04210421u) << pass;
    }
}

TEST_F(MsgwinTest, CreateRoundsToEvenAndTheTableHoldsEight)
{
    EXPECT_EQ(text_windows()[0].id, 0); // the demo's window, the first created
    EXPECT_EQ(msgwin_create(5, 3, 201, 40, 0x1203), 1);
    const MessageWindow& first = text_windows()[1];
    EXPECT_EQ((std::vector<int32_t>{first.id, first.x, first.y, first.width, first.height,
                                    first.flags, first.counter, first.text[0]}),
              (std::vector<int32_t>{1, 4, 3, 200, 40, 0x1203, 0, 0}));
    // Rounding down to even goes towards negative infinity.
    EXPECT_EQ(msgwin_create(-3, 0, 7, 1, 0), 2);
    EXPECT_EQ(std::pair(text_windows()[2].x, text_windows()[2].width), std::pair(-4, 6));
    for (int32_t expected = 3; expected < MSGWIN_COUNT; ++expected)
        EXPECT_EQ(msgwin_create(0, 0, 2, 2, 0), expected);
    const std::vector<char> table = table_bytes();
    EXPECT_EQ(msgwin_create(0, 0, 2, 2, 0), -1);
    EXPECT_EQ(table_bytes(), table);
}

TEST_F(MsgwinTest, OperationsRestartTheCounterAndBadIndexesChangeNothing)
{
    const int32_t window = msgwin_create(0, 0, 8, 8, MSGWIN_FX_BLINDS);
    MessageWindow& record = text_windows()[window];
    // The higher bits of an effect value stay in the flags; a set effect keeps a window hidden,
    // clearing takes the effect code too.
    record.counter = 5;
    EXPECT_EQ(msgwin_set_effect(window, 0x1203), 0);
    EXPECT_EQ(std::pair(record.flags, record.counter), std::pair(0x1203, 0));
    record.counter = 5;
    EXPECT_EQ(msgwin_clear_flags(window, 0x200), 0);
    EXPECT_EQ(std::pair(record.flags, record.counter), std::pair(0x1000, 0));
    record.counter = 5;
    EXPECT_EQ(msgwin_set_text(window, "ab"), 0);
    EXPECT_STREQ(record.text, "ab");
    EXPECT_EQ(record.counter, 0);
    msgwin_set_effect(window, MSGWIN_HIDDEN);
    msgwin_set_effect(window, MSGWIN_FX_FADE_IN);
    EXPECT_EQ(record.flags, 0x1000 | MSGWIN_HIDDEN | MSGWIN_FX_FADE_IN);

    scramble();
    const std::vector<char> table = table_bytes();
    const std::vector<uint32_t> colour_before = words(colour, LAYER_WORDS);
    for (const int32_t bad : {-1, MSGWIN_COUNT}) {
        EXPECT_EQ(msgwin_set_effect(bad, MSGWIN_FX_PLAIN), -1);
        EXPECT_EQ(msgwin_clear_flags(bad, MSGWIN_HIDDEN), -1);
        EXPECT_EQ(msgwin_set_tint(bad, 1), -1);
        EXPECT_EQ(msgwin_set_text(bad, "x"), -1);
        EXPECT_EQ(msgwin_move(bad, 2, 2), -1);
        EXPECT_EQ(msgwin_set_position(bad, 2, 2), -1);
        EXPECT_EQ(msgwin_clear_area(bad), -1);
    }
    EXPECT_EQ(table_bytes(), table);
    EXPECT_EQ(words(colour, LAYER_WORDS), colour_before);
}

TEST_F(MsgwinTest, SetTextKeepsAtMost255BytesAndWholeCharacters)
{
    const int32_t window = msgwin_create(0, 0, 64, 32, MSGWIN_FX_PLAIN);
    // "あ" repeated: its 128th character would need bytes 254 and 255, so it is left out whole;
    // after one single-byte character a whole one ends at byte 254; a lone lead byte is dropped.
    std::string wide;
    while (wide.size() < 300)
        wide += "\x82\xa0";
    for (const auto& [text, kept] :
         {std::pair{std::string(300, 'a'), size_t{255}}, std::pair{wide, size_t{254}},
          std::pair{"a" + wide, size_t{255}}, std::pair{std::string("ab\x82"), size_t{2}}}) {
        msgwin_set_text(window, text.c_str());
        EXPECT_EQ(std::string(text_windows()[window].text), text.substr(0, kept));
    }
}

TEST_F(MsgwinTest, MoveAndSetPositionClampToTheSurface)
{
    const int32_t window = msgwin_create(16, 8, 20, 10, MSGWIN_FX_PLAIN);
    // Moving clears the old area (words 8-17 of rows 8-17) in both layers; setting the position
    // clamps alike and leaves the layers alone.
    for (const bool moving : {true, false}) {
        scramble();
        const uint32_t inside = get(mask, at(8, 8));
        const uint32_t outside = get(mask, at(8, 18));
        (moving ? msgwin_move : msgwin_set_position)(window, -10, -10);
        EXPECT_EQ(position(window), std::pair(0, 0));
        EXPECT_EQ(get(mask, at(8, 8)), moving ? 0u : inside);
        EXPECT_EQ(get(colour, at(17, 17)) == 0, moving);
        EXPECT_EQ(get(mask, at(8, 18)), outside);
        (moving ? msgwin_move : msgwin_set_position)(window, W, H);
        EXPECT_EQ(position(window), std::pair(W - 20, H - 10));
    }
    // An odd x is stored as it is.
    msgwin_move(window, 5, 1);
    EXPECT_EQ(position(window), std::pair(5, 1));
    // Larger than the surface: clamping to 0 first and then to the far edge leaves it up and
    // left of the surface; as wide and high as 32 bits go, it still ends at the far edges.
    const int32_t large = msgwin_create(0, 0, W + 8, H + 4, MSGWIN_HIDDEN);
    msgwin_move(large, 3, 3);
    EXPECT_EQ(position(large), std::pair(-8, -4));
    const int32_t huge = msgwin_create(0, 0, INT32_MAX, INT32_MAX, MSGWIN_HIDDEN);
    msgwin_set_position(huge, 10, 10);
    EXPECT_EQ(position(huge), std::pair(W - (INT32_MAX - 1), H - INT32_MAX));
}

// No effect writes the guard row, whatever the window's reach; rectangles anywhere in the
// 32-bit range composite only what lies on the surface.
TEST_F(MsgwinTest, NoEffectWritesTheGuardRowOrOutsideTheSurface)
{
    scramble();
    const std::vector<uint32_t> start = words(frame, FRAME_WORDS);
    const std::vector<uint32_t> guard(start.begin() + LAYER_WORDS, start.end());
    const int32_t covering = msgwin_create(-8, -4, W + 16, H + 8, MSGWIN_FX_PLAIN);
    const int32_t left = msgwin_create(INT32_MIN, 0, INT32_MIN, H, MSGWIN_FX_WHITE);
    const int32_t tall = msgwin_create(0, INT32_MIN + 8, W, INT32_MAX, MSGWIN_HIDDEN);
    for (int32_t effect = MSGWIN_FX_WHITE; effect <= MSGWIN_FX_FADE_IN; ++effect) {
        msgwin_set_effect(covering, effect);
        for (int32_t pass = 0; pass < 4; ++pass)
            msgwin_composite();
        const std::vector<uint32_t> after = words(frame, FRAME_WORDS);
        ASSERT_EQ(std::vector<uint32_t>(after.begin() + LAYER_WORDS, after.end()), guard) << effect;
    }
    // The one from 2^31 pixels left, 2^31 narrower than nothing, draws no word.
    msgwin_set_effect(covering, MSGWIN_HIDDEN);
    const std::vector<uint32_t> before = words(frame, FRAME_WORDS);
    for (int32_t effect = MSGWIN_FX_WHITE; effect <= MSGWIN_FX_FADE_IN; ++effect) {
        msgwin_set_effect(left, effect);
        msgwin_composite();
        ASSERT_EQ(words(frame, FRAME_WORDS), before) << effect;
    }
    // The one from 2^31 - 8 rows above, 2^31 - 1 high: its last rows, 0 to 6, show.
    msgwin_set_effect(left, MSGWIN_HIDDEN);
    msgwin_clear_flags(tall, MSGWIN_HIDDEN);
    msgwin_composite();
    EXPECT_EQ(get(frame, at(6, 3)), before[at(6, 3)] | get(mask, at(6, 3)));
    EXPECT_EQ(get(frame, at(7, 3)), before[at(7, 3)]);
}

// The layers' clearing is clipped the same way, so that moving such a window is safe too.
TEST_F(MsgwinTest, ClearRectClearsOnlyWhatLiesOnTheSurface)
{
    struct Case {
        int32_t x, y, w, h;
        int32_t first_row, end_row, first_word, end_word;
    };
    // x = -3 starts at pixel pair -2 (rounded down), so only words 0-1 are cleared.
    for (const Case& c :
         {Case{-4, -2, 12, 6, 0, 4, 0, 4}, Case{W - 4, H - 2, 12, 6, H - 2, H, P - 2, P},
          Case{-3, 5, 8, 1, 5, 6, 0, 2}, Case{3, 7, 5, 2, 7, 9, 1, 3}, Case{0, 0, 1, 4, 0, 0, 0, 0},
          Case{0, 0, 8, 0, 0, 0, 0, 0}, Case{0, 5, W, INT32_MAX, 5, H, 0, P}}) {
        scramble();
        std::vector<uint32_t> expected = words(colour, LAYER_WORDS);
        std::vector<uint32_t> expected_mask = words(mask, LAYER_WORDS);
        for (int32_t r = c.first_row; r < c.end_row; ++r) {
            for (int32_t j = c.first_word; j < c.end_word; ++j)
                expected[at(r, j)] = expected_mask[at(r, j)] = 0;
        }
        EXPECT_EQ(text_clear_rect(c.x, c.y, c.w, c.h), 0);
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " " << c.w << "x" << c.h);
        EXPECT_EQ(words(colour, LAYER_WORDS), expected);
        EXPECT_EQ(words(mask, LAYER_WORDS), expected_mask);
    }
}

} // namespace
