// The point field: seeding, the step, re-seeding from one draw, projection through the previous
// frame's view matrix, and plotting within the surface, never on the guard row below it.
#include "demo/stars.h"

#include <algorithm>
#include <cstring>
#include <tuple>
#include <vector>

#include "app/app.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "scene/projection.h"
#include "scene/scene.h"
#include "tests/support/generator.h"
#include "tests/support/program.h"
#include "tests/support/scene_fixture.h"

namespace {

auto fields(const Vec3& p)
{
    return std::tuple(p.x, p.y, p.z, p.w);
}

// The field driven step by step outside the loop. Every point but the ones a test places sits
// far off to the side, where it is never drawn.
class StarsTest : public StartedProgramTest {
protected:
    void SetUp() override
    {
        StartedProgramTest::SetUp();
        w = surface_width();
        h = surface_height();
        cx = w >> 1;
        cy = h >> 1;
        field = stars_field();
        pixels = surface_current_pixels();
        std::fill(pixels, pixels + w * (h + 1), 0);
        for (Vec3& point : field->points)
            point = {100000, 0, 500, 0};
    }

    // The white pixels of the frame buffer, its guard row included.
    std::vector<int32_t> white_pixels() const
    {
        std::vector<int32_t> found;
        for (int32_t i = 0; i < w * (h + 1); ++i) {
            if (pixels[i] == 0xFFFF)
                found.push_back(i);
        }
        return found;
    }

    PointField* field = nullptr;
    Pixel* pixels = nullptr;
    int32_t w = 0;
    int32_t h = 0;
    int32_t cx = 0;
    int32_t cy = 0;
};

TEST_F(StarsTest, SeedingTakesFourDrawsPerPoint)
{
    stars_free();
    random_reset(12345);
    ASSERT_EQ(stars_init(), 0);
    TestGenerator draws{12345};
    for (const Vec3& p : stars_field()->points) {
        const int32_t x = draws.next() % 1000 - 500;
        const int32_t y = draws.next() % 1000 - 500;
        const int32_t z = draws.next() % 1300 - 300;
        EXPECT_EQ(fields(p), std::tuple(x, y, z, draws.next() & 7));
    }
    EXPECT_EQ(random_state(), draws.state);
}

TEST_F(StarsTest, PointsPastTheViewerAreReseededFromOneDraw)
{
    // -285 steps to -300 and stays; -290 steps past it and comes back from the draw 0x7FFF.
    field->points[0] = {7, 8, -285, 3};
    field->points[1] = {7, 8, -290, 3};
    random_reset(TestGenerator::before(0xFFFFFFFFu));
    stars_update();
    EXPECT_EQ(random_state(), 0xFFFFFFFFu) << "one draw";
    EXPECT_EQ(std::tuple(fields(field->points[0]), fields(field->points[1])),
              std::tuple(std::tuple(7, 8, -300, 3), std::tuple(511, 511, 1000, 7)));
    // Until the first scene transformation the view matrix is zero: every point, re-seeded ones
    // too, is drawn on the centre.
    for (const ScreenVertex& v : field->projected)
        EXPECT_EQ(std::tuple(v.x, v.y, v.clip), std::tuple(cx, cy, 0));
    EXPECT_EQ(white_pixels(), std::vector<int32_t>{cx + w * cy});

    // The draw 0, then the next draw for the next point past the viewer: two draws, no more.
    field->points[0] = {7, 8, -290, 3};
    field->points[1] = {7, 8, -285, 3};
    field->points[2] = {7, 8, -1000, 3};
    random_reset(TestGenerator::before(0));
    stars_update();
    TestGenerator draws{0};
    const int32_t r = draws.next();
    EXPECT_EQ(std::tuple(fields(field->points[0]), field->points[1].z, fields(field->points[2])),
              std::tuple(std::tuple(-512, -512, 1000, 0), -300,
                         std::tuple((r & 0x3FF) - 512, (r >> 5 & 0x3FF) - 512, 1000, r >> 9 & 7)));
    EXPECT_EQ(random_state(), draws.state);
}

TEST_F(StarsTest, OnlyPointsInsideTheSurfaceAndBeforeTheEyeArePlotted)
{
    // The identity view: a point at depth 0 lands at centre + (x, y). z is one step further
    // away, as the update moves each point 15 nearer first.
    scene_view_matrix() = TEST_IDENTITY;
    field->points[0] = {w - cx, 0, 15, 0}; // x = W
    field->points[1] = {0, h - cy, 15, 0}; // y = H, the guard row
    field->points[2] = {-cx, -cy, 15, 0};  // (0, 0)
    field->points[3] = {w - 1 - cx, h - 1 - cy, 15, 0};
    field->points[4] = {-cx - 1, 0, 15, 0};     // x = -1
    field->points[5] = {0, 0, -285, 0};         // depth -300: behind the eye, its raw x, y = 0, 0
    field->points[6] = {1 - cx, 1 - cy, 15, 0}; // (1, 1)
    stars_update();
    EXPECT_EQ(field->projected[5].clip, -1);
    EXPECT_EQ(white_pixels(), (std::vector<int32_t>{0, 1 + w, w - 1 + w * (h - 1)}));
}

using StarsProgramTest = ProgramTest;

TEST_F(StarsProgramTest, FieldIsProjectedThroughThePreviousFramesViewMatrix)
{
    // F1 swings the view every frame, so consecutive matrices differ.
    headless_set_key(HOST_VK_F1, true);
    Matrix previous{};
    std::vector<uint32_t> checked;
    for (uint32_t frame = 1; frame <= 3; ++frame) {
        at_frame(frame, [&, frame] {
            ScreenVertex expected[STAR_COUNT];
            math_transform_project(STAR_COUNT, expected, stars_field()->points, previous);
            EXPECT_EQ(std::memcmp(expected, stars_field()->projected, sizeof expected), 0) << frame;
            EXPECT_NE(std::memcmp(&previous, &scene_view_matrix(), sizeof previous), 0) << frame;
            previous = scene_view_matrix();
            checked.push_back(frame);
        });
    }
    EXPECT_EQ(run(3), 0);
    EXPECT_EQ(checked, (std::vector<uint32_t>{1, 2, 3}));
}

} // namespace
