// The web build in headless Chromium: its frames, frame for frame, are the capture tool's, and
// the canvas shows them. Skipped where Chromium or the web build (build/web) is missing, unless
// LUMA_REQUIRE_BROWSER is set.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "showcase/showcase.h"
#include "tools/capture/capture.h"

namespace {

namespace fs = std::filesystem;

// The page runs a frame per turn of the browser, each turn at least 4 ms of virtual time; this is
// far more than any run here needs, and a hung page is ended by the time limit below.
constexpr int BROWSER_VIRTUAL_BUDGET_MS = 3'600'000;
constexpr int BROWSER_TIME_LIMIT_S = 180;
constexpr char BROWSER_WINDOW_SIZE[] = "700,640";
constexpr char REPORT_START[] = "<pre id=\"luma-report\">";

struct BrowserRun {
    std::string report; // the page's #luma-report text; empty when it never came
    std::string output;
};

fs::path web_build()
{
    return fs::path(LUMA_WEB_BUILD_DIR);
}

std::string chromium_path()
{
    const char* path = std::getenv("PATH");
    std::stringstream directories(path ? path : "");
    for (std::string directory; std::getline(directories, directory, ':');) {
        const fs::path candidate = fs::path(directory) / "chromium";
        if (!directory.empty() && ::access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    return {};
}

// Runs the page with the address's query in a fresh profile: --dump-dom reads the report,
// or --screenshot=FILE writes the window as it was at the end.
BrowserRun browser_run(const std::string& page, const std::string& query, const std::string& mode)
{
    char profile[] = "/tmp/luma-browser-XXXXXX";
    BrowserRun run;
    if (!::mkdtemp(profile))
        return run;
    const std::string command =
        "timeout " + std::to_string(BROWSER_TIME_LIMIT_S) + " '" + chromium_path() +
        "' --headless --no-sandbox --disable-gpu --disable-background-networking"
        " --disable-component-update --disable-sync --no-first-run --hide-scrollbars"
        " --allow-file-access-from-files --user-data-dir=" +
        profile + " --window-size=" + BROWSER_WINDOW_SIZE +
        " --virtual-time-budget=" + std::to_string(BROWSER_VIRTUAL_BUDGET_MS) + " " + mode +
        " 'file://" + (web_build() / page).string() + "?" + query + "' 2>/dev/null";
    if (FILE* browser = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, browser)) > 0;)
            run.output.append(buffer, n);
        ::pclose(browser);
    }
    fs::remove_all(profile);
    const size_t start = run.output.find(REPORT_START);
    const size_t end = run.output.find("</pre>", start);
    if (start != std::string::npos && end != std::string::npos)
        run.report = run.output.substr(start + sizeof REPORT_START - 1,
                                       end - start - (sizeof REPORT_START - 1));
    return run;
}

std::vector<std::string> lines_starting(const std::string& text, const std::string& prefix)
{
    std::vector<std::string> lines;
    std::stringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (line.rfind(prefix, 0) == 0)
            lines.push_back(line);
    }
    return lines;
}

// The capture tool's run of the same options: its output, with --checksums among them.
std::string capture_output(std::vector<const char*> args, const fs::path& out)
{
    args.insert(args.begin(), "luma-capture");
    const std::string out_option = "--out=" + out.string();
    args.push_back(out_option.c_str());
    CaptureOptions options;
    std::string error;
    if (!capture_parse_args(static_cast<int>(args.size()), args.data(), &options, &error))
        return "bad options: " + error;
    std::ostringstream output;
    std::ostringstream errors;
    capture_run(options, output, errors);
    return output.str() + errors.str();
}

// The page's query for the capture tool's options: --frames 600 becomes frames=600. The page
// is the program, so --program stays out.
std::string query_from(const std::vector<const char*>& args)
{
    std::string query;
    for (size_t i = 0; i + 1 < args.size(); i += 2) {
        if (std::string(args[i]) != "--program")
            query += (query.empty() ? "" : "&") + std::string(args[i] + 2) + "=" + args[i + 1];
    }
    return query;
}

class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string missing;
        if (chromium_path().empty())
            missing = "chromium is not installed: scripts/install-deps --web";
        else if (!fs::exists(web_build() / "index.html") ||
                 !fs::exists(web_build() / "luma-showcase.wasm"))
            missing = "no web build in " + web_build().string() +
                      ": cmake --preset web && cmake --build --preset web";
        // CI, which installs and builds both, wants a failure rather than a skip.
        if (!missing.empty() && std::getenv("LUMA_REQUIRE_BROWSER"))
            FAIL() << missing;
        if (!missing.empty())
            GTEST_SKIP() << missing;
        directory = fs::temp_directory_path() /
                    ("luma-browser-test-" + std::to_string(::getpid()) + "-" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(directory);
        fs::create_directories(directory);
    }

    void TearDown() override
    {
        fs::remove_all(directory);
    }

    // The page's frame checksums equal the capture tool's, line for line.
    void expect_same_frames(const std::string& page, const std::vector<const char*>& args,
                            uint32_t frames)
    {
        std::vector<const char*> capture_args = args;
        capture_args.push_back("--checksums");
        capture_args.push_back("--save=1");
        const std::vector<std::string> expected =
            lines_starting(capture_output(capture_args, directory), "frame ");
        const BrowserRun run = browser_run(page, query_from(args), "--dump-dom");
        ASSERT_FALSE(run.report.empty()) << "the page gave no report:\n" << run.output;
        EXPECT_EQ(lines_starting(run.report, "exit ").at(0), "exit 0") << run.report;
        const std::vector<std::string> actual = lines_starting(run.report, "frame ");
        ASSERT_EQ(expected.size(), frames);
        for (size_t i = 0; i < expected.size(); ++i) {
            ASSERT_LT(i, actual.size()) << "the page stopped after " << i << " frames";
            ASSERT_EQ(actual[i], expected[i]) << "the first differing frame is " << i + 1;
        }
        EXPECT_EQ(actual.size(), expected.size());
    }

    fs::path directory;
};

TEST_F(BrowserTest, DemoFramesEqualTheCaptureToolsWithTheViewKeysHeld)
{
    expect_same_frames(
        "index.html",
        {"--frames", "600", "--hold", "F1:10-40", "--hold", "F3:200-260", "--cursor", "300,200@5"},
        600);
}

// A click held on the textured cube until it is destroyed, then each filter in turn.
TEST_F(BrowserTest, ShowcaseFramesEqualTheCaptureToolsThroughAClickAndEveryFilter)
{
    expect_same_frames(
        "showcase.html",
        {"--program",     "showcase", "--frames",  "130",       "--cursor", "389,290@1", "--hold",
         "LBUTTON:62-65", "--hold",   "0:80-80",   "--hold",    "1:85-85",  "--hold",    "2:90-90",
         "--hold",        "3:95-95",  "--hold",    "4:100-100", "--hold",   "5:105-105", "--hold",
         "6:110-110",     "--hold",   "7:115-115", "--hold",    "8:120-120"},
        130);
}

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

std::vector<Rgb> read_png(const fs::path& path, uint32_t* width, uint32_t* height)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    std::vector<Rgb> pixels;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return pixels;
    png.format = PNG_FORMAT_RGB;
    *width = png.width;
    *height = png.height;
    pixels.resize(static_cast<size_t>(png.width) * png.height);
    png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr);
    return pixels;
}

// The first frames on the canvas: 512 x 461, not one flat colour, and on the screen exactly the
// capture tool's picture of the same frame, pixel for pixel at zoom 1.
TEST_F(BrowserTest, TheCanvasShowsTheFirstFramesAsTheCaptureToolWritesThem)
{
    constexpr uint32_t FRAMES = 3;
    const std::string query = "frames=" + std::to_string(FRAMES);
    const BrowserRun run = browser_run("index.html", query, "--dump-dom");
    const std::vector<std::string> canvas = lines_starting(run.report, "canvas ");
    ASSERT_EQ(canvas.size(), 1u) << run.output;
    int left = 0;
    int top = 0;
    int zoom = 0;
    ASSERT_EQ(std::sscanf(canvas[0].c_str(), "canvas 512x461 at %d,%d zoom %d", &left, &top, &zoom),
              3)
        << canvas[0];
    ASSERT_EQ(zoom, 1);
    const std::vector<std::string> shown = lines_starting(run.report, "shown colours ");
    ASSERT_EQ(shown.size(), 1u) << run.report;
    EXPECT_GT(std::stoi(shown[0].substr(14)), 1) << "the shown frame is one flat colour";

    const fs::path screenshot = directory / "page.png";
    browser_run("index.html", query, "--screenshot=" + screenshot.string());
    capture_output({"--frames", "3"}, directory);
    uint32_t frame_width = 0;
    uint32_t frame_height = 0;
    const std::vector<Rgb> frame =
        read_png(directory / "frame-00003.png", &frame_width, &frame_height);
    uint32_t width = 0;
    uint32_t height = 0;
    const std::vector<Rgb> page = read_png(screenshot, &width, &height);
    ASSERT_EQ(frame_width, 512u);
    ASSERT_EQ(frame_height, 461u);
    ASSERT_GE(width, left + frame_width);
    ASSERT_GE(height, top + frame_height);
    uint32_t differing = 0;
    for (uint32_t y = 0; y < frame_height; ++y) {
        for (uint32_t x = 0; x < frame_width; ++x)
            differing += !(page[(top + y) * width + left + x] == frame[y * frame_width + x]);
    }
    EXPECT_EQ(differing, 0u) << "pixels of the screenshot differ from the captured frame";
}

} // namespace
