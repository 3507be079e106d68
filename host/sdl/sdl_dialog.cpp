#include "host/sdl/sdl_dialog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/emulated/emulated.h"

namespace {

// The face the program's text uses ("ＭＳ 明朝"), at a size for a box.
constexpr char DIALOG_FACE_NAME[] = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";
constexpr int32_t DIALOG_FACE_PIXELS = 16;

// The layout, in box pixels, of a classic Windows box.
constexpr int32_t CAPTION_HEIGHT = 20; // inside the box's two-pixel edge
constexpr int32_t EDGE = 2;
constexpr int32_t CAPTION_TEXT_X = 4;
constexpr int32_t CLOSE_BOX_WIDTH = 16;
constexpr int32_t CLOSE_BOX_HEIGHT = 14;
constexpr int32_t CLOSE_BOX_MARGIN = 3;
constexpr int32_t MARGIN = 16;
constexpr int32_t MIN_WIDTH = 200;
constexpr int32_t BUTTON_WIDTH = 75;
constexpr int32_t BUTTON_HEIGHT = 23;
constexpr int32_t TEXT_GAP = 14; // above the text and between it and the button
constexpr int32_t BOTTOM_GAP = 12;

// The classic colours, as RGB555, and text colours as 24-bit values (red in the low byte).
constexpr uint16_t FACE_COLOUR = 0x6318; // 192, 192, 192
constexpr uint16_t LIGHT_COLOUR = 0x7FFF;
constexpr uint16_t SHADOW_COLOUR = 0x4210; // 128, 128, 128
constexpr uint16_t DARK_COLOUR = 0x0000;
constexpr uint16_t CAPTION_COLOUR = 0x0010; // 0, 0, 128
constexpr uint32_t TEXT_BLACK = 0x000000;
constexpr uint32_t TEXT_WHITE = 0xFFFFFF;

struct Rect {
    int32_t x, y, w, h;
};

enum class Control { None, Button, CloseBox };

struct SdlDialog {
    SDL_Window* window;
    SDL_Renderer* renderer;
    SDL_Texture* texture;
    int32_t zoom;
    SdlDialogText text;
    HostBitmap pixels;
    HostFont font;
    bool has_face;
    Rect caption;
    Rect close_box;
    Rect button;
    int32_t text_y;
    bool open;
    Control pressed; // where the left button went down, until it comes up
    bool inside;     // the pointer is over the pressed control: it shows pushed in
};

SdlDialog box;

bool sdl_dialog_inside_rect(const Rect& r, int32_t x, int32_t y)
{
    return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
}

Control sdl_dialog_control_at(int32_t x, int32_t y)
{
    if (sdl_dialog_inside_rect(box.button, x, y))
        return Control::Button;
    if (sdl_dialog_inside_rect(box.close_box, x, y))
        return Control::CloseBox;
    return Control::None;
}

void sdl_dialog_fill(const Rect& r, uint16_t colour)
{
    const int32_t right = std::min(r.x + r.w, box.pixels.width);
    const int32_t bottom = std::min(r.y + r.h, box.pixels.height);
    for (int32_t y = std::max(0, r.y); y < bottom; ++y)
        for (int32_t x = std::max(0, r.x); x < right; ++x)
            box.pixels.pixels[static_cast<size_t>(y) * box.pixels.width + x] = colour;
}

// A raised edge lit from the top left, or a sunken one.
void sdl_dialog_bevel(const Rect& r, bool sunken)
{
    const uint16_t top_left = sunken ? DARK_COLOUR : LIGHT_COLOUR;
    const uint16_t bottom_right = sunken ? LIGHT_COLOUR : DARK_COLOUR;
    sdl_dialog_fill({r.x, r.y, r.w, 1}, top_left);
    sdl_dialog_fill({r.x, r.y, 1, r.h}, top_left);
    sdl_dialog_fill({r.x, r.y + r.h - 1, r.w, 1}, bottom_right);
    sdl_dialog_fill({r.x + r.w - 1, r.y, 1, r.h}, bottom_right);
    const uint16_t inner = SHADOW_COLOUR;
    if (sunken) {
        sdl_dialog_fill({r.x + 1, r.y + 1, r.w - 2, 1}, inner);
        sdl_dialog_fill({r.x + 1, r.y + 1, 1, r.h - 2}, inner);
    } else {
        sdl_dialog_fill({r.x + 1, r.y + r.h - 2, r.w - 2, 1}, inner);
        sdl_dialog_fill({r.x + r.w - 2, r.y + 1, 1, r.h - 2}, inner);
    }
}

int32_t sdl_dialog_text_width(const char* text)
{
    if (!box.has_face)
        return 0;
    HostDc dc{nullptr, &box.pixels, &box.font, 0};
    return host_text_width(&dc, text, static_cast<int32_t>(std::strlen(text)));
}

void sdl_dialog_text_at(int32_t x, int32_t y, const char* text, uint32_t colour)
{
    HostDc dc{nullptr, &box.pixels, &box.font, colour};
    host_text_out(&dc, x, y, text, static_cast<int32_t>(std::strlen(text)));
}

void sdl_dialog_draw_close_box(bool sunken)
{
    const Rect& r = box.close_box;
    sdl_dialog_fill(r, FACE_COLOUR);
    sdl_dialog_bevel(r, sunken);
    // A cross of two-pixel strokes, one pixel lower and to the right when pushed in.
    const int32_t push = sunken ? 1 : 0;
    const int32_t size = 7;
    const int32_t left = r.x + (r.w - size) / 2 + push;
    const int32_t top = r.y + (r.h - size) / 2 + push;
    for (int32_t i = 0; i < size; ++i) {
        sdl_dialog_fill({left + i, top + i, 2, 1}, DARK_COLOUR);
        sdl_dialog_fill({left + size - 1 - i, top + i, 2, 1}, DARK_COLOUR);
    }
}

void sdl_dialog_draw_button(bool sunken)
{
    const Rect& r = box.button;
    // The default button's black frame, then its edge inside it.
    sdl_dialog_fill(r, DARK_COLOUR);
    const Rect face{r.x + 1, r.y + 1, r.w - 2, r.h - 2};
    sdl_dialog_fill(face, FACE_COLOUR);
    sdl_dialog_bevel(face, sunken);
    const int32_t push = sunken ? 1 : 0;
    const int32_t label = sdl_dialog_text_width(box.text.button);
    sdl_dialog_text_at(r.x + (r.w - label) / 2 + push, r.y + (r.h - DIALOG_FACE_PIXELS) / 2 + push,
                       box.text.button, TEXT_BLACK);
}

void sdl_dialog_draw()
{
    const Rect whole{0, 0, box.pixels.width, box.pixels.height};
    sdl_dialog_fill(whole, FACE_COLOUR);
    sdl_dialog_bevel(whole, false);
    sdl_dialog_fill(box.caption, CAPTION_COLOUR);
    sdl_dialog_text_at(box.caption.x + CAPTION_TEXT_X,
                       box.caption.y + (CAPTION_HEIGHT - DIALOG_FACE_PIXELS) / 2, box.text.caption,
                       TEXT_WHITE);
    sdl_dialog_draw_close_box(box.pressed == Control::CloseBox && box.inside);
    sdl_dialog_text_at((box.pixels.width - sdl_dialog_text_width(box.text.text)) / 2, box.text_y,
                       box.text.text, TEXT_BLACK);
    sdl_dialog_draw_button(box.pressed == Control::Button && box.inside);
}

void sdl_dialog_show()
{
    sdl_dialog_draw();
    SDL_UpdateTexture(box.texture, nullptr, box.pixels.pixels.data(),
                      box.pixels.width * static_cast<int>(sizeof(uint16_t)));
    SDL_RenderClear(box.renderer);
    SDL_RenderCopy(box.renderer, box.texture, nullptr, nullptr);
    SDL_RenderPresent(box.renderer);
}

void sdl_dialog_lay_out()
{
    const int32_t caption_width =
        sdl_dialog_text_width(box.text.caption) + CAPTION_TEXT_X + CLOSE_BOX_WIDTH;
    const int32_t width = std::max(
        {MIN_WIDTH, sdl_dialog_text_width(box.text.text) + 2 * MARGIN, caption_width + 2 * MARGIN});
    box.caption = {EDGE, EDGE, width - 2 * EDGE, CAPTION_HEIGHT};
    box.close_box = {width - EDGE - CLOSE_BOX_MARGIN - CLOSE_BOX_WIDTH,
                     EDGE + (CAPTION_HEIGHT - CLOSE_BOX_HEIGHT) / 2, CLOSE_BOX_WIDTH,
                     CLOSE_BOX_HEIGHT};
    box.text_y = EDGE + CAPTION_HEIGHT + TEXT_GAP;
    const int32_t button_y = box.text_y + DIALOG_FACE_PIXELS + TEXT_GAP;
    box.button = {(width - BUTTON_WIDTH) / 2, button_y, BUTTON_WIDTH, BUTTON_HEIGHT};
    box.pixels.width = width;
    box.pixels.height = button_y + BUTTON_HEIGHT + BOTTOM_GAP;
    box.pixels.pixels.assign(static_cast<size_t>(box.pixels.width) * box.pixels.height, 0);
}

// The caption drags the box (there is no window manager's frame to drag it by).
SDL_HitTestResult sdl_dialog_hit_test(SDL_Window*, const SDL_Point* point, void*)
{
    const int32_t x = point->x / box.zoom;
    const int32_t y = point->y / box.zoom;
    if (sdl_dialog_inside_rect(box.caption, x, y) && !sdl_dialog_inside_rect(box.close_box, x, y))
        return SDL_HITTEST_DRAGGABLE;
    return SDL_HITTEST_NORMAL;
}

// The face is opened once and kept: fontconfig's search is not worth repeating for every box.
bool sdl_dialog_open_face()
{
    static EmuFace face;
    static const bool opened = [] {
        std::string error;
        if (emu_open_system_face(DIALOG_FACE_NAME, DIALOG_FACE_PIXELS, &face, &error))
            return true;
        std::fprintf(stderr, "The box has no face to draw with: %s\n", error.c_str());
        return false;
    }();
    box.font = {face, false};
    return opened;
}

void sdl_dialog_centre_over(SDL_Window* owner, int32_t width, int32_t height, int* x, int* y)
{
    *x = SDL_WINDOWPOS_CENTERED;
    *y = SDL_WINDOWPOS_CENTERED;
    if (!owner || (SDL_GetWindowFlags(owner) & SDL_WINDOW_HIDDEN))
        return;
    int owner_x = 0;
    int owner_y = 0;
    int owner_width = 0;
    int owner_height = 0;
    SDL_GetWindowPosition(owner, &owner_x, &owner_y);
    SDL_GetWindowSize(owner, &owner_width, &owner_height);
    *x = owner_x + (owner_width - width) / 2;
    *y = owner_y + (owner_height - height) / 2;
}

void sdl_dialog_focus(SDL_Window* window)
{
    SDL_RaiseWindow(window);
    // Without a window manager nobody else gives a window the keyboard.
    SDL_SetWindowInputFocus(window);
}

HostMessage sdl_dialog_key_input(int virtual_key)
{
    return {nullptr, HOST_WM_KEYDOWN, static_cast<uintptr_t>(virtual_key), 0, 0, 0};
}

SdlDialogEvent sdl_dialog_key_event(const SDL_KeyboardEvent& key, HostMessage* input)
{
    switch (key.keysym.sym) {
    case SDLK_ESCAPE:
        *input = sdl_dialog_key_input(HOST_VK_ESCAPE);
        return SdlDialogEvent::Input;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        *input = sdl_dialog_key_input(HOST_VK_RETURN);
        return SdlDialogEvent::Input;
    default:
        return SdlDialogEvent::Handled;
    }
}

SdlDialogEvent sdl_dialog_mouse_event(const SDL_Event& event, HostMessage* input)
{
    const int32_t x = event.button.x / box.zoom;
    const int32_t y = event.button.y / box.zoom;
    if (event.type == SDL_MOUSEMOTION) {
        if (box.pressed != Control::None &&
            box.inside != (sdl_dialog_control_at(event.motion.x / box.zoom,
                                                 event.motion.y / box.zoom) == box.pressed)) {
            box.inside = !box.inside;
            sdl_dialog_show();
        }
        return SdlDialogEvent::Handled;
    }
    if (event.button.button != SDL_BUTTON_LEFT)
        return SdlDialogEvent::Handled;
    if (event.type == SDL_MOUSEBUTTONDOWN) {
        box.pressed = sdl_dialog_control_at(x, y);
        box.inside = true;
        sdl_dialog_show();
        return SdlDialogEvent::Handled;
    }
    // A control acts when the button comes up over the control it went down on.
    const Control released =
        sdl_dialog_control_at(x, y) == box.pressed ? box.pressed : Control::None;
    box.pressed = Control::None;
    sdl_dialog_show();
    if (released == Control::Button) {
        *input = {nullptr, HOST_WM_COMMAND, box.text.button_id, 0, 0, 0};
        return SdlDialogEvent::Input;
    }
    if (released == Control::CloseBox) {
        *input = {nullptr, HOST_WM_CLOSE, 0, 0, 0, 0};
        return SdlDialogEvent::Input;
    }
    return SdlDialogEvent::Handled;
}

uint32_t sdl_dialog_event_window(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_WINDOWEVENT:
        return event.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return event.key.windowID;
    case SDL_TEXTINPUT:
        return event.text.windowID;
    case SDL_MOUSEMOTION:
        return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return event.button.windowID;
    case SDL_MOUSEWHEEL:
        return event.wheel.windowID;
    default:
        return 0;
    }
}

} // namespace

bool sdl_dialog_open(SDL_Window* owner, const SdlDialogText& text, int32_t zoom)
{
    sdl_dialog_close(nullptr);
    box.text = text;
    box.zoom = std::max(1, zoom);
    box.has_face = sdl_dialog_open_face();
    if (!box.has_face)
        return false;
    sdl_dialog_lay_out();
    const int32_t width = box.pixels.width * box.zoom;
    const int32_t height = box.pixels.height * box.zoom;
    int x = 0;
    int y = 0;
    sdl_dialog_centre_over(owner, width, height, &x, &y);
    const std::string title = emu_utf8_from_cp932(text.caption);
    // One window serves every box and is hidden, not destroyed, between them: SDL 2.26 under
    // Wayland with libdecor crashes in its next event pump after a window is destroyed while
    // another one is still to be shown.
    if (!box.window) {
        box.window = SDL_CreateWindow(title.c_str(), x, y, width, height,
                                      SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
        if (box.window) {
            box.renderer = SDL_CreateRenderer(box.window, -1, 0);
            if (!box.renderer)
                box.renderer = SDL_CreateRenderer(box.window, -1, SDL_RENDERER_SOFTWARE);
            SDL_SetWindowHitTest(box.window, sdl_dialog_hit_test, nullptr);
        }
    } else {
        SDL_SetWindowTitle(box.window, title.c_str());
        SDL_SetWindowSize(box.window, width, height);
        SDL_SetWindowPosition(box.window, x, y);
    }
    if (box.renderer)
        box.texture =
            SDL_CreateTexture(box.renderer, SDL_PIXELFORMAT_RGB555, SDL_TEXTUREACCESS_STREAMING,
                              box.pixels.width, box.pixels.height);
    if (!box.texture) {
        std::fprintf(stderr, "SDL could not open the box: %s\n", SDL_GetError());
        return false;
    }
    SDL_SetTextureScaleMode(box.texture, SDL_ScaleModeNearest);
    SDL_ShowWindow(box.window);
    box.open = true;
    // Modal to its owner where the window system knows the idea (X11); elsewhere the host's own
    // loop keeps the owner's input away all the same.
    if (owner && !(SDL_GetWindowFlags(owner) & SDL_WINDOW_HIDDEN))
        SDL_SetWindowModalFor(box.window, owner);
    sdl_dialog_raise();
    sdl_dialog_show();
    return true;
}

void sdl_dialog_close(SDL_Window* owner)
{
    if (box.texture)
        SDL_DestroyTexture(box.texture);
    box.texture = nullptr;
    if (box.open)
        SDL_HideWindow(box.window);
    box.open = false;
    box.pressed = Control::None;
    // The keyboard goes back to the owner, where no window manager hands it back.
    if (owner && !(SDL_GetWindowFlags(owner) & SDL_WINDOW_HIDDEN))
        sdl_dialog_focus(owner);
}

void sdl_dialog_shutdown()
{
    sdl_dialog_close(nullptr);
    if (box.renderer)
        SDL_DestroyRenderer(box.renderer);
    if (box.window)
        SDL_DestroyWindow(box.window);
    box.renderer = nullptr;
    box.window = nullptr;
}

void sdl_dialog_raise()
{
    if (box.open)
        sdl_dialog_focus(box.window);
}

SdlDialogEvent sdl_dialog_event(const SDL_Event& event, HostMessage* input)
{
    if (!box.open || sdl_dialog_event_window(event) != SDL_GetWindowID(box.window))
        return SdlDialogEvent::Other;
    switch (event.type) {
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            *input = {nullptr, HOST_WM_CLOSE, 0, 0, 0, 0};
            return SdlDialogEvent::Input;
        }
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED)
            sdl_dialog_show();
        return SdlDialogEvent::Handled;
    case SDL_KEYDOWN:
        return sdl_dialog_key_event(event.key, input);
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return sdl_dialog_mouse_event(event, input);
    default:
        return SdlDialogEvent::Handled;
    }
}
