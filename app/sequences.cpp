#include "app/app.h"
#include "demo/demo_script.h"
#include "platform/surface.h"
#include "text/msgwin.h"
#include "text/text.h"

// The order of the steps in these three sequences is a design decision of its own: later steps
// read what earlier ones left, so a module joining a sequence takes its fixed place in it. The
// comments mark the places of the modules still to come.

int32_t app_startup(HostWindow* window)
{
    // The result is not examined: nothing later opens a file.
    host_change_directory(APP_DATA_DIRECTORY);
    if (surface_init(window) < 0)
        return -1;
    // maths tables
    // scene buffer: table registry, ordering table, buffer
    // scene objects, view offset and angles
    // texture slots
    // picking: object blocks, then pick lists and pool
    // effect stores
    // models and the effect script
    if (text_init() < 0)
        return -1;
    // clip bounds and screen centre
    // registered tables
    // point field
    demo_script_init();
    // colour conversion
    surface_set_clear_colour(0, 0, 0);
    return 0;
}

void app_frame(HostWindow* window)
{
    surface_begin_frame(window, SURFACE_CLEAR);
    // pre-draw filter
    // point field, then view keys
    demo_script_step();
    // scene transformation
    // scene header save
    // effects
    // ordering table
    // scene header restore
    msgwin_composite();
    // picking: project, collide, update
    // post-draw filter
    surface_present();
}

void app_teardown()
{
    // point field
    text_shutdown();
    // models
    // effects
    // picking: pool, then object blocks
    // texture slots
    // scene objects
    // scene buffer
    // maths tables
    surface_shutdown();
}
