// The command lines of luma-capture and luma-soak: the fuzzer's bytes are the arguments, one per
// NUL-separated piece. Whatever they hold, parsing overflows nothing, a refusal says why, and
// what is accepted is within what the run can do: every frame that a save, a hold or a cursor
// names is one that runs, every size and point fits the host, every key is one the program
// polls.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "showcase/showcase.h"
#include "tools/capture/capture.h"
#include "tools/soak/soak.h"

namespace {

// More than any of the tools' options can fill, few enough to keep each input quick.
constexpr size_t FUZZ_MAX_ARGUMENTS = 64;

void fuzz_require(bool held, const char* what)
{
    if (!held) {
        std::fprintf(stderr, "fuzz_tool_args: %s\n", what);
        std::abort();
    }
}

bool fuzz_within(int64_t value, int64_t low, int64_t high)
{
    return value >= low && value <= high;
}

bool fuzz_known_program(const AppProgram* program)
{
    return program == &APP_DEMO || program == &APP_SHOWCASE;
}

// True when the arguments were accepted and ask for a run; a refusal must come with a message,
// and the whole tool must refuse the same way, before running anything.
template <typename Options, typename Parse, typename Command>
bool fuzz_accepted(int argc, const char* const* argv, Parse parse, Command command, int usage_exit,
                   Options* options)
{
    std::string error;
    if (parse(argc, argv, options, &error))
        return !options->help;
    std::ostringstream out;
    std::ostringstream err;
    fuzz_require(!error.empty() && command(argc, argv, out, err) == usage_exit &&
                     out.str().empty() && err.str().find(error) != std::string::npos,
                 "a refusal gave no message, or the tool did not refuse as the parser did");
    return false;
}

void fuzz_check_capture(int argc, const char* const* argv)
{
    CaptureOptions o;
    if (!fuzz_accepted(argc, argv, capture_parse_args, capture_command, CAPTURE_EXIT_USAGE, &o))
        return;
    const auto runs = [&](const CaptureRange& r) {
        return r.first >= 1 && r.first <= r.last && r.last <= o.frames;
    };
    fuzz_require(fuzz_known_program(o.program) && fuzz_within(o.frames, 1, CAPTURE_MAX_FRAMES) &&
                     fuzz_within(o.width, CAPTURE_MIN_SIZE, CAPTURE_MAX_SIZE) &&
                     fuzz_within(o.height, CAPTURE_MIN_SIZE, CAPTURE_MAX_SIZE) && !o.out.empty(),
                 "accepted a program, frame count, size or directory out of range");
    for (const CaptureRange& range : o.save)
        fuzz_require(runs(range), "accepted a saved frame that does not run");
    for (const CaptureHold& hold : o.holds) {
        const CaptureInput input = hold.input;
        fuzz_require(fuzz_within(static_cast<int>(input), HOST_VK_0, HOST_VK_9) ||
                         input == CaptureInput::F1 || input == CaptureInput::F2 ||
                         input == CaptureInput::F3 || input == CaptureInput::R ||
                         input == CaptureInput::LeftButton || input == CaptureInput::RightButton,
                     "accepted a hold of an unknown key");
        fuzz_require(runs(hold.frames), "accepted a held frame that does not run");
    }
    for (const CaptureCursor& c : o.cursors) {
        fuzz_require(fuzz_within(c.x, CAPTURE_CURSOR_MIN, CAPTURE_CURSOR_MAX) &&
                         fuzz_within(c.y, CAPTURE_CURSOR_MIN, CAPTURE_CURSOR_MAX) &&
                         runs({c.frame, c.frame}),
                     "accepted a cursor point out of range or in a frame that does not run");
    }
}

void fuzz_check_soak(int argc, const char* const* argv)
{
    SoakOptions o;
    if (!fuzz_accepted(argc, argv, soak_parse_args, soak_command, SOAK_EXIT_USAGE, &o))
        return;
    fuzz_require(fuzz_within(o.frames, 1, SOAK_MAX_FRAMES) &&
                     fuzz_within(o.runs, 1, SOAK_MAX_RUNS) && !o.programs.empty(),
                 "accepted a frame count, run count or program list out of range");
    for (const AppProgram* program : o.programs)
        fuzz_require(fuzz_known_program(program), "accepted an unknown program");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> pieces(1);
    for (size_t i = 0; i < size && pieces.size() <= FUZZ_MAX_ARGUMENTS; ++i) {
        if (data[i] == 0)
            pieces.emplace_back();
        else
            pieces.back() += static_cast<char>(data[i]);
    }
    std::vector<const char*> argv = {"tool"};
    for (const std::string& piece : pieces)
        argv.push_back(piece.c_str());
    const int argc = static_cast<int>(argv.size());
    fuzz_check_capture(argc, argv.data());
    fuzz_check_soak(argc, argv.data());
    return 0;
}
