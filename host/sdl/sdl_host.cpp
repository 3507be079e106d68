// The sdl host: the program in a real desktop window through SDL2.
//
// The window has the client area that the program's 520 x 508 outer size leaves on the classic
// Windows frame, shown at a whole-number zoom. The class menu's commands are keyboard shortcuts,
// the dialog and the error box are the host's own modal box (host/sdl/sdl_dialog.h), and every
// present uploads the frame as an RGB555 texture.
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "host/emulated/emulated.h"
#include "host/sdl/sdl_dialog.h"
#include "host/sdl/sdl_host.h"
#include "host/sdl/sdl_zoom.h"
#include "resources/resource.h"

namespace {

// The classic frame: 4-pixel borders, a 19-pixel caption and a 19-pixel menu bar.
constexpr int32_t FRAME_BORDER = 4;
constexpr int32_t FRAME_CAPTION = 19;
constexpr int32_t FRAME_MENU_BAR = 19;

constexpr uintptr_t KEY_ESCAPE = 27;
constexpr SdlDialogText DIALOG = {"Luma Stage", "A software renderer in 16-bit colour.", "Close",
                                  IDC_CLOSE};
// MessageBoxA's one button with MB_OK, IDOK.
constexpr char ERROR_BOX_BUTTON[] = "OK";
constexpr uint32_t ERROR_BOX_OK = 1;

struct Shortcut {
    SDL_Keycode key;
    uint32_t command;
};

// Ctrl + these keys stand for the class menu's commands.
constexpr Shortcut SHORTCUTS[] = {
    {SDLK_q, ID_QUIT},
    {SDLK_d, ID_SHOW_DIALOG},
    {SDLK_t, ID_ALWAYS_ON_TOP},
};

struct VirtualKey {
    int virtual_key;
    SDL_Scancode scancode;
};

constexpr VirtualKey VIRTUAL_KEYS[] = {
    {HOST_VK_F1, SDL_SCANCODE_F1},   {HOST_VK_F2, SDL_SCANCODE_F2},
    {HOST_VK_F3, SDL_SCANCODE_F3},   {HOST_VK_0, SDL_SCANCODE_0},
    {HOST_VK_0 + 1, SDL_SCANCODE_1}, {HOST_VK_0 + 2, SDL_SCANCODE_2},
    {HOST_VK_0 + 3, SDL_SCANCODE_3}, {HOST_VK_0 + 4, SDL_SCANCODE_4},
    {HOST_VK_0 + 5, SDL_SCANCODE_5}, {HOST_VK_0 + 6, SDL_SCANCODE_6},
    {HOST_VK_0 + 7, SDL_SCANCODE_7}, {HOST_VK_0 + 8, SDL_SCANCODE_8},
    {HOST_VK_9, SDL_SCANCODE_9},     {HOST_VK_R, SDL_SCANCODE_R},
};

struct SdlHost {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int32_t texture_width = 0;
    int32_t texture_height = 0;
    int32_t client_width = 0; // the client area as made, whatever the window's size since
    int32_t client_height = 0;
    int32_t frame_width = 0; // what the last present showed, kept in the texture
    int32_t frame_height = 0;
    int32_t first_zoom = 1; // the zoom of the window as first opened
    SdlZoom zoom{1, 0, 0};
    int32_t pointer_x = 0; // in the window, as its last mouse event gave it
    int32_t pointer_y = 0;
    bool dialog_open = false;
};

SdlHost sdl;

int32_t sdl_client_x(int32_t window_x)
{
    return sdl_zoom_to_client(window_x, sdl.zoom.offset_x, sdl.zoom.scale);
}

int32_t sdl_client_y(int32_t window_y)
{
    return sdl_zoom_to_client(window_y, sdl.zoom.offset_y, sdl.zoom.scale);
}

intptr_t client_point_lparam(int32_t x, int32_t y)
{
    return static_cast<intptr_t>((static_cast<uint32_t>(y) << 16) |
                                 (static_cast<uint32_t>(x) & 0xFFFF));
}

// A message's screen point is the client pixel under the pointer plus the window's position, so
// that converting it back to the client (host_screen_to_client) undoes the zoom as well. The
// pointer is where the window's own mouse events last put it: SDL's global position is not known
// on every display (Wayland has none, and X11's can lag behind).
void sdl_post(uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    int window_x = 0;
    int window_y = 0;
    if (sdl.window)
        SDL_GetWindowPosition(sdl.window, &window_x, &window_y);
    HostMessage posted{emu_state().window.get(), message, wparam, lparam, 0, 0};
    posted.pt_x = window_x + sdl_client_x(sdl.pointer_x);
    posted.pt_y = window_y + sdl_client_y(sdl.pointer_y);
    emu_post(posted);
}

void sdl_post_mouse(uint32_t message, int32_t window_x, int32_t window_y)
{
    sdl.pointer_x = window_x;
    sdl.pointer_y = window_y;
    sdl_post(message, 0, client_point_lparam(sdl_client_x(window_x), sdl_client_y(window_y)));
}

// The key-down message of a key the program knows, with the auto-repeat bit of a held key.
void sdl_post_key_down(const SDL_KeyboardEvent& key)
{
    for (const VirtualKey& known : VIRTUAL_KEYS) {
        if (known.scancode == key.keysym.scancode)
            sdl_post(HOST_WM_KEYDOWN, static_cast<uintptr_t>(known.virtual_key),
                     key.repeat ? HOST_KEY_WAS_DOWN : 0);
    }
}

void sdl_key_down(const SDL_KeyboardEvent& key)
{
    if (key.keysym.sym == SDLK_ESCAPE) {
        sdl_post(HOST_WM_CHAR, KEY_ESCAPE, 0);
        return;
    }
    sdl_post_key_down(key);
    if (!(key.keysym.mod & KMOD_CTRL) || key.repeat)
        return;
    for (const Shortcut& shortcut : SHORTCUTS) {
        if (shortcut.key == key.keysym.sym)
            sdl_post(HOST_WM_COMMAND, shortcut.command, 0);
    }
}

void sdl_mouse_button(const SDL_MouseButtonEvent& button)
{
    const bool down = button.type == SDL_MOUSEBUTTONDOWN;
    if (button.button == SDL_BUTTON_LEFT)
        sdl_post_mouse(down ? HOST_WM_LBUTTONDOWN : HOST_WM_LBUTTONUP, button.x, button.y);
    else if (button.button == SDL_BUTTON_RIGHT)
        sdl_post_mouse(down ? HOST_WM_RBUTTONDOWN : HOST_WM_RBUTTONUP, button.x, button.y);
}

void sdl_window_event(const SDL_WindowEvent& event)
{
    HostWindow* window = emu_state().window.get();
    if (!window)
        return;
    if (event.event == SDL_WINDOWEVENT_CLOSE)
        sdl_post(HOST_WM_CLOSE, 0, 0);
    else if (event.event == SDL_WINDOWEVENT_SIZE_CHANGED)
        // Maximised or resized: the largest whole zoom that fits; the frame buffers keep their
        // size.
        sdl.zoom = sdl_zoom_fit(event.data1, event.data2, sdl.client_width, sdl.client_height);
}

void sdl_translate(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_KEYDOWN:
        sdl_key_down(event.key);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        sdl_mouse_button(event.button);
        break;
    case SDL_MOUSEMOTION:
        sdl_post_mouse(HOST_WM_MOUSEMOVE, event.motion.x, event.motion.y);
        break;
    case SDL_WINDOWEVENT:
        sdl_window_event(event.window);
        break;
    case SDL_QUIT:
        // An interrupt from the terminal closes the window like its close box does.
        if (emu_state().window && emu_state().window->alive)
            sdl_post(HOST_WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

bool sdl_ensure_texture(int32_t width, int32_t height)
{
    if (sdl.texture && width <= sdl.texture_width && height <= sdl.texture_height)
        return true;
    if (sdl.texture)
        SDL_DestroyTexture(sdl.texture);
    sdl.texture_width = std::max(width, sdl.texture_width);
    sdl.texture_height = std::max(height, sdl.texture_height);
    sdl.texture =
        SDL_CreateTexture(sdl.renderer, SDL_PIXELFORMAT_RGB555, SDL_TEXTUREACCESS_STREAMING,
                          sdl.texture_width, sdl.texture_height);
    if (sdl.texture)
        SDL_SetTextureScaleMode(sdl.texture, SDL_ScaleModeNearest);
    return sdl.texture != nullptr;
}

// The last presented frame, at the zoom, on the class background (white), which shows wherever
// the frame does not reach: around it, and in the guard row at the bottom of the client area.
void sdl_show_frame()
{
    SDL_SetRenderDrawColor(sdl.renderer, 255, 255, 255, 255);
    SDL_RenderClear(sdl.renderer);
    const SDL_Rect area{0, 0, sdl.frame_width, sdl.frame_height};
    const SDL_Rect zoomed{sdl.zoom.offset_x, sdl.zoom.offset_y, sdl.frame_width * sdl.zoom.scale,
                          sdl.frame_height * sdl.zoom.scale};
    if (sdl.texture)
        SDL_RenderCopy(sdl.renderer, sdl.texture, &area, &zoomed);
    SDL_RenderPresent(sdl.renderer);
}

// Events of the main window while a modal box is open: it keeps its picture and raises the box
// when clicked; the rest is posted as usual, and the dialog drops it when it ends.
void sdl_owner_event(const SDL_Event& event)
{
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED &&
        sdl.renderer)
        sdl_show_frame();
    if (event.type == SDL_MOUSEBUTTONDOWN)
        sdl_dialog_raise();
    sdl_translate(event);
}

// Waits for the user's input to the open box; an interrupt from the terminal cancels it.
bool sdl_wait_box_input(HostMessage* input, bool post_owner_events)
{
    SDL_Event event;
    while (SDL_WaitEvent(&event)) {
        switch (sdl_dialog_event(event, input)) {
        case SdlDialogEvent::Input:
            return true;
        case SdlDialogEvent::Handled:
            continue;
        case SdlDialogEvent::Other:
            break;
        }
        if (event.type == SDL_QUIT) {
            *input = {nullptr, HOST_WM_CLOSE, 0, 0, 0, 0};
            return true;
        }
        if (post_owner_events)
            sdl_owner_event(event);
    }
    return false;
}

} // namespace

void sdl_host_set_zoom(int32_t zoom)
{
    sdl.first_zoom = std::max(1, zoom);
}

uint32_t host_tick_count()
{
    return SDL_GetTicks();
}

uint16_t host_async_key_state(int virtual_key)
{
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    for (const VirtualKey& key : VIRTUAL_KEYS) {
        if (key.virtual_key == virtual_key && keys[key.scancode])
            return HOST_KEY_DOWN;
    }
    return 0;
}

// Printed on stderr too, so that a terminal keeps the message after the box is gone.
void host_message_box(const char* caption, const char* text)
{
    const std::string utf8 = emu_utf8_from_cp932(text);
    std::fprintf(stderr, "%s: %s\n", caption, utf8.c_str());
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return;
    if (!sdl_dialog_open(sdl.window, {caption, text, ERROR_BOX_BUTTON, ERROR_BOX_OK},
                         sdl.zoom.scale)) {
        // With no face to draw with, SDL's own box, where the window system can show one.
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, utf8.c_str(), nullptr);
        return;
    }
    // Every input to the box closes it: its button, Return, Escape, its close box.
    HostMessage input;
    sdl_wait_box_input(&input, false);
    sdl_dialog_close(sdl.window);
}

void host_change_directory(const char* path)
{
    if (::chdir(path) != 0) {
        // A missing directory is fine: the program opens no file.
    }
}

// The entry has opened the display (host/sdl/sdl_main.cpp); a class needs nothing more of SDL.
bool emu_backend_register_class()
{
    return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

bool emu_backend_create_window(HostWindow* window, const char* title, int32_t outer_width,
                               int32_t outer_height)
{
    window->client_width = outer_width - 2 * FRAME_BORDER;
    window->client_height = outer_height - 2 * FRAME_BORDER - FRAME_CAPTION - FRAME_MENU_BAR;
    sdl.client_width = window->client_width;
    sdl.client_height = window->client_height;
    sdl.zoom = {sdl.first_zoom, 0, 0};
    sdl.window = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                  window->client_width * sdl.first_zoom,
                                  window->client_height * sdl.first_zoom,
                                  SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (!sdl.window) {
        std::fprintf(stderr, "SDL could not open a window: %s\n", SDL_GetError());
        return false;
    }
    // No vsync: the program paces its own frames.
    sdl.renderer = SDL_CreateRenderer(sdl.window, -1, 0);
    if (!sdl.renderer)
        sdl.renderer = SDL_CreateRenderer(sdl.window, -1, SDL_RENDERER_SOFTWARE);
    if (!sdl.renderer) {
        std::fprintf(stderr, "SDL could not draw into the window: %s\n", SDL_GetError());
        SDL_DestroyWindow(sdl.window);
        sdl.window = nullptr;
        return false;
    }
    return true;
}

void emu_backend_show_window(HostWindow*)
{
    SDL_ShowWindow(sdl.window);
}

void emu_backend_destroy_window(HostWindow*)
{
    if (sdl.texture)
        SDL_DestroyTexture(sdl.texture);
    if (sdl.renderer)
        SDL_DestroyRenderer(sdl.renderer);
    if (sdl.window)
        SDL_DestroyWindow(sdl.window);
    const int32_t first_zoom = sdl.first_zoom;
    sdl = {};
    sdl.first_zoom = first_zoom;
}

void emu_backend_set_topmost(HostWindow*, bool topmost)
{
    SDL_SetWindowAlwaysOnTop(sdl.window, topmost ? SDL_TRUE : SDL_FALSE);
}

void emu_backend_poll_events()
{
    SDL_Event event;
    while (SDL_PollEvent(&event))
        sdl_translate(event);
}

void emu_backend_client_origin(HostWindow*, int32_t* x, int32_t* y)
{
    int origin_x = 0;
    int origin_y = 0;
    if (sdl.window)
        SDL_GetWindowPosition(sdl.window, &origin_x, &origin_y);
    *x = origin_x;
    *y = origin_y;
}

void emu_backend_present(HostWindow*, const uint16_t* pixels, int32_t pitch, int32_t width,
                         int32_t height)
{
    if (!sdl.renderer || !sdl_ensure_texture(width, height))
        return;
    const SDL_Rect area{0, 0, width, height};
    SDL_UpdateTexture(sdl.texture, &area, pixels, pitch * static_cast<int>(sizeof *pixels));
    sdl.frame_width = width;
    sdl.frame_height = height;
    sdl_show_frame();
}

void emu_backend_dialog_open(HostWindow*)
{
    sdl.dialog_open = sdl_dialog_open(sdl.window, DIALOG, sdl.zoom.scale);
}

void emu_backend_dialog_close()
{
    sdl_dialog_close(sdl.window);
    sdl.dialog_open = false;
}

bool emu_backend_dialog_input(HostMessage* message)
{
    // A box that could not open leaves nobody to close it: the dialog ends at once.
    return sdl.dialog_open && sdl_wait_box_input(message, true);
}

void emu_backend_note(std::string_view) {}

bool emu_backend_open_face(std::string_view face_name, int32_t pixel_height, EmuFace* face,
                           std::string* error)
{
    return emu_open_system_face(face_name, pixel_height, face, error);
}
