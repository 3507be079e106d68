// The fixed-point maths against values worked out here from the rules: the tables recomputed in
// extended precision, matrices and projections by hand.
#include "scene/math.h"

#include <cmath>
#include <limits>

#include "tests/support/scene_fixture.h"

namespace {

using MathTest = MathFixture;

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

TEST_F(MathTest, CircleAndDirection)
{
    int32_t x = 0;
    int32_t y = 0;
    math_circle_point(128 + 1024, -1, &x, &y); // -362 >> 1
    EXPECT_EQ(std::tuple(x, y), std::tuple(-181, -181));

    // (a, b, the length, the direction): a - b at 1024 per unit over a length made odd, truncated
    // toward zero; past the callers' limit the squared sum wraps negative and the length is 1.
    Vec3 d{};
    // clang-format off
    for (const auto& [a, b, length, direction] : {
             std::tuple(Vec3{0, 0, 0, 0}, Vec3{3, 4, 0, 0}, 5, std::tuple(-614, -819, 0)),
             {{7, 7, 7, 0}, {7, 7, 7, 0}, 1, {0, 0, 0}},
             {{40000, 40000, 0, 0}, {0, 0, 0, 0}, 1, {40960000, 40960000, 0}}}) {
        // clang-format on
        EXPECT_EQ(math_direction(&d, a, b), length);
        EXPECT_EQ(test_xyz(d), direction) << length;
    }
}

// Worked by hand from the rotation's entries at 512 = 1.0, each product shifted down (rounding
// toward minus infinity) before it is used; sin and cos of 128 are both 362.
TEST_F(MathTest, RotationByHandAndMaskedAngles)
{
    struct Case {
        Vec3 angles;
        Matrix rows; // row 3 is added below
    };
    const Case cases[] = {
        {{0, 0, 256, 0}, {{{0, -512, 0}, {512, 0, 0}, {0, 0, 512}}}},
        {{0, 256, 0, 0}, {{{0, 0, -512}, {0, 512, 0}, {512, 0, 0}}}},
        {{128, 0, 0, 0}, {{{512, 0, 0}, {0, 362, -362}, {0, 362, 362}}}},
        // 362 x 362 >> 9 = 255, -362 x 362 >> 9 = -256, -256 x 362 >> 9 = -181, 255 x 362 >> 9 =
        // 180.
        {{128, 128, 128, 0}, {{{255, -436, 74}, {255, 75, -436}, {362, 255, 255}}}},
    };
    for (const Case& c : cases) {
        Matrix expected = c.rows;
        expected.m[3][3] = 512;
        Matrix m;
        math_matrix_rotation(&m, c.angles);
        EXPECT_TRUE(test_same(m, expected)) << c.angles.x << "," << c.angles.y << "," << c.angles.z;
        math_matrix_rotation(&m, {c.angles.x + 1024, c.angles.y - 2048, c.angles.z - 1024, 0});
        EXPECT_TRUE(test_same(m, expected));
    }
}

TEST_F(MathTest, ComposeAndProduct)
{
    Matrix m;
    EXPECT_EQ(math_matrix_compose(&m, {0, 0, 0, 0}, {0, 0, 0, 0}, {512, 512, 512, 0}), 0);
    EXPECT_TRUE(test_same(m, TEST_IDENTITY));
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
}

TEST_F(MathTest, MatrixStackOverflowAndUnderflow)
{
    Matrix level = TEST_IDENTITY;
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
    // (point, where it lands): divisor 1 at depth -255, behind the eye X and Y unprojected.
    ScreenVertex out{};
    // clang-format off
    for (const auto& [point, screen] : {
             std::pair(Vec3{100, 50, 0, 0}, std::tuple(CX + 100, CY + 50, 0, 0)),
             {{100, 50, 256, 0}, {CX + 50, CY + 25, 256, 0}},
             {{1, 2, -255, 0}, {CX + 256, CY + 512, -255, 0}},
             {{1, 2, -256, 0}, {256, 512, -256, -1}},
             {{-1, 0, 0, 0}, {CX - 1, CY, 0, 0}}}) {
        // clang-format on
        EXPECT_EQ(math_transform_project(1, &out, &point, TEST_IDENTITY), 0);
        EXPECT_EQ(test_screen(out), screen) << point.z;
    }
    // X = -255 truncates toward zero, to the centre; a shift would give -1.
    Matrix nudged = TEST_IDENTITY;
    nudged.m[3][0] = -510;
    math_transform_project(1, &out, &TEST_ORIGIN, nudged);
    EXPECT_EQ(out.x, CX);
    math_transform_project(-1, &out, &TEST_ORIGIN, TEST_IDENTITY);
    EXPECT_EQ(out.x, CX);
}

} // namespace
