// The page's side of the web host: every call goes to the LumaPage object of page/luma-page.js,
// which owns the canvas, the menu, the dialog, the notices and the input events.
#pragma once

#include <cstdint>

// What the page has queued for the program, one event at a time.
enum class WebEventKind : int32_t {
    None = 0,
    Escape = 1,
    Command = 2, // detail: a WebCommand
    Move = 3,
    ButtonDown = 4, // detail: a WebButton
    ButtonUp = 5,
    KeyDown = 6, // detail: the virtual key, with HOST_KEY_WAS_DOWN set for an auto-repeat
    KeyUp = 7,   // detail: the virtual key
};

enum class WebCommand : int32_t { Quit = 0, Dialog = 1, AlwaysOnTop = 2 };
enum class WebButton : int32_t { Left = 0, Right = 1 };

// What the user did in the dialog.
enum class WebDialogAction : int32_t { Close = 1, Escape = 2 };

// The layout the page fills: four 32-bit words, x and y the cursor in client pixels.
struct WebEvent {
    WebEventKind kind;
    int32_t detail;
    int32_t x;
    int32_t y;
};

// The canvas for a client area of width x height (the guard row is never shown).
void web_page_open(int32_t width, int32_t height);
// Puts width x height pixels of 8-bit RGBA (red in the lowest byte) on the canvas.
void web_page_present(const uint32_t* rgba, int32_t width, int32_t height);
// Whether the page's key with this KeyboardEvent.code is held.
bool web_page_key_held(const char* code);
// Takes the oldest queued event; false when none is waiting.
bool web_page_next_event(WebEvent* event);
// The check mark of the Always on top box.
void web_page_check_topmost(bool checked);
// An "Error" box: Shift-JIS text of length bytes, shown in the page and on the console.
void web_page_message_box(const char* caption, const char* text, int32_t length);
// Opens the dialog and waits, handing the browser its turn, until the user has acted.
WebDialogAction web_page_dialog_wait();
// The program has ended with this exit code.
void web_page_ended(int32_t exit_code);
// A test run's results, as text for the page's report element.
void web_page_report(const char* text);
