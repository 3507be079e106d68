#include <string>

#include "app/app.h"
#include "host/emulated/emulated.h"
#include "host/web/web.h"
#include "host/web/web_page.h"
#include "host/web/web_script.h"

namespace {

// The capture tool's exit code for bad arguments, which a scripted run shares.
constexpr int WEB_EXIT_USAGE = CAPTURE_EXIT_USAGE;

} // namespace

int web_main(int argc, char** argv, const AppProgram& program)
{
    // Arguments come from the page's address and make a scripted run; none is a person playing.
    const bool scripted = argc > 1;
    if (scripted) {
        WebScript script;
        std::string error;
        if (!web_script_parse(argc, argv, &script, &error)) {
            web_page_report(("error " + error + "\n").c_str());
            web_page_ended(WEB_EXIT_USAGE);
            return WEB_EXIT_USAGE;
        }
        web_script_begin(script);
    }
    const int exit_code = app_win_main(emu_instance(), HOST_SW_SHOWDEFAULT, program);
    if (scripted)
        web_page_report(web_script_report(exit_code).c_str());
    emu_reset();
    web_page_ended(exit_code);
    return exit_code;
}
