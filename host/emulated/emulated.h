// An in-process imitation of the USER32 and GDI calls of host.h, shared by the hosts that have no
// Win32 underneath (sdl and headless): one window of one class, a posted-message queue with the
// quit flag, menus, a modal dialog, memory device contexts and top-down DIB sections.
//
// Each such host supplies the emu_backend_* functions below (its window, its events, its screen)
// and the host.h calls that only it can answer (ticks, keys, message box, directory).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/host.h"

struct HostInstance {};

struct HostBitmap {
    int32_t width;
    int32_t height;
    std::vector<uint16_t> pixels;
};

// One rendered character: its pixels (width x height, nonzero where the glyph is) with their
// top-left corner left pixels right of the pen and top rows above the baseline.
struct EmuGlyph {
    int32_t advance;
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
    std::vector<uint8_t> ink;
};

// A source of unsmoothed glyphs at one size: the installed font, the glyphs baked from it, or a
// test's own face. Each face reads the Shift-JIS text into the character codes its glyph function
// takes: code points through code page 932, or the baked face's own Shift-JIS codes.
struct EmuFace {
    int32_t ascent; // baseline distance below the top of the character cell
    std::function<std::u32string(std::string_view text)> characters;
    std::function<bool(char32_t code, EmuGlyph* glyph)> glyph;
};

struct HostFont {
    EmuFace face;
    bool bold; // weights from semibold up are drawn twice, one pixel apart, as Windows does
};

struct HostDc {
    HostWindow* window; // set for a window's own DC, null for a memory DC
    HostBitmap* bitmap; // selected into a memory DC
    HostFont* font;
    uint32_t text_colour;
};

struct HostWindow {
    HostProc proc;
    bool alive;
    bool topmost;
    int32_t client_width;
    int32_t client_height;
    HostDc dc;
    std::intptr_t dialog_result;
};

struct HostMenu {
    std::unique_ptr<HostMenu> submenu;
    std::map<int, bool> checked;
    bool destroyed;
};

struct EmuState {
    HostInstance instance;
    HostProc class_proc;
    std::string class_name;
    std::unique_ptr<HostWindow> window;
    HostWindow dialog;
    std::deque<HostMessage> queue;
    bool quit_pending;
    int quit_code;
    std::vector<std::unique_ptr<HostMenu>> menus;
    std::vector<std::unique_ptr<HostDc>> dcs;
    std::vector<std::unique_ptr<HostBitmap>> bitmaps;
    std::vector<std::unique_ptr<HostFont>> fonts;
    // Fault injection: the n-th creation from now fails (0: none).
    uint32_t fail_memory_dc;
    uint32_t fail_bitmap;
};

EmuState& emu_state();
// Forgets every window, message, menu and GDI object: a fresh program.
void emu_reset();
HostInstance* emu_instance();
// Appends a message to the posted queue.
void emu_post(const HostMessage& message);
// The keyboard message a scripted key's change sends, as a keyboard does: a key-down for each
// press and, while the key is held, an auto-repeat (HOST_KEY_WAS_DOWN) each time it is set down
// again; a key-up when it is let go. False when a key that is up is let go again.
bool emu_key_message(bool was_down, bool down, uint32_t* message, intptr_t* lparam);
// Shift-JIS (code page 932) text as UTF-8 or as code points; a byte that starts no character
// becomes U+FFFD. iconv on Linux, the system's code page 932 on Windows.
std::string emu_utf8_from_cp932(std::string_view text);
std::u32string emu_decode_cp932(std::string_view text);
// The installed face that fontconfig gives for a (Shift-JIS) face name and Japanese, at an em of
// pixel_height, if it covers the characters the program draws; false with the reason otherwise.
// Where FreeType is not built, the glyphs baked from that face at build time (host/emulated/
// baked_face.h).
bool emu_open_system_face(std::string_view face_name, int32_t pixel_height, EmuFace* face,
                          std::string* error);

// Supplied by each host.
bool emu_backend_register_class();
// Sets the client size and makes whatever shows the window (hidden until shown).
bool emu_backend_create_window(HostWindow* window, const char* title, int32_t outer_width,
                               int32_t outer_height);
void emu_backend_show_window(HostWindow* window);
void emu_backend_destroy_window(HostWindow* window);
void emu_backend_set_topmost(HostWindow* window, bool topmost);
// Moves the host's own events into the queue with emu_post.
void emu_backend_poll_events();
// The screen position of the client area's top-left corner.
void emu_backend_client_origin(HostWindow* window, int32_t* x, int32_t* y);
// Shows width x height pixels (rows pitch pixels apart) at the client's top-left corner.
void emu_backend_present(HostWindow* window, const uint16_t* pixels, int32_t pitch, int32_t width,
                         int32_t height);
// The modal dialog's window, shown over its owner until it is closed.
void emu_backend_dialog_open(HostWindow* owner);
void emu_backend_dialog_close();
// The user's next input to the open dialog (keys as WM_KEYDOWN, its button as WM_COMMAND, its
// close box as WM_CLOSE); false when nobody is left to close it.
bool emu_backend_dialog_input(HostMessage* message);
// The face for a new font: emu_open_system_face, or what the host puts in its place.
bool emu_backend_open_face(std::string_view face_name, int32_t pixel_height, EmuFace* face,
                           std::string* error);
// A notable call, for hosts that keep a record of them.
void emu_backend_note(std::string_view event);
