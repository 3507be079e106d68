// The web host: the program in a browser page, compiled to WebAssembly with emscripten.
//
// The page (page/luma-page.js) owns the canvas, the menu, the dialog and the notices; the host is
// the emulated window's backend on top of it. The shell's message loop runs unchanged under
// Asyncify: where the program waits (the pacing before a frame, the modal dialog) the host
// sleeps, which hands the browser its turn, and the program goes on where it stopped.
//
// A scripted run (the capture tool's options in the page's address) replaces the user: the
// virtual clock, keys, cursor and buttons of the capture tool, frame by frame.
#pragma once

#include <cstdint>
#include <functional>

#include "app/program.h"

// One presented frame, as the capture tool sees it.
struct WebFrame {
    uint32_t number; // 1 for the first present
    const uint16_t* pixels;
    int32_t pitch;
    int32_t width;
    int32_t height;
};

using WebPresentHook = std::function<void(const WebFrame&)>;

// How the clock runs: the browser's own, or a virtual one that advances 1 ms on every read, as
// the capture tool's does, on which the program hands the browser its turn once a frame or runs
// its frames back to back (a timed run, once its warm-up has had turns: the browser swaps in
// optimised code for a function only when it is entered again, which the turns' unwinding and
// rewinding of the program's stack does).
enum class WebClock { Browser, VirtualTurns, VirtualBackToBack };

void web_use_clock(WebClock clock);
// Whether every presented frame reaches the canvas (a timed run shows only its last).
void web_show_frames(bool every_frame);
// A scripted run: keys come from web_set_key instead of the page's.
void web_use_scripted_keys();
void web_set_key(int virtual_key, bool down);
void web_move_cursor(int32_t client_x, int32_t client_y);
// Posts a message to the main window with the cursor's point.
void web_post(uint32_t message);
void web_set_present_hook(WebPresentHook hook);
// Shows the frame that was presented last, whatever web_show_frames says.
void web_show_last_frame();

// The body of each program's entry: plays the program, or runs the script that the arguments
// (the page's address) give; tells the page when it has ended and returns the exit code.
int web_main(int argc, char** argv, const AppProgram& program);
