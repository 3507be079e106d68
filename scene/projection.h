// The perspective projection and the plain transformation of point lists through a matrix.
//
// The eye sits EYE_DISTANCE model units in front of the plane z = 0, where one model unit is one
// pixel: a view point (x, y, z) lands at centre + 256 (x, y) / (z + 256), larger z farther, screen
// y growing with view y. A point at view depth -256 or nearer the eye is not projected.
#pragma once

#include <cstdint>

#include "scene/math.h"

constexpr int32_t EYE_DISTANCE = 256;
// math_project_sphere flags: also project the centre to the screen.
constexpr int32_t PROJECT_SPHERE_SCREEN = 2;

// Projects count points (none for count <= 0) through m into out; returns 0.
int32_t math_transform_project(int32_t count, ScreenVertex* out, const Vec3* in, const Matrix& m);
// Transforms count points through m into out at 256 per model unit, without projecting; the
// fourth word of each output is left alone, and out may be in. Returns 0.
int32_t math_transform_points(int32_t count, Vec3* out, const Vec3* in, const Matrix& m);
// Transforms centre through m into view (model units; the fourth word left alone). With
// PROJECT_SPHERE_SCREEN, projects it to the screen and returns the projected radius, or -1 (the
// screen point not written) when it lies behind the eye; without, returns 0.
int32_t math_project_sphere(Vec3* view, int32_t* screen_x, int32_t* screen_y, const Vec3& centre,
                            const Matrix& m, int32_t radius, int32_t flags);
