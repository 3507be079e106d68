#include "scene/pick.h"

#include <cmath>

#include "app/input.h"
#include "host/host.h"
#include "platform/mem.h"
#include "platform/surface.h"
#include "raster/flat.h"
#include "raster/target.h"
#include "scene/pick_hit.h"

namespace {

struct Picking {
    PickRecord* lists[PICK_LISTS];
    PickRecord* pool;
    PickRecord* picked;
    void* blocks[PICK_BLOCKS];
};

Picking picking;

bool pick_in_lists(int32_t index)
{
    return index >= 0 && index < PICK_LISTS;
}

bool pick_in_blocks(int32_t index)
{
    return index >= 0 && index < PICK_BLOCKS;
}

void pick_call(PickCallback callback, PickRecord* record)
{
    if (callback)
        callback(record);
}

// Distances are taken in floating point and truncated toward zero. The differences are 32-bit,
// so hypot stays far below overflow; only its truncation can exceed 32 bits, and it saturates
// there rather than leave the conversion undefined.
int32_t pick_truncate(double distance)
{
    return distance < INT32_MAX ? static_cast<int32_t>(distance) : INT32_MAX;
}

int32_t pick_screen_distance(const PickRecord& record, int32_t x, int32_t y)
{
    return pick_truncate(std::hypot(wrap_sub(record.screen_x, x),
                                    static_cast<double>(wrap_sub(record.screen_y, y))));
}

int32_t pick_view_distance(const PickRecord& p, const PickRecord& q)
{
    const double across = std::hypot(wrap_sub(p.view.x, q.view.x), wrap_sub(p.view.y, q.view.y));
    return pick_truncate(std::hypot(across, wrap_sub(p.view.z, q.view.z)));
}

// The first solid record of another object that touches p, in list order; null when none does.
PickRecord* pick_first_touching(const PickRecord& p, int32_t own_list)
{
    for (int32_t j = 0; j < PICK_LISTS; ++j) {
        if (j == own_list)
            continue;
        for (PickRecord* q = picking.lists[j]; q; q = q->next) {
            if ((q->flags & PICK_FLAG_SOLID) &&
                pick_view_distance(p, *q) < wrap_add(p.radius, q->radius))
                return q;
        }
    }
    return nullptr;
}

void pick_collide_record(PickRecord* p, int32_t own_list)
{
    if (!(p->flags & PICK_FLAG_SOLID))
        return;
    // Collided since its list last cleared it: only the first record of a list is cleared each
    // frame, so a later one keeps reporting its old collision.
    if (p->flags & PICK_FLAG_COLLIDED) {
        pick_call(p->on_collide, p);
        return;
    }
    PickRecord* q = pick_first_touching(*p, own_list);
    if (!q)
        return;
    p->flags |= PICK_FLAG_COLLIDED;
    q->flags |= PICK_FLAG_COLLIDED;
    p->partner = q;
    q->partner = p;
    pick_call(p->on_collide, p);
}

void pick_draw_highlight(const PickRecord& record)
{
    const int32_t r = record.screen_radius;
    raster_box(raster_frame_target(), wrap_sub(record.screen_x, r), wrap_sub(record.screen_y, r),
               wrap_add(r, r), wrap_add(r, r), PICK_HIGHLIGHT);
}

} // namespace

void pick_blocks_clear()
{
    for (void*& block : picking.blocks)
        block = nullptr;
}

int32_t pick_block_set(int32_t index, void* block)
{
    if (!pick_in_blocks(index) || !block || picking.blocks[index])
        return -1;
    picking.blocks[index] = block;
    return 0;
}

int32_t pick_block_free(int32_t index)
{
    if (!pick_in_blocks(index))
        return -1;
    if (!picking.blocks[index])
        return 1;
    mem_free(picking.blocks[index]);
    picking.blocks[index] = nullptr;
    return 0;
}

void pick_blocks_free_all()
{
    for (int32_t index = 0; index < PICK_BLOCKS; ++index)
        pick_block_free(index);
}

int32_t pick_init()
{
    for (PickRecord*& list : picking.lists)
        list = nullptr;
    picking.picked = nullptr;
    pick_set_bodies(nullptr);
    picking.pool = static_cast<PickRecord*>(mem_alloc(PICK_POOL_BYTES));
    if (!picking.pool)
        return -1;
    for (int32_t i = 0; i < PICK_POOL_RECORDS; ++i)
        picking.pool[i].object = PICK_FREE;
    return 0;
}

void pick_free()
{
    // The lists and the picked record point into the pool, and the body table may lie in a block
    // that teardown frees next.
    for (PickRecord*& list : picking.lists)
        list = nullptr;
    picking.picked = nullptr;
    pick_set_bodies(nullptr);
    mem_free(picking.pool);
    picking.pool = nullptr;
}

PickRecord* pick_add_record(int32_t object, const Vec3& centre, int32_t radius,
                            const Matrix* matrix, int32_t flags, PickCallback on_pick,
                            PickCallback on_collide)
{
    if (!pick_in_lists(object) || !matrix || !picking.pool)
        return nullptr;
    PickRecord* record = picking.pool;
    while (record < picking.pool + PICK_POOL_RECORDS && record->object != PICK_FREE)
        ++record;
    if (record == picking.pool + PICK_POOL_RECORDS)
        return nullptr;
    *record = {object, flags,  centre,  radius,     {},      0,      0,
               0,      matrix, nullptr, on_collide, on_pick, nullptr};
    // Appended, so that list order is the order of adding: it decides which collision wins.
    PickRecord** link = &picking.lists[object];
    while (*link)
        link = &(*link)->next;
    *link = record;
    return record;
}

PickRecord* pick_list(int32_t index)
{
    return pick_in_lists(index) ? picking.lists[index] : nullptr;
}

void pick_select(PickRecord* record)
{
    picking.picked = record;
}

void pick_project_all()
{
    for (PickRecord* list : picking.lists) {
        if (list)
            list->flags &= ~PICK_FLAG_COLLIDED;
        for (PickRecord* record = list; record; record = record->next) {
            record->screen_radius =
                math_project_sphere(&record->view, &record->screen_x, &record->screen_y,
                                    record->centre, *record->matrix, record->radius, record->flags);
        }
    }
}

void pick_collide()
{
    for (int32_t i = 0; i < PICK_LISTS; ++i) {
        for (PickRecord* p = picking.lists[i]; p; p = p->next)
            pick_collide_record(p, i);
    }
}

int32_t pick_test(int32_t x, int32_t y)
{
    for (PickRecord* list : picking.lists) {
        for (PickRecord* record = list; record; record = record->next) {
            if ((record->flags & PICK_FLAG_PICKABLE) && record->screen_radius >= 0 &&
                pick_screen_distance(*record, x, y) < record->screen_radius)
                pick_call(record->on_pick, record);
        }
    }
    return 0;
}

void pick_update()
{
    int32_t x = 0;
    int32_t y = 0;
    const uint32_t buttons = input_get_mouse(&x, &y);
    host_screen_to_client(surface_window(), &x, &y);
    pick_test(x, y);
    if (!picking.picked)
        return;
    pick_draw_highlight(*picking.picked);
    if (buttons & INPUT_BUTTON_LEFT)
        pick_hit(picking.picked->object);
    picking.picked = nullptr;
}

int32_t pick_clear_flags(int32_t index, int32_t mask)
{
    if (!pick_in_lists(index))
        return -1;
    for (PickRecord* record = picking.lists[index]; record; record = record->next)
        record->flags &= ~mask;
    return 0;
}
