#include "app/app.h"

#include "app/input.h"
#include "app/shell.h"
#include "platform/filter.h"
#include "platform/random.h"

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
    if (!window)
        return APP_EXIT_NO_WINDOW;
    host_show_window(window, show_command);
    host_update_window(window);

    // Never blocks: a waiting message always goes first, and an empty queue runs a frame, so the
    // pacing at the frame start alone sets the rate.
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
