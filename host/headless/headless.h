// The headless host: the whole program in memory, for tests, captures and benchmarks.
//
// A virtual tick counter that advances by a set step on every read (so the pacing busy-wait ends
// on its own), scripted keys, cursor and messages, error boxes that are recorded instead of
// shown, and the presented frames kept in memory. headless_reset gives a fresh program.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/host.h"

struct EmuFace;

constexpr int32_t HEADLESS_CLIENT_WIDTH = 512;
constexpr int32_t HEADLESS_CLIENT_HEIGHT = 462;
// Where the client area sits on the virtual screen: not at 0, 0, so that a missed conversion
// between screen and client points shows.
constexpr int32_t HEADLESS_CLIENT_ORIGIN_X = 100;
constexpr int32_t HEADLESS_CLIENT_ORIGIN_Y = 60;
// The class background shown where no frame was copied: white.
constexpr uint16_t HEADLESS_BACKGROUND = 0x7FFF;

struct HeadlessErrorBox {
    std::string caption;
    std::string text; // the bytes as the program passed them (Shift-JIS)
    std::string text_utf8;
};

// One presented frame: the window's client area just after the copy.
struct HeadlessFrame {
    uint32_t number; // 1 for the first present
    const uint16_t* pixels;
    int32_t pitch;
    int32_t width; // the presented width and height
    int32_t height;
};

using HeadlessPresentHook = std::function<void(const HeadlessFrame&)>;

struct HeadlessConfig {
    int32_t client_width = HEADLESS_CLIENT_WIDTH;
    int32_t client_height = HEADLESS_CLIENT_HEIGHT;
    bool keep_log = true;
};

void headless_reset(const HeadlessConfig& config = {});
HostInstance* headless_instance();

// Clock.
void headless_set_ticks(uint32_t ticks);
void headless_advance_ticks(uint32_t milliseconds);
// How far the clock moves on each read (1 unless set).
void headless_set_tick_step(uint32_t milliseconds);
uint32_t headless_ticks();
// The value the most recent read returned, and how many reads there were.
uint32_t headless_last_tick();
uint32_t headless_tick_reads();

// Input. Messages go to the main window, with the cursor's screen point. Setting a key down
// posts its key-down message (an auto-repeat one when it was down already), setting a down key
// up its key-up message.
void headless_set_key(int virtual_key, bool down);
void headless_move_cursor(int32_t client_x, int32_t client_y);
void headless_post(uint32_t message, uintptr_t wparam = 0, intptr_t lparam = 0);
// What the user does in the next open dialog, in order; once these run out it is dismissed.
void headless_post_dialog(uint32_t message, uintptr_t wparam = 0, intptr_t lparam = 0);
// Input to the main window while that dialog is open, in order with the dialog's own.
void headless_post_behind_dialog(uint32_t message, uintptr_t wparam = 0, intptr_t lparam = 0);
// The user closes the main window (a close message is posted).
void headless_close_window();

// Faults: make the next class registration, window creation or font creation fail (the font as
// if no face were found), or the n-th memory DC or bitmap created from now on (0: none).
void headless_fail_register_class();
void headless_fail_create_window();
void headless_fail_font();
void headless_fail_memory_dc(uint32_t nth);
void headless_fail_bitmap(uint32_t nth);

// Text: fonts made from now on use this face (see host/emulated/emulated.h) instead of the
// installed font, so that tests know every glyph's pixels. headless_reset goes back to the
// installed font.
void headless_use_face(const EmuFace& face);

// Frames.
void headless_set_present_hook(HeadlessPresentHook hook);
// Closes the window (as the user would) when the given frame has been presented; 0: never.
void headless_close_after_frames(uint32_t frames);
uint32_t headless_frames_presented();
// The client area as last presented, client width x height.
const std::vector<uint16_t>& headless_screen();

// What the program did.
const std::vector<HeadlessErrorBox>& headless_error_boxes();
// Notable calls in order: "register class", "create window", "show window", "create bitmap",
// "delete bitmap", "dispatch N", "present", "quit N", "dialog N", "end dialog N", "check N 0|1",
// "topmost 0|1", "destroy menu", "destroy window", "chdir PATH", "message box".
const std::vector<std::string>& headless_log();
bool headless_topmost();
// The check mark of an item in the first submenu of the most recently loaded menu.
bool headless_menu_item_checked(int item_id);
bool headless_window_alive();
int32_t headless_live_bitmaps();
