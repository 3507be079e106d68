// The ordering table: once per frame every packet of the scene buffer gets a depth and, unless it
// faces away or lies outside the depth range, a place at the front of one of the 4096 buckets;
// then the buckets are drawn from the farthest (4095) to the nearest, each emptied behind. A
// painter's algorithm: nearer packets simply overwrite farther ones.
//
// The walk trusts nothing in the stream: a packet whose size is smaller than its layout or
// reaches past the packet area ends the walk, and one whose vertex, colour or texture-coordinate
// indices fall outside their tables is skipped.
#pragma once

#include <cstdint>

#include "raster/target.h"
#include "scene/scene_buffer.h"

// A marker draws a box of this side at its vertex, white.
constexpr int32_t OT_MARKER_BOX_SIZE = 50;
constexpr Pixel OT_MARKER_COLOUR = 0x7FFF;
// The effect step whose instances' markers are drawn.
constexpr int32_t OT_MARKER_FIRST_STEP = 0;

// Sorts the current scene buffer's packets and draws them into the current frame buffer.
void ot_draw_scene();
// Gives every packet of the buffer its depth and pushes it on the front of its bucket.
void ot_insert_packets(SceneBuffer& buffer);
// Draws the buckets 4095 down to 1 into target and empties them; bucket 0 is never drawn.
// Returns 0.
int32_t ot_flush(SceneBuffer& buffer, const RasterTarget& target);
