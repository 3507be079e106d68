// The scene: the view, from which the view matrix is rebuilt every frame, and the 32 object slots,
// each a hierarchy of rigid parts whose vertices are transformed and projected every frame into
// fixed slots of the scene buffer's projected-vertex table.
#pragma once

#include <cstdint>

#include "scene/math.h"

constexpr int32_t SCENE_OBJECTS = 32;
// SceneObject flags: not transformed and not drawn.
constexpr int32_t OBJECT_HIDDEN = 1;
// The view starts 75 units in front of the eye, unturned; the fourth words are 1.
constexpr Vec3 VIEW_OFFSET_START = {0, 0, 75, 1};
constexpr Vec3 VIEW_ANGLES_START = {0, 0, 0, 1};

struct ObjectPart {
    // Levels to go back up after this part: 0 makes the next part its child, 1 its sibling.
    int32_t pop_count;
    int32_t vertex_count;
    int32_t first_slot;   // in the projected-vertex table
    const Vec3* vertices; // in the part's own coordinates; must outlive the object
    Matrix local;         // rebuilt every frame
    Matrix world;         // rebuilt every frame: local x the parent's matrix
    // The placement relative to the parent.
    Vec3 position;
    Vec3 angles;
    Vec3 scale;
};

struct SceneObject {
    int32_t flags;
    int32_t part_count;
    ObjectPart* parts; // part_count records, in the object's own allocation
    Vec3 position;     // world units
    Vec3 angles;       // each 0..1023
    Vec3 scale;        // 512 = 1.0
};

// Empties the 32 slots (without freeing) and sets the view offset and angles; the view matrix is
// zero until the first frame rebuilds it.
void scene_init();
Vec3& scene_view_angles();
Matrix& scene_view_matrix();

// Per frame: rebuilds the view matrix, then transforms every object that is not hidden.
void scene_transform_objects();
// Transforms and projects one object's parts through view; 0, or -1 for an empty or unknown slot.
int32_t scene_transform_object(int32_t index, const Matrix& view);
// Marks every projected vertex of the object clipped and the object hidden; 0, -1 for an empty or
// unknown slot, -2 when it is hidden already.
int32_t scene_hide_object(int32_t index);
// The object in a slot, which a caller that placed it may animate; null for an empty or unknown
// slot.
SceneObject* scene_object(int32_t index);
// The object's position; null for an empty or unknown slot.
Vec3* scene_object_position(int32_t index);

// Puts an object with a copy of its parts into the lowest empty slot with flags 0. Each part's
// slots come from scene_reserve_vertices, its packets from scene_add_packets, before the frame's
// header save. The slot; -1 when none is empty or a part's slots lie outside the vertex table,
// -2 when the allocation failed.
int32_t scene_add_object(const Vec3& position, const Vec3& angles, const Vec3& scale,
                         const ObjectPart* parts, int32_t part_count);
// Frees the object and empties its slot; the index, or -1 for an empty or unknown slot.
int32_t scene_free_object(int32_t index);
// scene_free_object for every slot.
void scene_free_objects();
