#include "scene/pick_hit.h"

#include "scene/effect.h"
#include "scene/pick.h"

namespace {

struct Bodies {
    ObjectBody* table; // PICK_BODIES records of the caller's; null until one is set
    int32_t live_objects;
};

Bodies bodies;

// Pushes every other intact body away from the destroyed object at position, the push falling
// off in steps of 2048 units.
void pick_shock_wave(int32_t destroyed, const Vec3& position)
{
    for (int32_t i = 0; i < PICK_BODIES; ++i) {
        ObjectBody& body = bodies.table[i];
        const Vec3* neighbour = scene_object_position(i);
        // A body whose slot is empty has no position to push from.
        if (i == destroyed || body.in_use == BODY_FREE || (body.flags & BODY_DESTROYED) ||
            !neighbour)
            continue;
        Vec3 away;
        const int32_t falloff = (math_direction(&away, *neighbour, position) >> 10) | 1;
        body.velocity.x = wrap_add(body.velocity.x, wrap_mul(away.x, SHOCK_SPEED) / falloff);
        body.velocity.y = wrap_add(body.velocity.y, wrap_mul(away.y, SHOCK_SPEED) / falloff);
        body.velocity.z = wrap_add(body.velocity.z, wrap_mul(away.z, SHOCK_SPEED) / falloff);
    }
}

void pick_destroy(int32_t index, ObjectBody& body, const Vec3& position)
{
    scene_hide_object(index);
    body.flags |= BODY_DESTROYED;
    pick_clear_flags(index, PICK_FLAG_PICKABLE | PICK_FLAG_SOLID);
    bodies.live_objects = wrap_sub(bodies.live_objects, 1);
    pick_shock_wave(index, position);
}

} // namespace

void pick_set_bodies(ObjectBody* table)
{
    bodies.table = table;
    bodies.live_objects = 0;
    if (!table)
        return;
    for (int32_t i = 0; i < PICK_BODIES; ++i)
        table[i].in_use = BODY_FREE;
}

int32_t pick_add_body(int32_t object, int32_t hit_points, const ColourEntry& colour)
{
    ObjectBody* body = pick_body(object);
    if (!body || body->in_use != BODY_FREE || !scene_object_position(object))
        return -1;
    *body = {BODY_IN_USE, 0, {}, 0, colour, hit_points};
    bodies.live_objects = wrap_add(bodies.live_objects, 1);
    return 0;
}

ObjectBody* pick_body(int32_t index)
{
    return bodies.table && index >= 0 && index < PICK_BODIES ? &bodies.table[index] : nullptr;
}

int32_t pick_live_objects()
{
    return bodies.live_objects;
}

int32_t pick_hit(int32_t index)
{
    ObjectBody* body = pick_body(index);
    const Vec3* object_position = scene_object_position(index);
    if (!body || body->in_use == BODY_FREE || !object_position)
        return -1;
    const Vec3 position = *object_position;
    effect_start(EFFECT_BURST, EFFECT_BURST_DURATION, position, BURST_ANGLES, BURST_SCALE,
                 body->colour);
    // Away from the fixed point towards the object, at about HIT_SPEED x 1024.
    math_direction(&body->velocity, position, HIT_SOURCE);
    body->velocity.x = wrap_mul(body->velocity.x, HIT_SPEED);
    body->velocity.y = wrap_mul(body->velocity.y, HIT_SPEED);
    body->velocity.z = wrap_mul(body->velocity.z, HIT_SPEED);
    body->hit_value = HIT_VALUE;
    body->hit_points = wrap_sub(body->hit_points, 1);
    if (body->hit_points <= 0)
        pick_destroy(index, *body, position);
    return 0;
}
