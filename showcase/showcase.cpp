#include "showcase/showcase.h"

#include "app/input.h"
#include "platform/filter.h"
#include "showcase/panel.h"
#include "showcase/ring.h"

namespace {

Showcase show;

// Acts on a key when it goes down, not while it is held.
bool showcase_pressed(int32_t index, int virtual_key)
{
    const bool down = input_key_down(virtual_key);
    const bool pressed = down && !show.keys_down[index];
    show.keys_down[index] = down;
    return pressed;
}

void showcase_read_keys()
{
    for (int32_t code = 0; code < FILTER_CODES; ++code) {
        if (showcase_pressed(code, HOST_VK_0 + code))
            show.filter = filter_select(code);
    }
    if (showcase_pressed(FILTER_CODES, SHOWCASE_KEY_RESET))
        showcase_reset();
}

} // namespace

const AppProgram APP_SHOWCASE = {SHOWCASE_TITLE, showcase_init, showcase_step};

int32_t showcase_init()
{
    show = {};
    if (showcase_make_textures(show.textures) < 0 || ring_build(show) < 0 || panel_init(show) < 0)
        return -1;
    return 0;
}

void showcase_step()
{
    showcase_read_keys();
    ring_move(show);
    panel_update(show);
}

void showcase_reset()
{
    ring_reset(show);
}

const Showcase& showcase()
{
    return show;
}
