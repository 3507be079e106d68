#include "host/sdl/sdl_main.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/app.h"
#include "host/emulated/emulated.h"
#include "host/sdl/sdl_dialog.h"
#include "host/sdl/sdl_host.h"
#include "host/sdl/sdl_options.h"

namespace {

constexpr char SHORTCUTS[] =
    "  Ctrl+Q          quit (the Windows program's menu: Quit)\n"
    "  Ctrl+D          the dialog: its Close button or Return closes it, Escape or its close\n"
    "                  box quits\n"
    "  Ctrl+T          always on top, a toggle\n";

// The capture tool is built beside the programs.
std::string sdl_capture_tool(const char* argv0)
{
    const std::string_view self = argv0 ? argv0 : "";
    const size_t slash = self.rfind('/');
    return slash == std::string_view::npos
               ? "luma-capture"
               : std::string(self.substr(0, slash + 1)) + "luma-capture";
}

void sdl_print_help(std::FILE* to, const SdlProgram& program, const std::string& capture)
{
    std::fprintf(
        to,
        "%s: %s\n\n"
        "Usage: %s [--zoom N] [--help]\n"
        "  --zoom N        show every pixel N x N times (1 to %d, default 1); resizing or\n"
        "                  maximising the window picks the largest whole zoom that fits\n"
        "  --help          this text\n\n"
        "Keys:\n%s"
        "  Escape          quits\n\n"
        "Shortcuts (the SDL window has no menu):\n%s\n"
        "Without a display, the capture tool renders it headless to PNG files:\n"
        "  %s %s\n"
        "(%s --help for its options).\n\n"
        "Exit status: 0 when it quits, %d for a bad argument, %d when no window can be "
        "opened.\n",
        program.name, program.what, program.name, SDL_ZOOM_MAX, program.keys, SHORTCUTS,
        capture.c_str(), program.capture, capture.c_str(), SDL_EXIT_USAGE, APP_EXIT_NO_WINDOW);
}

bool sdl_set(const char* value)
{
    return value && *value;
}

// Why no window can open, in one paragraph that says what to do instead.
void sdl_no_window(const SdlProgram& program, const std::string& capture, const std::string& why)
{
    std::fprintf(stderr,
                 "%s: %s Run it on a desktop, or render it headless to PNG files with:\n"
                 "  %s %s\n",
                 program.name, why.c_str(), capture.c_str(), program.capture);
}

// Starts SDL's video on the display the environment names; false after saying why not.
bool sdl_open_display(const SdlProgram& program, const std::string& capture)
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (!sdl_set(driver) && !sdl_set(x11) && !sdl_set(wayland)) {
        sdl_no_window(program, capture,
                      "there is no display to open a window on (DISPLAY and WAYLAND_DISPLAY are "
                      "unset).");
        return false;
    }
    // Away from a Wayland session, SDL's try of Wayland after X11 only adds libwayland's
    // complaints (XDG_RUNTIME_DIR) to the one reason that matters.
    if (!sdl_set(driver) && !sdl_set(wayland))
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::string why;
        if (sdl_set(driver))
            why = std::string("SDL's video driver '") + driver +
                  "' (SDL_VIDEODRIVER) could not "
                  "start: " +
                  SDL_GetError() + ".";
        else if (sdl_set(x11))
            why = std::string("the X display named in DISPLAY (") + x11 +
                  ") could not be "
                  "opened: " +
                  SDL_GetError() +
                  ". Is its X server running, and may you connect "
                  "to it (over SSH: ssh -X)?";
        else
            why = std::string("the Wayland display named in WAYLAND_DISPLAY (") + wayland +
                  ") could not be opened: " + SDL_GetError() + ".";
        sdl_no_window(program, capture, why);
        return false;
    }
    // SDL falls back to drawing nowhere; a window nobody can see or close is worse than saying
    // so, unless that driver was asked for.
    const std::string_view current = SDL_GetCurrentVideoDriver();
    if ((current == "offscreen" || current == "dummy") && !sdl_set(driver)) {
        sdl_no_window(program, capture, "SDL found no display to open a window on.");
        SDL_Quit();
        return false;
    }
    return true;
}

} // namespace

int sdl_main(int argc, char** argv, const SdlProgram& program)
{
    const std::string capture = sdl_capture_tool(argc > 0 ? argv[0] : nullptr);
    SdlOptions options;
    std::string error;
    if (!sdl_parse_args(argc, argv, &options, &error)) {
        std::fprintf(stderr, "%s: %s\n\n", program.name, error.c_str());
        sdl_print_help(stderr, program, capture);
        return SDL_EXIT_USAGE;
    }
    if (options.help) {
        sdl_print_help(stdout, program, capture);
        return 0;
    }
    SDL_SetMainReady();
    if (!sdl_open_display(program, capture))
        return APP_EXIT_NO_WINDOW;
    sdl_host_set_zoom(options.zoom);
    const int exit_code = app_win_main(emu_instance(), HOST_SW_SHOWDEFAULT, *program.program);
    emu_reset();
    sdl_dialog_shutdown();
    SDL_Quit();
    return exit_code;
}
