// A scripted run in the page: the capture tool's options (frames, holds, cursor moves) played on
// the web host frame by frame, with a report of what the frames were.
#pragma once

#include <cstdint>
#include <string>

#include "tools/capture/capture.h"

struct WebScript {
    CaptureOptions capture;
    // Timed: the last this many frames run back to back with no turn for the browser, and the
    // report gives their time.
    uint32_t timed_frames = 0;
    // Each frame as the showcase's stress benchmark plays it.
    bool stress = false;
};

// Fills script from the page's arguments: the capture tool's options and --time N, --stress;
// false with a message that says what to fix.
bool web_script_parse(int argc, const char* const* argv, WebScript* script, std::string* error);

// Sets the host up for the script and plays it from the first frame on.
void web_script_begin(const WebScript& script);
// The report once the program has ended: a line per frame, then the timing and the canvas.
std::string web_script_report(int exit_code);
