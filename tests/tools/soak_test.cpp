// The soak tool's checks, on short runs: nothing allocated after start-up, nothing kept, and the
// same frames twice, or a failure; and its arguments.
#include "tools/soak/soak.h"

#include <gtest/gtest.h>

#include <sstream>

#include "host/headless/headless.h"
#include "showcase/showcase.h"
#include "tests/tools/tool_run.h"

namespace {

// The demo with F1 held, which swings the view, from its second run on: that run draws other
// frames.
int unsteady_runs = 0;
const AppProgram UNSTEADY = {"unsteady",
                             [] {
                                 headless_set_key(HOST_VK_F1, ++unsteady_runs > 1);
                                 return APP_DEMO.init();
                             },
                             [] { APP_DEMO.step(); }};

TEST(SoakTest, ShortRunsAllocateNothingAfterStartupAndReplayOrFail)
{
    constexpr uint32_t frames = 300;
    for (const AppProgram* program : {&APP_DEMO, &APP_SHOWCASE}) {
        const SoakRun first = soak_run(*program, frames);
        EXPECT_EQ(std::tuple(first.frames, first.allocations, first.live_blocks),
                  std::tuple(frames, 0u, 0));
        EXPECT_EQ(soak_run(*program, frames).checksum, first.checksum);
    }
    // The scripted player changes what the showcase draws: a run with other frames differs.
    EXPECT_NE(soak_run(APP_SHOWCASE, frames).checksum, soak_run(APP_SHOWCASE, frames - 1).checksum);
    // And the tool fails a program whose runs differ (resident memory is left to the long runs:
    // a sanitizer's own bookkeeping grows it in runs this short).
    unsteady_runs = 0;
    SoakOptions options;
    options.frames = 30;
    options.programs = {&UNSTEADY};
    std::ostringstream out;
    EXPECT_EQ(soak_main(options, out), SOAK_EXIT_FAILED);
    EXPECT_NE(out.str().find("program: run 2 drew other frames than run 1\n"), std::string::npos)
        << out.str();
}

TEST(SoakTest, CommandLineTable)
{
    // The rules that luma-capture shares are its test's; here what luma-soak adds and its prefix.
    // An accepted row gives the parsed options, a refused one the message.
    const std::vector<std::pair<const char*, const char*>> rows = {
        {"", "frames 20000 runs 2 demo showcase"},
        {"--program showcase --frames 100000000 --runs 1", "frames 100000000 runs 1 showcase"},
        {"--frames=1 --runs=10 --program=demo", "frames 1 runs 10 demo"},
        {"--frames 0", "--frames 0: wants a frame count from 1 to 100000000"},
        {"--runs 11", "--runs 11: wants a count of runs from 1 to 10"},
        {"--program both", "--program both: wants demo or showcase"},
        {"--speed", "unknown option --speed"},
        {"--frames --runs 2", "--frames needs a value, not the option --runs"},
    };
    tool_expect_rows<SoakOptions>(
        rows, "luma-soak", soak_parse_args, soak_command, [](const SoakOptions& options) {
            std::string parsed = "frames " + std::to_string(options.frames) + " runs " +
                                 std::to_string(options.runs);
            for (const AppProgram* program : options.programs)
                parsed += program == &APP_DEMO       ? " demo"
                          : program == &APP_SHOWCASE ? " showcase"
                                                     : " unknown";
            return parsed;
        });
    const ToolRun help = tool_run(soak_command, "luma-soak", "--runs 0 --help");
    EXPECT_EQ(std::tie(help.status, help.out), std::tie(SOAK_EXIT_OK, SOAK_USAGE));
}

} // namespace
