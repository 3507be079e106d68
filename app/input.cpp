#include "app/input.h"

#include "host/host.h"
#include "scene/fixed.h"
#include "scene/math.h"
#include "scene/scene.h"

namespace {

// A key is down now when any bit of the high byte of its asynchronous state is set.
constexpr uint16_t KEY_STATE_DOWN_BITS = 0xFF00;
// The yaw approaches its target by a quarter of the difference per frame.
constexpr int32_t VIEW_YAW_EASE_SHIFT = 2;

struct Input {
    InputState state;
    ViewKeyState view;
};

Input input;

} // namespace

bool input_key_down(int virtual_key)
{
    return (host_async_key_state(virtual_key) & KEY_STATE_DOWN_BITS) != 0;
}

void input_reset()
{
    input = {};
}

void input_button_down(uint32_t button)
{
    input.state.buttons |= button;
}

void input_button_up(uint32_t button)
{
    input.state.buttons &= ~button;
}

void input_key_press(int virtual_key)
{
    if (virtual_key < 0 || virtual_key >= INPUT_VIRTUAL_KEYS)
        return;
    input.state.presses[virtual_key / 32] |= uint32_t{1} << (virtual_key % 32);
}

bool input_take_press(int virtual_key)
{
    if (virtual_key < 0 || virtual_key >= INPUT_VIRTUAL_KEYS)
        return false;
    uint32_t& word = input.state.presses[virtual_key / 32];
    const uint32_t bit = uint32_t{1} << (virtual_key % 32);
    const bool pressed = (word & bit) != 0;
    word &= ~bit;
    return pressed;
}

void input_update(int32_t x, int32_t y)
{
    input.state.cursor_x = x;
    input.state.cursor_y = y;
}

uint32_t input_get_mouse(int32_t* x, int32_t* y)
{
    *x = input.state.cursor_x;
    *y = input.state.cursor_y;
    return input.state.buttons;
}

void input_update_view_keys()
{
    // Each held key overwrites the one tested before it: F3 wins over F2, F2 over F1.
    if (input_key_down(HOST_VK_F1))
        input.view.yaw_target = VIEW_YAW_SWING;
    if (input_key_down(HOST_VK_F2))
        input.view.yaw_target = 0;
    if (input_key_down(HOST_VK_F3))
        input.view.yaw_target = -VIEW_YAW_SWING;
    // The shift rounds toward minus infinity, so the yaw settles at 147 on the way up but reaches
    // 0 and -150 exactly.
    input.view.yaw = wrap_add(input.view.yaw, wrap_sub(input.view.yaw_target, input.view.yaw) >>
                                                  VIEW_YAW_EASE_SHIFT);
    scene_view_angles().y = input.view.yaw & ANGLE_MASK;
}
