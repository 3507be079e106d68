// Frame filters: full-screen effects applied in place to the current frame buffer. Two hooks
// decide which run: the pre-draw hook right after the frame start has cleared the buffer, beneath
// everything else, and the post-draw hook on the finished frame, text included, just before the
// present. One selector sets both hooks from a single code; nothing is selected at start-up.
#pragma once

#include <cstdint>

// A filter works on the current frame buffer and takes nothing else.
using FilterHook = void (*)();

// filter_select codes: which filter runs before drawing and which after.
constexpr int32_t FILTER_NONE = 0;
constexpr int32_t FILTER_PRE_TRAIL = 1;
constexpr int32_t FILTER_INVERT = 2;
constexpr int32_t FILTER_XOR_SMEAR = 3;
constexpr int32_t FILTER_GREY = 4;
constexpr int32_t FILTER_NOISE = 5;
constexpr int32_t FILTER_POST_TRAIL = 6;
constexpr int32_t FILTER_BLUR = 7;
constexpr int32_t FILTER_FLOOR = 8;
constexpr int32_t FILTER_CODES = 9;

// Sets both hooks from code and returns it; a code outside 0..8 keeps the hooks as they were.
int32_t filter_select(int32_t code);
// Runs the pre-draw hook, if one is set.
void filter_run_pre();
// Runs the post-draw hook, if one is set.
void filter_run_post();

// Program start: both hooks empty and the trail counter at 0.
void filter_reset();

// The counted rows of the current frame buffer as 32-bit words of two pixels: (H * W) / 2.
int32_t filter_frame_words();
