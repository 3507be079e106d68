// The soak tool's checks, on short runs: nothing allocated after start-up, nothing kept, and the
// same frames twice; and its arguments.
#include <gtest/gtest.h>

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

    for (const std::vector<const char*>& bad : {std::vector<const char*>{"--frames", "0"},
                                                {"--frames", "12x"},
                                                {"--runs", "11"},
                                                {"--program", "both"},
                                                {"--speed", "2"},
                                                {"--frames"},
                                                {"extra"}}) {
        SoakOptions ignored;
        error.clear();
        EXPECT_FALSE(parse(bad, &ignored, &error)) << bad[0];
        EXPECT_FALSE(error.empty()) << bad[0];
    }
}

} // namespace
