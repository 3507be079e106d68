#include "showcase/showcase.h"

#include "app/input.h"
#include "platform/filter.h"
#include "showcase/panel.h"
#include "showcase/ring.h"

namespace {

Showcase show;

// Each press acts once, however short or long: taken from the press latch, not the key state.
void showcase_read_keys()
{
    for (int32_t code = 0; code < FILTER_CODES; ++code) {
        if (input_take_press(HOST_VK_0 + code))
            show.filter = filter_select(code);
    }
    if (input_take_press(SHOWCASE_KEY_RESET))
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
