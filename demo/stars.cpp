#include "demo/stars.h"

#include "platform/mem.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "scene/fixed.h"
#include "scene/projection.h"
#include "scene/scene.h"

namespace {

// Seeding spreads the points over x, y in -500..499 and z in -300..999.
constexpr int32_t STAR_SEED_SPAN_XY = 1000;
constexpr int32_t STAR_SEED_SPAN_Z = 1300;
constexpr int32_t STAR_HALF_SPAN_XY = 500;
constexpr int32_t STAR_NEAREST = -300;
constexpr int32_t STAR_STEP = 15;
// A point that passed the viewer comes back at z = 1000 with x and y in -512..511 from
// overlapping bit fields of one draw: x bits 0-9, y bits 5-14, the tag bits 9-11.
constexpr int32_t STAR_FARTHEST = 1000;
constexpr int32_t STAR_RESEED_MASK = 0x3FF;
constexpr int32_t STAR_RESEED_HALF = 512;
constexpr int32_t STAR_RESEED_Y_SHIFT = 5;
constexpr int32_t STAR_TAG_SHIFT = 9;
constexpr int32_t STAR_TAG_MASK = 7;
constexpr Pixel STAR_COLOUR = 0xFFFF;

struct Stars {
    PointField* field;
};

Stars stars;

void stars_reseed(Vec3* point, int32_t draw)
{
    point->x = (draw & STAR_RESEED_MASK) - STAR_RESEED_HALF;
    point->y = ((draw >> STAR_RESEED_Y_SHIFT) & STAR_RESEED_MASK) - STAR_RESEED_HALF;
    point->z = STAR_FARTHEST;
    point->w = (draw >> STAR_TAG_SHIFT) & STAR_TAG_MASK;
}

void stars_plot(const ScreenVertex& vertex, Pixel* pixels, int32_t width, int32_t height)
{
    if (vertex.clip == VERTEX_CLIPPED)
        return;
    if (vertex.x < 0 || vertex.x >= width || vertex.y < 0 || vertex.y >= height)
        return;
    pixels[vertex.x + width * vertex.y] = STAR_COLOUR;
}

} // namespace

int32_t stars_init()
{
    stars.field = static_cast<PointField*>(mem_alloc(sizeof(PointField)));
    if (!stars.field)
        return -1;
    // The order of the draws is part of the replay: x, y, z, tag for each point in turn.
    for (Vec3& point : stars.field->points) {
        point.x = random_below(STAR_SEED_SPAN_XY) - STAR_HALF_SPAN_XY;
        point.y = random_below(STAR_SEED_SPAN_XY) - STAR_HALF_SPAN_XY;
        point.z = random_below(STAR_SEED_SPAN_Z) + STAR_NEAREST;
        point.w = random_next() & STAR_TAG_MASK;
    }
    return 0;
}

void stars_update()
{
    PointField& field = *stars.field;
    for (Vec3& point : field.points) {
        point.z = wrap_sub(point.z, STAR_STEP);
        if (point.z < STAR_NEAREST)
            stars_reseed(&point, random_next());
    }
    // The view matrix is the previous frame's: this frame rebuilds it later.
    math_transform_project(STAR_COUNT, field.projected, field.points, scene_view_matrix());
    Pixel* pixels = surface_current_pixels();
    for (const ScreenVertex& vertex : field.projected)
        stars_plot(vertex, pixels, surface_width(), surface_height());
}

void stars_free()
{
    mem_free(stars.field);
    stars.field = nullptr;
}

PointField* stars_field()
{
    return stars.field;
}
