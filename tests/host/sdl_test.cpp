// The SDL programs from outside: their command line and their messages when no window can open,
// run as built; and the zoom's fit and its mapping of window points back to client pixels.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <tuple>

#include "app/app.h"
#include "host/sdl/sdl_zoom.h"
#include "tests/tools/tool_run.h"

namespace {

TEST(SdlProgramTest, CommandLineAndNoWindowMessages)
{
    struct Case {
        const char* program;
        const char* arguments;
        const char* display; // empty: no display of any kind
        int status;
        const char* says;
    };
    const Case cases[] = {
        {LUMA_STAGE_PROGRAM, "--help", "", 0, "Usage: luma-stage [--zoom N] [--help]"},
        {LUMA_SHOWCASE_PROGRAM, "--help", "", 0, "R               brings every object back"},
        {LUMA_STAGE_PROGRAM, "--bogus", "", 2, "unknown argument '--bogus'\n\nluma-stage: the"},
        {LUMA_STAGE_PROGRAM, "--zoom 9", "", 2, "--zoom takes a whole number from 1 to 8, not '9'"},
        {LUMA_SHOWCASE_PROGRAM, "--zoom=2x", "", 2, "not '2x'"},
        {LUMA_STAGE_PROGRAM, "", "", APP_EXIT_NO_WINDOW,
         "luma-stage: there is no display to open a window on (DISPLAY and WAYLAND_DISPLAY are "
         "unset)."},
        {LUMA_SHOWCASE_PROGRAM, "--zoom 2", "", APP_EXIT_NO_WINDOW,
         "luma-capture --program showcase --frames 300"},
        {LUMA_STAGE_PROGRAM, "", ":4093.0", APP_EXIT_NO_WINDOW,
         "luma-stage: the X display named in DISPLAY (:4093.0) could not be opened: "},
    };
    for (const Case& c : cases) {
        // None of these runs opens a window; the timeout stops one that did (a display that
        // answered) instead of hanging.
        const ToolRun run =
            tool_shell("timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY -u "
                       "SDL_VIDEODRIVER " +
                       (*c.display ? "DISPLAY=" + std::string(c.display) + " " : "") + c.program +
                       " " + c.arguments + " 2>&1");
        const std::string what = std::string(c.program) + " " + c.arguments + "\n" + run.out;
        EXPECT_EQ(run.status, c.status) << what;
        EXPECT_NE(run.out.find(c.says), std::string::npos) << what;
        // Nothing but the one paragraph: no class-registration box, no SDL noise.
        EXPECT_EQ(run.out.find("Error:"), std::string::npos) << what;
        EXPECT_EQ(run.out.find("XDG_RUNTIME_DIR"), std::string::npos) << what;
    }
}

TEST(SdlZoomTest, FitsTheLargestWholeScaleAndMapsPointsBack)
{
    // The 512 x 462 client area: twice fits in 1024 x 924 exactly; a window one pixel narrower
    // is back to once, centred; a window smaller than the client shows it from the top left.
    const std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t> fits[] = {
        {512, 462, 1, 0, 0},      {1024, 924, 2, 0, 0}, {1280, 1000, 2, 128, 38},
        {1023, 924, 1, 255, 231}, {300, 200, 1, 0, 0},  {4000, 1386, 3, 1232, 0},
    };
    for (const auto& [width, height, scale, x, y] : fits) {
        const SdlZoom zoom = sdl_zoom_fit(width, height, 512, 462);
        EXPECT_EQ(std::tuple(zoom.scale, zoom.offset_x, zoom.offset_y), std::tuple(scale, x, y))
            << width << "x" << height;
    }

    constexpr int32_t MIN = std::numeric_limits<int32_t>::min();
    constexpr int32_t MAX = std::numeric_limits<int32_t>::max();
    // Each client pixel covers scale window pixels from the offset on; left of the picture the
    // pixels continue below 0, and the far ends of the range clamp.
    const std::tuple<int32_t, int32_t, int32_t, int32_t> points[] = {
        {0, 0, 1, 0},       {1023, 0, 2, 511},  {1024, 0, 2, 512},        {129, 128, 2, 0},
        {128, 128, 2, 0},   {127, 128, 2, -1},  {126, 128, 2, -1},        {125, 128, 2, -2},
        {MIN, MAX, 1, MIN}, {MAX, MIN, 1, MAX}, {MIN, 0, 3, MIN / 3 - 1},
    };
    for (const auto& [window, offset, scale, client] : points)
        EXPECT_EQ(sdl_zoom_to_client(window, offset, scale), client)
            << window << " at offset " << offset << ", scale " << scale;
}

} // namespace
