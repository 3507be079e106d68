#include <emscripten.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <vector>

#include "host/emulated/emulated.h"
#include "host/web/web.h"
#include "host/web/web_page.h"
#include "host/web/web_rgba.h"
#include "platform/surface.h"
#include "resources/resource.h"

namespace {

// The classic frame that the program's outer size assumes: 4-pixel borders, a 19-pixel caption
// and a 19-pixel menu bar. The page draws its own menu above the canvas.
constexpr int32_t FRAME_BORDER = 4;
constexpr int32_t FRAME_CAPTION = 19;
constexpr int32_t FRAME_MENU_BAR = 19;

constexpr uintptr_t KEY_ESCAPE = 27;
constexpr int VIRTUAL_KEYS = 256;
// The pacing's later reads wait in steps this long (the browser's shortest timer after a few
// nested ones is 4 ms anyway).
constexpr int32_t PACING_STEP_MS = 1;

struct PageKey {
    int virtual_key;
    const char* code; // KeyboardEvent.code
};

constexpr PageKey PAGE_KEYS[] = {
    {HOST_VK_F1, "F1"},        {HOST_VK_F2, "F2"},        {HOST_VK_F3, "F3"},
    {HOST_VK_0, "Digit0"},     {HOST_VK_0 + 1, "Digit1"}, {HOST_VK_0 + 2, "Digit2"},
    {HOST_VK_0 + 3, "Digit3"}, {HOST_VK_0 + 4, "Digit4"}, {HOST_VK_0 + 5, "Digit5"},
    {HOST_VK_0 + 6, "Digit6"}, {HOST_VK_0 + 7, "Digit7"}, {HOST_VK_0 + 8, "Digit8"},
    {HOST_VK_9, "Digit9"},     {HOST_VK_R, "KeyR"},
};

constexpr uint32_t COMMANDS[] = {ID_QUIT, ID_SHOW_DIALOG, ID_ALWAYS_ON_TOP};

struct WebHost {
    WebClock clock = WebClock::Browser;
    bool show_every_frame = true;
    bool scripted_keys = false;
    std::array<bool, VIRTUAL_KEYS> keys{};
    int32_t cursor_x = 0;
    int32_t cursor_y = 0;
    uint32_t virtual_ticks = 0;
    // Reads of the clock since the last present: the first begins the wait before a frame.
    uint32_t reads_since_present = 0;
    // The read that ended the previous wait: when the frame before this one started.
    uint32_t last_frame_start = 0;
    uint32_t last_read = 0;
    uint32_t frames_presented = 0;
    std::vector<uint32_t> rgba;
    int32_t shown_width = 0;
    int32_t shown_height = 0;
    WebPresentHook present_hook;
};

WebHost web;

intptr_t client_point_lparam(int32_t x, int32_t y)
{
    return static_cast<intptr_t>((static_cast<uint32_t>(y) << 16) |
                                 (static_cast<uint32_t>(x) & 0xFFFF));
}

// The screen is the client area: its origin is (0, 0).
void web_post_message(uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    emu_post({emu_state().window.get(), message, wparam, lparam, web.cursor_x, web.cursor_y});
}

void web_post_mouse(uint32_t message)
{
    web_post_message(message, 0, client_point_lparam(web.cursor_x, web.cursor_y));
}

void web_translate(const WebEvent& event)
{
    web.cursor_x = event.x;
    web.cursor_y = event.y;
    const bool left = event.detail == static_cast<int32_t>(WebButton::Left);
    switch (event.kind) {
    case WebEventKind::Escape:
        web_post_message(HOST_WM_CHAR, KEY_ESCAPE, 0);
        break;
    case WebEventKind::Command:
        if (event.detail >= 0 && event.detail < static_cast<int32_t>(std::size(COMMANDS)))
            web_post_message(HOST_WM_COMMAND, COMMANDS[event.detail], 0);
        break;
    case WebEventKind::Move:
        web_post_mouse(HOST_WM_MOUSEMOVE);
        break;
    case WebEventKind::ButtonDown:
        web_post_mouse(left ? HOST_WM_LBUTTONDOWN : HOST_WM_RBUTTONDOWN);
        break;
    case WebEventKind::ButtonUp:
        web_post_mouse(left ? HOST_WM_LBUTTONUP : HOST_WM_RBUTTONUP);
        break;
    case WebEventKind::KeyDown:
        web_post_message(HOST_WM_KEYDOWN, static_cast<uintptr_t>(event.detail & ~HOST_KEY_WAS_DOWN),
                         event.detail & HOST_KEY_WAS_DOWN);
        break;
    case WebEventKind::KeyUp:
        web_post_message(HOST_WM_KEYUP, static_cast<uintptr_t>(event.detail),
                         HOST_KEY_WAS_DOWN | HOST_KEY_RELEASED);
        break;
    default:
        break;
    }
}

uint32_t web_browser_ticks()
{
    return static_cast<uint32_t>(static_cast<uint64_t>(emscripten_get_now()));
}

// The pacing busy-waits on the clock, and the browser must get its turn at least once a frame,
// however long the frame took. So the first read before a frame sleeps until one frame interval
// after the previous frame's start (not at all once that has passed), and any later read of the
// same wait a step (the sleeps only set how soon the program looks again, never what it
// decides).
void web_pace(uint32_t now)
{
    const int32_t until_due =
        web.reads_since_present == 1
            ? static_cast<int32_t>(web.last_frame_start + FRAME_INTERVAL_MS - now)
            : PACING_STEP_MS;
    emscripten_sleep(static_cast<unsigned>(std::max<int32_t>(until_due, 0)));
}

void web_show(const uint16_t* pixels, int32_t pitch, int32_t width, int32_t height)
{
    web_rgba_from_rgb555(web.rgba.data(), pixels, pitch, width, height);
    web.shown_width = width;
    web.shown_height = height;
    if (web.show_every_frame)
        web_page_present(web.rgba.data(), width, height);
}

} // namespace

void web_use_clock(WebClock clock)
{
    web.clock = clock;
}

void web_show_frames(bool every_frame)
{
    web.show_every_frame = every_frame;
}

void web_use_scripted_keys()
{
    web.scripted_keys = true;
}

void web_set_key(int virtual_key, bool down)
{
    if (virtual_key < 0 || virtual_key >= VIRTUAL_KEYS)
        return;
    const bool was_down = std::exchange(web.keys[virtual_key], down);
    uint32_t message = 0;
    intptr_t lparam = 0;
    if (emu_key_message(was_down, down, &message, &lparam))
        web_post_message(message, static_cast<uintptr_t>(virtual_key), lparam);
}

void web_move_cursor(int32_t client_x, int32_t client_y)
{
    web.cursor_x = client_x;
    web.cursor_y = client_y;
    web_post_mouse(HOST_WM_MOUSEMOVE);
}

void web_post(uint32_t message)
{
    web_post_message(message, 0, 0);
}

void web_set_present_hook(WebPresentHook hook)
{
    web.present_hook = std::move(hook);
}

void web_show_last_frame()
{
    if (web.shown_width > 0)
        web_page_present(web.rgba.data(), web.shown_width, web.shown_height);
}

// The host calls only this host answers.

uint32_t host_tick_count()
{
    ++web.reads_since_present;
    uint32_t now = 0;
    if (web.clock == WebClock::Browser) {
        now = web_browser_ticks();
        web_pace(now);
        now = web_browser_ticks();
    } else {
        // The browser's turn comes once a frame, at the start of the wait.
        if (web.clock == WebClock::VirtualTurns && web.reads_since_present == 1)
            emscripten_sleep(0);
        now = web.virtual_ticks++;
    }
    web.last_read = now;
    return now;
}

uint16_t host_async_key_state(int virtual_key)
{
    if (web.scripted_keys) {
        const bool down = virtual_key >= 0 && virtual_key < VIRTUAL_KEYS && web.keys[virtual_key];
        return down ? HOST_KEY_DOWN : 0;
    }
    for (const PageKey& key : PAGE_KEYS) {
        if (key.virtual_key == virtual_key)
            return web_page_key_held(key.code) ? HOST_KEY_DOWN : 0;
    }
    return 0;
}

void host_message_box(const char* caption, const char* text)
{
    web_page_message_box(caption, text, static_cast<int32_t>(std::strlen(text)));
}

// The page has no directory to change to, and the program opens no file.
void host_change_directory(const char*) {}

// The emulated window's backend.

bool emu_backend_register_class()
{
    return true;
}

bool emu_backend_create_window(HostWindow* window, const char*, int32_t outer_width,
                               int32_t outer_height)
{
    window->client_width = outer_width - 2 * FRAME_BORDER;
    window->client_height = outer_height - 2 * FRAME_BORDER - FRAME_CAPTION - FRAME_MENU_BAR;
    web.rgba.assign(static_cast<size_t>(window->client_width) * window->client_height, 0);
    web.frames_presented = 0;
    web_page_open(window->client_width, window->client_height);
    return true;
}

void emu_backend_show_window(HostWindow*) {}

void emu_backend_destroy_window(HostWindow*) {}

// A page cannot stay above other windows; the box shows the menu's check mark.
void emu_backend_set_topmost(HostWindow* window, bool topmost)
{
    web_page_check_topmost(window && topmost);
}

void emu_backend_poll_events()
{
    WebEvent event;
    while (web_page_next_event(&event)) {
        if (!web.scripted_keys)
            web_translate(event);
    }
}

void emu_backend_client_origin(HostWindow*, int32_t* x, int32_t* y)
{
    *x = 0;
    *y = 0;
}

void emu_backend_present(HostWindow*, const uint16_t* pixels, int32_t pitch, int32_t width,
                         int32_t height)
{
    web.reads_since_present = 0;
    web.last_frame_start = web.last_read;
    const int32_t shown_height = std::min<int32_t>(
        height, static_cast<int32_t>(web.rgba.size() / std::max<int32_t>(width, 1)));
    web_show(pixels, pitch, width, shown_height);
    ++web.frames_presented;
    if (web.present_hook)
        web.present_hook({web.frames_presented, pixels, pitch, width, height});
}

bool emu_backend_dialog_input(HostMessage* message)
{
    // A scripted run has nobody to close the dialog: it is dismissed, as on the headless host.
    if (web.scripted_keys)
        return false;
    // The button reaches the dialog as its command; Escape as the key, which the dialog manager
    // turns into a cancel as on every host.
    *message = {nullptr, HOST_WM_COMMAND, static_cast<uintptr_t>(IDC_CLOSE), 0, 0, 0};
    if (web_page_dialog_wait() == WebDialogAction::Escape) {
        message->message = HOST_WM_KEYDOWN;
        message->wparam = HOST_VK_ESCAPE;
    }
    return true;
}

// The page opens and closes its dialog itself, around each wait for the user.
void emu_backend_dialog_open(HostWindow*) {}
void emu_backend_dialog_close() {}

void emu_backend_note(std::string_view) {}

// The glyphs that the native build baked from the installed face: the same pixels as on the
// sdl and headless hosts.
bool emu_backend_open_face(std::string_view face_name, int32_t pixel_height, EmuFace* face,
                           std::string* error)
{
    return emu_open_system_face(face_name, pixel_height, face, error);
}
