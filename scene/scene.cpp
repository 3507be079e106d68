#include "scene/scene.h"

#include <cstring>

#include "platform/mem.h"
#include "scene/matrix.h"
#include "scene/projection.h"
#include "scene/scene_buffer.h"

namespace {

constexpr Vec3 VIEW_SCALE = {FIXED_ONE, FIXED_ONE, FIXED_ONE, 0};

struct Scene {
    SceneObject* objects[SCENE_OBJECTS];
    Vec3 view_offset;
    Vec3 view_angles;
    Matrix view_matrix;
};

Scene scene;

// The parts follow the object in its one allocation.
static_assert(sizeof(SceneObject) % alignof(ObjectPart) == 0);

// The part's run of projected-vertex slots; null when it is empty or does not lie wholly inside
// the current table, so that nothing is ever written past it.
ScreenVertex* scene_part_slots(const ObjectPart& part)
{
    if (part.vertex_count <= 0)
        return nullptr;
    const int64_t last = int64_t{part.first_slot} + part.vertex_count - 1;
    if (last > INT32_MAX || !scene_vertex_slot(static_cast<int32_t>(last)))
        return nullptr;
    return scene_vertex_slot(part.first_slot);
}

bool scene_valid_part(const ObjectPart& part)
{
    return part.vertex_count == 0 || (scene_part_slots(part) && part.vertices);
}

} // namespace

SceneObject* scene_object(int32_t index)
{
    return index >= 0 && index < SCENE_OBJECTS ? scene.objects[index] : nullptr;
}

void scene_init()
{
    for (SceneObject*& object : scene.objects)
        object = nullptr;
    scene.view_offset = VIEW_OFFSET_START;
    scene.view_angles = VIEW_ANGLES_START;
    // Zero at program start; cleared here so that every start-up begins from that state.
    scene.view_matrix = {};
}

Vec3& scene_view_angles()
{
    return scene.view_angles;
}

Matrix& scene_view_matrix()
{
    return scene.view_matrix;
}

void scene_transform_objects()
{
    // The world turns about the origin by the view angles and then moves away from the eye.
    math_matrix_compose(&scene.view_matrix, scene.view_offset, scene.view_angles, VIEW_SCALE);
    for (int32_t index = 0; index < SCENE_OBJECTS; ++index) {
        const SceneObject* object = scene.objects[index];
        if (object && !(object->flags & OBJECT_HIDDEN))
            scene_transform_object(index, scene.view_matrix);
    }
}

int32_t scene_transform_object(int32_t index, const Matrix& view)
{
    SceneObject* object = scene_object(index);
    if (!object)
        return -1;
    Matrix current;
    math_matrix_compose(&current, object->position, object->angles, object->scale);
    math_matrix_multiply(&current, current, view);
    math_matstack_reset();
    for (int32_t i = 0; i < object->part_count; ++i) {
        ObjectPart& part = object->parts[i];
        // The parent's matrix waits on the stack for this part's siblings.
        math_matstack_push(current);
        math_matrix_compose(&part.local, part.position, part.angles, part.scale);
        math_matrix_multiply(&part.world, part.local, current);
        current = part.world;
        if (ScreenVertex* slots = scene_part_slots(part))
            math_transform_project(part.vertex_count, slots, part.vertices, current);
        // A refused pop (more levels than pushed) keeps the current matrix.
        if (part.pop_count != 0)
            math_matstack_pop(&current, part.pop_count);
    }
    return 0;
}

int32_t scene_hide_object(int32_t index)
{
    SceneObject* object = scene_object(index);
    if (!object)
        return -1;
    if (object->flags & OBJECT_HIDDEN)
        return -2;
    // Every packet of the object then has a clipped vertex and drops out of the drawing at once.
    for (int32_t i = 0; i < object->part_count; ++i) {
        const ObjectPart& part = object->parts[i];
        if (ScreenVertex* slots = scene_part_slots(part)) {
            for (int32_t v = 0; v < part.vertex_count; ++v)
                slots[v].clip = VERTEX_CLIPPED;
        }
    }
    object->flags |= OBJECT_HIDDEN;
    return 0;
}

Vec3* scene_object_position(int32_t index)
{
    SceneObject* object = scene_object(index);
    return object ? &object->position : nullptr;
}

int32_t scene_add_object(const Vec3& position, const Vec3& angles, const Vec3& scale,
                         const ObjectPart* parts, int32_t part_count)
{
    int32_t index = 0;
    while (index < SCENE_OBJECTS && scene.objects[index])
        ++index;
    if (index == SCENE_OBJECTS || part_count < 0)
        return -1;
    for (int32_t i = 0; i < part_count; ++i) {
        if (!scene_valid_part(parts[i]))
            return -1;
    }
    const int64_t bytes = sizeof(SceneObject) + int64_t{part_count} * sizeof(ObjectPart);
    if (bytes > INT32_MAX)
        return -1;
    auto* object = static_cast<SceneObject*>(mem_alloc(static_cast<int32_t>(bytes)));
    if (!object)
        return -2;
    auto* own_parts = reinterpret_cast<ObjectPart*>(object + 1);
    if (part_count > 0)
        std::memcpy(own_parts, parts, part_count * sizeof(ObjectPart));
    *object = {0, part_count, own_parts, position, angles, scale};
    scene.objects[index] = object;
    return index;
}

int32_t scene_free_object(int32_t index)
{
    SceneObject* object = scene_object(index);
    if (!object)
        return -1;
    mem_free(object);
    scene.objects[index] = nullptr;
    return index;
}

void scene_free_objects()
{
    for (int32_t index = 0; index < SCENE_OBJECTS; ++index)
        scene_free_object(index);
}
