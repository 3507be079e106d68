// The command lines of luma-capture and luma-soak: the fuzzer's bytes are the arguments, one per
// NUL-separated piece. Whatever they hold, parsing overflows nothing, a refusal says why, and
// what is accepted is within what the run can do: every frame that a save, a hold or a cursor
// names is one that runs, every size and point fits the host, every key is one the program
// polls.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "showcase/showcase.h"
#include "tools/capture/capture.h"
#include "tools/soak/soak.h"

namespace {

// More than any of the tools' options can fill, few enough to keep each input quick.
constexpr size_t FUZZ_MAX_ARGUMENTS = 64;

bool fuzz_within(int64_t value, int64_t low, int64_t high)
{
    return value >= low && value <= high;
}

// True when the arguments were accepted and ask for a run; a refusal must say why.
template <typename Options, typename Parse>
bool fuzz_accepted(int argc, const char* const* argv, Parse parse, Options* options)
{
    std::string error;
    if (parse(argc, argv, options, &error))
        return !options->help;
    if (error.empty()) {
        std::fprintf(stderr, "fuzz_tool_args: refused without a message\n");
        std::abort();
    }
    return false;
}

bool fuzz_capture_runs(const CaptureOptions& o)
{
    const auto runs = [&](CaptureRange r) {
        return r.first >= 1 && r.first <= r.last && r.last <= o.frames;
    };
    bool held = (o.program == &APP_DEMO || o.program == &APP_SHOWCASE) &&
                fuzz_within(o.frames, 1, CAPTURE_MAX_FRAMES) && !o.out.empty() &&
                fuzz_within(o.width, CAPTURE_MIN_SIZE, CAPTURE_MAX_SIZE) &&
                fuzz_within(o.height, CAPTURE_MIN_SIZE, CAPTURE_MAX_SIZE);
    for (const CaptureRange& range : o.save)
        held = held && runs(range);
    for (const CaptureHold& hold : o.holds) {
        const auto input = static_cast<int>(hold.input);
        held = held && runs(hold.frames) &&
               (fuzz_within(input, HOST_VK_0, HOST_VK_9) ||
                fuzz_within(input, HOST_VK_F1, HOST_VK_F3) || input == HOST_VK_R ||
                hold.input == CaptureInput::LeftButton || hold.input == CaptureInput::RightButton);
    }
    for (const CaptureCursor& c : o.cursors)
        held = held && runs({c.frame, c.frame}) &&
               fuzz_within(c.x, CAPTURE_CURSOR_MIN, CAPTURE_CURSOR_MAX) &&
               fuzz_within(c.y, CAPTURE_CURSOR_MIN, CAPTURE_CURSOR_MAX);
    return held;
}

bool fuzz_soak_runs(const SoakOptions& o)
{
    bool held = fuzz_within(o.frames, 1, SOAK_MAX_FRAMES) &&
                fuzz_within(o.runs, 1, SOAK_MAX_RUNS) && !o.programs.empty();
    for (const AppProgram* program : o.programs)
        held = held && (program == &APP_DEMO || program == &APP_SHOWCASE);
    return held;
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
    CaptureOptions capture;
    SoakOptions soak;
    if ((fuzz_accepted(argc, argv.data(), capture_parse_args, &capture) &&
         !fuzz_capture_runs(capture)) ||
        (fuzz_accepted(argc, argv.data(), soak_parse_args, &soak) && !fuzz_soak_runs(soak))) {
        std::fprintf(stderr, "fuzz_tool_args: accepted options that the run cannot do\n");
        std::abort();
    }
    return 0;
}
