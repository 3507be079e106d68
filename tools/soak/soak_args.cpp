#include <array>
#include <ostream>
#include <string_view>

#include "showcase/showcase.h"
#include "tools/args/args.h"
#include "tools/soak/soak.h"

const char SOAK_USAGE[] = R"(Usage: luma-soak [options]

Runs the Luma Stage demo and then the showcase on the headless host, frame
after frame with the pacing out of the way, the showcase under a scripted
player who clicks objects down, changes filters and resets. Each program runs
twice. It fails when anything is allocated after start-up, when blocks are
left allocated, when resident memory grows, or when the two runs draw
different frames.

Options (--name VALUE or --name=VALUE):
  --frames N      frames per program and run, 1 to 100000000 (default 20000)
  --program NAME  demo or showcase only (default: both)
  --runs N        runs per program whose frames must agree, 1 to 10
                  (default 2)
  --help          show this text

Exit status: 0 when every check held, 1 when one failed, 2 for bad arguments.
)";

namespace {

constexpr std::array<ArgsOption, 3> SOAK_OPTIONS = {{
    {"--frames", true},
    {"--program", true},
    {"--runs", true},
}};

bool parse_option(const ArgsItem& item, SoakOptions* options, std::string* reason)
{
    if (item.name == "--frames") {
        *reason = "wants a frame count from 1 to " + std::to_string(SOAK_MAX_FRAMES);
        return args_parse_count(item.value, 1, SOAK_MAX_FRAMES, &options->frames);
    }
    if (item.name == "--runs") {
        *reason = "wants a count of runs from 1 to " + std::to_string(SOAK_MAX_RUNS);
        return args_parse_count(item.value, 1, SOAK_MAX_RUNS, &options->runs);
    }
    const AppProgram* program = nullptr;
    *reason = "wants demo or showcase";
    if (!args_parse_program(item.value, &program))
        return false;
    options->programs = {program};
    return true;
}

} // namespace

bool soak_parse_args(int argc, const char* const* argv, SoakOptions* options, std::string* error)
{
    options->programs = {&APP_DEMO, &APP_SHOWCASE};
    ArgsCommand command;
    if (!args_split(argc, argv, SOAK_OPTIONS, &command, error))
        return false;
    // Asking for help gets it, whatever the values before it.
    options->help = command.help;
    if (options->help)
        return true;
    std::string reason;
    for (const ArgsItem& item : command.items) {
        if (!parse_option(item, options, &reason)) {
            *error = args_refusal(item, reason);
            return false;
        }
    }
    return true;
}

int soak_command(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    SoakOptions options;
    std::string error;
    if (!soak_parse_args(argc, argv, &options, &error)) {
        err << "luma-soak: " << error << " (see luma-soak --help)\n";
        return SOAK_EXIT_USAGE;
    }
    if (options.help) {
        out << SOAK_USAGE;
        return SOAK_EXIT_OK;
    }
    return soak_main(options, out);
}
