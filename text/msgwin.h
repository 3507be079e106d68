// Message windows: up to eight rectangles of the screen that show their part of the text layers
// in every frame through one of eight effects. A window has no box of its own; only where the
// layers hold text does the frame change (and, for the additive effects, in the lowest bit of
// each channel).
#pragma once

#include <cstdint>

constexpr int32_t MSGWIN_FX_WHITE = 0;
constexpr int32_t MSGWIN_FX_PLAIN = 1;
constexpr int32_t MSGWIN_FX_SWAY = 2;
constexpr int32_t MSGWIN_FX_DISSOLVE = 3;
constexpr int32_t MSGWIN_FX_ADD = 4;
constexpr int32_t MSGWIN_FX_SHAKE = 5;
constexpr int32_t MSGWIN_FX_BLINDS = 6;
constexpr int32_t MSGWIN_FX_FADE_IN = 7;

constexpr int32_t MSGWIN_SWAY_ROWS = 8;
constexpr int32_t MSGWIN_SWAY_TABLE[MSGWIN_SWAY_ROWS] = {0, 1, 2, 2, 3, 2, 2, 1};
// One step of 1 in each of the six 5-bit channels of a word.
constexpr uint32_t MSGWIN_TINT_STEP = 0x04210421;
constexpr uint32_t MSGWIN_TINT_FULL = 0x7FFF7FFF;
constexpr int32_t MSGWIN_BLINDS_COUNTER_MAX = 16;

// All operations on a window index return -1 and do nothing for an index outside 0..7.

// Takes the first free record: x and width rounded down to even, counter 0, empty text; the
// index, or -1 when all eight are taken.
int32_t msgwin_create(int32_t x, int32_t y, int32_t width, int32_t height, int32_t flags);
// The value's low byte becomes the effect code, its higher bits are set in the flags (256
// hides); counter 0.
int32_t msgwin_set_effect(int32_t window, int32_t value);
// Clears the value's bits and the effect code (256 shows again with effect 0); counter 0.
int32_t msgwin_clear_flags(int32_t window, int32_t value);
int32_t msgwin_set_tint(int32_t window, uint32_t tint);
// Stores the text (at most 255 bytes, cut between characters), counter 0, and draws it into the
// layers at the window's position without clearing them first.
int32_t msgwin_set_text(int32_t window, const char* text);
// Clears the window's area of the layers, moves it (clamped to the surface) and draws its text
// there.
int32_t msgwin_move(int32_t window, int32_t x, int32_t y);
// Moves the window (clamped to the surface) without clearing or drawing.
int32_t msgwin_set_position(int32_t window, int32_t x, int32_t y);
// Zeroes the window's rectangle in both layers.
int32_t msgwin_clear_area(int32_t window);

// The per-frame pass: every shown window, in index order, into the frame being drawn.
void msgwin_composite();
// The pass counter: how many composite passes have run since start-up.
uint32_t msgwin_pass_count();
// Back to no passes; start-up does this.
void msgwin_reset_passes();
