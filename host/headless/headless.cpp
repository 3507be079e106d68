#include "host/headless/headless.h"

#include <algorithm>
#include <array>
#include <deque>
#include <memory>
#include <utility>

#include "host/emulated/emulated.h"
#include "scene/fixed.h"

namespace {

constexpr int VIRTUAL_KEYS = 256;

// One step of what the user does while a dialog is open: input to the dialog, or to the main
// window behind it.
struct DialogInput {
    HostMessage message;
    bool to_main_window;
};

struct Headless {
    HeadlessConfig config;
    uint32_t ticks = 0;
    uint32_t tick_step = 1;
    uint32_t last_tick = 0;
    uint32_t tick_reads = 0;
    std::array<bool, VIRTUAL_KEYS> keys{};
    int32_t cursor_x = 0;
    int32_t cursor_y = 0;
    std::deque<DialogInput> dialog_inputs;
    bool fail_register_class = false;
    bool fail_create_window = false;
    bool fail_font = false;
    HeadlessPresentHook present_hook;
    uint32_t close_after_frames = 0;
    uint32_t frames_presented = 0;
    std::vector<uint16_t> screen;
    std::vector<HeadlessErrorBox> error_boxes;
    std::vector<std::string> log;
    std::string directory;
    std::unique_ptr<EmuFace> test_face;
};

Headless headless;

// The cursor's screen point wraps like the emulated conversion back to the client, so that any
// client point a caller moves to reaches the program unchanged.
HostMessage headless_message(uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    return {emu_state().window.get(),
            message,
            wparam,
            lparam,
            wrap_add(HEADLESS_CLIENT_ORIGIN_X, headless.cursor_x),
            wrap_add(HEADLESS_CLIENT_ORIGIN_Y, headless.cursor_y)};
}

} // namespace

void headless_reset(const HeadlessConfig& config)
{
    emu_reset();
    headless = {};
    headless.config = config;
}

HostInstance* headless_instance()
{
    return emu_instance();
}

void headless_set_ticks(uint32_t ticks)
{
    headless.ticks = ticks;
}

void headless_advance_ticks(uint32_t milliseconds)
{
    headless.ticks += milliseconds;
}

void headless_set_tick_step(uint32_t milliseconds)
{
    headless.tick_step = milliseconds;
}

uint32_t headless_ticks()
{
    return headless.ticks;
}

uint32_t headless_last_tick()
{
    return headless.last_tick;
}

uint32_t headless_tick_reads()
{
    return headless.tick_reads;
}

void headless_set_key(int virtual_key, bool down)
{
    if (virtual_key < 0 || virtual_key >= VIRTUAL_KEYS)
        return;
    const bool was_down = std::exchange(headless.keys[virtual_key], down);
    uint32_t message = 0;
    intptr_t lparam = 0;
    if (emu_key_message(was_down, down, &message, &lparam))
        headless_post(message, static_cast<uintptr_t>(virtual_key), lparam);
}

void headless_move_cursor(int32_t client_x, int32_t client_y)
{
    headless.cursor_x = client_x;
    headless.cursor_y = client_y;
    headless_post(HOST_WM_MOUSEMOVE);
}

void headless_post(uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    emu_post(headless_message(message, wparam, lparam));
}

void headless_post_dialog(uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    headless.dialog_inputs.push_back({headless_message(message, wparam, lparam), false});
}

void headless_post_behind_dialog(uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    headless.dialog_inputs.push_back({headless_message(message, wparam, lparam), true});
}

void headless_close_window()
{
    headless_post(HOST_WM_CLOSE);
}

void headless_fail_register_class()
{
    headless.fail_register_class = true;
}

void headless_fail_create_window()
{
    headless.fail_create_window = true;
}

void headless_fail_font()
{
    headless.fail_font = true;
}

void headless_fail_memory_dc(uint32_t nth)
{
    emu_state().fail_memory_dc = nth;
}

void headless_fail_bitmap(uint32_t nth)
{
    emu_state().fail_bitmap = nth;
}

void headless_use_face(const EmuFace& face)
{
    headless.test_face = std::make_unique<EmuFace>(face);
}

void headless_set_present_hook(HeadlessPresentHook hook)
{
    headless.present_hook = std::move(hook);
}

void headless_close_after_frames(uint32_t frames)
{
    headless.close_after_frames = frames;
}

uint32_t headless_frames_presented()
{
    return headless.frames_presented;
}

const std::vector<uint16_t>& headless_screen()
{
    return headless.screen;
}

const std::vector<HeadlessErrorBox>& headless_error_boxes()
{
    return headless.error_boxes;
}

const std::vector<std::string>& headless_log()
{
    return headless.log;
}

bool headless_topmost()
{
    const auto& window = emu_state().window;
    return window && window->topmost;
}

bool headless_menu_item_checked(int item_id)
{
    const auto& menus = emu_state().menus;
    if (menus.empty())
        return false;
    const auto& checked = menus.back()->submenu->checked;
    const auto item = checked.find(item_id);
    return item != checked.end() && item->second;
}

bool headless_window_alive()
{
    const auto& window = emu_state().window;
    return window && window->alive;
}

int32_t headless_live_bitmaps()
{
    return static_cast<int32_t>(emu_state().bitmaps.size());
}

// The host calls only this host answers.

uint32_t host_tick_count()
{
    headless.last_tick = headless.ticks;
    headless.ticks += headless.tick_step;
    ++headless.tick_reads;
    return headless.last_tick;
}

uint16_t host_async_key_state(int virtual_key)
{
    const bool down = virtual_key >= 0 && virtual_key < VIRTUAL_KEYS && headless.keys[virtual_key];
    return down ? HOST_KEY_DOWN : 0;
}

void host_message_box(const char* caption, const char* text)
{
    headless.error_boxes.push_back({caption, text, emu_utf8_from_cp932(text)});
    emu_backend_note("message box");
}

void host_change_directory(const char* path)
{
    // Recorded, not done: a test run keeps its working directory.
    headless.directory = path;
    emu_backend_note(std::string("chdir ") + path);
}

// The emulated window's backend.

bool emu_backend_register_class()
{
    return !std::exchange(headless.fail_register_class, false);
}

bool emu_backend_create_window(HostWindow* window, const char*, int32_t, int32_t)
{
    if (std::exchange(headless.fail_create_window, false))
        return false;
    window->client_width = headless.config.client_width;
    window->client_height = headless.config.client_height;
    headless.screen.assign(static_cast<size_t>(window->client_width) *
                               static_cast<size_t>(window->client_height),
                           HEADLESS_BACKGROUND);
    return true;
}

void emu_backend_show_window(HostWindow*) {}

void emu_backend_destroy_window(HostWindow*) {}

void emu_backend_set_topmost(HostWindow*, bool) {}

void emu_backend_poll_events() {}

void emu_backend_client_origin(HostWindow*, int32_t* x, int32_t* y)
{
    *x = HEADLESS_CLIENT_ORIGIN_X;
    *y = HEADLESS_CLIENT_ORIGIN_Y;
}

void emu_backend_present(HostWindow* window, const uint16_t* pixels, int32_t pitch, int32_t width,
                         int32_t height)
{
    const int32_t screen_pitch = window->client_width;
    for (int32_t y = 0; y < height; ++y)
        std::copy_n(pixels + static_cast<size_t>(y) * pitch, width,
                    headless.screen.begin() + static_cast<ptrdiff_t>(y) * screen_pitch);
    ++headless.frames_presented;
    emu_backend_note("present");
    if (headless.present_hook)
        headless.present_hook(
            {headless.frames_presented, headless.screen.data(), screen_pitch, width, height});
    if (headless.frames_presented == headless.close_after_frames)
        headless_close_window();
}

void emu_backend_dialog_open(HostWindow*) {}

void emu_backend_dialog_close() {}

bool emu_backend_dialog_input(HostMessage* message)
{
    while (!headless.dialog_inputs.empty()) {
        const DialogInput input = headless.dialog_inputs.front();
        headless.dialog_inputs.pop_front();
        if (!input.to_main_window) {
            *message = input.message;
            return true;
        }
        // Input to the main window reaches its queue as it would from a real window system.
        emu_post(input.message);
    }
    return false;
}

bool emu_backend_open_face(std::string_view face_name, int32_t pixel_height, EmuFace* face,
                           std::string* error)
{
    if (std::exchange(headless.fail_font, false)) {
        *error = "headless: this font was made to fail";
        return false;
    }
    if (!headless.test_face)
        return emu_open_system_face(face_name, pixel_height, face, error);
    *face = *headless.test_face;
    return true;
}

void emu_backend_note(std::string_view event)
{
    if (headless.config.keep_log)
        headless.log.emplace_back(event);
}
