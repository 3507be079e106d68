// What the sdl programs' entry tells the sdl host before the window is made.
#pragma once

#include <cstdint>

// Every client pixel shown as zoom x zoom window pixels in the window as first opened.
void sdl_host_set_zoom(int32_t zoom);
