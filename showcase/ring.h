// The ring of objects: fifteen shapes around the screen centre, each a scene object with one
// pick record and one body, so that it can be picked, hit, pushed and destroyed. What moves the
// objects by their bodies' velocities, and what a hit's value drives, is here.
#pragma once

#include <cstdint>

#include "showcase/showcase.h"

// How far the ring's objects stand from its centre, in world units.
constexpr int32_t RING_RADIUS = 190;
// An object moves by its velocity >> RING_VELOCITY_SHIFT units a frame, so a hit (about
// 200 x 1024) sends it off at about 6 units a frame...
constexpr int32_t RING_VELOCITY_SHIFT = 15;
// ... and the velocity loses 1/16 of itself every frame.
constexpr int32_t RING_DAMPING_SHIFT = 4;
// No object leaves this cube around the origin, however often it is pushed.
constexpr int32_t RING_FIELD = 4000;
// Every record's pick sphere, in world units.
constexpr int32_t RING_PICK_RADIUS = 30;

// Places the shapes, their pick records and bodies; 0, or -1 when the scene buffer has no room
// or an allocation failed.
int32_t ring_build(Showcase& show);
// One frame: velocities move the objects, damping slows them, everything turns, hits pulse.
void ring_move(Showcase& show);
// Every object back home, whole and still, with its hit points.
void ring_reset(Showcase& show);
