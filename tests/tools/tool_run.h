// What the tests of the tools and programs share: a tool's whole command run in this process, a
// program run as built, and a PNG read back.
#pragma once

#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

// What both tools exit with when they refuse their arguments.
constexpr int TOOL_EXIT_USAGE = 2;

struct ToolRun {
    int status; // the exit code; -1 when the program was killed or never started
    std::string out;
    std::string err;
};

// command is a tool's entry (capture_command, soak_command); name goes first, as argv[0].
template <typename Command>
ToolRun tool_run(Command command, const char* name, std::vector<const char*> args)
{
    args.insert(args.begin(), name);
    std::ostringstream out;
    std::ostringstream err;
    const int status = command(static_cast<int>(args.size()), args.data(), out, err);
    return {status, out.str(), err.str()};
}

// A row of a command-line table: the arguments, and what they give.
using ToolRow = std::pair<std::vector<const char*>, const char*>;

// Each row is parsed first, so that a refusal that fails to come never runs the program: an
// accepted row gives describe(options), a refused one the message that the whole command prints,
// with the usage exit and nothing on standard output.
template <typename Options, typename Parse, typename Command, typename Describe>
void tool_expect_rows(const std::vector<ToolRow>& rows, const char* name, Parse parse,
                      Command command, Describe describe)
{
    for (const auto& [args, expected] : rows) {
        const std::string given = ::testing::PrintToString(args);
        std::vector<const char*> argv = args;
        argv.insert(argv.begin(), name);
        Options options;
        std::string error;
        if (parse(static_cast<int>(argv.size()), argv.data(), &options, &error)) {
            EXPECT_EQ(describe(options), expected) << given;
            continue;
        }
        const ToolRun run = tool_run(command, name, args);
        EXPECT_EQ(run.status, TOOL_EXIT_USAGE) << given;
        EXPECT_EQ(run.err, std::string(name) + ": " + expected + " (see " + name + " --help)\n");
        EXPECT_EQ(run.out, "") << given;
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
    std::vector<ToolRgb> pixels; // empty when the file is missing or no PNG
};

inline ToolImage tool_read_png(const std::string& path)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    ToolImage image;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return image;
    png.format = PNG_FORMAT_RGB;
    image.pixels.resize(static_cast<size_t>(png.width) * png.height);
    if (png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) {
        image.width = png.width;
        image.height = png.height;
    } else {
        image.pixels.clear();
    }
    return image;
}
