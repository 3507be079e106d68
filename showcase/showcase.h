// The showcase: a second program on the same shell that puts every part of the pipeline on the
// stage. A ring of objects built from the six models and from textured, flat and gouraud meshes
// of its own turns slowly; each can be picked under the cursor, hit with the left button, pushed,
// burst and destroyed, and a key brings them all back. The number keys choose the frame filter, and
// two message windows say which filter runs and how to play.
#pragma once

#include <cstdint>

#include "app/program.h"
#include "host/host.h"
#include "platform/filter.h"
#include "scene/math.h"
#include "scene/pick_hit.h"
#include "scene/scene_buffer.h"
#include "showcase/meshes.h"
#include "showcase/textures.h"

constexpr int32_t SHOWCASE_OBJECTS = 15;
constexpr char SHOWCASE_TITLE[] = "Luma Stage showcase";
// Keys: a digit selects that frame filter; R brings every object back.
constexpr int SHOWCASE_KEY_RESET = HOST_VK_R;

// One object of the ring, as placed at start-up.
struct ShowcaseObject {
    int32_t slot;     // the scene object slot, also its pick list and body
    const Mesh* mesh; // its parts' spins; null for a model
    Vec3 home;        // where a reset puts it
    Vec3 spin;        // angle steps per frame
    int32_t scale;    // 512 = 1.0, before a hit's pulse
    int32_t hit_points;
    ColourEntry colour; // its tint and its bursts'
};

struct Showcase {
    ShowcaseObject objects[SHOWCASE_OBJECTS];
    ObjectBody bodies[PICK_BODIES];
    int32_t textures[TEXTURES]; // their slots
    int32_t first_texcoord;     // of the entries every mesh face uses
    int32_t filter;             // the code last selected
    int32_t status_window;      // which filter runs, how many objects are left
    int32_t help_window;        // how to play
    int32_t shown_filter;       // what the status window shows, to redraw it only on a change
    int32_t shown_live;
};

extern const AppProgram APP_SHOWCASE;

// Start-up: textures, the ring, its pick records and bodies, the message windows; 0, or -1 after
// the allocator's box.
int32_t showcase_init();
// One frame: keys, motion, animation, the status window.
void showcase_step();
// Every object back home, whole and still, with its hit points.
void showcase_reset();
const Showcase& showcase();
