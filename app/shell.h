// The shell's own state, shared by the message loop and the window procedure.
#pragma once

#include <cstdint>

#include "app/program.h"
#include "host/host.h"

struct AppShell {
    HostInstance* instance; // taken at window creation
    HostMenu* menu;         // first submenu of IDR_MENU: carries the always-on-top check mark
    int32_t always_on_top;  // 0 or 1
    int32_t last_point_x;   // screen point of the most recently removed message
    int32_t last_point_y;
    const AppProgram* program; // null: the demo
};

// Zero at program start, which app_win_main marks.
AppShell& app_shell();
