// The demo as a 32-bit Windows program. It takes no options.
#include <windows.h>

#include "app/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command)
{
    return app_win_main(reinterpret_cast<HostInstance*>(instance), show_command);
}
