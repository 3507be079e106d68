// The whole program started once on the headless host, as the targets that need a real surface
// and the text layers use it: start-up runs inside window creation, with the test face in place
// of the installed font so that a run depends on nothing outside the process.
#pragma once

#include <cstdlib>

#include "app/app.h"
#include "host/headless/headless.h"
#include "tests/support/test_face.h"

// A small client, 160 x 120 counted pixels (text three lines high): the composite and the filters
// run over whole windows and frames many times an input, under the coverage instrumentation that
// makes every loop slow, and nothing they do depends on the size beyond W and H themselves.
constexpr int32_t FUZZ_CLIENT_WIDTH = 160;
constexpr int32_t FUZZ_CLIENT_HEIGHT = 121;

// Aborts, which the fuzzer reports, when start-up fails.
inline void fuzz_start_program()
{
    HeadlessConfig config;
    config.client_width = FUZZ_CLIENT_WIDTH;
    config.client_height = FUZZ_CLIENT_HEIGHT;
    config.keep_log = false; // the record of calls would grow with every input
    headless_reset(config);
    headless_use_face(test_face());
    HostWindow* window = app_create_main_window(headless_instance(), APP_CLASS_NAME, APP_TITLE);
    if (!window || !headless_error_boxes().empty())
        std::abort();
}
