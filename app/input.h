// Mouse and keyboard state. The mouse is tracked from window messages: the buttons from their
// down and up messages, the cursor from the point of the most recent message, copied once per
// idle turn. The view keys F1, F2 and F3 are polled once per frame and steer the view's yaw
// smoothly toward one of three set values.
#pragma once

#include <cstdint>

// Button bits.
constexpr uint32_t INPUT_BUTTON_RIGHT = 1;
constexpr uint32_t INPUT_BUTTON_LEFT = 2;
// The yaw F1 and F3 swing the view to (F1 +, F3 -), in 1/1024 turn; F2 brings it back to 0.
constexpr int32_t VIEW_YAW_SWING = 150;

struct InputState {
    int32_t cursor_x; // screen coordinates
    int32_t cursor_y;
    uint32_t buttons;
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
// Whether the key (a Win32 virtual-key code) is down now.
bool input_key_down(int virtual_key);
// Reads F1, F2 and F3, moves the yaw a quarter of the way to its target and stores it, modulo
// 1024, as the view angles' yaw.
void input_update_view_keys();
