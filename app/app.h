// The application shell: the entry, the main window and its procedure, the message loop, and the
// three fixed sequences (start-up, frame, teardown) that every other module hangs on.
#pragma once

#include <cstdint>

#include "app/program.h"
#include "host/host.h"

constexpr char APP_CLASS_NAME[] = "LUMA_STAGE";
constexpr char APP_TITLE[] = "TEST";
// The outer window size; on the classic Windows frame it leaves a 512 x 462 client area.
constexpr int32_t APP_WINDOW_WIDTH = 520;
constexpr int32_t APP_WINDOW_HEIGHT = 508;
constexpr char APP_DATA_DIRECTORY[] = "data";
// Exit code when no window could be made at all (the quit paths all exit with 0); distinct from
// the 1 of a program that fails, so that a script can fall back to rendering headless.
constexpr int APP_EXIT_NO_WINDOW = 3;

// The body of the entry on every host: creates the window (start-up runs inside), shows it, and
// runs the message loop, a frame on every idle turn. Returns the quit message's code.
int app_win_main(HostInstance* instance, int show_command, const AppProgram& program = APP_DEMO);

// Registers the class and creates the main window; null, after telling the user, on failure.
HostWindow* app_create_main_window(HostInstance* instance, const char* class_name,
                                   const char* title);

intptr_t app_window_proc(HostWindow* window, uint32_t message, uintptr_t wparam, intptr_t lparam);
intptr_t app_dialog_proc(HostWindow* dialog, uint32_t message, uintptr_t wparam, intptr_t lparam);

// 0, or -1 at the first failing step (which has told the user where it must).
int32_t app_startup(HostWindow* window);
void app_frame(HostWindow* window);
void app_teardown();
