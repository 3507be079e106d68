// Message windows on a small headless surface: the operations on the table, and the composite
// pass on layer and frame words written by hand, checked word by word over the whole frame.
#include "text/msgwin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/pixel.h"
#include "platform/random.h"
#include "tests/support/text_layers.h"

namespace {

// A 64 x 33 client: a 64 x 32 surface of 32 words a row, and the frame's guard row below it.
constexpr int32_t W = 64;
constexpr int32_t H = 32;
constexpr int32_t P = W / 2;
constexpr int32_t LAYER_WORDS = P * H;
constexpr int32_t FRAME_WORDS = P * (H + 1);

// Word k holds pixels 2k (low half) and 2k + 1 of a plane.
constexpr auto at = [](int32_t row, int32_t word) { return row * P + word; };
const auto get = [](const Pixel* plane, int32_t k) { return rgb555_load_pair(plane + 2 * k); };
const auto put = [](Pixel* plane, int32_t k, uint32_t word) {
    rgb555_store_pair(plane + 2 * k, word);
};

std::vector<uint32_t> words(const Pixel* plane, int32_t count)
{
    std::vector<uint32_t> all(count);
    for (int32_t k = 0; k < count; ++k)
        all[k] = get(plane, k);
    return all;
}

// Words that differ from each other everywhere, so that a word read from or written to the wrong
// place shows. Bit 15 of each pixel stays clear, as in real pixels.
void scramble_plane(Pixel* plane, int32_t count, uint32_t salt)
{
    for (int32_t k = 0; k < count; ++k) {
        uint32_t v = static_cast<uint32_t>(k + 1) * 0x9E3779B9u ^ salt;
        v ^= v >> 15;
        v *= 0x85EBCA6Bu;
        put(plane, k, (v ^ (v >> 13)) & 0x7FFF7FFFu);
    }
}

// The two ways a window's words reach the frame: white ORs the mask in; the coloured effects
// clear the mask's pixels and put the colour there.
constexpr auto or_mask = [](uint32_t frame, uint32_t, uint32_t mask) { return frame | mask; };
constexpr auto masked_copy = [](uint32_t frame, uint32_t colour, uint32_t mask) {
    return (frame & ~mask) | colour;
};

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

    // All three planes scrambled; the frame's words as they now are.
    std::vector<uint32_t> scramble()
    {
        scramble_plane(colour, LAYER_WORDS, 0x1111);
        scramble_plane(mask, LAYER_WORDS, 0x2222);
        scramble_plane(frame, FRAME_WORDS, 0x3333);
        return words(frame, FRAME_WORDS);
    }

    // One composite pass over the frame put back to saved.
    void composite_over(const std::vector<uint32_t>& saved)
    {
        for (int32_t k = 0; k < FRAME_WORDS; ++k)
            put(frame, k, saved[k]);
        msgwin_composite();
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

    // rule(frame, A, M) applied to words [first_word, end_word) of one row, A and M read at the
    // same word. A window shifted right takes its words shift places on: its last shift words
    // fall off, its leftmost shift keep the frame.
    template <typename Rule>
    void apply_row(std::vector<uint32_t>& expected, int32_t row, int32_t first_word,
                   int32_t end_word, Rule rule, int32_t shift = 0) const
    {
        for (int32_t k = at(row, first_word); k + shift < at(row, end_word); ++k)
            expected[k + shift] = rule(expected[k + shift], get(colour, k), get(mask, k));
    }

    // The same over rows [first_row, end_row), unshifted.
    template <typename Rule>
    std::vector<uint32_t> apply(std::vector<uint32_t> expected, int32_t first_row, int32_t end_row,
                                int32_t first_word, int32_t end_word, Rule rule) const
    {
        for (int32_t r = first_row; r < end_row; ++r)
            apply_row(expected, r, first_word, end_word, rule);
        return expected;
    }

    // Every word of the plane (the frame with its guard row), reporting the first few that differ.
    static void expect_words(const Pixel* plane, const std::vector<uint32_t>& expected)
    {
        int failures = 0;
        for (int32_t k = 0; k < static_cast<int32_t>(expected.size()) && failures < 6; ++k) {
            if (get(plane, k) != expected[k]) {
                ADD_FAILURE() << "row " << k / P << " word " << k % P << ": " << std::hex
                              << get(plane, k) << ", expected " << expected[k];
                ++failures;
            }
        }
    }

    Pixel* colour = nullptr;
    Pixel* mask = nullptr;
    Pixel* frame = nullptr;
};

TEST_F(MsgwinTest, WhiteOrsTheMaskAndPlainCopiesThroughIt)
{
    const std::vector<uint32_t> before = scramble();
    // Words 2-5 of rows 2-4.
    const int32_t window = msgwin_create(4, 2, 8, 3, MSGWIN_FX_WHITE);
    msgwin_composite();
    expect_words(frame, apply(before, 2, 5, 2, 6, or_mask));

    msgwin_set_effect(window, MSGWIN_FX_PLAIN);
    composite_over(before);
    expect_words(frame, apply(before, 2, 5, 2, 6, masked_copy));

    // One word by hand: the mask's left pixel clears the frame's, the colour fills it.
    put(frame, at(2, 2), 0x21086318);
    put(mask, at(2, 2), 0x00007FFF);
    put(colour, at(2, 2), 0x000014A5);
    msgwin_composite();
    EXPECT_EQ(get(frame, at(2, 2)), 0x210814A5u);
}

TEST_F(MsgwinTest, HigherIndexDrawsOverLowerAndUnshownWindowsDrawNothing)
{
    const std::vector<uint32_t> before = scramble();
    const int32_t lower = msgwin_create(0, 0, 8, 2, MSGWIN_FX_WHITE); // words 0-3
    const int32_t upper = msgwin_create(4, 0, 8, 2, MSGWIN_FX_PLAIN); // words 2-5
    ASSERT_EQ(upper, lower + 1);
    msgwin_composite();
    auto expected = apply(before, 0, 2, 0, 4, or_mask);
    expect_words(frame, apply(expected, 0, 2, 2, 6, masked_copy));

    // Codes 8 to 255 draw nothing without being hidden; a hidden window draws nothing whatever
    // its code, and a code set on it keeps it hidden.
    msgwin_set_effect(lower, 8);
    msgwin_set_effect(upper, 255);
    const int32_t hidden = msgwin_create(20, 10, 8, 4, MSGWIN_HIDDEN | MSGWIN_FX_PLAIN);
    const int32_t rehidden = msgwin_create(0, 20, 16, 4, MSGWIN_FX_PLAIN);
    msgwin_set_effect(rehidden, MSGWIN_HIDDEN);
    EXPECT_EQ(text_windows()[rehidden].flags, MSGWIN_HIDDEN);
    msgwin_set_effect(rehidden, MSGWIN_FX_FADE_IN);
    EXPECT_EQ(text_windows()[lower].flags & MSGWIN_HIDDEN, 0);
    EXPECT_EQ(text_windows()[rehidden].flags, MSGWIN_HIDDEN | MSGWIN_FX_FADE_IN);
    const std::vector<uint32_t> colour_before = words(colour, LAYER_WORDS);
    composite_over(before);
    expect_words(frame, before);
    expect_words(colour, colour_before);

    // Clearing the hidden bit shows the window again with effect 0, white.
    msgwin_clear_flags(hidden, MSGWIN_HIDDEN);
    EXPECT_EQ(text_windows()[hidden].flags, 0);
    msgwin_composite();
    expect_words(frame, apply(before, 10, 14, 10, 14, or_mask));
}

TEST_F(MsgwinTest, FadeInGrowsTheTintToFullAndShowsWhiteAtThirty)
{
    const int32_t window = msgwin_create(0, 0, 4, 1, MSGWIN_FX_FADE_IN); // words 0-1 of row 0
    std::fill_n(colour, 2 * LAYER_WORDS, TEST_WHITE);
    std::fill_n(mask, 2 * LAYER_WORDS, TEST_WHITE);
    msgwin_set_tint(window, 0);
    for (uint32_t pass = 1; pass <= 40; ++pass) {
        std::memset(frame, 0, FRAME_WORDS * sizeof(uint32_t));
        msgwin_composite();
        // The tint holds pass steps of 1 in every channel until the 32nd step carries into bit
        // 31; white glyphs show as much of the tint as survives the lowest-bit mask: nothing at
        // first, 30 in every channel from the 31st pass on.
        const uint32_t steps = pass < 31 ? pass : 31;
        const uint32_t channel = steps & ~1u;
        const uint32_t shown = ((channel << 10) | (channel << 5) | channel) * 0x10001u;
        SCOPED_TRACE(pass);
        EXPECT_EQ(text_windows()[window].tint, pass >= 31 ? 0x7FFF7FFFu : pass * 0x04210421u);
        EXPECT_EQ(get(frame, at(0, 0)), pass == 1 ? 0u : pass >= 31 ? 0x7BDE7BDEu : shown);
        EXPECT_EQ(get(frame, at(0, 1)), shown);
        EXPECT_EQ(get(frame, at(0, 2)), 0u);
        EXPECT_EQ(get(frame, at(1, 0)), 0u);
    }
}

TEST_F(MsgwinTest, AdditiveSaturatesKeepsCarriesAndDropsEveryLowestBit)
{
    std::memset(colour, 0, LAYER_WORDS * sizeof(uint32_t));
    scramble_plane(mask, LAYER_WORDS, 0x2222); // not used by the additive effects
    std::memset(frame, 0, FRAME_WORDS * sizeof(uint32_t));
    const int32_t window = msgwin_create(0, 0, 6, 1, MSGWIN_FX_ADD); // words 0-2 of row 0
    msgwin_set_tint(window, 0x7FFF7FFF);
    // Left pixel: red 31 + 16 and blue 31 + 16 saturate, and blue's carry lands in green's
    // lowest bit (16 -> 17); red's carry stays in bit 15. Right pixel: green 31 loses its lowest
    // bit, the frame's 1s vanish.
    put(colour, at(0, 0), 0x03E07C1F);
    put(frame, at(0, 0), 0x04214210);
    // An empty colour word still takes every channel's lowest bit from the frame.
    put(frame, at(0, 1), 0x7FFF7FFF);
    put(colour, at(0, 2), 0x04210421);
    put(frame, at(0, 2), 0x04210421);
    put(frame, at(0, 3), 0x7FFF7FFF);
    put(frame, at(1, 0), 0x7FFF7FFF);
    msgwin_composite();
    EXPECT_EQ(get(frame, at(0, 0)), 0x03C0FE3Fu);
    EXPECT_EQ(get(frame, at(0, 1)), 0x7BDE7BDEu);
    EXPECT_EQ(get(frame, at(0, 2)), 0u);
    EXPECT_EQ(get(frame, at(0, 3)), 0x7FFF7FFFu);
    EXPECT_EQ(get(frame, at(1, 0)), 0x7FFF7FFFu);

    // The tint masks the colour: 16 + 30 overflows every channel of the right pixel, whose red
    // carry reaches bit 31.
    msgwin_set_tint(window, 0x42104210);
    put(colour, at(0, 0), 0x7FFF7FFF);
    put(frame, at(0, 0), 0x7FFF0000);
    msgwin_composite();
    EXPECT_EQ(get(frame, at(0, 0)), 0xFFFF4210u);
}

TEST_F(MsgwinTest, BlindsDrawRowsUpToTheCounterWhichGrowsEveryFourthPass)
{
    const std::vector<uint32_t> before = scramble();
    const int32_t window = msgwin_create(8, 4, 8, 16, MSGWIN_FX_BLINDS); // words 4-7, rows 4-19
    int32_t counter = 0;
    for (int32_t i = 0; i < 72; ++i) {
        const uint32_t pass = msgwin_pass_count() + 1;
        composite_over(before);
        std::vector<uint32_t> expected = before;
        for (int32_t r = 0; r < 16; ++r) {
            if ((r & 7) <= counter)
                apply_row(expected, 4 + r, 4, 8, masked_copy);
        }
        if (counter == 3) {
            // Rows 0-3 and 8-11 of the window drawn, 4-7 and 12-15 not.
            for (int32_t r = 0; r < 16; ++r)
                EXPECT_EQ(get(frame, at(4 + r, 4)) == before[at(4 + r, 4)], (r & 4) != 0) << r;
        }
        expect_words(frame, expected);
        if (pass % 4 == 0 && counter < 16)
            ++counter;
        ASSERT_EQ(text_windows()[window].counter, counter) << "pass " << pass;
    }
    EXPECT_EQ(counter, 16);
}

TEST_F(MsgwinTest, SwayShiftsRowsByTheWaveOfThePass)
{
    const std::vector<uint32_t> before = scramble();
    // Effect code 8, drawing nothing, for the first three passes.
    const int32_t window = msgwin_create(8, 2, 16, 10, 8); // words 4-11, rows 2-11
    while (msgwin_pass_count() < 3)
        msgwin_composite();
    ASSERT_EQ(msgwin_pass_count(), 3u);
    msgwin_set_effect(window, MSGWIN_FX_SWAY);
    const int32_t wave[8] = {0, 1, 2, 2, 3, 2, 2, 1};
    // At pass 4 the wave stands one row up: rows 0, 3 and 7 shift by 1, 3 and 0 words.
    constexpr int32_t AT_PASS_4[8] = {1, 2, 2, 3, 2, 2, 1, 0};
    for (int32_t i = 0; i < 9; ++i) {
        composite_over(before);
        const uint32_t pass = msgwin_pass_count();
        std::vector<uint32_t> expected = before;
        for (int32_t r = 0; r < 10; ++r) {
            const int32_t shift = pass == 4 ? AT_PASS_4[r & 7] : wave[((pass >> 2) + r) & 7];
            apply_row(expected, 2 + r, 4, 12, masked_copy, shift);
        }
        SCOPED_TRACE(pass);
        expect_words(frame, expected);
    }
}

TEST_F(MsgwinTest, ShakeTakesOneDrawPerShakingWindowBeforeItsRows)
{
    const std::vector<uint32_t> before = scramble();
    const int32_t tall = msgwin_create(0, 0, 16, 18, MSGWIN_FX_SHAKE);    // words 0-7, rows 0-17
    const int32_t short_ = msgwin_create(32, 20, 16, 2, MSGWIN_FX_SHAKE); // words 16-23
    msgwin_create(0, 24, 16, 0, MSGWIN_FX_SHAKE);                         // no rows, still draws
    msgwin_create(48, 0, 8, 4, MSGWIN_HIDDEN | MSGWIN_FX_SHAKE);          // hidden, no draw
    ASSERT_EQ(short_, tall + 1);

    constexpr uint32_t SEED = 0x2A2A;
    uint32_t state = SEED;
    auto draw = [&state] {
        state = state * 214013u + 2531011u;
        return static_cast<int32_t>((state >> 16) & 0x7FFF);
    };
    auto shift = [](int32_t drawn, int32_t r) {
        const int32_t v = drawn >> (r & 15);
        return (v & 1) + ((v >> 4) & (v >> 2) & 3);
    };
    const int32_t first = draw();
    const int32_t second = draw();
    draw();
    // This seed shifts the tall window's rows by 2, 3, 2, 2, 2, 0, 1, 1, 1, 0, 0, 1, 0, 0, 0, 0
    // words, and again 2, 3 from row 16 on.
    std::vector<uint32_t> expected = before;
    for (int32_t r = 0; r < 18; ++r)
        apply_row(expected, r, 0, 8, masked_copy, shift(first, r));
    for (int32_t r = 0; r < 2; ++r)
        apply_row(expected, 20 + r, 16, 24, masked_copy, shift(second, r));

    random_reset(SEED);
    msgwin_composite();
    expect_words(frame, expected);
    EXPECT_EQ(random_state(), state);
}

TEST_F(MsgwinTest, DissolveBlursEveryFourthPassAndOrsTheColourLayerIn)
{
    const std::vector<uint32_t> before = scramble();
    const int32_t window = msgwin_create(4, 2, 8, 4, 8); // words 2-5, rows 2-5
    // A single row has nothing to draw.
    msgwin_create(0, 20, 16, 1, MSGWIN_FX_DISSOLVE);
    // Above 31, itself 0, to its right 31: 31/4 + 0/4 (each rounded down twice) + 31/2 = 22.
    put(colour, at(2, 2), 0x7FFF7FFF);
    put(colour, at(3, 2), 0);
    put(colour, at(3, 3), 0x7FFF7FFF);
    while (msgwin_pass_count() % 4 != 3)
        msgwin_composite();
    msgwin_set_effect(window, MSGWIN_FX_DISSOLVE);

    std::vector<uint32_t> layer = words(colour, LAYER_WORDS);
    auto half = [](uint32_t v) { return (v >> 1) & 0x3DEF3DEFu; };
    for (int32_t i = 0; i < 8; ++i) {
        const uint32_t pass = msgwin_pass_count() + 1;
        composite_over(before);
        // Rows top to bottom, words left to right: the word above is already blurred, the one to
        // the right not yet. The top row and the last word stay out.
        std::vector<uint32_t> expected = before;
        for (int32_t r = 1; r < 4; ++r) {
            for (int32_t j = 0; j < 3; ++j) {
                const int32_t k = at(2 + r, 2 + j);
                if (pass % 4 == 0)
                    layer[k] = half(half(layer[k - P]) + half(layer[k])) + half(layer[k + 1]);
                expected[k] |= layer[k];
            }
        }
        SCOPED_TRACE(pass);
        if (i == 0) {
            EXPECT_EQ(get(colour, at(3, 2)), 0x5AD65AD6u);
        }
        expect_words(colour, layer);
        expect_words(frame, expected);
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
    // The higher bits of an effect value stay in the flags; clearing takes the effect code too.
    record.counter = 5;
    EXPECT_EQ(msgwin_set_effect(window, 0x1203), 0);
    EXPECT_EQ(record.flags, 0x1203);
    EXPECT_EQ(record.counter, 0);
    record.counter = 5;
    EXPECT_EQ(msgwin_clear_flags(window, 0x200), 0);
    EXPECT_EQ(record.flags, 0x1000);
    EXPECT_EQ(record.counter, 0);
    record.counter = 5;
    EXPECT_EQ(msgwin_set_text(window, "ab"), 0);
    EXPECT_STREQ(record.text, "ab");
    EXPECT_EQ(record.counter, 0);

    scramble();
    const std::vector<char> table = table_bytes();
    const std::vector<uint32_t> colour_before = words(colour, LAYER_WORDS);
    const std::vector<uint32_t> mask_before = words(mask, LAYER_WORDS);
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
    expect_words(colour, colour_before);
    expect_words(mask, mask_before);
}

TEST_F(MsgwinTest, SetTextKeepsAtMost255BytesAndWholeCharacters)
{
    const int32_t window = msgwin_create(0, 0, 64, 32, MSGWIN_FX_PLAIN);
    // "あ" repeated: its 128th character would need bytes 254 and 255, so it is left out whole;
    // after one single-byte character a whole one ends at byte 254.
    std::string wide;
    while (wide.size() < 300)
        wide += "\x82\xa0";
    for (const auto& [text, kept] :
         {std::pair{std::string(300, 'a'), size_t{255}}, std::pair{wide, size_t{254}},
          std::pair{"a" + wide, size_t{255}}}) {
        msgwin_set_text(window, text.c_str());
        EXPECT_EQ(std::string(text_windows()[window].text), text.substr(0, kept));
    }
}

TEST_F(MsgwinTest, MoveAndSetPositionClampToTheSurface)
{
    const int32_t window = msgwin_create(16, 8, 20, 10, MSGWIN_FX_PLAIN);
    // Moving clears the old area (words 8-17 of rows 8-17) in both layers and nothing else;
    // setting the position clamps alike and leaves the layers alone.
    const auto clear = [](uint32_t, uint32_t, uint32_t) { return 0u; };
    for (const bool moving : {true, false}) {
        scramble();
        const std::vector<uint32_t> colour_before = words(colour, LAYER_WORDS);
        const std::vector<uint32_t> mask_before = words(mask, LAYER_WORDS);
        const auto to = moving ? msgwin_move : msgwin_set_position;
        to(window, -10, -10);
        EXPECT_EQ(position(window), std::pair(0, 0));
        expect_words(colour, moving ? apply(colour_before, 8, 18, 8, 18, clear) : colour_before);
        expect_words(mask, moving ? apply(mask_before, 8, 18, 8, 18, clear) : mask_before);
        to(window, W, H);
        EXPECT_EQ(position(window), std::pair(W - 20, H - 10));
    }

    // An odd x is stored as it is; the composite starts at its pixel pair, word 2.
    msgwin_move(window, 5, 1);
    EXPECT_EQ(position(window), std::pair(5, 1));
    const std::vector<uint32_t> before = scramble();
    msgwin_composite();
    expect_words(frame, apply(before, 1, 11, 2, 12, masked_copy));
}

TEST_F(MsgwinTest, WindowsLeavingTheSurfaceCompositeOnlyTheirPartOnIt)
{
    std::vector<uint32_t> before = scramble();
    // From row -2 and word -2: rows 0-3, words 0-3 show.
    const int32_t above = msgwin_create(-4, -2, 12, 6, MSGWIN_FX_PLAIN);
    msgwin_composite();
    expect_words(frame, apply(before, 0, 4, 0, 4, masked_copy));

    // Past the right and bottom edges: no word wraps into the next row or the guard row.
    msgwin_set_effect(above, MSGWIN_HIDDEN);
    const int32_t below = msgwin_create(W - 4, H - 2, 12, 6, MSGWIN_FX_WHITE);
    composite_over(before);
    expect_words(frame, apply(before, H - 2, H, P - 2, P, or_mask));

    // Larger than the surface: clamping to 0 first and then to the far edge leaves it up and
    // left of the surface, covering all of it. No effect may touch the guard row.
    const int32_t window = msgwin_create(0, 0, W + 8, H + 4, MSGWIN_FX_PLAIN);
    msgwin_set_effect(below, MSGWIN_HIDDEN);
    msgwin_move(window, 3, 3);
    EXPECT_EQ(position(window), std::pair(-8, -4));
    before = scramble();
    msgwin_composite();
    expect_words(frame, apply(before, 0, H, 0, P, masked_copy));

    for (int32_t effect = MSGWIN_FX_WHITE; effect <= MSGWIN_FX_FADE_IN; ++effect) {
        msgwin_set_effect(window, effect);
        for (int32_t pass = 0; pass < 4; ++pass) {
            composite_over(before);
            for (int32_t j = 0; j < P; ++j)
                ASSERT_EQ(get(frame, at(H, j)), before[at(H, j)])
                    << "effect " << effect << " wrote the guard row";
        }
    }
}

// Rectangles anywhere 32 bits reach: no far edge is summed past that range.
TEST_F(MsgwinTest, RectanglesAnywhereInThe32BitRangeClampAndCompositeSafely)
{
    // From 2^31 - 8 rows above the surface and 2^31 - 1 high: its last rows, 0 to 6, show.
    const std::vector<uint32_t> before = scramble();
    const int32_t tall = msgwin_create(0, INT32_MIN + 8, W, INT32_MAX, MSGWIN_FX_PLAIN);
    msgwin_composite();
    expect_words(frame, apply(before, 0, 7, 0, P, masked_copy));

    // From 2^31 pixels left of the surface, 2^31 pixels narrower than nothing: no effect draws
    // a word.
    msgwin_set_effect(tall, MSGWIN_HIDDEN);
    const int32_t left = msgwin_create(INT32_MIN, 0, INT32_MIN, H, MSGWIN_FX_WHITE);
    for (int32_t effect = MSGWIN_FX_WHITE; effect <= MSGWIN_FX_FADE_IN; ++effect) {
        msgwin_set_effect(left, effect);
        composite_over(before);
        expect_words(frame, before);
    }

    // As wide and as high as 32 bits go: clamped to end at the far edges.
    msgwin_set_effect(left, MSGWIN_HIDDEN);
    const int32_t huge = msgwin_create(0, 0, INT32_MAX, INT32_MAX, MSGWIN_HIDDEN);
    msgwin_set_position(huge, 10, 10);
    EXPECT_EQ(position(huge), std::pair(W - (INT32_MAX - 1), H - INT32_MAX));
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
        expect_words(colour, expected);
        expect_words(mask, expected_mask);
    }
}

} // namespace
