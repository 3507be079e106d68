// The sdl host: the program in a real desktop window through SDL2.
//
// The window has the client area that the program's 520 x 508 outer size leaves on the classic
// Windows frame. The class menu's commands are keyboard shortcuts, the dialog and the error box
// are SDL message boxes, and every present uploads the frame as an RGB555 texture.
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "host/emulated/emulated.h"
#include "resources/resource.h"

namespace {

// The classic frame: 4-pixel borders, a 19-pixel caption and a 19-pixel menu bar.
constexpr int32_t FRAME_BORDER = 4;
constexpr int32_t FRAME_CAPTION = 19;
constexpr int32_t FRAME_MENU_BAR = 19;

constexpr uintptr_t KEY_ESCAPE = 27;
constexpr char DIALOG_TITLE[] = "Luma Stage";
constexpr char DIALOG_TEXT[] = "A software renderer in 16-bit colour.";
constexpr char DIALOG_BUTTON[] = "Close";

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
    SDL_Window* window;
    SDL_Renderer* renderer;
    SDL_Texture* texture;
    int32_t texture_width;
    int32_t texture_height;
};

SdlHost sdl;

intptr_t client_point_lparam(int32_t x, int32_t y)
{
    return static_cast<intptr_t>((static_cast<uint32_t>(y) << 16) |
                                 (static_cast<uint32_t>(x) & 0xFFFF));
}

void sdl_post(uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    HostMessage posted{emu_state().window.get(), message, wparam, lparam, 0, 0};
    SDL_GetGlobalMouseState(&posted.pt_x, &posted.pt_y);
    emu_post(posted);
}

void sdl_post_mouse(uint32_t message, int32_t client_x, int32_t client_y)
{
    sdl_post(message, 0, client_point_lparam(client_x, client_y));
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
    else if (event.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        window->client_width = event.data1;
        window->client_height = event.data2;
    }
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
    return sdl.texture != nullptr;
}

} // namespace

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

void host_message_box(const char* caption, const char* text)
{
    const std::string utf8 = emu_utf8_from_cp932(text);
    std::fprintf(stderr, "%s: %s\n", caption, utf8.c_str());
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, utf8.c_str(), nullptr);
}

void host_change_directory(const char* path)
{
    if (::chdir(path) != 0) {
        // A missing directory is fine: the program opens no file.
    }
}

bool emu_backend_register_class()
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL could not start its video system: %s\n", SDL_GetError());
        return false;
    }
    // With no display SDL falls back to drawing nowhere; a window nobody can see or close is
    // worse than saying so, unless that driver was asked for.
    const std::string_view driver = SDL_GetCurrentVideoDriver();
    if ((driver == "offscreen" || driver == "dummy") && !std::getenv("SDL_VIDEODRIVER")) {
        std::fprintf(stderr, "No display found (DISPLAY and WAYLAND_DISPLAY are unset). Run the "
                             "demo on a desktop, or render it to PNG files with luma-capture.\n");
        SDL_Quit();
        return false;
    }
    return true;
}

bool emu_backend_create_window(HostWindow* window, const char* title, int32_t outer_width,
                               int32_t outer_height)
{
    window->client_width = outer_width - 2 * FRAME_BORDER;
    window->client_height = outer_height - 2 * FRAME_BORDER - FRAME_CAPTION - FRAME_MENU_BAR;
    sdl.window = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                  window->client_width, window->client_height,
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
        sdl = {};
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
    sdl = {};
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
    // Whatever the frame does not cover shows the class background, white.
    SDL_SetRenderDrawColor(sdl.renderer, 255, 255, 255, 255);
    SDL_RenderClear(sdl.renderer);
    SDL_RenderCopy(sdl.renderer, sdl.texture, &area, &area);
    SDL_RenderPresent(sdl.renderer);
}

void emu_backend_dialog_open(HostWindow*) {}

void emu_backend_dialog_close() {}

bool emu_backend_dialog_input(HostMessage* message)
{
    const SDL_MessageBoxButtonData button{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDC_CLOSE,
                                          DIALOG_BUTTON};
    const SDL_MessageBoxData box{
        SDL_MESSAGEBOX_INFORMATION, sdl.window, DIALOG_TITLE, DIALOG_TEXT, 1, &button, nullptr};
    int pressed = -1;
    if (SDL_ShowMessageBox(&box, &pressed) != 0)
        return false;
    // The button reaches the dialog as its command; Escape or closing the box is the Escape key.
    *message = {nullptr, HOST_WM_COMMAND, static_cast<uintptr_t>(IDC_CLOSE), 0, 0, 0};
    if (pressed != IDC_CLOSE) {
        message->message = HOST_WM_KEYDOWN;
        message->wparam = HOST_VK_ESCAPE;
    }
    return true;
}

void emu_backend_note(std::string_view) {}

bool emu_backend_open_face(std::string_view face_name, int32_t pixel_height, EmuFace* face,
                           std::string* error)
{
    return emu_open_system_face(face_name, pixel_height, face, error);
}
