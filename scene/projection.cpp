#include "scene/projection.h"

namespace {

// x m0c + y m1c + z m2c + m3c: the point's view coordinate c at 512 per model unit.
int32_t math_view_sum(const Vec3& p, const Matrix& m, int32_t c)
{
    return wrap_add(wrap_add(wrap_add(wrap_mul(p.x, m.m[0][c]), wrap_mul(p.y, m.m[1][c])),
                             wrap_mul(p.z, m.m[2][c])),
                    m.m[3][c]);
}

// The view depth in whole model units, at which nothing nearer than -255 can be projected.
int32_t math_view_depth(const Vec3& p, const Matrix& m)
{
    return math_view_sum(p, m, 2) >> FIXED_SHIFT;
}

bool math_in_front_of_eye(int32_t depth)
{
    return depth > -EYE_DISTANCE;
}

} // namespace

int32_t math_transform_project(int32_t count, ScreenVertex* out, const Vec3* in, const Matrix& m)
{
    int32_t centre_x = 0;
    int32_t centre_y = 0;
    math_get_screen_centre(&centre_x, &centre_y);
    for (int32_t i = 0; i < count; ++i) {
        // x and y at 256 per unit, so that dividing by the distance from the eye gives pixels.
        const int32_t x = math_view_sum(in[i], m, 0) >> 1;
        const int32_t y = math_view_sum(in[i], m, 1) >> 1;
        const int32_t depth = math_view_depth(in[i], m);
        if (!math_in_front_of_eye(depth)) {
            out[i] = {x, y, depth, VERTEX_CLIPPED};
            continue;
        }
        // At least 1; the quotients truncate toward zero.
        const int32_t distance = depth + EYE_DISTANCE;
        out[i] = {wrap_add(x / distance, centre_x), wrap_add(y / distance, centre_y), depth,
                  VERTEX_PROJECTED};
    }
    return 0;
}

int32_t math_transform_points(int32_t count, Vec3* out, const Vec3* in, const Matrix& m)
{
    for (int32_t i = 0; i < count; ++i) {
        // All three read before any is written, so that out may be in.
        const Vec3 point = in[i];
        out[i].x = math_view_sum(point, m, 0) >> 1;
        out[i].y = math_view_sum(point, m, 1) >> 1;
        out[i].z = math_view_sum(point, m, 2) >> 1;
    }
    return 0;
}

int32_t math_project_sphere(Vec3* view, int32_t* screen_x, int32_t* screen_y, const Vec3& centre,
                            const Matrix& m, int32_t radius, int32_t flags)
{
    const int32_t x = math_view_sum(centre, m, 0) >> 1;
    const int32_t y = math_view_sum(centre, m, 1) >> 1;
    const int32_t depth = math_view_depth(centre, m);
    int32_t result = 0;
    if (flags & PROJECT_SPHERE_SCREEN) {
        result = -1;
        if (math_in_front_of_eye(depth)) {
            int32_t centre_x = 0;
            int32_t centre_y = 0;
            math_get_screen_centre(&centre_x, &centre_y);
            const int32_t distance = depth + EYE_DISTANCE;
            *screen_x = wrap_add(x / distance, centre_x);
            *screen_y = wrap_add(y / distance, centre_y);
            result = wrap_mul(radius, EYE_DISTANCE) / distance;
        }
    }
    // From 256 per unit back to model units, like the depth.
    view->x = x >> 8;
    view->y = y >> 8;
    view->z = depth;
    return result;
}
