// The soak tool's checks, on short runs: nothing allocated after start-up, nothing kept, and the
// same frames twice; and its arguments.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/mem.h"
#include "showcase/showcase.h"
#include "tools/soak/soak.h"

namespace {

TEST(SoakTest, ShortRunsAllocateNothingAfterStartupAndReplay)
{
    constexpr uint32_t frames = 300;
    for (const AppProgram* program : {&APP_DEMO, &APP_SHOWCASE}) {
        const SoakRun first = soak_run(*program, frames);
        EXPECT_EQ(first.frames, frames);
        EXPECT_EQ(first.allocations, 0u);
        EXPECT_EQ(first.live_blocks, 0);
        EXPECT_EQ(soak_run(*program, frames).checksum, first.checksum);
    }
    // The scripted player changes what the showcase draws: a run with other frames differs.
    EXPECT_NE(soak_run(APP_SHOWCASE, frames).checksum, soak_run(APP_SHOWCASE, frames - 1).checksum);
}

TEST(SoakTest, ArgumentsChooseProgramsFramesAndRuns)
{
    const auto parse = [](std::vector<const char*> argv, SoakOptions* options, std::string* error) {
        argv.insert(argv.begin(), "luma-soak");
        return soak_parse_args(static_cast<int>(argv.size()), argv.data(), options, error);
    };
    SoakOptions options;
    std::string error;
    ASSERT_TRUE(parse({}, &options, &error));
    EXPECT_EQ(options.programs, (std::vector<const AppProgram*>{&APP_DEMO, &APP_SHOWCASE}));
    EXPECT_EQ(options.frames, 20'000u);
    EXPECT_EQ(options.runs, 2u);

    ASSERT_TRUE(
        parse({"--program", "showcase", "--frames", "1000000", "--runs", "3"}, &options, &error));
    EXPECT_EQ(options.programs, std::vector<const AppProgram*>{&APP_SHOWCASE});
    EXPECT_EQ(options.frames, 1'000'000u);
    EXPECT_EQ(options.runs, 3u);

    // The rules that luma-capture shares are its test's; here what luma-soak adds and its prefix.
    struct Row {
        std::vector<const char*> args;
        const char* refusal; // null: accepted
    };
    const std::vector<Row> rows = {
        {{"--frames=1", "--runs=10", "--program=demo"}, nullptr},
        {{"--frames", "100000000", "--runs", "1"}, nullptr},
        {{"--frames", "0"}, "--frames 0: wants a frame count from 1 to 100000000"},
        {{"--runs", "11"}, "--runs 11: wants a count of runs from 1 to 10"},
        {{"--program", "both"}, "--program both: wants demo or showcase"},
        {{"--speed"}, "unknown option --speed"},
        {{"--frames", "--runs", "2"}, "--frames needs a value, not the option --runs"},
    };
    for (const Row& row : rows) {
        std::vector<const char*> args = row.args;
        args.insert(args.begin(), "luma-soak");
        const int argc = static_cast<int>(args.size());
        const std::string given = ::testing::PrintToString(row.args);
        // Parsed first, so that a refusal that fails to come never runs the program.
        SoakOptions parsed;
        const bool accepted = soak_parse_args(argc, args.data(), &parsed, &error);
        ASSERT_EQ(accepted, !row.refusal) << given << error;
        if (accepted)
            continue;
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(soak_command(argc, args.data(), out, err), SOAK_EXIT_USAGE) << given;
        EXPECT_EQ(err.str(),
                  "luma-soak: " + std::string(row.refusal) + " (see luma-soak --help)\n");
        EXPECT_EQ(out.str(), "") << given;
    }
    const char* help[] = {"luma-soak", "--runs", "0", "--help"};
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(soak_command(4, help, out, err), SOAK_EXIT_OK);
    EXPECT_EQ(out.str(), SOAK_USAGE);
}

} // namespace
