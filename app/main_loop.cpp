#include "app/app.h"

#include "app/input.h"
#include "app/shell.h"
#include "platform/filter.h"
#include "platform/random.h"

namespace {

// Never blocks: a waiting message always goes first, and an empty queue runs a frame, so the
// pacing at the frame start alone sets the rate. Returns the quit message's code.
int app_message_loop(HostWindow* window)
{
    for (;;) {
        HostMessage message;
        if (host_peek_message(&message)) {
            if (message.message == HOST_WM_QUIT)
                return static_cast<int>(message.wparam);
            app_shell().last_point_x = message.pt_x;
            app_shell().last_point_y = message.pt_y;
            host_dispatch_message(&message);
        } else {
            input_update(app_shell().last_point_x, app_shell().last_point_y);
            app_frame(window);
        }
    }
}

} // namespace

int app_win_main(HostInstance* instance, int show_command, const AppProgram& program)
{
    // Program start: the shell's state, the input state, the shared generator and the frame
    // filters begin afresh.
    app_shell() = {};
    app_shell().program = &program;
    input_reset();
    random_reset();
    filter_reset();
    HostWindow* window = app_create_main_window(instance, APP_CLASS_NAME, program.title);
    int exit_code = APP_EXIT_NO_WINDOW;
    if (window) {
        host_show_window(window, show_command);
        host_update_window(window);
        exit_code = app_message_loop(window);
    }
    // The program has ended: a window made afterwards without this entry (a test's, say) plays
    // the demo again.
    app_shell().program = nullptr;
    return exit_code;
}
