// Fixed-point maths: the sine and cosine tables, points on circles and spheres, directions, the
// screen centre and the matrix stack. Matrices are built in scene/matrix.h and points projected
// in scene/projection.h; all three share the units and records declared here.
//
// Units: angles in 1/1024 turn; sines, cosines and matrix rotation rows at 512 = 1.0; matrix
// translation rows in model units x 512; direction vectors of length 1024. Floating point is used
// only to fill the tables at start-up and for the root of math_direction.
#pragma once

#include <cstdint>

#include "scene/fixed.h"

constexpr int32_t ANGLE_TURN = 1024;
constexpr int32_t ANGLE_MASK = ANGLE_TURN - 1;
// The table step in radians: close to, but not exactly, 2 pi / 1024, and this exact constant
// decides every entry. The entries are those of a fill in extended precision (x87's 64-bit
// significand), which scene/math.cpp reproduces in double.
constexpr double SINE_STEP = 0.006135923151367188;
// How close to a whole number a scaled sine must be to count as that number: far above a double
// sine's error, far below the 1e-3 of the closest entry that is not a zero or an extreme.
constexpr double SINE_SNAP = 1.0 / (1 << 20);
constexpr int32_t UNIT_LENGTH = 1024;
constexpr int32_t MATRIX_STACK_DEPTH = 32;
constexpr int32_t SCREEN_CENTRE_START = 128;

// x, y, z and a fourth word the maths never reads, so that every vector table has 16-byte
// elements.
struct Vec3 {
    int32_t x;
    int32_t y;
    int32_t z;
    int32_t w;
};
static_assert(sizeof(Vec3) == 16);

// m[r][c], row vectors: x' = x m00 + y m10 + z m20 + m30, and likewise for y' and z'. Rows 0-2
// are the axes' images at 512 = 1.0, row 3 the translation in model units x 512, and column 3 is
// (0, 0, 0, 512) in every matrix built here.
struct Matrix {
    int32_t m[4][4];
};
static_assert(sizeof(Matrix) == 64);

// One projected point: screen x and y with the centre added (y grows downwards), the view depth
// (larger is farther), and the clip flag.
struct ScreenVertex {
    int32_t x;
    int32_t y;
    int32_t depth;
    int32_t clip;
};
static_assert(sizeof(ScreenVertex) == 16);

constexpr int32_t VERTEX_PROJECTED = 0;
// Behind the eye: x and y then hold the unprojected view values.
constexpr int32_t VERTEX_CLIPPED = -1;

// Allocates the sine and cosine tables (4096 bytes each), fills them, then allocates the matrix
// stack (2048 bytes); 0, or -1 at the first failed allocation (what was allocated stays).
int32_t math_init_tables();
// Frees the matrix stack, the sine table and the cosine table; safe to call twice.
void math_free_tables();

// 512 x sin and 512 x cos of angle / 1024 turn; any angle, taken modulo 1024.
int32_t math_sin(int32_t angle);
int32_t math_cos(int32_t angle);

// A point of the circle of radius 256 x radius in the x-y plane.
void math_circle_point(int32_t angle, int32_t radius, int32_t* x, int32_t* y);
// Point index of ring ring on an ellipsoid of divisions rings (x and z at half the scale of y),
// shifted left by shift; the origin when divisions is below 1.
void math_sphere_point(Vec3* out, int32_t divisions, int32_t index, int32_t ring, int32_t shift);
// out = (a - b) scaled to length 1024; returns the length, truncated and made odd (at least 1).
// Callers keep the squared distance below 2^31.
int32_t math_direction(Vec3* out, const Vec3& a, const Vec3& b);

// The projection centre, 128, 128 until start-up sets it from the surface size.
void math_set_screen_centre(int32_t x, int32_t y);
void math_get_screen_centre(int32_t* x, int32_t* y);

// Empties the matrix stack.
void math_matstack_reset();
// Pushes a copy of m; the depth it had before, or -1 when the stack is full (nothing stored).
int32_t math_matstack_push(const Matrix& m);
// Pops levels levels into out, the matrix current before the push made that many levels ago;
// the new depth, or -1 (nothing changed) when levels is below 1 or above the depth.
int32_t math_matstack_pop(Matrix* out, int32_t levels);
