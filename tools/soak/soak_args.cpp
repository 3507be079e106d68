#include <charconv>
#include <string_view>

#include "showcase/showcase.h"
#include "tools/soak/soak.h"

const char SOAK_USAGE[] = R"(Usage: luma-soak [options]

Runs the Luma Stage demo and then the showcase on the headless host, frame
after frame with the pacing out of the way, the showcase under a scripted
player who clicks objects down, changes filters and resets. Each program runs
twice. It fails when anything is allocated after start-up, when blocks are
left allocated, when resident memory grows, or when the two runs draw
different frames.

Options:
  --frames N      frames per program and run (default 20000)
  --program NAME  demo or showcase only (default: both)
  --runs N        runs per program whose frames must agree (default 2)
  --help          show this text

Exit status: 0 when every check held, 1 when one failed, 2 for bad arguments.
)";

namespace {

constexpr uint32_t SOAK_MAX_FRAMES = 100'000'000;
constexpr uint32_t SOAK_MAX_RUNS = 10;

bool parse_count(std::string_view text, uint32_t* value, uint32_t most)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, *value);
    return !text.empty() && error == std::errc() && stop == end && *value >= 1 && *value <= most;
}

bool parse_option(std::string_view name, std::string_view value, SoakOptions* options,
                  std::string* error)
{
    if (name == "--frames" && parse_count(value, &options->frames, SOAK_MAX_FRAMES))
        return true;
    if (name == "--runs" && parse_count(value, &options->runs, SOAK_MAX_RUNS))
        return true;
    if (name == "--program" && (value == "demo" || value == "showcase")) {
        options->programs = {value == "demo" ? &APP_DEMO : &APP_SHOWCASE};
        return true;
    }
    if (name == "--frames")
        *error = "--frames wants a count from 1 to " + std::to_string(SOAK_MAX_FRAMES);
    else if (name == "--runs")
        *error = "--runs wants a count from 1 to " + std::to_string(SOAK_MAX_RUNS);
    else if (name == "--program")
        *error = "--program wants demo or showcase";
    else {
        *error = "unknown option " + std::string(name) + " (see --help)";
        return false;
    }
    *error += ", not \"" + std::string(value) + "\"";
    return false;
}

} // namespace

bool soak_parse_args(int argc, const char* const* argv, SoakOptions* options, std::string* error)
{
    options->programs = {&APP_DEMO, &APP_SHOWCASE};
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            options->help = true;
            return true;
        }
        if (!argument.starts_with("--")) {
            *error = "unexpected argument \"" + std::string(argument) + "\" (see --help)";
            return false;
        }
        if (i + 1 == argc) {
            *error = std::string(argument) + " needs a value (see --help)";
            return false;
        }
        if (!parse_option(argument, argv[++i], options, error))
            return false;
    }
    return true;
}
