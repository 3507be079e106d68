#include "app/app.h"
#include "app/input.h"
#include "app/shell.h"
#include "demo/demo_script.h"
#include "demo/stars.h"
#include "platform/filter.h"
#include "platform/surface.h"
#include "platform/texture.h"
#include "raster/ordering_table.h"
#include "scene/effect.h"
#include "scene/math.h"
#include "scene/model.h"
#include "scene/pick.h"
#include "scene/scene.h"
#include "scene/scene_buffer.h"
#include "text/msgwin.h"
#include "text/text.h"

namespace {

int32_t app_demo_init()
{
    demo_script_init();
    return 0;
}

const AppProgram& app_program()
{
    return app_shell().program ? *app_shell().program : APP_DEMO;
}

} // namespace

const AppProgram APP_DEMO = {APP_TITLE, app_demo_init, demo_script_step};

// The order of the steps in these three sequences is a design decision of its own: later steps
// read what earlier ones left: the frame start clears what every later step draws on, the view
// keys turn the angles that the scene transformation builds its matrix from, the effect player's
// packets live only between the header save and restore, and text lies over the 3D scene.

int32_t app_startup(HostWindow* window)
{
    // The result is not examined: nothing later opens a file.
    host_change_directory(APP_DATA_DIRECTORY);
    if (surface_init(window) < 0)
        return -1;
    if (math_init_tables() < 0)
        return -1;
    if (scene_init_buffer() < 0)
        return -1;
    scene_init();
    tex_init();
    pick_blocks_clear();
    if (pick_init() < 0)
        return -1;
    if (effect_init_stores() < 0)
        return -1;
    if (model_build_all() < 0)
        return -1;
    if (text_init() < 0)
        return -1;
    scene_set_clip_bounds();
    math_set_screen_centre(surface_width() >> 1, surface_height() >> 1);
    scene_register_tables();
    if (stars_init() < 0)
        return -1;
    if (app_program().init() < 0)
        return -1;
    scene_convert_colours();
    surface_set_clear_colour(0, 0, 0);
    return 0;
}

void app_frame(HostWindow* window)
{
    surface_begin_frame(window, SURFACE_CLEAR);
    filter_run_pre();
    stars_update();
    input_update_view_keys();
    app_program().step();
    scene_transform_objects();
    scene_save_header();
    effect_update();
    ot_draw_scene();
    scene_restore_header();
    msgwin_composite();
    pick_project_all();
    pick_collide();
    pick_update();
    filter_run_post();
    surface_present();
}

void app_teardown()
{
    stars_free();
    text_shutdown();
    model_free_stores();
    effect_free_stores();
    pick_free();
    pick_blocks_free_all();
    tex_free_all();
    scene_free_objects();
    scene_free_buffer();
    math_free_tables();
    surface_shutdown();
}
