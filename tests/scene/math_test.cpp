// The fixed-point maths against values worked out here from the rules: the tables recomputed in
// extended precision, matrices and projections by hand.
#include "scene/math.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>

#include "platform/mem.h"
#include "scene/matrix.h"
#include "scene/projection.h"

namespace {

constexpr int32_t CX = 256;
constexpr int32_t CY = 230;

// The tables' definition: 512 x sin(i x 0.006135923151367188) with the product and the sine in
// x87's extended precision, truncated. Long double holds the product exactly and the sine to at
// least that precision on every build the tests run on (80 bits on x86, 128 in WebAssembly); the
// sine is then rounded to the 64-bit significand, which takes sin 256 to exactly 1 whatever the
// width (its exact value lies 1e-21 below).
static_assert(std::numeric_limits<long double>::digits >= 64);

long double extended(long double value)
{
    int exponent = 0;
    const long double fraction = std::frexp(value, &exponent);
    return std::ldexp(std::nearbyint(std::ldexp(fraction, 64)), exponent - 64);
}

int32_t table_entry(long double (*function)(long double), int32_t i)
{
    return static_cast<int32_t>(std::trunc(extended(function(i * 0.006135923151367188L)) * 512));
}

Matrix identity()
{
    Matrix m{};
    for (int i = 0; i < 4; ++i)
        m.m[i][i] = 512;
    return m;
}

bool same(const Matrix& a, const Matrix& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

auto fields(const ScreenVertex& v)
{
    return std::tuple(v.x, v.y, v.depth, v.clip);
}

class MathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        live_blocks = mem_stats().live_blocks;
        ASSERT_EQ(math_init_tables(), 0);
        math_set_screen_centre(CX, CY);
    }

    void TearDown() override
    {
        math_free_tables();
        math_free_tables();
        EXPECT_EQ(mem_stats().live_blocks, live_blocks);
    }

    int32_t live_blocks = 0;
};

TEST_F(MathTest, TablesHoldTheTruncatedExtendedPrecisionValues)
{
    for (int32_t i = 0; i < 1024; ++i) {
        ASSERT_EQ(math_sin(i), table_entry(std::sin, i)) << "sin " << i;
        ASSERT_EQ(math_cos(i), table_entry(std::cos, i)) << "cos " << i;
    }
    // Hand-worked entries, and any angle taken modulo 1024.
    EXPECT_EQ(std::tuple(math_sin(0), math_sin(128), math_sin(192), math_sin(256), math_sin(768),
                         math_sin(1024), math_sin(INT32_MIN + 128)),
              std::tuple(0, 362, 473, 512, -512, 0, 362));
    EXPECT_EQ(std::tuple(math_cos(0), math_cos(192), math_cos(256), math_cos(512), math_cos(-256)),
              std::tuple(512, 195, 0, -512, 0));
}

TEST_F(MathTest, CircleSphereAndDirection)
{
    int32_t x = 0;
    int32_t y = 0;
    math_circle_point(256, 2, &x, &y);
    int32_t x2 = 0;
    int32_t y2 = 0;
    math_circle_point(128 + 1024, -1, &x2, &y2); // -362 >> 1
    EXPECT_EQ(std::tuple(x, y, x2, y2), std::tuple(0, 512, -181, -181));

    // The cone's rim: ring 3 of 16 lies at latitude 192 (sin 473, cos 195).
    Vec3 p{};
    math_sphere_point(&p, 16, 0, 3, 2);
    EXPECT_EQ(std::tuple(p.x, p.y, p.z), std::tuple(((512 * 473) >> 10) << 2, 195 << 2, 0));
    math_sphere_point(&p, 16, 24, 3, 2); // index 24 is 8: longitude 512, where -236.5 rounds down
    EXPECT_EQ(p.x, -237 * 4);
    math_sphere_point(&p, 0, 8, 3, 2);
    EXPECT_EQ(std::tuple(p.x, p.y, p.z), std::tuple(0, 0, 0));

    Vec3 d{};
    EXPECT_EQ(math_direction(&d, {0, 0, 0, 0}, {3, 4, 0, 0}), 5);
    EXPECT_EQ(std::tuple(d.x, d.y, d.z), std::tuple(-614, -819, 0)); // truncated toward zero
    EXPECT_EQ(math_direction(&d, {6, 8, 0, 0}, {0, 0, 0, 0}), 11);   // 10, made odd
    EXPECT_EQ(d.y, 8192 / 11);
    EXPECT_EQ(math_direction(&d, {7, 7, 7, 0}, {7, 7, 7, 0}), 1);
    EXPECT_EQ(std::tuple(d.x, d.y, d.z), std::tuple(0, 0, 0)) << "the same point";
    // Past the callers' limit the squared sum wraps negative; the length stays defined.
    EXPECT_EQ(math_direction(&d, {40000, 40000, 0, 0}, {0, 0, 0, 0}), 1);
}

// Worked by hand from the rotation's entries at 512 = 1.0, each product shifted down (rounding
// toward minus infinity) before it is used; sin and cos of 128 are both 362.
TEST_F(MathTest, RotationByHandAndMaskedAngles)
{
    struct Case {
        Vec3 angles;
        int32_t rows[3][3];
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, {{512, 0, 0}, {0, 512, 0}, {0, 0, 512}}},
        {{0, 0, 256, 0}, {{0, -512, 0}, {512, 0, 0}, {0, 0, 512}}},
        {{0, 256, 0, 0}, {{0, 0, -512}, {0, 512, 0}, {512, 0, 0}}},
        {{256, 0, 256, 0}, {{0, 0, 512}, {512, 0, 0}, {0, 512, 0}}},
        {{128, 0, 0, 0}, {{512, 0, 0}, {0, 362, -362}, {0, 362, 362}}},
        // 362 x 362 >> 9 = 255, -362 x 362 >> 9 = -256, -256 x 362 >> 9 = -181, 255 x 362 >> 9 =
        // 180.
        {{128, 128, 128, 0}, {{255, -436, 74}, {255, 75, -436}, {362, 255, 255}}},
    };
    for (const Case& c : cases) {
        Matrix expected{};
        for (int i = 0; i < 3; ++i)
            std::copy(c.rows[i], c.rows[i] + 3, expected.m[i]);
        expected.m[3][3] = 512;
        Matrix m;
        math_matrix_rotation(&m, c.angles);
        EXPECT_TRUE(same(m, expected)) << c.angles.x << "," << c.angles.y << "," << c.angles.z;
        math_matrix_rotation(&m, {c.angles.x + 1024, c.angles.y - 2048, c.angles.z - 1024, 0});
        EXPECT_TRUE(same(m, expected));
    }
}

TEST_F(MathTest, ComposeAndProduct)
{
    Matrix m;
    EXPECT_EQ(math_matrix_compose(&m, {0, 0, 0, 0}, {0, 0, 0, 0}, {512, 512, 512, 0}), 0);
    EXPECT_TRUE(same(m, identity()));
    // Scale x by 2, turn a quarter about z (x goes to -y), move by (5, 6, 7): (1, 0, 0) lands at
    // (5, 4, 7), at 256 per unit.
    math_matrix_compose(&m, {5, 6, 7, 0}, {0, 0, 256, 0}, {1024, 512, 512, 0});
    const Vec3 point{1, 0, 0, 0};
    Vec3 moved{0, 0, 0, 77};
    math_transform_points(1, &moved, &point, m);
    EXPECT_EQ(std::tuple(moved.x, moved.y, moved.z, moved.w),
              std::tuple(5 * 256, 4 * 256, 7 * 256, 77));

    // Each product is shifted before the sum; the products wrap at 32 bits.
    Matrix a{};
    Matrix b{};
    a.m[0][0] = a.m[0][1] = 1;
    b.m[0][0] = b.m[1][0] = b.m[0][1] = 256;
    a.m[1][0] = -1;
    a.m[2][2] = b.m[2][2] = 0x10001;
    math_matrix_multiply(&m, a, b);
    EXPECT_EQ(m.m[0][0], 0);            // (256 >> 9) + (256 >> 9), not 512 >> 9
    EXPECT_EQ(m.m[1][1], -1);           // -256 >> 9 rounds toward minus infinity
    EXPECT_EQ(m.m[2][2], 0x20001 >> 9); // 0x1'0002'0001 wrapped
    Matrix i = identity();
    math_matrix_multiply(&i, i, b); // out may be an input
    EXPECT_TRUE(same(i, b));
}

TEST_F(MathTest, MatrixStackOverflowAndUnderflow)
{
    Matrix level = identity();
    math_matstack_reset();
    for (int32_t i = 0; i < 32; ++i) {
        level.m[3][0] = i;
        ASSERT_EQ(math_matstack_push(level), i);
    }
    EXPECT_EQ(math_matstack_push(level), -1);
    // (levels, result, the matrix popped): more levels than pushed, or fewer than one, are
    // refused with nothing changed.
    Matrix out{};
    for (const auto& [levels, result, popped] :
         {std::tuple(2, 30, 30), {29, 1, 1}, {2, -1, 1}, {0, -1, 1}, {-3, -1, 1}, {1, 0, 0}}) {
        EXPECT_EQ(math_matstack_pop(&out, levels), result) << levels;
        EXPECT_EQ(out.m[3][0], popped) << levels;
    }
}

TEST_F(MathTest, ProjectionByHand)
{
    const Vec3 in[] = {{100, 50, 0, 0}, {100, 50, 256, 0}, {1, 2, -255, 0},
                       {1, 2, -256, 0}, {-1, 0, 0, 0},     {0, 0, 0, 0}};
    const ScreenVertex expected[] = {
        {CX + 100, CY + 50, 0, 0},
        {CX + 50, CY + 25, 256, 0},
        {CX + 256, CY + 512, -255, 0}, // divisor 1
        {256, 512, -256, -1},          // behind the eye: X and Y unprojected
        {CX - 1, CY, 0, 0},
        {CX, CY, 0, 0},
    };
    ScreenVertex out[6];
    EXPECT_EQ(math_transform_project(6, out, in, identity()), 0);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(fields(out[i]), fields(expected[i])) << i;
    // X = -255 truncates toward zero, to the centre; a shift would give -1.
    Matrix nudged = identity();
    nudged.m[3][0] = -510;
    math_transform_project(1, out, &in[5], nudged);
    EXPECT_EQ(out[0].x, CX);
    math_transform_project(-1, out, in, identity());
    EXPECT_EQ(out[0].x, CX);

    // Spheres: 256 units farther the radius halves; the view output is in model units.
    Matrix far = identity();
    far.m[3][2] = 256 * 512;
    Vec3 view{0, 0, 0, 9};
    int32_t sx = -7;
    int32_t sy = -7;
    EXPECT_EQ(math_project_sphere(&view, &sx, &sy, {4, 512, 0, 0}, far, 10, 2), 5);
    EXPECT_EQ(std::tuple(sx, sy), std::tuple(CX + 2, CY + 256));
    EXPECT_EQ(std::tuple(view.x, view.y, view.z, view.w), std::tuple(4, 512, 256, 9));
    // Without the flag, or behind the eye, the screen point is not written.
    sx = sy = -7;
    EXPECT_EQ(math_project_sphere(&view, &sx, &sy, {3, 4, 0, 0}, far, 10, 0), 0);
    EXPECT_EQ(math_project_sphere(&view, &sx, &sy, {3, 4, -512, 0}, far, 10, 2), -1);
    EXPECT_EQ(std::tuple(sx, sy, view.z), std::tuple(-7, -7, -256));
}

} // namespace
