// The web build in headless Chromium: its frames, frame for frame, are the capture tool's, and
// the canvas shows them. Skipped where Chromium or the web build (build/web) is missing, unless
// LUMA_REQUIRE_BROWSER is set.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tests/tools/tool_run.h"
#include "tools/capture/capture.h"

namespace {

namespace fs = std::filesystem;

// The page runs a frame per turn of the browser, each turn at least 4 ms of virtual time; this is
// far more than any run here needs, and a hung page is ended by the time limit.
constexpr char BROWSER[] = "timeout 180 chromium --headless --no-sandbox --disable-gpu"
                           " --disable-background-networking --disable-component-update"
                           " --disable-sync --no-first-run --hide-scrollbars"
                           " --allow-file-access-from-files --window-size=700,640"
                           " --virtual-time-budget=3600000";
constexpr std::string_view REPORT_START = "<pre id=\"luma-report\">";

// The lines of text that start with prefix.
std::vector<std::string> lines_starting(const std::string& text, const std::string& prefix)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (line.rfind(prefix, 0) == 0)
            lines.push_back(line);
    }
    return lines;
}

class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string missing;
        if (tool_shell("command -v chromium").status != 0)
            missing = "chromium is not installed: scripts/install-deps --web";
        else if (!fs::exists(web / "index.html") || !fs::exists(web / "luma-showcase.wasm"))
            missing = "no web build in " + web.string() +
                      ": cmake --preset web && cmake --build --preset web";
        // CI, which installs and builds both, wants a failure rather than a skip.
        if (!missing.empty() && std::getenv("LUMA_REQUIRE_BROWSER"))
            FAIL() << missing;
        if (!missing.empty())
            GTEST_SKIP() << missing;
        fs::create_directories(directory / "profile");
    }

    void TearDown() override
    {
        fs::remove_all(directory);
    }

    // The page with the capture tool's options as its query (--frames 600 is frames=600; the
    // page is the program, so --program stays out), in a fresh profile: --dump-dom gives the
    // page's report (empty when none came), or --screenshot=FILE writes the window at the end.
    std::string browser(const std::string& page, const std::string& args, const std::string& mode)
    {
        std::istringstream words(args);
        std::string query;
        for (std::string name, value; words >> name >> value;) {
            if (name != "--program")
                query += (query.empty() ? "" : "&") + name.substr(2) + "=" + value;
        }
        fs::remove_all(directory / "profile");
        const std::string dom =
            tool_shell(std::string(BROWSER) +
                       " --user-data-dir=" + (directory / "profile").string() + " " + mode +
                       " 'file://" + (web / page).string() + "?" + query + "' 2>/dev/null")
                .out;
        const size_t start = dom.find(REPORT_START);
        if (start == std::string::npos)
            return "";
        const size_t begin = start + REPORT_START.size();
        return dom.substr(begin, dom.find("</pre>", begin) - begin);
    }

    // The page's frame checksums equal the capture tool's, line for line, and at the end its
    // canvas shows the last frame, 512 x 461 at zoom 1, exactly as the capture tool writes it
    // (a frame of many colours, so a blank or flat canvas differs).
    void expect_same_frames(const std::string& page, const std::string& args, uint32_t frames)
    {
        const ToolRun capture = tool_run(capture_command, "luma-capture",
                                         args + " --checksums --out=" + directory.string());
        const std::vector<std::string> expected = lines_starting(capture.out, "frame ");
        const std::string report = browser(page, args, "--dump-dom");
        EXPECT_EQ(lines_starting(report, "exit "), std::vector<std::string>{"exit 0"}) << report;
        const std::vector<std::string> actual = lines_starting(report, "frame ");
        ASSERT_EQ(expected.size(), frames);
        const auto first_differing =
            std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end()).first;
        ASSERT_TRUE(first_differing == expected.end() && actual.size() == frames)
            << "the first differing frame is " << first_differing - expected.begin() + 1
            << " of the " << actual.size() << " the page drew";

        const std::vector<std::string> canvas = lines_starting(report, "canvas ");
        uint32_t left = 0;
        uint32_t top = 0;
        uint32_t zoom = 0;
        ASSERT_TRUE(canvas.size() == 1 &&
                    std::sscanf(canvas[0].c_str(), "canvas 512x461 at %u,%u zoom %u", &left, &top,
                                &zoom) == 3 &&
                    zoom == 1)
            << report;
        const std::string screenshot = (directory / "page.png").string();
        browser(page, args, "--screenshot=" + screenshot);
        const ToolImage frame = tool_read_png(capture_frame_path(directory.string(), frames));
        const ToolImage window = tool_read_png(screenshot);
        ASSERT_EQ(std::pair(frame.width, frame.height), std::pair(512u, 461u));
        ASSERT_LT(std::count(frame.pixels.begin(), frame.pixels.end(), frame.pixels[0]), 512 * 461);
        ASSERT_TRUE(window.width >= left + frame.width && window.height >= top + frame.height);
        uint32_t differing = 0;
        for (uint32_t i = 0; i < frame.pixels.size(); ++i)
            differing += !(window.pixels[(top + i / 512) * window.width + left + i % 512] ==
                           frame.pixels[i]);
        EXPECT_EQ(differing, 0u) << "pixels of the screenshot differ from the captured frame";
    }

    const fs::path web = LUMA_WEB_BUILD_DIR;
    const fs::path directory = tool_scratch_directory();
};

TEST_F(BrowserTest, DemoFramesEqualTheCaptureToolsWithTheViewKeysHeld)
{
    expect_same_frames("index.html",
                       "--frames 600 --hold F1:10-40 --hold F3:200-260 --cursor 300,200@5", 600);
}

// A click held on the textured cube until it is destroyed, then each filter in turn.
TEST_F(BrowserTest, ShowcaseFramesEqualTheCaptureToolsThroughAClickAndEveryFilter)
{
    expect_same_frames("showcase.html",
                       "--program showcase --frames 130 --cursor 389,290@1 --hold LBUTTON:62-65 "
                       "--hold 0:80 --hold 1:85 --hold 2:90 --hold 3:95 --hold 4:100 --hold 5:105 "
                       "--hold 6:110 --hold 7:115 --hold 8:120",
                       130);
}

} // namespace
