// The showcase in an SDL2 window. It takes no options.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include "app/app.h"
#include "host/emulated/emulated.h"
#include "showcase/showcase.h"

int main()
{
    SDL_SetMainReady();
    const int exit_code = app_win_main(emu_instance(), HOST_SW_SHOWDEFAULT, APP_SHOWCASE);
    emu_reset();
    SDL_Quit();
    return exit_code;
}
