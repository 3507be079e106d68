#include "app/app.h"
#include "platform/surface.h"

// The order of the steps in these three sequences is a design decision of its own: later steps
// read what earlier ones left, so a module joining a sequence takes its fixed place in it.

int32_t app_startup(HostWindow* window)
{
    // The result is not examined: nothing later opens a file.
    host_change_directory(APP_DATA_DIRECTORY);
    if (surface_init(window) < 0)
        return -1;
    // Maths tables, scene buffer, scene, texture and pick tables, effects, models and the text
    // system join here, then the clip bounds, screen centre, registered tables, point field,
    // demo script and colour conversion.
    surface_set_clear_colour(0, 0, 0);
    return 0;
}

void app_frame(HostWindow* window)
{
    surface_begin_frame(window, SURFACE_CLEAR);
    // Pre-draw filter, point field and view keys, demo script, scene transformation, header
    // save, effects, ordering table, header restore, message windows, picking and the post-draw
    // filter run here, in that order, between the frame start and the present.
    surface_present();
}

void app_teardown()
{
    // Point field, text, models, effects, picking, textures, objects, scene buffer and maths
    // tables are freed here, in that order, before the surface, which goes last.
    surface_shutdown();
}
