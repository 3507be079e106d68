// The entry of the SDL programs: the command line, the display, then the program in its window.
#pragma once

#include "app/program.h"

// What the help and the messages say about one program.
struct SdlProgram {
    const char* name;    // the executable's
    const char* what;    // one line: what it is
    const char* keys;    // the keys and the mouse, one per line
    const char* capture; // luma-capture's arguments that render it headless
    const AppProgram* program;
};

// Returns the exit status: the quit message's code, SDL_EXIT_USAGE for a bad command line, or
// APP_EXIT_NO_WINDOW when no window can be opened (no display, or one that cannot be reached).
int sdl_main(int argc, char** argv, const SdlProgram& program);
