#include <algorithm>

#include "host/emulated/emulated.h"

namespace {

// Only the program's own depth exists here: 16-bit pixels.
constexpr int32_t EMU_BITMAP_DEPTH = 16;

bool emu_injected_failure(uint32_t& countdown)
{
    if (countdown == 0)
        return false;
    return --countdown == 0;
}

template <typename T> void emu_erase(std::vector<std::unique_ptr<T>>& objects, T* object)
{
    std::erase_if(objects, [object](const std::unique_ptr<T>& o) { return o.get() == object; });
}

} // namespace

void host_client_size(HostWindow* window, int32_t* width, int32_t* height)
{
    *width = window ? window->client_width : 0;
    *height = window ? window->client_height : 0;
}

HostDc* host_get_dc(HostWindow* window)
{
    return window ? &window->dc : nullptr;
}

void host_release_dc(HostWindow*, HostDc*) {}

HostDc* host_create_memory_dc(HostDc*)
{
    EmuState& state = emu_state();
    if (emu_injected_failure(state.fail_memory_dc))
        return nullptr;
    state.dcs.push_back(std::make_unique<HostDc>());
    return state.dcs.back().get();
}

void host_delete_dc(HostDc* dc)
{
    emu_erase(emu_state().dcs, dc);
}

HostBitmap* host_create_dib_section(HostDc*, int32_t width, int32_t height, int32_t depth,
                                    uint16_t** pixels)
{
    EmuState& state = emu_state();
    *pixels = nullptr;
    if (width <= 0 || height <= 0 || depth != EMU_BITMAP_DEPTH ||
        emu_injected_failure(state.fail_bitmap))
        return nullptr;
    auto bitmap = std::make_unique<HostBitmap>();
    bitmap->width = width;
    bitmap->height = height;
    bitmap->pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    *pixels = bitmap->pixels.data();
    state.bitmaps.push_back(std::move(bitmap));
    emu_backend_note("create bitmap");
    return state.bitmaps.back().get();
}

void host_select_bitmap(HostDc* dc, HostBitmap* bitmap)
{
    if (dc)
        dc->bitmap = bitmap;
}

void host_delete_bitmap(HostBitmap* bitmap)
{
    for (const auto& dc : emu_state().dcs) {
        if (dc->bitmap == bitmap)
            dc->bitmap = nullptr;
    }
    emu_erase(emu_state().bitmaps, bitmap);
    emu_backend_note("delete bitmap");
}

void host_blit(HostDc* destination, int32_t width, int32_t height, HostDc* source)
{
    if (!destination || !destination->window || !source || !source->bitmap)
        return;
    const HostBitmap& bitmap = *source->bitmap;
    const HostWindow& window = *destination->window;
    // Like GDI, never read past the source or paint past the client area.
    width = std::min({width, bitmap.width, window.client_width});
    height = std::min({height, bitmap.height, window.client_height});
    if (width <= 0 || height <= 0)
        return;
    emu_backend_present(destination->window, bitmap.pixels.data(), bitmap.width, width, height);
}
