// Picking: spheres called pick records make scene objects pickable under the cursor and
// collidable with each other. Each object slot has one list of records taken from a fixed pool;
// every frame the records are projected, tested against each other and tested under the cursor,
// and the picked record is boxed in yellow and, while the left button is held, hit (see
// scene/pick_hit.h).
//
// Nothing in the program adds a record: pick_add_record, with pick_select as the pick callback,
// is the way for a caller that places objects to make them pickable and hittable.
#pragma once

#include <cstdint>

#include "platform/pixel.h"
#include "scene/math.h"
#include "scene/projection.h"
#include "scene/scene.h"

// One list per object slot.
constexpr int32_t PICK_LISTS = SCENE_OBJECTS;
constexpr int32_t PICK_POOL_RECORDS = 512;
// The pool's allocation: 96 bytes a record, whatever the record needs on this machine.
constexpr int32_t PICK_POOL_BYTES = 49152;
constexpr int32_t PICK_BLOCKS = SCENE_OBJECTS;
// The object index of a free pool record.
constexpr int32_t PICK_FREE = -1;

// PickRecord flags.
constexpr int32_t PICK_FLAG_COLLIDED = 1;
constexpr int32_t PICK_FLAG_PICKABLE = 2;
constexpr int32_t PICK_FLAG_SOLID = 4;
// A pickable record is the one whose centre the sphere projection puts on the screen.
static_assert(PICK_FLAG_PICKABLE == PROJECT_SPHERE_SCREEN);

// The picked record's box: yellow.
constexpr Pixel PICK_HIGHLIGHT = 0x7FE0;

struct PickRecord;
// Called with the record concerned; a null callback is not called.
using PickCallback = void (*)(PickRecord* record);

struct PickRecord {
    int32_t object; // the owning slot; PICK_FREE for a free pool record
    int32_t flags;
    Vec3 centre;    // in the coordinates that matrix maps into view space
    int32_t radius; // model units
    Vec3 view;      // the centre in view space, model units, rewritten every frame
    int32_t screen_x;
    int32_t screen_y;
    // Pixels; -1 behind the eye, 0 when not pickable.
    int32_t screen_radius;
    const Matrix* matrix; // such as a part's world matrix or the view matrix
    PickRecord* partner;  // the record it last collided with
    PickCallback on_collide;
    PickCallback on_pick;
    PickRecord* next; // in the same list
};
static_assert(PICK_POOL_RECORDS * sizeof(PickRecord) <= PICK_POOL_BYTES);

// Empties the object block table without freeing anything (start-up).
void pick_blocks_clear();
// Hands block (from mem_alloc) to entry index, to be freed at teardown; 0, or -1 for an index
// outside the table, a null block or an entry that holds one already.
int32_t pick_block_set(int32_t index, void* block);
// Frees entry index and empties it: 0, 1 when it was empty, -1 for an index outside the table.
int32_t pick_block_free(int32_t index);
// pick_block_free for every entry (teardown).
void pick_blocks_free_all();

// Empties the lists, the picked record and the body table, allocates the pool (49152 bytes) and
// marks every record free; 0, or -1 when the allocation fails.
int32_t pick_init();
// Frees the pool and empties the lists and the body table reference; safe to call twice.
void pick_free();

// Takes a free pool record and appends it to list object, with the given centre, radius, matrix
// (which must outlive the record), flags and callbacks; the record, or null for an index outside
// the lists, a null matrix or an exhausted pool.
PickRecord* pick_add_record(int32_t object, const Vec3& centre, int32_t radius,
                            const Matrix* matrix, int32_t flags, PickCallback on_pick,
                            PickCallback on_collide);
// The first record of list index; null for an empty list or an index outside the lists.
PickRecord* pick_list(int32_t index);
// Makes record the picked record: as a pick callback, it gives its record the box and the hit.
void pick_select(PickRecord* record);

// Per frame: clears the collided flag of each list's first record, then projects every record.
void pick_project_all();
// Per frame: tests the solid records of different objects against each other.
void pick_collide();
// Calls the pick callback of every pickable record whose screen circle holds the client point
// (x, y); returns 0.
int32_t pick_test(int32_t x, int32_t y);
// Per frame: tests the cursor, boxes the picked record, hits its object while the left button is
// held, and empties the picked record.
void pick_update();
// Clears the mask bits of every record of list index; 0, or -1 for an index outside the lists.
int32_t pick_clear_flags(int32_t index, int32_t mask);
