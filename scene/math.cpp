#include "scene/math.h"

#include <cmath>

#include "platform/mem.h"

namespace {

struct MathState {
    int32_t* sine;
    int32_t* cosine;
    Matrix* stack;
    int32_t stack_depth;
    int32_t centre_x = SCREEN_CENTRE_START;
    int32_t centre_y = SCREEN_CENTRE_START;
};

MathState math;

// 512 x value truncated toward zero, as the tables were first filled in extended precision (a
// 64-bit significand), here from a double. A double sine is within 1e-12 of the exact one after
// the scaling, and every scaled value is either farther than 1e-3 from a whole number, where
// truncating it gives the extended fill's entry, or within 1e-7 of one: the zeros near sin 512,
// cos 256 and cos 768 (truncated to 0 either way) and the extremes sin 256, cos 512 and sin 768,
// which lie within 5e-18 inside +-512, so that extended precision rounds their sine to exactly
// +-1. Taking the whole number for every value that close gives both.
int32_t math_table_entry(double value)
{
    const double scaled = value * FIXED_ONE;
    const double whole = std::round(scaled);
    if (std::fabs(scaled - whole) < SINE_SNAP)
        return static_cast<int32_t>(whole);
    return static_cast<int32_t>(scaled);
}

// Entry i is 512 x sin(i x SINE_STEP) and 512 x cos(i x SINE_STEP), the same entries on every
// build: no step depends on a long double wider or narrower than x87's.
void math_fill_tables()
{
    for (int32_t i = 0; i < ANGLE_TURN; ++i) {
        const double angle = i * SINE_STEP;
        math.sine[i] = math_table_entry(std::sin(angle));
        math.cosine[i] = math_table_entry(std::cos(angle));
    }
}

} // namespace

int32_t math_init_tables()
{
    constexpr int32_t table_bytes = ANGLE_TURN * sizeof(int32_t);
    math.sine = static_cast<int32_t*>(mem_alloc(table_bytes));
    if (!math.sine)
        return -1;
    math.cosine = static_cast<int32_t*>(mem_alloc(table_bytes));
    if (!math.cosine)
        return -1;
    math_fill_tables();
    math.stack = static_cast<Matrix*>(mem_alloc(MATRIX_STACK_DEPTH * sizeof(Matrix)));
    if (!math.stack)
        return -1;
    math.stack_depth = 0;
    return 0;
}

void math_free_tables()
{
    mem_free(math.stack);
    mem_free(math.sine);
    mem_free(math.cosine);
    math.stack = nullptr;
    math.sine = nullptr;
    math.cosine = nullptr;
}

int32_t math_sin(int32_t angle)
{
    return math.sine[angle & ANGLE_MASK];
}

int32_t math_cos(int32_t angle)
{
    return math.cosine[angle & ANGLE_MASK];
}

void math_circle_point(int32_t angle, int32_t radius, int32_t* x, int32_t* y)
{
    // The tables are at 512 per unit, the circle at 256 per radius unit.
    *x = wrap_mul(radius, math_cos(angle)) >> 1;
    *y = wrap_mul(radius, math_sin(angle)) >> 1;
}

void math_sphere_point(Vec3* out, int32_t divisions, int32_t index, int32_t ring, int32_t shift)
{
    *out = {};
    if (divisions < 1)
        return;
    const int32_t latitude = wrap_mul(ring, ANGLE_TURN) / divisions;
    const int32_t longitude = wrap_mul(index % divisions, ANGLE_TURN) / divisions;
    // Two table values multiply to 512 x 512 per unit; the shift by 10 leaves 256 per unit for x
    // and z, against the 512 of y: the ellipsoid is twice as high as it is wide.
    const int32_t ring_radius = math_sin(latitude);
    out->x = wrap_shl((math_cos(longitude) * ring_radius) >> 10, shift);
    out->y = wrap_shl(math_cos(latitude), shift);
    out->z = wrap_shl((math_sin(longitude) * ring_radius) >> 10, shift);
}

int32_t math_direction(Vec3* out, const Vec3& a, const Vec3& b)
{
    const int32_t dx = wrap_sub(a.x, b.x);
    const int32_t dy = wrap_sub(a.y, b.y);
    const int32_t dz = wrap_sub(a.z, b.z);
    const int32_t squared =
        wrap_add(wrap_add(wrap_mul(dx, dx), wrap_mul(dy, dy)), wrap_mul(dz, dz));
    // A sum that wrapped negative (a caller beyond the 2^31 limit) has no root; taking it as 0
    // keeps the length defined. OR 1 makes the divisor odd and never zero.
    const double root = squared > 0 ? std::sqrt(static_cast<double>(squared)) : 0.0;
    const int32_t length = static_cast<int32_t>(root) | 1;
    out->x = wrap_mul(dx, UNIT_LENGTH) / length;
    out->y = wrap_mul(dy, UNIT_LENGTH) / length;
    out->z = wrap_mul(dz, UNIT_LENGTH) / length;
    return length;
}

void math_set_screen_centre(int32_t x, int32_t y)
{
    math.centre_x = x;
    math.centre_y = y;
}

void math_get_screen_centre(int32_t* x, int32_t* y)
{
    *x = math.centre_x;
    *y = math.centre_y;
}

void math_matstack_reset()
{
    math.stack_depth = 0;
}

int32_t math_matstack_push(const Matrix& m)
{
    if (math.stack_depth >= MATRIX_STACK_DEPTH)
        return -1;
    math.stack[math.stack_depth] = m;
    return math.stack_depth++;
}

int32_t math_matstack_pop(Matrix* out, int32_t levels)
{
    // Fewer than one level would read the slot at or above the depth, possibly past the stack.
    if (levels < 1 || levels > math.stack_depth)
        return -1;
    math.stack_depth -= levels;
    *out = math.stack[math.stack_depth];
    return math.stack_depth;
}
