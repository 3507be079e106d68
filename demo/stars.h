// The point field: 50 white points streaming toward the viewer through the scene's 3D space, each
// re-seeded far away once it has passed the viewer. They are projected through the view matrix of
// the previous frame, so the view keys swing the field, and everything else draws over them.
#pragma once

#include <cstdint>

#include "scene/math.h"

constexpr int32_t STAR_COUNT = 50;

// One allocation: the points in world units (the fourth word a tag 0..7 that nothing draws), and
// where they were last projected.
struct PointField {
    Vec3 points[STAR_COUNT];
    ScreenVertex projected[STAR_COUNT];
};

// Allocates the field and seeds it with four draws per point; 0, or -1 after the "Error" box.
int32_t stars_init();
// Moves every point one step nearer (re-seeding the ones that passed, one draw each), projects
// them and plots the visible ones into the current frame buffer.
void stars_update();
// Frees the field; safe to call twice.
void stars_free();
// The field, null outside start-up and teardown.
PointField* stars_field();
