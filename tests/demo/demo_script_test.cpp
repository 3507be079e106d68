// The display-test script: its timeline, its random draws and the program that plays it.
#include "demo/demo_script.h"

#include <map>
#include <set>
#include <string>

#include "platform/random.h"
#include "tests/support/program.h"
#include "tests/support/text_layers.h"
#include "text/msgwin.h"

namespace {

int32_t effect_of(int32_t window)
{
    return text_windows()[window].flags & MSGWIN_EFFECT_MASK;
}

bool hidden(int32_t window)
{
    return (text_windows()[window].flags & MSGWIN_HIDDEN) != 0;
}

std::string text_of(int32_t window)
{
    return text_windows()[window].text;
}

// How many draws of the shared generator lie between two of its states.
int draws_between(uint32_t before, uint32_t after)
{
    for (int draws = 0; draws < 64; ++draws) {
        if (before == after)
            return draws;
        before = before * 214013u + 2531011u;
    }
    return -1;
}

using DemoScriptTest = TextLayersTest;

TEST_F(DemoScriptTest, StatesFollowTheTimeline)
{
    // Each call is one frame; the composite pass is left out, so only the script draws.
    const std::map<int, std::pair<int, int>> effect_changes = {
        {1, {0, MSGWIN_FX_FADE_IN}},    {61, {0, MSGWIN_FX_DISSOLVE}},
        {121, {1, MSGWIN_FX_FADE_IN}},  {141, {2, MSGWIN_FX_FADE_IN}},
        {181, {1, MSGWIN_FX_SWAY}},     {201, {2, MSGWIN_FX_SHAKE}},
        {231, {1, MSGWIN_FX_DISSOLVE}}, {251, {2, MSGWIN_FX_DISSOLVE}}};
    for (int frame = 1; frame <= 300; ++frame) {
        const std::map<int, int> before = {{0, effect_of(0)}, {1, effect_of(1)}, {2, effect_of(2)}};
        demo_script_step();
        for (const auto& [window, effect] : before) {
            const auto change = effect_changes.find(frame);
            if (change != effect_changes.end() && change->second.first == window) {
                EXPECT_EQ(effect_of(window), change->second.second) << "frame " << frame;
            } else if (frame == 121 && window == 0) {
                EXPECT_EQ(effect_of(window), 0); // hiding sets the effect code to 0
            } else if (frame != 121 && frame < 282) {
                EXPECT_EQ(effect_of(window), effect) << "frame " << frame << " window " << window;
            }
        }
        if (frame == 1) {
            EXPECT_EQ(text_of(0), demo_texts[0]);
        }
        if (frame == 120) {
            EXPECT_EQ(text_windows()[1].id, MSGWIN_FREE);
        }
        if (frame == 121) {
            EXPECT_TRUE(hidden(0));
            for (int32_t i = 0; i < DEMO_POPUPS; ++i) {
                const MessageWindow& popup = text_windows()[1 + i];
                EXPECT_EQ(demo_script().popup_windows[i], 1 + i);
                EXPECT_EQ(popup.y, 60 * (i + 1));
                EXPECT_EQ(popup.width, 200);
                EXPECT_EQ(popup.height, 32);
                EXPECT_LT(popup.x, 300);
                EXPECT_EQ(popup.flags, i == 0 ? MSGWIN_FX_FADE_IN : 1);
            }
            EXPECT_EQ(text_of(1), demo_texts[1]);
            EXPECT_EQ(text_of(2), "");
        }
        if (frame == 141) {
            EXPECT_EQ(text_of(2), demo_texts[2]);
        }
        if (frame == 281) {
            EXPECT_EQ(demo_script().state, DEMO_STATE_POPUPS);
            for (int32_t i = 0; i < DEMO_POPUPS; ++i) {
                const DemoPopper& popup = demo_script().popups[i];
                EXPECT_EQ(popup.window, 1 + i);
                EXPECT_EQ(popup.y, 60 * (i + 1));
                EXPECT_GE(popup.text, 3);
                EXPECT_LE(popup.text, 9);
                EXPECT_GE(popup.x, 150);
                EXPECT_LT(popup.x, 300);
                EXPECT_LT(popup.countdown, 50);
                EXPECT_EQ(popup.phase, DEMO_PHASE_WAITING);
            }
        }
        EXPECT_EQ(demo_script().state, frame < 61    ? 1
                                       : frame < 121 ? 2
                                       : frame < 141 ? 3
                                       : frame < 181 ? 4
                                       : frame < 201 ? 5
                                       : frame < 231 ? 6
                                       : frame < 251 ? 7
                                       : frame < 281 ? 8
                                                     : 9)
            << "frame " << frame;
    }
}

TEST_F(DemoScriptTest, DrawsOnlyWherePopupsAreMadeFilledOrChangePhase)
{
    random_reset();
    std::map<int32_t, int> shown_at;
    for (int frame = 1; frame <= 600; ++frame) {
        const uint32_t state = random_state();
        DemoPopper before[DEMO_POPUPS];
        std::copy(demo_script().popups, demo_script().popups + DEMO_POPUPS, before);
        demo_script_step();
        int expected = frame == 121 ? 6 : frame == 281 ? 18 : 0;
        for (int32_t i = 0; frame > 281 && i < DEMO_POPUPS; ++i) {
            const DemoPopper& now = demo_script().popups[i];
            if (before[i].phase == DEMO_PHASE_WAITING && now.phase == DEMO_PHASE_SHOWING) {
                expected += 1;
                // It appears, from nothing, at its x and fixed y, with one of five effects.
                shown_at[i] = frame;
                const MessageWindow& window = text_windows()[now.window];
                EXPECT_EQ(window.x, before[i].x);
                EXPECT_EQ(window.y, 60 * (i + 1));
                EXPECT_EQ(window.tint, 0u);
                EXPECT_EQ(text_of(now.window), demo_texts[before[i].text]);
                EXPECT_TRUE(std::set<int>({1, 2, 7, 5, 6}).count(effect_of(now.window)));
            }
            if (before[i].phase == DEMO_PHASE_SHOWING && now.phase == DEMO_PHASE_DISSOLVING) {
                EXPECT_EQ(frame - shown_at[i], 60);
            }
            if (before[i].phase == DEMO_PHASE_DISSOLVING && now.phase == DEMO_PHASE_WAITING) {
                expected += 3;
                EXPECT_EQ(frame - shown_at[i], 120);
                EXPECT_LT(now.x, 300);
                EXPECT_LE(now.countdown, 49);
            }
        }
        EXPECT_EQ(draws_between(state, random_state()), expected) << "frame " << frame;
    }
    EXPECT_FALSE(shown_at.empty());
}

TEST_F(DemoScriptTest, ClosingLineShowsOnceAtFrame431)
{
    for (int frame = 1; frame <= 600; ++frame) {
        demo_script_step();
        if (frame >= 121 && frame < 431) {
            ASSERT_TRUE(hidden(0)) << "frame " << frame;
        }
        if (frame == 431) {
            EXPECT_FALSE(hidden(0));
            EXPECT_EQ(effect_of(0), MSGWIN_FX_FADE_IN);
            EXPECT_EQ(text_of(0), demo_texts[10]);
            // 400 is clamped to the 461-row surface: 461 - 64.
            EXPECT_EQ(text_windows()[0].y, 397);
            EXPECT_EQ(text_windows()[0].x, 0);
            // The tint grows only in the composite; mark it to see it is never reset again.
            text_windows()[0].tint = 0x12345678;
        }
    }
    EXPECT_EQ(text_windows()[0].tint, 0x12345678u);
    EXPECT_EQ(text_of(0), demo_texts[10]);
}

class DemoProgramTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        headless_use_face(test_face());
    }
};

TEST_F(DemoProgramTest, PlaysTheWholeScriptInTheFrames)
{
    std::map<uint32_t, std::function<void()>> checks;
    checks[60] = [] { EXPECT_EQ(effect_of(0), MSGWIN_FX_FADE_IN); };
    checks[61] = [] { EXPECT_EQ(effect_of(0), MSGWIN_FX_DISSOLVE); };
    checks[121] = [] {
        EXPECT_TRUE(hidden(0));
        EXPECT_EQ(effect_of(1), MSGWIN_FX_FADE_IN);
    };
    checks[282] = [] { EXPECT_EQ(demo_script().state, DEMO_STATE_POPUPS); };
    checks[430] = [] { EXPECT_TRUE(hidden(0)); };
    checks[431] = [] { EXPECT_EQ(text_of(0), demo_texts[10]); };
    for (auto& [frame, check] : checks)
        at_frame(frame, check);
    // By frame 600 the closing line has faded in fully: magenta (31, 0, 31) without each
    // channel's lowest bit. Its 14 characters are centred in the 512-pixel window at row 397.
    long magenta = 0;
    at_frame(600, [&] {
        const Pixel* frame = surface_current_pixels();
        const int32_t x = (512 - (14 * TEST_FACE_WIDE + 1)) >> 1;
        for (int32_t y = 397 + TEST_FACE_INK_TOP_ROW; y < 397 + 20; ++y) {
            for (int32_t c = x + 2; c <= x + 14 * TEST_FACE_WIDE - 2; ++c)
                magenta += frame[y * 512 + c] == (30 << 10 | 30);
        }
    });
    headless_close_after_frames(600);
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(headless_frames_presented(), 600u);
    // Every glyph column of every row, less the gaps between characters and a few pixels that
    // something else (a star) may have taken.
    const long glyph_pixels = 16L * 14 * (TEST_FACE_WIDE - 3);
    EXPECT_GT(magenta, glyph_pixels - 100);
    EXPECT_LE(magenta, glyph_pixels);
}

class RealFontTest : public TextLayersTest {
protected:
    RealFontTest()
    {
        use_test_face = false;
    }
};

TEST_F(RealFontTest, GlyphsAreWholePixelsAndBothLayersCoverTheSamePixels)
{
    const int32_t size = surface_width() * surface_height();
    for (int32_t t = 0; t < DEMO_TEXT_COUNT; ++t) {
        text_clear_rect(0, 0, surface_width(), surface_height());
        msgwin_set_text(0, demo_texts[t]);
        long ink = 0;
        for (int32_t i = 0; i < size; ++i) {
            const Pixel mask = layer(text_mask_layer())[i];
            const Pixel colour = layer(text_colour_layer())[i];
            ASSERT_TRUE(mask == 0 || mask == TEST_WHITE) << "text " << t << " pixel " << i;
            ASSERT_EQ(mask != 0, colour != 0) << "text " << t << " pixel " << i;
            ink += mask != 0;
        }
        EXPECT_GT(ink, 100) << "text " << t;
    }
}

} // namespace
