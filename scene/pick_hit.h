// Hits: what a hit on a picked object does. Every hit pushes the object away from a fixed point,
// shows a burst at it and costs it a hit point; the last one hides it and sends a shock wave that
// pushes its neighbours, nearer ones harder.
//
// The bodies, one per object slot, live in a table the caller owns: nothing in the program sets
// one. pick_set_bodies and pick_add_body are the way to give objects hit points and a colour.
// What moves objects by their velocity, and what the hit value drives, is the caller's.
#pragma once

#include <cstdint>

#include "scene/math.h"
#include "scene/scene.h"
#include "scene/scene_buffer.h"

constexpr int32_t PICK_BODIES = SCENE_OBJECTS;
// ObjectBody in_use of a free body.
constexpr int32_t BODY_FREE = -1;
constexpr int32_t BODY_IN_USE = 0;
// ObjectBody flags.
constexpr int32_t BODY_DESTROYED = 1;

// A hit sets the velocity to about HIT_SPEED x 1024 away from HIT_SOURCE and the hit value to
// HIT_VALUE.
constexpr Vec3 HIT_SOURCE = {0, 0, -100, 0};
constexpr int32_t HIT_SPEED = 200;
constexpr int32_t HIT_VALUE = 153600;
// The shock wave adds SHOCK_SPEED x 1024 to the velocity of each neighbour within 2047 units,
// a third of that up to 4095, a fifth up to 6143, and so on.
constexpr int32_t SHOCK_SPEED = 100;
// A hit's burst: unturned, at scale 1024 on every axis.
constexpr Vec3 BURST_ANGLES = {0, 0, 0, 0};
constexpr Vec3 BURST_SCALE = {1024, 1024, 1024, 1024};

struct ObjectBody {
    int32_t in_use; // BODY_FREE or BODY_IN_USE
    int32_t flags;
    Vec3 velocity;      // a hit replaces it, a shock wave adds to it
    int32_t hit_value;  // set on every hit
    ColourEntry colour; // the burst's, channels 0..255
    int32_t hit_points; // the object is destroyed when a hit leaves 0 or fewer
};

// Makes bodies (PICK_BODIES records, owned by the caller and outliving their use) the body table,
// marks every body free and sets the live-object count to 0; null empties the reference.
void pick_set_bodies(ObjectBody* bodies);
// Fills body object for the object in that slot and counts it live; 0, or -1 when there is no
// body table, the index is outside it, the slot is empty or the body is in use.
int32_t pick_add_body(int32_t object, int32_t hit_points, const ColourEntry& colour);
// Body index of the table; null without a table or for an index outside it.
ObjectBody* pick_body(int32_t index);
// The live-object count: bodies added less objects destroyed.
int32_t pick_live_objects();

// Hits object index: burst, push, hit value, one hit point less, and at 0 destruction and the
// shock wave. 0, or -1 (nothing done) for an empty slot, an index outside the table or a free body.
int32_t pick_hit(int32_t index);
