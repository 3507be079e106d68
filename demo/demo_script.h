// The display test: a frame-counted script that drives the message windows. An introduction
// fades in and dissolves, two windows sway and shake, six pop-ups keep appearing with random
// texts and effects, and a closing line invites the user to quit.
#pragma once

#include <cstdint>

constexpr int32_t DEMO_TEXT_COUNT = 11;
constexpr int32_t DEMO_POPUPS = 6;
constexpr int32_t DEMO_STATE_POPUPS = 9;

// The script's texts, in Shift-JIS with markup.
extern const char* const demo_texts[DEMO_TEXT_COUNT];

struct DemoPopper {
    int32_t window;
    int32_t x;         // left edge of the next appearance
    int32_t y;         // fixed: 60 x (position + 1)
    int32_t text;      // index into demo_texts of the next appearance, 3..9
    int32_t phase;     // DEMO_PHASE_WAITING, _SHOWING or _DISSOLVING
    int32_t countdown; // frames left in the phase
};

constexpr int32_t DEMO_PHASE_WAITING = 0;
constexpr int32_t DEMO_PHASE_SHOWING = 1;
constexpr int32_t DEMO_PHASE_DISSOLVING = 2;

struct DemoScript {
    int32_t state;
    int32_t state_frames; // 1 on entering a state
    int32_t main_window;
    int32_t popup_windows[DEMO_POPUPS];
    DemoPopper popups[DEMO_POPUPS];
};

// Creates the main window across the top of the surface and starts the script in state 0;
// returns the window's index.
int32_t demo_script_init();
// One frame of the script.
void demo_script_step();
// The script's state, for tests and tools that follow it.
const DemoScript& demo_script();
