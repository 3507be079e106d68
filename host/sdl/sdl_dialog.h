// The sdl host's own modal box: a small borderless SDL window that the host draws itself with the
// installed face (a caption bar with its close box, one line of text, one button), so that it opens
// wherever SDL can open a window: X11 without the core fonts, Wayland. It serves the program's
// dialog and the "Error" boxes; one is open at a time.
#pragma once

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstdint>

#include "host/host.h"

struct SdlDialogText {
    const char* caption; // Shift-JIS, like every text of the program
    const char* text;
    const char* button;
    uint32_t button_id; // the command its button sends
};

enum class SdlDialogEvent {
    Other,   // not the box's: the host's to handle
    Handled, // the box's own business (drawing, a press begun, a key it ignores)
    Input,   // the user's input to the box
};

// Opens the box centred over owner (or the screen when owner is null or hidden), each of its
// pixels zoom x zoom; false, with SDL's reason or the face's on stderr, when it cannot.
bool sdl_dialog_open(SDL_Window* owner, const SdlDialogText& text, int32_t zoom);
// Hides the box and gives the keyboard back to owner (when there is one to give it to).
void sdl_dialog_close(SDL_Window* owner);
// Destroys the box's window, once no more events will be pumped (before SDL_Quit).
void sdl_dialog_shutdown();
// Sorts one event; for Input, *input is what the dialog manager receives: WM_KEYDOWN with Escape or
// Return, WM_COMMAND with the button's id, or WM_CLOSE from the close box.
SdlDialogEvent sdl_dialog_event(const SDL_Event& event, HostMessage* input);
// Brings the box to the front, where the user's click on its owner belongs.
void sdl_dialog_raise();
