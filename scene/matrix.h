// Building and combining the 4 x 4 fixed-point matrices of scene/math.h.
//
// Every product of two 512 = 1.0 values is shifted back by 9 bits on its own, before any sum, at
// exactly the places the rules give: the truncations are part of the result.
#pragma once

#include <cstdint>

#include "scene/math.h"

// 512 on the diagonal, 0 elsewhere.
void math_matrix_identity(Matrix* out);
// The identity moved by t model units (row 3 = t x 512).
void math_matrix_translation(Matrix* out, const Vec3& t);
// The identity scaled by s.x, s.y, s.z on the diagonal, 512 = 1.0.
void math_matrix_scale(Matrix* out, const Vec3& s);
// The rotation by angles.x, angles.y and angles.z; each angle is taken modulo 1024.
void math_matrix_rotation(Matrix* out, const Vec3& angles);
// out = a b: apply a, then b. out may be a or b.
void math_matrix_multiply(Matrix* out, const Matrix& a, const Matrix& b);
// out = S (R T): scale, then rotate, then move to position; returns 0.
int32_t math_matrix_compose(Matrix* out, const Vec3& position, const Vec3& angles,
                            const Vec3& scale);
