// The surface after a real start-up on the headless host, frame by frame without the loop.
#include "platform/surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "host/emulated/emulated.h"
#include "host/headless/headless.h"
#include "tests/support/text_layers.h"
#include "text/text.h"

namespace {

using SurfaceTest = TextLayersTest;

// Runs of frames from a tick count, the counter stepping at each read: how often it was read and
// its last reading. A frame waits until the interval has passed since the last frame's start
// (reads at 5007, 5014, 5021, then 5028, 5035, 5042); a late frame or a zero interval waits not
// at all; across the wrap, 20 reads from 0xFFFFFFF7 to 10; the first frame never waits, just
// after boot or half-way round the counter where tick - 0 reads as negative.
TEST_F(SurfaceTest, FramesWaitTwentyMsFromTheLastFrameStartAcrossTheTickCounterWrap)
{
    struct Case {
        uint32_t ticks, step;
        int32_t interval, frames;
        uint32_t reads, last;
    };
    // clang-format off
    const Case cases[] = {
        {5000, 7, 20, 2, 4, 5021},
        {5000, 7, 20, 3, 7, 5042},
        {5000, 1000, 20, 2, 2, 6000},
        {5000, 7, 0, 3, 3, 5014},
        {0xFFFFFFF6u, 1, 20, 2, 21, 10},
        {3, 1, 20, 1, 1, 3},
        {0x80000005u, 1, 20, 1, 1, 0x80000005u},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ticks << " +" << c.step << " x" << c.frames);
        start();
        headless_set_ticks(c.ticks);
        headless_set_tick_step(c.step);
        surface_set_frame_interval(c.interval);
        for (int32_t frame = 0; frame < c.frames; ++frame)
            app_frame(window);
        EXPECT_EQ(std::pair(headless_tick_reads(), headless_last_tick()),
                  std::pair(c.reads, c.last));
    }
}

TEST_F(SurfaceTest, FlipZeroKeepsBufferZeroAndFlipOneAlternates)
{
    app_frame(window);
    app_frame(window);
    EXPECT_EQ(surface_current_index(), 0);
    surface_set_flip(1);
    // Each frame clears the buffer it draws into with its own colour.
    surface_set_clear_colour(1, 0, 0);
    app_frame(window);
    EXPECT_EQ(surface_current_index(), 1);
    surface_set_clear_colour(0, 1, 0);
    app_frame(window);
    EXPECT_EQ(surface_current_index(), 0);
    EXPECT_EQ(std::pair(surface_slot_pixels(0)[0], surface_slot_pixels(1)[0]),
              std::pair(Pixel{1 << 10}, Pixel{1 << 5}));
    EXPECT_EQ(surface_current_pixels(), surface_slot_pixels(0));
    // The window shows the buffer presented last.
    EXPECT_EQ(headless_screen()[0], 1 << 5);
    surface_toggle_current();
    surface_set_flip(0);
    app_frame(window);
    EXPECT_EQ(surface_current_index(), 1);
}

// Over random pixels, colours whose bytes repeat (black, 0x7F7F: the memset) and colours
// whose bytes differ (the word loop) fill every counted pixel; the guard row keeps what it held
// and only the counted rows reach the window, whose last client row keeps the background. An odd
// client width loses its last column, so that the pitch is the width; the smallest client has no
// counted row (and no room for the text layers, whose failure shows a box).
TEST_F(SurfaceTest, ClearFillsTheCountedRowsAndLeavesTheGuardRow)
{
    struct Case {
        int32_t client_width, client_height, width, height, red, green, blue;
        uint32_t word;
    };
    const Case cases[] = {{512, 462, 512, 461, 0, 0, 0, 0},
                          {512, 462, 512, 461, 31, 27, 31, 0x7F7F7F7F},
                          {512, 462, 512, 461, 31, 31, 31, 0x7FFF7FFF},
                          {512, 462, 512, 461, 1, 2, 3, 0x04430443},
                          {512, 462, 512, 461, 32, 33, 34, 0x00220022},
                          {511, 300, 510, 299, 31, 0, 0, 0x7C007C00},
                          {2, 1, 2, 0, 31, 31, 31, 0x7FFF7FFF}};
    std::mt19937 rng(462);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.client_width << " " << c.red << "," << c.green);
        start(c.client_width, c.client_height, c.height ? 0 : 1);
        ASSERT_EQ(std::pair(surface_width(), surface_height()), std::pair(c.width, c.height));
        Pixel* pixels = surface_slot_pixels(0);
        const size_t counted = static_cast<size_t>(c.width) * c.height;
        std::generate_n(pixels, counted + c.width, [&] { return static_cast<Pixel>(rng()); });
        std::vector<Pixel> expected(pixels, pixels + counted + c.width);
        std::fill_n(expected.begin(), counted, static_cast<Pixel>(c.word));
        // The frame start and the present alone: the frame's drawing would draw over the clear.
        surface_set_clear_colour(c.red, c.green, c.blue);
        surface_begin_frame(window, SURFACE_CLEAR);
        surface_present();
        EXPECT_EQ(std::vector<Pixel>(pixels, pixels + counted + c.width), expected);
        if (c.height) {
            const size_t last_row = static_cast<size_t>(c.height) * c.client_width;
            EXPECT_EQ(headless_screen()[last_row - 1 - (c.client_width - c.width)],
                      static_cast<Pixel>(c.word));
            EXPECT_EQ(headless_screen()[last_row], HEADLESS_BACKGROUND);
        }
    }
}

// Six off-screen slots besides the frame buffers once the text layers give theirs back; a slot
// whose DC or bitmap fails keeps neither, and one made inside a frame leaves the frame's DC to the
// present.
TEST_F(SurfaceTest, OffscreenSlotsRunOutAfterSixAndAFailedOneKeepsNothing)
{
    surface_release_slot(text_colour_layer());
    surface_release_slot(text_mask_layer());
    for (int32_t expected = 2; expected <= 7; ++expected)
        EXPECT_EQ(surface_create_offscreen(), expected);
    EXPECT_EQ(surface_create_offscreen(), -1);
    EXPECT_EQ(headless_live_bitmaps(), 8);
    EXPECT_NE(surface_slot_pixels(7), nullptr);
    EXPECT_EQ((std::vector{surface_release_slot(8), surface_release_slot(-1),
                           surface_release_slot(4), surface_release_slot(4)}),
              (std::vector{-2, -2, 0, 0}));
    const size_t dcs = emu_state().dcs.size();
    for (const auto fail :
         {+[] { headless_fail_memory_dc(1); }, +[] { headless_fail_bitmap(1); }}) {
        fail();
        EXPECT_EQ(surface_create_offscreen(), -2);
        EXPECT_TRUE(!surface_slot_dc(4) && !surface_slot_pixels(4));
        EXPECT_EQ(std::pair(emu_state().dcs.size(), headless_live_bitmaps()), std::pair(dcs, 7));
    }
    EXPECT_TRUE(headless_error_boxes().empty());
    const uint32_t presented = headless_frames_presented();
    surface_begin_frame(window, SURFACE_CLEAR);
    EXPECT_EQ(surface_create_offscreen(), 4);
    surface_present();
    EXPECT_EQ(headless_frames_presented(), presented + 1);

    EXPECT_EQ(surface_create_slot(surface_slot_dc(0), 8, 4, 4, SURFACE_DEPTH), -1);
    EXPECT_EQ(surface_set_depth(32), -1);
    ASSERT_EQ(headless_error_boxes().size(), 1u);
    EXPECT_EQ(headless_error_boxes()[0].text_utf8, "画面バッファの作成に失敗しました。");
}

} // namespace
