#include "scene/matrix.h"

void math_matrix_identity(Matrix* out)
{
    *out = {};
    for (int32_t i = 0; i < 4; ++i)
        out->m[i][i] = FIXED_ONE;
}

void math_matrix_translation(Matrix* out, const Vec3& t)
{
    math_matrix_identity(out);
    out->m[3][0] = wrap_shl(t.x, FIXED_SHIFT);
    out->m[3][1] = wrap_shl(t.y, FIXED_SHIFT);
    out->m[3][2] = wrap_shl(t.z, FIXED_SHIFT);
}

void math_matrix_scale(Matrix* out, const Vec3& s)
{
    math_matrix_identity(out);
    out->m[0][0] = s.x;
    out->m[1][1] = s.y;
    out->m[2][2] = s.z;
}

void math_matrix_rotation(Matrix* out, const Vec3& angles)
{
    // The lookups mask each angle, so an angle outside 0..1023 turns as far as its value modulo
    // 1024 instead of reading past the tables.
    const int32_t sx = math_sin(angles.x);
    const int32_t cx = math_cos(angles.x);
    const int32_t sy = math_sin(angles.y);
    const int32_t cy = math_cos(angles.y);
    const int32_t sz = math_sin(angles.z);
    const int32_t cz = math_cos(angles.z);
    *out = {};
    out->m[0][0] = fx9_mul(cz, cy);
    out->m[0][1] = fx9_mul(fx9_mul(-sy, sx), cz) - fx9_mul(sz, cx);
    out->m[0][2] = fx9_mul(fx9_mul(-sy, cx), cz) + fx9_mul(sz, sx);
    out->m[1][0] = fx9_mul(sz, cy);
    out->m[1][1] = fx9_mul(cz, cx) - fx9_mul(fx9_mul(sy, sx), sz);
    out->m[1][2] = fx9_mul(-cz, sx) - fx9_mul(fx9_mul(sy, cx), sz);
    out->m[2][0] = sy;
    out->m[2][1] = fx9_mul(cy, sx);
    out->m[2][2] = fx9_mul(cy, cx);
    out->m[3][3] = FIXED_ONE;
}

void math_matrix_multiply(Matrix* out, const Matrix& a, const Matrix& b)
{
    // Built in a local, so that out may alias an input.
    Matrix product;
    for (int32_t i = 0; i < 4; ++i) {
        for (int32_t j = 0; j < 4; ++j) {
            int32_t sum = 0;
            for (int32_t k = 0; k < 4; ++k)
                sum = wrap_add(sum, fx9_mul(a.m[i][k], b.m[k][j]));
            product.m[i][j] = sum;
        }
    }
    *out = product;
}

int32_t math_matrix_compose(Matrix* out, const Vec3& position, const Vec3& angles,
                            const Vec3& scale)
{
    Matrix scaling;
    Matrix rotation;
    Matrix translation;
    math_matrix_scale(&scaling, scale);
    math_matrix_rotation(&rotation, angles);
    math_matrix_translation(&translation, position);
    math_matrix_multiply(&rotation, rotation, translation);
    math_matrix_multiply(out, scaling, rotation);
    return 0;
}
