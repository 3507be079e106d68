// Mouse and keyboard state. The mouse is tracked from window messages: the buttons from their
// down and up messages, the cursor from the point of the most recent message, copied once per
// idle turn. The view keys F1, F2 and F3 are polled once per frame and steer the view's yaw
// smoothly toward one of three set values. Keys that act once per press are latched from their
// key-down messages, so that a tap shorter than a frame still counts and a held key counts once.
#pragma once

#include <cstdint>

// Button bits.
constexpr uint32_t INPUT_BUTTON_RIGHT = 1;
constexpr uint32_t INPUT_BUTTON_LEFT = 2;
// Virtual-key codes run from 0 to 255; the press latch keeps one bit for each.
constexpr int INPUT_VIRTUAL_KEYS = 256;
constexpr int INPUT_PRESS_WORDS = INPUT_VIRTUAL_KEYS / 32;
// The yaw F1 and F3 swing the view to (F1 +, F3 -), in 1/1024 turn; F2 brings it back to 0.
constexpr int32_t VIEW_YAW_SWING = 150;

struct InputState {
    int32_t cursor_x; // screen coordinates
    int32_t cursor_y;
    uint32_t buttons;
    uint32_t presses[INPUT_PRESS_WORDS]; // bit per virtual key: pressed since last taken
};

struct ViewKeyState {
    int32_t yaw_target; // kept while no view key is held
    int32_t yaw;
};

// Everything back to 0: the program-start state.
void input_reset();
// A button's down message sets its bit; its up message clears it.
void input_button_down(uint32_t button);
void input_button_up(uint32_t button);
// The cursor becomes the screen point of the most recent message.
void input_update(int32_t x, int32_t y);
// The cursor (screen coordinates) and the button bits.
uint32_t input_get_mouse(int32_t* x, int32_t* y);
// A key-down message that is not an auto-repeat latches its key's press.
void input_key_press(int virtual_key);
// Whether the key was pressed since the last take; taking clears the latch.
bool input_take_press(int virtual_key);
// Whether the key (a Win32 virtual-key code) is down now.
bool input_key_down(int virtual_key);
// Reads F1, F2 and F3, moves the yaw a quarter of the way to its target and stores it, modulo
// 1024, as the view angles' yaw.
void input_update_view_keys();
