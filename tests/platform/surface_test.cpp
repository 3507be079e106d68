// The surface after a real start-up on the headless host, frame by frame without the loop.
#include "platform/surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "app/app.h"
#include "host/emulated/emulated.h"
#include "host/headless/headless.h"
#include "text/msgwin.h"
#include "text/text.h"

namespace {

class SurfaceTest : public ::testing::Test {
protected:
    // Start-up on a client of that size, which shows that many error boxes.
    void start(int32_t client_width = HEADLESS_CLIENT_WIDTH,
               int32_t client_height = HEADLESS_CLIENT_HEIGHT, size_t boxes = 0)
    {
        HeadlessConfig config;
        config.client_width = client_width;
        config.client_height = client_height;
        headless_reset(config);
        window = app_create_main_window(headless_instance(), APP_CLASS_NAME, APP_TITLE);
        ASSERT_NE(window, nullptr);
        ASSERT_EQ(headless_error_boxes().size(), boxes);
        // The demo's window stays hidden (its effects keep the hidden bit), so that the frames
        // show the surface alone.
        msgwin_set_effect(0, MSGWIN_HIDDEN);
    }

    void SetUp() override
    {
        start();
    }

    void TearDown() override
    {
        app_teardown();
    }

    HostWindow* window = nullptr;
};

TEST_F(SurfaceTest, SizeIsTheClientSizeWithTheGuardRowLeftOut)
{
    EXPECT_EQ(surface_width(), 512);
    EXPECT_EQ(surface_height(), 461);
    EXPECT_EQ(surface_window(), window);
    EXPECT_EQ(surface_current_index(), 0);
    EXPECT_NE(surface_slot_pixels(0), nullptr);
    EXPECT_NE(surface_slot_pixels(1), nullptr);
    // The text system holds the first two off-screen slots.
    EXPECT_EQ(text_colour_layer(), 2);
    EXPECT_EQ(text_mask_layer(), 3);
    EXPECT_EQ(surface_slot_pixels(4), nullptr);
    EXPECT_EQ(surface_slot_pixels(8), nullptr);
    EXPECT_EQ(surface_slot_dc(-1), nullptr);
}

TEST_F(SurfaceTest, FirstFrameDoesNotWaitAndLaterOnesWaitTwentyMs)
{
    headless_set_ticks(5000);
    headless_set_tick_step(7);
    app_frame(window);
    EXPECT_EQ(headless_tick_reads(), 1u);
    EXPECT_EQ(headless_last_tick(), 5000u);
    // Reads at 5007, 5014, 5021: the first at least 20 ms after the last frame start.
    app_frame(window);
    EXPECT_EQ(headless_tick_reads(), 4u);
    EXPECT_EQ(headless_last_tick(), 5021u);
    // Measured from that start, not from 5020: 5028, 5035, 5042.
    app_frame(window);
    EXPECT_EQ(headless_last_tick(), 5042u);

    // A late frame does not wait at all.
    headless_advance_ticks(1000);
    const uint32_t reads = headless_tick_reads();
    app_frame(window);
    EXPECT_EQ(headless_tick_reads(), reads + 1);
}

TEST_F(SurfaceTest, PacingCarriesOnAcrossTheTickCounterWrap)
{
    headless_set_ticks(0xFFFFFFF6u);
    app_frame(window);
    app_frame(window);
    EXPECT_EQ(headless_last_tick(), 10u);
    EXPECT_EQ(headless_tick_reads(), 21u);
}

TEST_F(SurfaceTest, FirstFrameNeverWaitsWhateverTheClockReads)
{
    // Just after boot, and half-way round the counter where tick - 0 reads as negative.
    for (const uint32_t ticks : {3u, 0x80000005u}) {
        app_teardown();
        start();
        headless_set_ticks(ticks);
        app_frame(window);
        EXPECT_EQ(headless_tick_reads(), 1u) << ticks;
        EXPECT_EQ(headless_last_tick(), ticks);
    }
}

TEST_F(SurfaceTest, ZeroIntervalNeverWaits)
{
    surface_set_frame_interval(0);
    for (int i = 0; i < 3; ++i)
        app_frame(window);
    EXPECT_EQ(headless_tick_reads(), 3u);
}

TEST_F(SurfaceTest, FlipZeroKeepsBufferZeroAndFlipOneAlternates)
{
    for (int i = 0; i < 3; ++i) {
        app_frame(window);
        EXPECT_EQ(surface_current_index(), 0);
    }
    surface_set_flip(1);
    // Each frame clears the buffer it draws into with its own colour.
    surface_set_clear_colour(1, 0, 0);
    app_frame(window);
    EXPECT_EQ(surface_current_index(), 1);
    surface_set_clear_colour(0, 1, 0);
    app_frame(window);
    EXPECT_EQ(surface_current_index(), 0);
    EXPECT_EQ(surface_slot_pixels(0)[0], 1 << 10);
    EXPECT_EQ(surface_slot_pixels(1)[0], 1 << 5);
    EXPECT_EQ(surface_current_pixels(), surface_slot_pixels(0));
    // The window shows the buffer presented last.
    EXPECT_EQ(headless_screen()[0], 1 << 5);

    surface_toggle_current();
    EXPECT_EQ(surface_current_index(), 1);
    surface_set_flip(0);
    app_frame(window);
    EXPECT_EQ(surface_current_index(), 1);
}

TEST_F(SurfaceTest, ClearFillsTheCountedRowsAndLeavesTheGuardRow)
{
    constexpr Pixel GUARD = 0x1234;
    Pixel* pixels = surface_slot_pixels(0);
    const int32_t w = surface_width();
    const int32_t h = surface_height();
    std::fill(pixels, pixels + w * (h + 1), 0x5555);
    std::fill(pixels + w * h, pixels + w * (h + 1), GUARD);

    // The frame start and the present alone: the frame's drawing steps would draw over the clear.
    surface_set_clear_colour(1, 2, 3);
    surface_begin_frame(window, SURFACE_CLEAR);
    surface_present();
    const Pixel expected = (1 << 10) | (2 << 5) | 3;
    for (int32_t i = 0; i < w * h; ++i)
        ASSERT_EQ(pixels[i], expected) << "pixel " << i;
    for (int32_t x = 0; x < w; ++x)
        ASSERT_EQ(pixels[w * h + x], GUARD) << "guard column " << x;

    // Only the counted rows reach the window: its last client row keeps the white background.
    const auto& screen = headless_screen();
    EXPECT_EQ(screen[w * h - 1], expected);
    EXPECT_EQ(screen[w * h], HEADLESS_BACKGROUND);
    EXPECT_EQ(screen[w * (h + 1) - 1], HEADLESS_BACKGROUND);
}

TEST_F(SurfaceTest, ClearColourTakesFiveBitChannelsInBothHalvesOfAWord)
{
    struct Case {
        int32_t red, green, blue;
        uint32_t word;
    };
    for (const Case& c : {Case{31, 31, 31, 0x7FFF7FFFu}, Case{0, 0, 0, 0u},
                          Case{32, 33, 34, 0x00220022u}, Case{16, 0, 31, 0x401F401Fu}}) {
        surface_set_clear_colour(c.red, c.green, c.blue);
        app_frame(window);
        uint32_t word;
        std::memcpy(&word, surface_current_pixels() + 100, sizeof word);
        EXPECT_EQ(word, c.word) << c.red << "," << c.green << "," << c.blue;
    }
}

TEST_F(SurfaceTest, OffscreenSlotsRunOutAfterSix)
{
    surface_release_slot(text_colour_layer());
    surface_release_slot(text_mask_layer());
    for (int32_t expected = 2; expected <= 7; ++expected)
        EXPECT_EQ(surface_create_offscreen(), expected);
    EXPECT_EQ(surface_create_offscreen(), -1);
    EXPECT_EQ(headless_live_bitmaps(), 8);
    EXPECT_NE(surface_slot_pixels(7), nullptr);

    EXPECT_EQ(surface_release_slot(8), -2);
    EXPECT_EQ(surface_release_slot(-1), -2);
    EXPECT_EQ(surface_release_slot(4), 0);
    EXPECT_EQ(surface_release_slot(4), 0);
    EXPECT_EQ(surface_slot_pixels(4), nullptr);
    EXPECT_EQ(surface_create_offscreen(), 4);
    EXPECT_EQ(surface_create_slot(surface_slot_dc(0), 8, 4, 4, SURFACE_DEPTH), -1);
}

TEST_F(SurfaceTest, OffscreenCreationFailureIsMinusTwoAndLeavesTheSlotFree)
{
    // Slots 2 and 3 are the text layers; a failed slot 4 keeps no DC, bitmap or pixels.
    const size_t dcs = emu_state().dcs.size();
    for (const auto fail :
         {+[] { headless_fail_memory_dc(1); }, +[] { headless_fail_bitmap(1); }}) {
        fail();
        EXPECT_EQ(surface_create_offscreen(), -2);
        EXPECT_EQ(surface_slot_dc(4), nullptr);
        EXPECT_EQ(surface_slot_pixels(4), nullptr);
        EXPECT_EQ(emu_state().dcs.size(), dcs);
        EXPECT_EQ(headless_live_bitmaps(), 4);
    }
    EXPECT_EQ(surface_create_offscreen(), 4);
    EXPECT_TRUE(headless_error_boxes().empty());
}

TEST_F(SurfaceTest, OddClientWidthIsReducedToKeepPitchEqualToWidth)
{
    app_teardown();
    start(511, 300);
    EXPECT_EQ(surface_width(), 510);
    EXPECT_EQ(surface_height(), 299);
    Pixel* pixels = surface_slot_pixels(0);
    pixels[510 * 299] = 0x1111; // first guard pixel
    surface_set_clear_colour(31, 0, 0);
    app_frame(window);
    EXPECT_EQ(pixels[510 * 299 - 1], 31 << 10);
    EXPECT_EQ(pixels[510 * 299], 0x1111);
}

TEST_F(SurfaceTest, SmallestClientHasNoCountedRowToClear)
{
    app_teardown();
    // Too small for the text layers, so start-up stopped there with its box: only the surface is
    // there.
    start(2, 1, 1);
    EXPECT_EQ(headless_error_boxes()[0].text_utf8, "画面バッファの作成に失敗しました。");
    EXPECT_EQ(surface_height(), 0);
    // Black is cleared with a memset, white a word at a time: neither touches the guard row.
    for (const int32_t level : {0, 31}) {
        surface_slot_pixels(0)[0] = 0x1111;
        surface_set_clear_colour(level, level, level);
        surface_begin_frame(window, SURFACE_CLEAR);
        surface_present();
        EXPECT_EQ(surface_slot_pixels(0)[0], 0x1111) << "level " << level;
    }
}

} // namespace
