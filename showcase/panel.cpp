#include "showcase/panel.h"

#include <cstdio>

#include "platform/surface.h"
#include "scene/pick_hit.h"
#include "text/msgwin.h"

const char* const panel_filter_names[FILTER_CODES] = {
    "none", "trails", "invert", "xor smear", "grey", "noise", "after-image", "blur", "floor"};

namespace {

constexpr int32_t PANEL_TEXT_BYTES = 128;

} // namespace

int32_t panel_init(Showcase& show)
{
    const int32_t width = surface_width();
    show.status_window = msgwin_create(0, 0, width, PANEL_HEIGHT, 0);
    show.help_window = msgwin_create(0, surface_height() - PANEL_HEIGHT, width, PANEL_HEIGHT, 0);
    if (show.status_window < 0 || show.help_window < 0)
        return -1;
    msgwin_set_effect(show.help_window, MSGWIN_FX_PLAIN);
    msgwin_set_text(show.help_window, PANEL_CONTROLS);
    // Nothing has been shown yet, so the first update writes the status line.
    show.shown_filter = -1;
    show.shown_live = -1;
    panel_update(show);
    return 0;
}

void panel_update(Showcase& show)
{
    const int32_t live = pick_live_objects();
    if (show.filter == show.shown_filter && live == show.shown_live)
        return;
    char text[PANEL_TEXT_BYTES];
    std::snprintf(text, sizeof text, PANEL_STATUS_FORMAT, show.filter,
                  panel_filter_names[show.filter], live, SHOWCASE_OBJECTS);
    msgwin_clear_area(show.status_window);
    msgwin_set_effect(show.status_window, MSGWIN_FX_FADE_IN);
    msgwin_set_text(show.status_window, text);
    show.shown_filter = show.filter;
    show.shown_live = live;
}
