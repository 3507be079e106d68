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
        std::fprintf(stderr, "fuzz_tool_args: accepted, but %s\n", what);
        std::abort();
    }
}

bool fuzz_range_runs(const CaptureRange& range, uint32_t frames)
{
    return range.first >= 1 && range.first <= range.last && range.last <= frames;
}

bool fuzz_known_input(CaptureInput input)
{
    const int code = static_cast<int>(input);
    return (code >= HOST_VK_0 && code <= HOST_VK_9) || input == CaptureInput::F1 ||
           input == CaptureInput::F2 || input == CaptureInput::F3 || input == CaptureInput::R ||
           input == CaptureInput::LeftButton || input == CaptureInput::RightButton;
}

bool fuzz_known_program(const AppProgram* program)
{
    return program == &APP_DEMO || program == &APP_SHOWCASE;
}

void fuzz_check_capture(int argc, const char* const* argv)
{
    CaptureOptions options;
    std::string error;
    if (!capture_parse_args(argc, argv, &options, &error)) {
        fuzz_require(!error.empty(), "no message was given for a refusal");
        // The whole tool refuses the same way, before running anything.
        std::ostringstream out;
        std::ostringstream err;
        fuzz_require(capture_command(argc, argv, out, err) == CAPTURE_EXIT_USAGE &&
                         out.str().empty() && err.str().find(error) != std::string::npos,
                     "the tool did not refuse as the parser did");
        return;
    }
    if (options.help)
        return;
    fuzz_require(fuzz_known_program(options.program), "the program is unknown");
    fuzz_require(options.frames >= 1 && options.frames <= CAPTURE_MAX_FRAMES,
                 "the frame count is out of range");
    for (const CaptureRange& range : options.save)
        fuzz_require(fuzz_range_runs(range, options.frames), "a saved frame does not run");
    for (const CaptureHold& hold : options.holds) {
        fuzz_require(fuzz_known_input(hold.input), "a hold presses an unknown key");
        fuzz_require(fuzz_range_runs(hold.frames, options.frames), "a held frame does not run");
    }
    for (const CaptureCursor& cursor : options.cursors) {
        fuzz_require(cursor.x >= CAPTURE_CURSOR_MIN && cursor.x <= CAPTURE_CURSOR_MAX &&
                         cursor.y >= CAPTURE_CURSOR_MIN && cursor.y <= CAPTURE_CURSOR_MAX,
                     "a cursor point is out of range");
        fuzz_require(cursor.frame >= 1 && cursor.frame <= options.frames,
                     "a cursor moves in a frame that does not run");
    }
    fuzz_require(options.width >= CAPTURE_MIN_SIZE && options.width <= CAPTURE_MAX_SIZE &&
                     options.height >= CAPTURE_MIN_SIZE && options.height <= CAPTURE_MAX_SIZE,
                 "the size is out of range");
    fuzz_require(!options.out.empty(), "there is no directory");
}

void fuzz_check_soak(int argc, const char* const* argv)
{
    SoakOptions options;
    std::string error;
    if (!soak_parse_args(argc, argv, &options, &error)) {
        fuzz_require(!error.empty(), "no message was given for a refusal");
        std::ostringstream out;
        std::ostringstream err;
        fuzz_require(soak_command(argc, argv, out, err) == SOAK_EXIT_USAGE && out.str().empty() &&
                         err.str().find(error) != std::string::npos,
                     "the tool did not refuse as the parser did");
        return;
    }
    if (options.help)
        return;
    fuzz_require(options.frames >= 1 && options.frames <= SOAK_MAX_FRAMES,
                 "the frame count is out of range");
    fuzz_require(options.runs >= 1 && options.runs <= SOAK_MAX_RUNS,
                 "the run count is out of range");
    fuzz_require(!options.programs.empty(), "no program runs");
    for (const AppProgram* program : options.programs)
        fuzz_require(fuzz_known_program(program), "a program is unknown");
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
