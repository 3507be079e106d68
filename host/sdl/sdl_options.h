// The SDL programs' command line: a whole-number zoom and the help, nothing else.
#pragma once

#include <cstdint>
#include <string>

// Exit status for a command line the program cannot run with.
constexpr int SDL_EXIT_USAGE = 2;
// The largest zoom --zoom takes: eight times 512 x 462 already fills any screen made so far.
constexpr int32_t SDL_ZOOM_MAX = 8;

struct SdlOptions {
    int32_t zoom = 1; // every client pixel shown as zoom x zoom window pixels
    bool help = false;
};

// Fills options from argv[1..]; false with the mistake, in words, in *error.
bool sdl_parse_args(int argc, const char* const* argv, SdlOptions* options, std::string* error);
