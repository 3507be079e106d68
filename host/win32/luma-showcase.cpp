// The showcase as a 32-bit Windows program. It takes no options.
#include <windows.h>

#include "app/app.h"
#include "showcase/showcase.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command)
{
    return app_win_main(reinterpret_cast<HostInstance*>(instance), show_command, APP_SHOWCASE);
}
