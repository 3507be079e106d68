// The display-test script: its timeline, its random draws and the program that plays it.
#include "demo/demo_script.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "platform/random.h"
#include "tests/support/generator.h"
#include "tests/support/program.h"
#include "tests/support/text_layers.h"
#include "text/msgwin.h"

namespace {

int32_t effect_of(int32_t window)
{
    return text_windows()[window].flags & MSGWIN_EFFECT_MASK;
}

std::string text_of(int32_t window)
{
    return text_windows()[window].text;
}

using DemoScriptTest = TextLayersTest;

// The generator is drawn only where pop-ups are made (frame 121: one draw each), filled (frame
// 281: three each), appear (one: the effect) or are refilled after dissolving (three). Each
// appears from nothing at its x and fixed y, dissolves 60 frames later and waits again 60 after.
void expect_popups_drawn(int frame, const DemoPopper* before, uint32_t state,
                         std::map<int32_t, int>& shown_at)
{
    int draws = frame == 121 ? 6 : frame == 281 ? 18 : 0;
    for (int32_t i = 0; frame > 281 && i < DEMO_POPUPS; ++i) {
        const DemoPopper& now = demo_script().popups[i];
        const std::pair phases(before[i].phase, now.phase);
        if (phases == std::pair(DEMO_PHASE_WAITING, DEMO_PHASE_SHOWING)) {
            draws += 1;
            shown_at[i] = frame;
            const MessageWindow& window = text_windows()[now.window];
            EXPECT_EQ(std::tuple(window.x, window.y, window.tint, text_of(now.window)),
                      std::tuple(before[i].x, 60 * (i + 1), 0u, demo_texts[before[i].text]));
            EXPECT_TRUE(std::set<int>({1, 2, 7, 5, 6}).count(effect_of(now.window)));
        }
        if (phases == std::pair(DEMO_PHASE_SHOWING, DEMO_PHASE_DISSOLVING)) {
            EXPECT_EQ(frame - shown_at[i], 60);
        }
        if (phases == std::pair(DEMO_PHASE_DISSOLVING, DEMO_PHASE_WAITING)) {
            draws += 3;
            EXPECT_EQ(frame - shown_at[i], 120);
            EXPECT_TRUE(now.x < 300 && now.countdown <= 49) << now.x << " " << now.countdown;
        }
    }
    EXPECT_EQ(TestGenerator{state}.draws_to(random_state()), draws) << "frame " << frame;
}

TEST_F(DemoScriptTest, StatesFollowTheTimeline)
{
    // Each call is one frame; the composite pass is left out, so only the script draws. The
    // frame each state begins, and the effect each change sets on the main window (0) and the
    // first two pop-ups; hiding the main window at 121 sets its effect code to 0. The effects
    // of the first three windows change nowhere else up to frame 281.
    const int state_starts[] = {1, 61, 121, 141, 181, 201, 231, 251, 281};
    const std::map<int, std::pair<int, int>> changes = {
        {1, {0, MSGWIN_FX_FADE_IN}},    {61, {0, MSGWIN_FX_DISSOLVE}},
        {121, {1, MSGWIN_FX_FADE_IN}},  {141, {2, MSGWIN_FX_FADE_IN}},
        {181, {1, MSGWIN_FX_SWAY}},     {201, {2, MSGWIN_FX_SHAKE}},
        {231, {1, MSGWIN_FX_DISSOLVE}}, {251, {2, MSGWIN_FX_DISSOLVE}}};
    random_reset();
    std::map<int32_t, int> shown_at;
    for (int frame = 1; frame <= 600; ++frame) {
        int expected[3] = {effect_of(0), effect_of(1), effect_of(2)};
        const uint32_t drawn_from = random_state();
        DemoPopper before[DEMO_POPUPS];
        std::copy(demo_script().popups, demo_script().popups + DEMO_POPUPS, before);
        demo_script_step();
        expect_popups_drawn(frame, before, drawn_from, shown_at);
        if (const auto change = changes.find(frame); change != changes.end())
            expected[change->second.first] = change->second.second;
        if (frame == 121) {
            expected[0] = 0;
            expected[2] = MSGWIN_FX_PLAIN; // the pop-ups are made with flags 1
        }
        for (int32_t window = 0; frame <= 281 && window < 3; ++window)
            EXPECT_EQ(effect_of(window), expected[window]) << frame << " " << window;
        const auto state =
            std::upper_bound(std::begin(state_starts), std::end(state_starts), frame) -
            std::begin(state_starts);
        EXPECT_EQ(demo_script().state, state) << "frame " << frame;
        EXPECT_EQ((text_windows()[0].flags & MSGWIN_HIDDEN) != 0, frame >= 121 && frame < 431)
            << "frame " << frame;
        if (frame == 120) {
            EXPECT_EQ(text_windows()[1].id, MSGWIN_FREE);
        }
        if (frame == 121) {
            for (int32_t i = 0; i < DEMO_POPUPS; ++i) {
                const MessageWindow& popup = text_windows()[1 + i];
                EXPECT_EQ(std::tuple(demo_script().popup_windows[i], popup.y, popup.width,
                                     popup.height, popup.x < 300),
                          std::tuple(1 + i, 60 * (i + 1), 200, 32, true));
            }
            EXPECT_EQ(std::tuple(text_of(1), text_of(2)), std::tuple(demo_texts[1], ""));
        }
        if (frame == 281) {
            EXPECT_EQ(std::tuple(text_of(0), text_of(2)), std::tuple(demo_texts[0], demo_texts[2]));
            for (int32_t i = 0; i < DEMO_POPUPS; ++i) {
                const DemoPopper& popup = demo_script().popups[i];
                EXPECT_EQ(std::tuple(popup.window, popup.y, popup.phase,
                                     popup.text >= 3 && popup.text <= 9,
                                     popup.x >= 150 && popup.x < 300, popup.countdown < 50),
                          std::tuple(1 + i, 60 * (i + 1), DEMO_PHASE_WAITING, true, true, true))
                    << popup.text << " " << popup.x << " " << popup.countdown;
            }
        }
        // The closing line fades in at 431, at 400 clamped to the 461-row surface: 461 - 64.
        // The tint grows only in the composite; it is marked to see it is never reset again.
        if (frame == 431) {
            EXPECT_EQ(
                std::tuple(effect_of(0), text_of(0), text_windows()[0].x, text_windows()[0].y),
                std::tuple(MSGWIN_FX_FADE_IN, demo_texts[10], 0, 397));
            text_windows()[0].tint = 0x12345678;
        }
    }
    EXPECT_EQ(std::tuple(text_windows()[0].tint, text_of(0)),
              std::tuple(0x12345678u, demo_texts[10]));
    EXPECT_FALSE(shown_at.empty());
}

using DemoProgramTest = ProgramTest;

// The script in the program's frames: by frame 600 the closing line has faded in fully, magenta
// (31, 0, 31) without each channel's lowest bit; its 14 characters are centred in the 512-pixel
// window at row 397.
TEST_F(DemoProgramTest, PlaysTheWholeScriptInTheFrames)
{
    headless_use_face(test_face());
    EXPECT_EQ(run(600), 0);
    const std::vector<uint16_t>& frame = headless_screen();
    const int32_t x = (512 - (14 * TEST_FACE_WIDE + 1)) >> 1;
    long magenta = 0;
    for (int32_t y = 397 + TEST_FACE_INK_TOP_ROW; y < 397 + 20; ++y) {
        for (int32_t c = x + 2; c <= x + 14 * TEST_FACE_WIDE - 2; ++c)
            magenta += frame[y * 512 + c] == (30 << 10 | 30);
    }
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
