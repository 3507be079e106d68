// Message windows on a small headless surface: the operations on the table, one worked word per
// composite effect, and every effect's geometry against the plain composite of
// tests/support/plain_composite.h.
#include "text/msgwin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/pixel.h"
#include "platform/random.h"
#include "tests/support/generator.h"
#include "tests/support/plain_composite.h"
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
std::vector<Pixel> plane(const Pixel* p, int32_t words)
{
    return std::vector<Pixel>(p, p + 2 * words);
}

class MsgwinTest : public TextLayersTest {
protected:
    void SetUp() override
    {
        start(W, H + 1);
        // The demo's window 0 lies below this small surface; hidden, it draws nothing anyway.
        msgwin_set_effect(0, MSGWIN_HIDDEN);
        colour = layer(text_colour_layer());
        mask = layer(text_mask_layer());
        frame = surface_current_pixels();
    }

    // Seeded random pixels in the frame and both layers, the layers mostly zeros when sparse.
    void scramble(bool sparse = false)
    {
        for (int32_t i = 0; i < 2 * FRAME_WORDS; ++i)
            frame[i] = static_cast<Pixel>(rng());
        for (Pixel* layer : {colour, mask}) {
            for (int32_t i = 0; i < 2 * LAYER_WORDS; ++i)
                layer[i] = sparse && rng() % 3 ? 0 : static_cast<Pixel>(rng());
        }
    }

    static std::vector<char> table_bytes()
    {
        const char* table = reinterpret_cast<const char*>(text_windows());
        return {table, table + MSGWIN_COUNT * sizeof(MessageWindow)};
    }

    Pixel* colour = nullptr;
    Pixel* mask = nullptr;
    Pixel* frame = nullptr;
    static constexpr uint32_t SEED = 1206;
    std::mt19937 rng{SEED};
};

// The window is the table's last, index 7, over words 0-7 of rows 0-1, composited in the
// fourth pass; the mask word covers the left pixel, each other plane is one word throughout.
// Frame 0x21086318 is (24, 24, 24) then (8, 8, 8); the colour is (5, 5, 5) on the left.
TEST_F(MsgwinTest, EachEffectCompositesItsWorkedWordFromTheLastWindow)
{
    constexpr uint32_t F = 0x21086318, C = 0x000014A5, ALL = 0x7FFF7FFF;
    constexpr uint32_t COPIED = 0x210814A5; // the mask clears the left pixel, the colour fills it
    constexpr uint32_t WHITE = 0x21087FFF;  // the mask ORed in
    constexpr uint32_t DISSOLVED = 0x2108739C; // blurred (5 -> 2 + 2 + 2 per quarter, half) 4, ORed
    constexpr uint32_t ADDED = 0x2108739C;     // 24 + (5 less its lowest bit) = 28
    struct Case {
        int32_t effect;
        uint32_t tint, colour, frame, row0, row1;
    };
    const Case cases[] = {
        {MSGWIN_FX_WHITE, 0, C, F, WHITE, WHITE},
        {MSGWIN_FX_PLAIN, 0, C, F, COPIED, COPIED},
        {MSGWIN_FX_BLINDS, 0, C, F, COPIED, F},      // counter 0: rows 0, 8, ... only
        {MSGWIN_FX_DISSOLVE, 0, C, F, F, DISSOLVED}, // never its top row
        {MSGWIN_FX_ADD, ALL, C, F, ADDED, ADDED},
        {MSGWIN_FX_FADE_IN, 0x18C618C6, C, F, ADDED, ADDED}, // 6 + one step = 7 masks nothing of 5
        {8, 0, C, F, F, F},
        // The additive words saturate, keep carries and drop every lowest bit. Left: red 31 + 16
        // and blue 31 + 16 saturate, blue's carry lands in green's lowest bit (16 -> 17), red's
        // stays in bit 15. Right: green 31 loses its lowest bit, the 1s vanish.
        {MSGWIN_FX_ADD, ALL, 0x03E07C1F, 0x04214210, 0x03C0FE3F, 0x03C0FE3F},
        // The tint masks the colour: 16 + 30 overflows every channel; red's carry reaches bit 31.
        {MSGWIN_FX_ADD, 0x42104210, ALL, 0x7FFF0000, 0xFFFF4210, 0xFFFF4210},
    };
    for (int32_t i = 1; i < MSGWIN_COUNT - 1; ++i)
        msgwin_create(0, 0, 2, 2, MSGWIN_HIDDEN);
    const int32_t window = msgwin_create(0, 0, 16, 2, 8);
    ASSERT_EQ(window, 7);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.effect << " " << std::hex << c.colour);
        for (int32_t k = 0; k < LAYER_WORDS; ++k) {
            rgb555_store_pair(mask + 2 * k, 0x00007FFF);
            rgb555_store_pair(colour + 2 * k, c.colour);
        }
        msgwin_set_effect(window, c.effect);
        msgwin_reset_passes();
        for (int32_t pass = 0; pass < 3; ++pass)
            msgwin_composite();
        for (int32_t k = 0; k < FRAME_WORDS; ++k)
            rgb555_store_pair(frame + 2 * k, c.frame);
        msgwin_set_tint(window, c.tint);
        msgwin_composite();
        EXPECT_EQ(std::vector({get(frame, at(0, 5)), get(frame, at(1, 5)), get(frame, at(2, 5)),
                               get(frame, at(0, 8))}),
                  std::vector({c.row0, c.row1, c.frame, c.frame}));
    }
}

// msgwin_composite against the plain composite over seeded random planes and windows of every
// effect at every index, the last included, inside the surface, across its edges and off it, at
// odd positions and widths, over several passes (the fade-in's tint growing to full, the blinds'
// counter to 16): the frame with its guard row, the colour layer, the generator and the window
// records must come out the same.
TEST_F(MsgwinTest, EveryEffectCompositesThePlainWords)
{
    const auto between = [&](int32_t low, int32_t high) {
        return low + static_cast<int32_t>(rng() % static_cast<uint32_t>(high - low + 1));
    };
    MessageWindow* windows = text_windows();
    for (int32_t round = 0; round < 100; ++round) {
        SCOPED_TRACE(testing::Message() << "seed " << SEED << " round " << round);
        scramble(true);
        // A few windows; effects 0 to 9 (8 and 9 draw nothing), hidden now and then.
        for (int32_t i = 0; i < MSGWIN_COUNT; ++i) {
            const bool used = rng() % 3 == 0, hidden = rng() % 10 == 0, tinted = rng() % 2;
            windows[i] = {used ? i : MSGWIN_FREE,
                          between(-40, W + 10),
                          between(-20, H + 5),
                          between(0, 80),
                          between(0, 40),
                          between(0, 9) | hidden * MSGWIN_HIDDEN,
                          tinted ? static_cast<uint32_t>(rng()) : MSGWIN_TINT_FULL,
                          between(0, 16),
                          {}};
        }
        for (int32_t pass = 0; pass < 5; ++pass) {
            PlainPlanes expected{plane(frame, FRAME_WORDS), plane(colour, LAYER_WORDS),
                                 plane(mask, LAYER_WORDS), P, H};
            std::vector<MessageWindow> records(windows, windows + MSGWIN_COUNT);
            random_reset(static_cast<uint32_t>(rng()));
            TestGenerator generator{random_state()};
            for (MessageWindow& w : records) {
                const bool shakes = (w.flags & MSGWIN_EFFECT_MASK) == MSGWIN_FX_SHAKE;
                if (w.id != MSGWIN_FREE && !(w.flags & MSGWIN_HIDDEN))
                    plain::composite_window(expected, w, msgwin_pass_count() + 1,
                                            shakes ? generator.next() : 0);
            }
            msgwin_composite();
            ASSERT_EQ(random_state(), generator.state);
            ASSERT_EQ(plane(frame, FRAME_WORDS), expected.frame);
            ASSERT_EQ(plane(colour, LAYER_WORDS), expected.colour);
            for (int32_t i = 0; i < MSGWIN_COUNT; ++i)
                ASSERT_EQ(std::pair(windows[i].tint, windows[i].counter),
                          std::pair(records[i].tint, records[i].counter))
                    << "window " << i;
        }
    }
}

// Operations in turn, each against its result and the record it touched (x, y, width, flags and
// counter, which is 5 before each call). Create rounds x and width down to even, towards negative
// infinity, and clamps nothing; an effect value's higher bits stay in the flags (256 hides),
// clearing takes the effect code too, and each restarts the counter; the tint and the position
// keep it. Move and set_position clamp to the surface and keep an odd x; larger than the surface,
// clamping to 0 first and then to the far edge leaves a window up and left of it.
TEST_F(MsgwinTest, OperationsSetTheirRecordAndTheTableHoldsEight)
{
    struct Row {
        int32_t (*call)();
        int32_t window, result, x, y, width, flags, counter;
    };
    // clang-format off
    const Row rows[] = {
        {[] { return msgwin_create(1, 0, 201, 40, 0x1203); }, 1, 1, 0, 0, 200, 0x1203, 0},
        {[] { return msgwin_create(-3, 5, 7, 1, MSGWIN_FX_BLINDS); }, 2, 2, -4, 5, 6, 6, 0},
        {[] { return msgwin_set_effect(2, 0x1203); }, 2, 0, -4, 5, 6, 0x1203, 0},
        {[] { return msgwin_clear_flags(2, 0x200); }, 2, 0, -4, 5, 6, 0x1000, 0},
        {[] { return msgwin_set_effect(2, MSGWIN_HIDDEN); }, 2, 0, -4, 5, 6, 0x1100, 0},
        {[] { return msgwin_set_effect(2, MSGWIN_FX_FADE_IN); }, 2, 0, -4, 5, 6, 0x1107, 0},
        {[] { return msgwin_clear_flags(2, MSGWIN_HIDDEN); }, 2, 0, -4, 5, 6, 0x1000, 0},
        {[] { return msgwin_set_tint(2, 7); }, 2, 0, -4, 5, 6, 0x1000, 5},
        {[] { return msgwin_create(16, 8, 20, 10, MSGWIN_FX_PLAIN); }, 3, 3, 16, 8, 20, 1, 0},
        {[] { return msgwin_set_position(3, -10, -10); }, 3, 0, 0, 0, 20, 1, 5},
        {[] { return msgwin_set_position(3, W, H); }, 3, 0, W - 20, H - 10, 20, 1, 5},
        {[] { return msgwin_move(3, -10, -10); }, 3, 0, 0, 0, 20, 1, 5},
        {[] { return msgwin_move(3, W, H); }, 3, 0, W - 20, H - 10, 20, 1, 5},
        {[] { return msgwin_move(3, 5, 1); }, 3, 0, 5, 1, 20, 1, 5},
        {[] { return msgwin_set_position(1, 3, 3); }, 1, 0, W - 200, H - 40, 200, 0x1203, 5},
    };
    // clang-format on
    for (const Row& row : rows) {
        MessageWindow& record = text_windows()[row.window];
        record.counter = 5;
        SCOPED_TRACE(testing::Message() << "row " << &row - rows);
        EXPECT_EQ(row.call(), row.result);
        EXPECT_EQ((std::vector{record.id, record.x, record.y, record.width, record.flags,
                               record.counter}),
                  (std::vector{row.window, row.x, row.y, row.width, row.flags, row.counter}));
    }
    for (int32_t expected = 4; expected < MSGWIN_COUNT; ++expected)
        EXPECT_EQ(msgwin_create(0, 0, 2, 2, 0), expected);
    const std::vector<char> table = table_bytes();
    EXPECT_EQ(msgwin_create(0, 0, 2, 2, 0), -1);
    for (const int32_t bad : {-1, MSGWIN_COUNT}) {
        EXPECT_EQ((std::vector{msgwin_set_effect(bad, MSGWIN_FX_PLAIN),
                               msgwin_clear_flags(bad, MSGWIN_HIDDEN), msgwin_set_tint(bad, 1),
                               msgwin_set_text(bad, "x"), msgwin_move(bad, 2, 2),
                               msgwin_set_position(bad, 2, 2), msgwin_clear_area(bad)}),
                  std::vector(7, -1));
    }
    EXPECT_EQ(table_bytes(), table);
}

// A text keeps at most 255 bytes and whole characters: of "あ" repeated, the 128th would need
// bytes 254 and 255, so it is left out; after one single-byte character a whole one ends at byte
// 254; a lone lead byte is dropped. Moving clears the window's old area (words 8-17 of rows
// 8-17) in both layers and nothing else (setting the position clears nothing); a window larger
// than the surface clears what of its area lies on it: all of it.
TEST_F(MsgwinTest, TextsAreCutWholeAndMovingClearsTheOldArea)
{
    const int32_t window = msgwin_create(16, 8, 20, 10, MSGWIN_FX_PLAIN);
    std::string wide;
    while (wide.size() < 300)
        wide += "\x82\xa0";
    for (const auto& [text, kept] :
         {std::pair{std::string(300, 'a'), size_t{255}}, std::pair{wide, size_t{254}},
          std::pair{"a" + wide, size_t{255}}, std::pair{std::string("ab\x82"), size_t{2}}}) {
        EXPECT_EQ(msgwin_set_text(window, text.c_str()), 0);
        EXPECT_EQ(std::string(text_windows()[window].text), text.substr(0, kept));
    }
    msgwin_set_text(window, "");
    scramble();
    const uint32_t inside = get(mask, at(8, 8)), outside = get(mask, at(8, 18));
    msgwin_set_position(window, 0, 0);
    EXPECT_EQ(get(mask, at(8, 8)), inside);
    msgwin_set_position(window, 16, 8);
    msgwin_move(window, 0, 0);
    EXPECT_EQ(std::vector({get(mask, at(8, 8)), get(colour, at(17, 17)), get(mask, at(8, 18))}),
              std::vector({0u, 0u, outside}));
    msgwin_move(msgwin_create(0, 0, W + 8, H + 4, MSGWIN_HIDDEN), 3, 3);
    EXPECT_EQ(plane(mask, LAYER_WORDS), std::vector<Pixel>(2 * LAYER_WORDS, 0));
    EXPECT_EQ(plane(colour, LAYER_WORDS), std::vector<Pixel>(2 * LAYER_WORDS, 0));
}

} // namespace
