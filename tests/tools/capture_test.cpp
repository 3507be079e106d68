// The capture tool: its command line, its PNG files and whole headless runs.
#include "tools/capture/capture.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <sstream>
#include <tuple>

#include "app/input.h"
#include "app/shell.h"
#include "host/emulated/emulated.h"
#include "host/headless/headless.h"
#include "platform/mem.h"
#include "showcase/showcase.h"
#include "tests/tools/tool_run.h"
#include "tools/capture/checksum.h"
#include "tools/capture/png_writer.h"

namespace {

namespace fs = std::filesystem;

// The parsed options in one line; keys as their virtual-key codes (F1 112, R 82, the digits their
// characters), the left and right buttons as -1 and -2.
std::string capture_describe(const CaptureOptions& o)
{
    std::ostringstream s;
    s << (o.program == &APP_SHOWCASE ? "showcase" : "demo") << " frames " << o.frames << " save";
    for (const CaptureRange& r : o.save)
        s << ' ' << r.first << '-' << r.last;
    s << " hold";
    for (const CaptureHold& h : o.holds)
        s << ' ' << static_cast<int>(h.input) << ':' << h.frames.first << '-' << h.frames.last;
    s << " cursor";
    for (const CaptureCursor& c : o.cursors)
        s << ' ' << c.x << ',' << c.y << '@' << c.frame;
    s << " size " << o.width << 'x' << o.height << " out " << o.out;
    s << (o.checksums ? " checksums" : "") << (o.help ? " help" : "");
    return s.str();
}

// The showcase, keeping the buttons that any of its frames saw held.
uint32_t buttons_seen = 0;
const AppProgram RECORDED = {"recorded", [] { return APP_SHOWCASE.init(); },
                             [] {
                                 int32_t x = 0;
                                 int32_t y = 0;
                                 buttons_seen |= input_get_mouse(&x, &y);
                                 APP_SHOWCASE.step();
                             }};

class CaptureTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        fs::remove_all(directory);
        mem_fail_call(0);
    }

    // The whole tool, writing into the test's own directory.
    ToolRun capture(const std::string& args) const
    {
        return tool_run(capture_command, "luma-capture", args + " --out=" + directory.string());
    }

    const fs::path directory = tool_scratch_directory();
};

TEST_F(CaptureTest, CommandLineTable)
{
    // An accepted row gives the parsed options, a refused one the message.
    // clang-format off
    const std::vector<std::pair<const char*, const char*>> rows = {
        {"", "demo frames 1 save hold cursor size 512x462 out capture"},
        {"--frames 120 --save 1,61,100-110 --out=shots --hold F1:2-30 --hold LBUTTON:5-6 "
         "--cursor -3,40@7 --size 320x240 --checksums",
         "demo frames 120 save 1-1 61-61 100-110 hold 112:2-30 -1:5-6 cursor -3,40@7 size 320x240 "
         "out shots checksums"},
        {"--frames=5 --save 5-5 --hold F1:3-3 --hold R:5 --hold 3:1",
         "demo frames 5 save 5-5 hold 112:3-3 82:5-5 51:1-1 cursor size 512x462 out capture"},
        {"--save 2 --frames 2 --cursor=-32768,32767@2 --hold RBUTTON:1-2",
         "demo frames 2 save 2-2 hold -2:1-2 cursor -32768,32767@2 size 512x462 out capture"},
        {"--out=--odd --size 4096x2 --program showcase --frames 100000000",
         "showcase frames 100000000 save hold cursor size 4096x2 out --odd"},
        {"--help", "demo frames 1 save hold cursor size 512x462 out capture help"},
        {"--bogus=1", "unknown option --bogus"},
        {"-f 1", "unexpected argument \"-f\": options start with --"},
        {"--frames", "--frames needs a value"},
        {"--out --frames 3", "--out needs a value, not the option --frames"},
        {"--checksums=yes", "--checksums takes no value"},
        {"--frames 0", "--frames 0: wants a frame count from 1 to 100000000"},
        {"--frames 12x", "--frames 12x: wants a frame count from 1 to 100000000"},
        {"--frames 100000001", "--frames 100000001: wants a frame count from 1 to 100000000"},
        {"--frames 9 --save 5-3", "--save 5-3: the range 5-3 ends before it starts"},
        {"--save 1,,2", "--save 1,,2: an empty item is not a frame N or a range FIRST-LAST"},
        {"--save 0", "--save 0: frames count from 1, not 0"},
        {"--frames 10 --save 11", "--save 11: frame 11 is past --frames 10"},
        {"--save 4294967296",
         "--save 4294967296: 4294967296 is not a frame N or a range FIRST-LAST"},
        {"--frames 9 --hold F1:5-2", "--hold F1:5-2: the range 5-2 ends before it starts"},
        {"--hold F1:0-3", "--hold F1:0-3: frames count from 1, not 0"},
        {"--hold F1:1-2 --frames 1", "--hold F1:1-2: frame 2 is past --frames 1"},
        {"--hold RBUTTON:3-", "--hold RBUTTON:3-: 3- is not a frame N or a range FIRST-LAST"},
        {"--hold F4:1-2",
         "--hold F4:1-2: unknown key F4; the keys are F1, F2, F3, 0 to 9, R, LBUTTON or RBUTTON"},
        {"--hold F1", "--hold F1: wants KEY:FIRST-LAST or KEY:FRAME"},
        {"--cursor 1@2,3", "--cursor 1@2,3: wants X,Y@FRAME, such as 100,80@1"},
        {"--cursor 2147483647,0@1",
         "--cursor 2147483647,0@1: X and Y are whole numbers from -32768 to 32767"},
        {"--cursor 0,-32769@1",
         "--cursor 0,-32769@1: X and Y are whole numbers from -32768 to 32767"},
        {"--cursor 1,2@3 --frames 2", "--cursor 1,2@3: frame 3 is past --frames 2"},
        {"--cursor 1,2@1-2", "--cursor 1,2@1-2: the cursor moves at one frame, not a range"},
        {"--size 1x1", "--size 1x1: each side is a whole number from 2 to 4096"},
        {"--size 2x4097", "--size 2x4097: each side is a whole number from 2 to 4096"},
        {"--size 512", "--size 512: wants WxH, such as 512x462"},
        {"--out=", "--out \"\": wants a directory"},
        {"--program both", "--program both: wants demo or showcase"},
    };
    // clang-format on
    tool_expect_rows<CaptureOptions>(rows, "luma-capture", capture_parse_args, capture_command,
                                     capture_describe);
    // Help, wherever it comes, once what precedes it reads.
    for (const char* args : {"--help", "--frames 0 -h --bogus"}) {
        const ToolRun run = tool_run(capture_command, "luma-capture", args);
        EXPECT_EQ(std::tie(run.status, run.out, run.err),
                  std::tie(CAPTURE_EXIT_OK, CAPTURE_USAGE, ""));
    }
}

TEST_F(CaptureTest, PngWidensFiveBitChannelsAndReplacesAFileOnlyWhole)
{
    // Rows are four pixels apart; the fourth column is padding and must not be written.
    const uint16_t pixels[] = {0x7FFF,   0,       1 << 10 | 1 << 5 | 1, 0x1234,
                               31 << 10, 16 << 5, 0x8000 | 31,          0x1234};
    fs::create_directories(directory);
    const std::string path = (directory / "widen.png").string();
    std::string error;
    ASSERT_TRUE(png_write_rgb555(path, pixels, 4, 3, 2, &error)) << error;
    // (c << 3) | (c >> 2): 31 -> 255, 16 -> 132, 1 -> 8; bit 15 is not shown.
    const ToolImage widened = {
        3, 2, {{255, 255, 255}, {0, 0, 0}, {8, 8, 8}, {255, 0, 0}, {0, 132, 0}, {0, 0, 255}}};
    EXPECT_EQ(tool_read_png(path), widened);
    EXPECT_FALSE(png_write_rgb555((directory / "no" / "x.png").string(), pixels, 4, 3, 2, &error));
    EXPECT_NE(error.find("no/x.png"), std::string::npos) << error;

    // A disk that fills up while the next frame goes to the same name (a file size limit of 1 KiB
    // stands in for it; noise does not compress below that): the old file stays whole, the
    // temporary one goes, and the message says why.
    std::vector<uint16_t> noise(64 * 64);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<uint16_t>((i * 2654435761u) >> 17);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit small = {1024, saved.rlim_max};
    const auto saved_signal = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = png_write_rgb555(path, noise.data(), 64, 64, 64, &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, saved_signal);
    EXPECT_FALSE(written);
    EXPECT_NE(error.find("widen.png"), std::string::npos) << error;
    EXPECT_EQ(tool_read_png(path), widened);
    EXPECT_EQ(std::distance(fs::directory_iterator(directory), fs::directory_iterator()), 1);
}

TEST_F(CaptureTest, SavesTheChosenFramesAndPrintsEachFramesChecksum)
{
    // The bytes of "foobar", two to a pixel, low byte first: FNV-1a 64 of "foobar" is the
    // published test vector 0x85944171f73967e8, in one row or in three rows with padding.
    const uint16_t foobar[] = {0x6F66, 0x626F, 0x7261, 0x6F66, 0xFFFF, 0x626F, 0xFFFF, 0x7261};
    EXPECT_EQ(std::pair(capture_checksum(foobar, 3, 3, 1), capture_checksum(foobar + 3, 2, 1, 3)),
              std::pair(0x85944171f73967e8u, 0x85944171f73967e8u));

    // A 65 x 48 client: the surface keeps an even width and a guard row, so the frames are
    // 64 x 47, and in the demo's first frame every star is on its centre (32, 23), white, the
    // texts still black.
    const ToolRun run = capture("--frames 3 --save 1,3 --size 65x48 --checksums");
    ASSERT_EQ(run.status, CAPTURE_EXIT_OK) << run.err;
    EXPECT_EQ(capture_frame_path(directory.string(), 3), (directory / "frame-00003.png").string());
    EXPECT_TRUE(fs::exists(capture_frame_path(directory.string(), 3)));
    EXPECT_FALSE(fs::exists(capture_frame_path(directory.string(), 2)));
    ToolImage first = {64, 47, std::vector<ToolRgb>(64 * 47)};
    first.pixels[23 * 64 + 32] = {255, 255, 255};
    EXPECT_EQ(tool_read_png(capture_frame_path(directory.string(), 1)), first);
    // One line a frame, then what was written: the last is the screen's client area as
    // presented, bit 15, which no PNG keeps, included.
    char last[32];
    std::snprintf(
        last, sizeof last, "frame 00003 %016llx\n",
        static_cast<unsigned long long>(capture_checksum(headless_screen().data(), 65, 64, 47)));
    EXPECT_EQ(run.out.substr(0, 12) + run.out.substr(28, 13), "frame 00001 \nframe 00002 ");
    EXPECT_EQ(run.out.substr(58), last + ("wrote 2 frames to " + directory.string() + "\n"));
}

TEST_F(CaptureTest, HeldButtonAndCursorAtTheHostsExtremesReachTheProgram)
{
    // The headless host adds its client origin (100, 60) to the cursor for the screen point and
    // the pick takes it off again: both wrap, so the extremes overflow nothing and come back. A
    // hold from frame 2 on reaches the program as a button-down message before that frame.
    CaptureOptions options;
    options.program = &RECORDED;
    options.frames = 3;
    options.cursors = {{INT32_MAX, INT32_MIN, 1}, {INT32_MIN, INT32_MAX, 2}};
    options.holds = {{CaptureInput::LeftButton, {2, 3}}};
    options.out = directory.string();
    std::ostringstream out;
    EXPECT_EQ(capture_run(options, out, out), CAPTURE_EXIT_OK) << out.str();
    int32_t x = app_shell().last_point_x;
    int32_t y = app_shell().last_point_y;
    host_screen_to_client(emu_state().window.get(), &x, &y);
    EXPECT_EQ(std::tuple(x, y, buttons_seen), std::tuple(INT32_MIN, INT32_MAX, INPUT_BUTTON_LEFT));
}

TEST_F(CaptureTest, FailedStartupIsReportedWithItsErrorBox)
{
    mem_fail_call(1);
    const ToolRun run = capture("--frames 2");
    EXPECT_EQ(run.status, CAPTURE_EXIT_FAILED);
    for (const char* says :
         {"Error: ", "byteの領域の確保に失敗しました。", "quit after 0 of 2 frames"})
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
}

} // namespace
