#include "platform/surface.h"

#include <cstring>

#include "platform/error_box.h"
#include "platform/mem.h"

namespace {

struct Surface {
    SurfaceSlot* slots;
    HostWindow* window;
    HostDc* window_dc; // held from frame start to present, or briefly while slots are made
    int32_t width;
    int32_t height; // client height - 1: the frame buffers' last row is the guard row
    int32_t depth;
    int32_t current;
    int32_t flip;
    uint32_t clear_value;
    int32_t frame_interval;
    uint32_t last_frame_start;
    bool frame_started; // the first frame after start-up never waits
};

Surface surface;

// A byte times this is that byte in all four bytes of a word.
constexpr uint32_t SURFACE_EVERY_BYTE = 0x01010101;

bool surface_valid_index(int32_t index)
{
    return index >= 0 && index < SURFACE_SLOTS;
}

// Busy-waits until frame_interval ms have passed since the last frame start and returns the tick
// that ended the wait. The difference is taken as signed 32 bits so the wrap of the tick counter
// after 49 days does not stall the loop.
uint32_t surface_wait_frame_interval()
{
    uint32_t tick = host_tick_count();
    if (surface.frame_started) {
        while (static_cast<int32_t>(tick - surface.last_frame_start) < surface.frame_interval)
            tick = host_tick_count();
    }
    surface.frame_started = true;
    return tick;
}

// The counted rows, contiguous because the pitch is the width; the guard row below them is left
// alone. A colour whose four bytes are one byte repeated (black, the usual one) is a memset, the
// widest store the C library has; any other is written two pixels per 32-bit store, a loop the
// compiler turns into vector stores.
void surface_clear(Pixel* pixels)
{
    const int32_t words = (surface.width >> 1) * surface.height;
    // No counted rows, as for a client area one row high: nothing to clear, and no size to give
    // memset.
    if (words <= 0)
        return;
    const uint32_t value = surface.clear_value;
    const uint32_t low_byte = value & 0xFF;
    if (value == low_byte * SURFACE_EVERY_BYTE) {
        std::memset(pixels, static_cast<int>(low_byte), static_cast<size_t>(words) * sizeof value);
        return;
    }
    for (int32_t i = 0; i < words; ++i)
        rgb555_store_pair(pixels + 2 * i, value);
}

} // namespace

int32_t surface_init(HostWindow* window)
{
    surface = {};
    surface.slots = static_cast<SurfaceSlot*>(mem_alloc(SURFACE_SLOTS * sizeof(SurfaceSlot)));
    if (!surface.slots)
        return -1;
    surface.window = window;
    surface.frame_interval = FRAME_INTERVAL_MS;
    surface.clear_value = 0;
    return surface_set_depth(SURFACE_DEPTH);
}

int32_t surface_set_depth(int32_t depth)
{
    if (depth == surface.depth)
        return 0;
    surface.depth = depth;
    return surface_create_frame_buffers();
}

int32_t surface_create_frame_buffers()
{
    int32_t client_width = 0;
    int32_t client_height = 0;
    host_client_size(surface.window, &client_width, &client_height);
    // A 16-bit bitmap pads odd rows to a multiple of four bytes; an even width keeps the pitch
    // at exactly the width that every drawing routine assumes.
    surface.width = client_width & ~1;
    surface.height = client_height;

    for (int32_t index = 0; index < SURFACE_FRAME_BUFFERS; ++index)
        surface_release_slot(index);
    surface.window_dc = host_get_dc(surface.window);
    int32_t result = 0;
    for (int32_t index = 0; index < SURFACE_FRAME_BUFFERS && result == 0; ++index)
        result = surface_create_slot(surface.window_dc, index, surface.width, surface.height,
                                     surface.depth);
    host_release_dc(surface.window, surface.window_dc);
    surface.window_dc = nullptr;

    if (result != 0) {
        app_error_box("%s", SURFACE_FAILURE_TEXT);
        return -1;
    }
    surface.current = 0;
    surface.flip = 0;
    surface.height -= 1;
    return 0;
}

int32_t surface_create_offscreen()
{
    int32_t index = SURFACE_FRAME_BUFFERS;
    while (index < SURFACE_SLOTS && surface.slots[index].dc)
        ++index;
    if (index == SURFACE_SLOTS)
        return -1;
    // Borrow the window DC only when nobody holds it, and give back only what was borrowed: a
    // call inside a frame must not take the frame's DC away from the present.
    const bool borrowed = !surface.window_dc;
    if (borrowed)
        surface.window_dc = host_get_dc(surface.window);
    const int32_t result =
        surface_create_slot(surface.window_dc, index, surface.width, surface.height, surface.depth);
    if (borrowed) {
        host_release_dc(surface.window, surface.window_dc);
        surface.window_dc = nullptr;
    }
    return result == 0 ? index : -2;
}

int32_t surface_create_slot(HostDc* reference, int32_t index, int32_t width, int32_t height,
                            int32_t depth)
{
    if (surface_release_slot(index) < 0)
        return -1;
    SurfaceSlot& slot = surface.slots[index];
    slot.dc = host_create_memory_dc(reference);
    if (!slot.dc)
        return -2;
    slot.bitmap = host_create_dib_section(surface.window_dc, width, height, depth, &slot.pixels);
    if (!slot.bitmap) {
        // A DC without a bitmap would make the slot look taken for the rest of the run.
        surface_release_slot(index);
        return -3;
    }
    host_select_bitmap(slot.dc, slot.bitmap);
    return 0;
}

int32_t surface_release_slot(int32_t index)
{
    if (!surface_valid_index(index))
        return -2;
    SurfaceSlot& slot = surface.slots[index];
    if (slot.bitmap)
        host_delete_bitmap(slot.bitmap);
    if (slot.dc)
        host_delete_dc(slot.dc);
    // The pixels went with the bitmap: a null pointer fails loudly where a stale one would
    // scribble over freed memory.
    slot = {};
    return 0;
}

void surface_shutdown()
{
    if (!surface.slots)
        return;
    for (int32_t index = 0; index < SURFACE_SLOTS; ++index)
        surface_release_slot(index);
    mem_free(surface.slots);
    surface.slots = nullptr;
}

void surface_begin_frame(HostWindow* window, int32_t flags)
{
    Pixel* pixels = surface.slots[surface.current].pixels;
    surface.window = window;
    surface.window_dc = host_get_dc(window);
    surface.last_frame_start = surface_wait_frame_interval();
    if (flags & SURFACE_CLEAR)
        surface_clear(pixels);
}

void surface_present()
{
    host_blit(surface.window_dc, surface.width, surface.height, surface.slots[surface.current].dc);
    host_release_dc(surface.window, surface.window_dc);
    surface.window_dc = nullptr;
    surface.current ^= surface.flip;
}

void surface_set_clear_colour(int32_t red, int32_t green, int32_t blue)
{
    surface.clear_value = rgb555_pair(rgb555_from_rgb5(red, green, blue));
}

void surface_set_frame_interval(int32_t milliseconds)
{
    surface.frame_interval = milliseconds;
}

int32_t surface_width()
{
    return surface.width;
}

int32_t surface_height()
{
    return surface.height;
}

HostWindow* surface_window()
{
    return surface.window;
}

HostDc* surface_slot_dc(int32_t index)
{
    return surface_valid_index(index) && surface.slots ? surface.slots[index].dc : nullptr;
}

Pixel* surface_slot_pixels(int32_t index)
{
    return surface_valid_index(index) && surface.slots ? surface.slots[index].pixels : nullptr;
}

Pixel* surface_current_pixels()
{
    return surface.slots[surface.current].pixels;
}

int32_t surface_current_index()
{
    return surface.current;
}

void surface_toggle_current()
{
    surface.current ^= 1;
}

void surface_set_flip(int32_t flip)
{
    surface.flip = flip & 1;
}
