// What the tests of the tools and programs share: a tool's whole command run in this process, a
// program run as built, and a PNG read back.
#pragma once

#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

// What both tools exit with when they refuse their arguments.
constexpr int TOOL_EXIT_USAGE = 2;

struct ToolRun {
    int status; // the exit code; -1 when the program was killed or never started
    std::string out, err;
};

// A directory of the running test's own, for what its tools write.
inline std::filesystem::path tool_scratch_directory()
{
    return std::filesystem::temp_directory_path() /
           ("luma-test-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
}

// Runs a tool's entry (capture_command, soak_command) with the arguments of args, a space
// between each, after name as argv[0].
template <typename Command>
ToolRun tool_run(Command command, const char* name, const std::string& args)
{
    std::istringstream words(args);
    const std::vector<std::string> pieces(std::istream_iterator<std::string>(words), {});
    std::vector<const char*> argv = {name};
    for (const std::string& piece : pieces)
        argv.push_back(piece.c_str());
    std::ostringstream out, err;
    const int status = command(static_cast<int>(argv.size()), argv.data(), out, err);
    return {status, out.str(), err.str()};
}

// Each row's arguments are parsed first, so that a refusal that fails to come never runs the
// program: an accepted row gives describe(options), a refused one the message that the whole
// command prints, with the usage exit and nothing on standard output.
template <typename Options, typename Parse, typename Command, typename Describe>
void tool_expect_rows(const std::vector<std::pair<const char*, const char*>>& rows,
                      const char* name, Parse parse, Command command, Describe describe)
{
    for (const auto& [args, expected] : rows) {
        Options options;
        std::string error;
        const auto check = [&](int argc, const char* const* argv, std::ostream&, std::ostream&) {
            return parse(argc, argv, &options, &error) ? 0 : TOOL_EXIT_USAGE;
        };
        if (tool_run(check, name, args).status == 0) {
            EXPECT_EQ(describe(options), expected) << args;
            continue;
        }
        const ToolRun run = tool_run(command, name, args);
        EXPECT_EQ(run.status, TOOL_EXIT_USAGE) << args;
        EXPECT_EQ(run.err, std::string(name) + ": " + expected + " (see " + name + " --help)\n");
        EXPECT_EQ(run.out, "") << args;
    }
}

// A shell command line; its standard output in out (redirect stderr into it if wanted).
inline ToolRun tool_shell(const std::string& command)
{
    ToolRun run{-1, "", ""};
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

struct ToolRgb {
    uint8_t r, g, b;
    bool operator==(const ToolRgb&) const = default;
};

struct ToolImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<ToolRgb> pixels; // empty when the file is missing
    bool operator==(const ToolImage&) const = default;
};

inline ToolImage tool_read_png(const std::string& path)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    ToolImage image;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return image;
    png.format = PNG_FORMAT_RGB;
    image = {png.width, png.height, std::vector<ToolRgb>(size_t{png.width} * png.height)};
    png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr);
    return image;
}
