#include "showcase/ring.h"

#include <algorithm>

#include "scene/fixed.h"
#include "scene/model.h"
#include "scene/pick.h"
#include "scene/scene.h"

namespace {

// A model or a mesh, how large and how fast it turns, and how much it takes.
struct RingShape {
    int32_t model;    // a model index, or RING_MESH
    const Mesh* mesh; // when model is RING_MESH
    int32_t scale;    // 512 = 1.0
    Vec3 spin;
    int32_t hit_points;
    ColourEntry colour;
};

constexpr int32_t RING_MESH = -1;
// The models' own sizes differ by fifty times; these scales make each about 28 units across.
constexpr RingShape RING_SHAPES[SHOWCASE_OBJECTS] = {
    {MODEL_DISC, nullptr, 56, {3, 2, 0, 0}, 3, {255, 96, 64, 0}},
    {RING_MESH, &MESH_CUBE, FIXED_ONE, {2, 3, 1, 0}, 4, {255, 200, 64, 0}},
    {MODEL_RING, nullptr, 28, {4, 0, 2, 0}, 3, {64, 255, 128, 0}},
    {RING_MESH, &MESH_WINDMILL, FIXED_ONE, {0, 2, 0, 0}, 5, {128, 160, 255, 0}},
    {MODEL_BAND, nullptr, 56, {5, 3, 0, 0}, 3, {255, 64, 255, 0}},
    {RING_MESH, &MESH_PYRAMID, FIXED_ONE, {0, 3, 0, 0}, 4, {255, 128, 32, 0}},
    {MODEL_SAW_BAND, nullptr, 56, {3, 4, 2, 0}, 3, {64, 224, 255, 0}},
    {RING_MESH, &MESH_GLOW, FIXED_ONE, {0, 0, 3, 0}, 3, {255, 255, 96, 0}},
    {MODEL_CONE, nullptr, 16, {6, 2, 0, 0}, 3, {160, 255, 64, 0}},
    {RING_MESH, &MESH_ORRERY, FIXED_ONE, {1, 0, 0, 0}, 5, {255, 160, 200, 0}},
    {MODEL_STARBURST, nullptr, 6, {2, 5, 3, 0}, 2, {255, 255, 255, 0}},
    {RING_MESH, &MESH_GLASS, FIXED_ONE, {0, 4, 0, 0}, 3, {96, 192, 255, 0}},
    {RING_MESH, &MESH_PRISM, FIXED_ONE, {3, 2, 1, 0}, 4, {255, 64, 96, 0}},
    {RING_MESH, &MESH_CHAIN, FIXED_ONE, {0, 1, 0, 0}, 5, {200, 255, 200, 0}},
    {RING_MESH, &MESH_SHADED, FIXED_ONE, {1, 3, 0, 0}, 4, {255, 255, 160, 0}}};

// A colliding pair drifts apart at 1/8 of a shock wave's push per frame of contact.
constexpr int32_t RING_BUMP = 12;
// A hit swells an object by up to hit value >> 10 / 512 of its size, fading by 1/8 a frame.
constexpr int32_t RING_PULSE_SHIFT = 10;
constexpr int32_t RING_PULSE_DECAY_SHIFT = 3;
constexpr int32_t RING_MODEL_COLOURS_MAX = 4;
constexpr int32_t RING_CHANNEL_MAX = 255;
constexpr int32_t RING_FLAGS = PICK_FLAG_PICKABLE | PICK_FLAG_SOLID;

// A model's packets, vertices and colours copied into the scene buffer for good, its white
// tinted: the object's one part.
int32_t ring_load_model(int32_t index, const ColourEntry& tint, ObjectPart* part)
{
    const Model* model = model_get(index);
    if (!model || model->colour_count > RING_MODEL_COLOURS_MAX)
        return -1;
    ColourEntry colours[RING_MODEL_COLOURS_MAX] = {};
    for (int32_t i = 0; i < model->colour_count; ++i) {
        const Vec3& item = *model_item(model->colours + i);
        colours[i] = {item.x * tint.red / RING_CHANNEL_MAX, item.y * tint.green / RING_CHANNEL_MAX,
                      item.z * tint.blue / RING_CHANNEL_MAX, 0};
    }
    const int32_t first_colour = scene_add_colours(colours, model->colour_count);
    const int32_t first_slot = scene_reserve_vertices(model->vertex_count);
    if (first_colour < 0 || first_slot < 0)
        return -1;
    uint8_t packets[MODEL_PACKET_STORE_BYTES];
    model_copy_packets(packets, *model, first_slot, first_colour);
    if (scene_add_packets(packets, model->packet_bytes, model->packet_count) < 0)
        return -1;
    *part = {0,
             model->vertex_count,
             first_slot,
             model_item(model->vertices),
             {},
             {},
             {},
             {},
             {FIXED_ONE, FIXED_ONE, FIXED_ONE, 0}};
    return 1;
}

Vec3 ring_home(int32_t k)
{
    const int32_t angle = k * ANGLE_TURN / SHOWCASE_OBJECTS;
    return {RING_RADIUS * math_cos(angle) >> FIXED_SHIFT,
            RING_RADIUS * math_sin(angle) >> FIXED_SHIFT, 0, 0};
}

Vec3 ring_scale(int32_t scale)
{
    return {scale, scale, scale, 0};
}

// Touching objects push each other apart, each from its own side.
void ring_on_collide(PickRecord* record)
{
    ObjectBody* body = pick_body(record->object);
    if (!body || !record->partner)
        return;
    Vec3 away{};
    math_direction(&away, record->view, record->partner->view);
    body->velocity.x = wrap_add(body->velocity.x, wrap_mul(away.x, RING_BUMP));
    body->velocity.y = wrap_add(body->velocity.y, wrap_mul(away.y, RING_BUMP));
    body->velocity.z = wrap_add(body->velocity.z, wrap_mul(away.z, RING_BUMP));
}

int32_t ring_place(Showcase& show, int32_t k)
{
    const RingShape& shape = RING_SHAPES[k];
    ObjectPart parts[MESH_PARTS_MAX];
    const int32_t part_count =
        shape.mesh ? mesh_load(*shape.mesh, show.textures, show.first_texcoord, parts)
                   : ring_load_model(shape.model, shape.colour, parts);
    if (part_count < 0)
        return -1;
    const Vec3 home = ring_home(k);
    const int32_t slot = scene_add_object(home, {}, ring_scale(shape.scale), parts, part_count);
    if (slot < 0)
        return -1;
    show.objects[k] = {slot,        shape.mesh,       home,        shape.spin,
                       shape.scale, shape.hit_points, shape.colour};
    const Matrix* matrix = &scene_object(slot)->parts[0].world;
    if (!pick_add_record(slot, {}, RING_PICK_RADIUS, matrix, RING_FLAGS, pick_select,
                         ring_on_collide))
        return -1;
    return pick_add_body(slot, shape.hit_points, shape.colour);
}

int32_t ring_clamp(int32_t value)
{
    return std::clamp(value, -RING_FIELD, RING_FIELD);
}

void ring_turn(Vec3& angles, const Vec3& spin)
{
    angles.x = (angles.x + spin.x) & ANGLE_MASK;
    angles.y = (angles.y + spin.y) & ANGLE_MASK;
    angles.z = (angles.z + spin.z) & ANGLE_MASK;
}

void ring_move_object(const ShowcaseObject& item)
{
    SceneObject* object = scene_object(item.slot);
    ObjectBody* body = pick_body(item.slot);
    if (!object || !body || (body->flags & BODY_DESTROYED))
        return;
    Vec3& v = body->velocity;
    object->position.x = ring_clamp(object->position.x + (v.x >> RING_VELOCITY_SHIFT));
    object->position.y = ring_clamp(object->position.y + (v.y >> RING_VELOCITY_SHIFT));
    object->position.z = ring_clamp(object->position.z + (v.z >> RING_VELOCITY_SHIFT));
    v.x -= v.x >> RING_DAMPING_SHIFT;
    v.y -= v.y >> RING_DAMPING_SHIFT;
    v.z -= v.z >> RING_DAMPING_SHIFT;

    ring_turn(object->angles, item.spin);
    for (int32_t p = 0; item.mesh && p < object->part_count; ++p)
        ring_turn(object->parts[p].angles, item.mesh->parts[p].spin);

    body->hit_value -= body->hit_value >> RING_PULSE_DECAY_SHIFT;
    const int32_t pulse = item.scale * (body->hit_value >> RING_PULSE_SHIFT) >> FIXED_SHIFT;
    object->scale = ring_scale(item.scale + pulse);
}

} // namespace

int32_t ring_build(Showcase& show)
{
    show.first_texcoord = mesh_add_texcoords();
    if (show.first_texcoord < 0)
        return -1;
    pick_set_bodies(show.bodies);
    for (int32_t k = 0; k < SHOWCASE_OBJECTS; ++k) {
        if (ring_place(show, k) < 0)
            return -1;
    }
    return 0;
}

void ring_move(Showcase& show)
{
    for (const ShowcaseObject& item : show.objects)
        ring_move_object(item);
}

void ring_reset(Showcase& show)
{
    pick_set_bodies(show.bodies);
    for (const ShowcaseObject& item : show.objects) {
        SceneObject* object = scene_object(item.slot);
        if (!object)
            continue;
        object->flags = 0;
        object->position = item.home;
        object->angles = {};
        object->scale = ring_scale(item.scale);
        for (int32_t p = 0; item.mesh && p < object->part_count; ++p)
            object->parts[p].angles = item.mesh->parts[p].angles;
        for (PickRecord* record = pick_list(item.slot); record; record = record->next)
            record->flags |= RING_FLAGS;
        pick_add_body(item.slot, item.hit_points, item.colour);
    }
}
