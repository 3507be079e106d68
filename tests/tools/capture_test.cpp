// The capture tool: its command line, its PNG files and a whole headless run.
#include "tools/capture/capture.h"

#include <gtest/gtest.h>
#include <png.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <sstream>
#include <tuple>
#include <utility>
#include <vector>

#include "app/shell.h"
#include "host/emulated/emulated.h"
#include "host/headless/headless.h"
#include "platform/mem.h"
#include "showcase/showcase.h"
#include "tools/capture/checksum.h"
#include "tools/capture/png_writer.h"

namespace {

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

struct Image {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<Rgb> pixels;
};

Image read_png(const std::string& path)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    Image image;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return image;
    png.format = PNG_FORMAT_RGB;
    image.width = png.width;
    image.height = png.height;
    image.pixels.resize(static_cast<size_t>(png.width) * png.height);
    png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr);
    return image;
}

bool parse(std::vector<const char*> args, CaptureOptions* options, std::string* error)
{
    args.insert(args.begin(), "luma-capture");
    return capture_parse_args(static_cast<int>(args.size()), args.data(), options, error);
}

class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        directory = std::filesystem::temp_directory_path() /
                    ("luma-capture-test-" +
                     std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(directory);
    }

    void TearDown() override
    {
        std::filesystem::remove_all(directory);
        mem_fail_call(0);
    }

    std::filesystem::path directory;
};

TEST_F(CaptureTest, ParsesEveryOption)
{
    CaptureOptions options;
    std::string error;
    ASSERT_TRUE(
        parse({"--frames", "120", "--save", "1,61,100-110", "--out=shots", "--hold", "F1:2-30",
               "--hold", "LBUTTON:5-6", "--cursor", "-3,40@7", "--size", "320x240", "--checksums"},
              &options, &error))
        << error;
    const auto range = [](const CaptureRange& r) { return std::pair(r.first, r.last); };
    ASSERT_EQ(options.save.size(), 3u);
    EXPECT_EQ(
        std::tuple(options.frames, range(options.save[1]), range(options.save[2]), options.out),
        std::tuple(120u, std::pair(61u, 61u), std::pair(100u, 110u), "shots"));
    ASSERT_EQ(options.holds.size(), 2u);
    EXPECT_EQ(
        std::tuple(options.holds[0].input, range(options.holds[0].frames), options.holds[1].input),
        std::tuple(CaptureInput::F1, std::pair(2u, 30u), CaptureInput::LeftButton));
    ASSERT_EQ(options.cursors.size(), 1u);
    EXPECT_EQ(std::tuple(options.cursors[0].x, options.cursors[0].y, options.cursors[0].frame),
              std::tuple(-3, 40, 7u));
    EXPECT_EQ(std::tuple(options.width, options.height, options.checksums, options.help),
              std::tuple(320, 240, true, false));

    CaptureOptions defaults;
    ASSERT_TRUE(parse({}, &defaults, &error));
    EXPECT_EQ(std::tuple(defaults.frames, defaults.width, defaults.height, defaults.save.empty(),
                         defaults.checksums),
              std::tuple(1u, 512, 462, true, false));

    CaptureOptions help;
    ASSERT_TRUE(parse({"--frames", "3", "--help"}, &help, &error));
    EXPECT_TRUE(help.help);
}

TEST_F(CaptureTest, CommandLineTable)
{
    struct Row {
        std::vector<const char*> args;
        const char* refusal; // null: accepted
    };
    const std::vector<Row> rows = {
        {{"--frames=5", "--save", "5-5", "--hold", "F1:3-3", "--hold", "R:5"}, nullptr},
        {{"--save", "2", "--frames", "2", "--cursor=-32768,32767@2"}, nullptr},
        {{"--out=--odd", "--size", "4096x2", "--program", "showcase", "--checksums"}, nullptr},
        {{"--bogus"}, "unknown option --bogus"},
        {{"--bogus=1"}, "unknown option --bogus"},
        {{"stray"}, "unexpected argument \"stray\": options start with --"},
        {{"-f", "1"}, "unexpected argument \"-f\": options start with --"},
        {{"--frames"}, "--frames needs a value"},
        {{"--out", "--frames", "3"}, "--out needs a value, not the option --frames"},
        {{"--checksums=yes"}, "--checksums takes no value"},
        {{"--frames", "0"}, "--frames 0: wants a frame count from 1 to 100000000"},
        {{"--frames", "12x"}, "--frames 12x: wants a frame count from 1 to 100000000"},
        {{"--frames", "100000001"}, "--frames 100000001: wants a frame count from 1 to 100000000"},
        {{"--frames", "9", "--save", "5-3"}, "--save 5-3: the range 5-3 ends before it starts"},
        {{"--save", "1,,2"}, "--save 1,,2: an empty item is not a frame N or a range FIRST-LAST"},
        {{"--save", "0"}, "--save 0: frames count from 1, not 0"},
        {{"--frames", "10", "--save", "11"}, "--save 11: frame 11 is past --frames 10"},
        {{"--save", "4294967296"},
         "--save 4294967296: 4294967296 is not a frame N or a range "
         "FIRST-LAST"},
        {{"--frames", "9", "--hold", "F1:5-2"},
         "--hold F1:5-2: the range 5-2 ends before it starts"},
        {{"--hold", "F1:0-3"}, "--hold F1:0-3: frames count from 1, not 0"},
        {{"--hold", "F1:1-2", "--frames", "1"}, "--hold F1:1-2: frame 2 is past --frames 1"},
        {{"--hold", "RBUTTON:3-"}, "--hold RBUTTON:3-: 3- is not a frame N or a range FIRST-LAST"},
        {{"--hold", "F4:1-2"},
         "--hold F4:1-2: unknown key F4; the keys are F1, F2, F3, 0 to 9, R, "
         "LBUTTON or RBUTTON"},
        {{"--hold", "F1"}, "--hold F1: wants KEY:FIRST-LAST or KEY:FRAME"},
        {{"--cursor", "1,2"}, "--cursor 1,2: wants X,Y@FRAME, such as 100,80@1"},
        {{"--cursor", "1@2,3"}, "--cursor 1@2,3: wants X,Y@FRAME, such as 100,80@1"},
        {{"--cursor", "2147483647,0@1"},
         "--cursor 2147483647,0@1: X and Y are whole numbers from -32768 to 32767"},
        {{"--cursor", "0,-32769@1"},
         "--cursor 0,-32769@1: X and Y are whole numbers from -32768 "
         "to 32767"},
        {{"--cursor", "1,2@3", "--frames", "2"}, "--cursor 1,2@3: frame 3 is past --frames 2"},
        {{"--cursor", "1,2@1-2"}, "--cursor 1,2@1-2: the cursor moves at one frame, not a range"},
        {{"--size", "1x1"}, "--size 1x1: each side is a whole number from 2 to 4096"},
        {{"--size", "5000x10"}, "--size 5000x10: each side is a whole number from 2 to 4096"},
        {{"--size", "512"}, "--size 512: wants WxH, such as 512x462"},
        {{"--size", "9x9x9"}, "--size 9x9x9: each side is a whole number from 2 to 4096"},
        {{"--out="}, "--out \"\": wants a directory"},
        {{"--program", "both"}, "--program both: wants demo or showcase"},
    };
    for (const Row& row : rows) {
        std::vector<const char*> args = row.args;
        args.insert(args.begin(), "luma-capture");
        const int argc = static_cast<int>(args.size());
        const std::string given = ::testing::PrintToString(row.args);
        // Parsed first, so that a refusal that fails to come never runs the program.
        CaptureOptions options;
        std::string error;
        const bool accepted = capture_parse_args(argc, args.data(), &options, &error);
        ASSERT_EQ(accepted, !row.refusal) << given << error;
        if (accepted)
            continue;
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(capture_command(argc, args.data(), out, err), CAPTURE_EXIT_USAGE) << given;
        EXPECT_EQ(err.str(),
                  "luma-capture: " + std::string(row.refusal) + " (see luma-capture --help)\n");
        EXPECT_EQ(out.str(), "") << given;
    }
    // Help, wherever it comes, once what precedes it reads.
    for (const std::vector<const char*>& args : std::vector<std::vector<const char*>>{
             {"luma-capture", "--help"}, {"luma-capture", "--frames", "0", "-h", "--bogus"}}) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(capture_command(static_cast<int>(args.size()), args.data(), out, err),
                  CAPTURE_EXIT_OK);
        EXPECT_EQ(out.str(), CAPTURE_USAGE);
        EXPECT_EQ(err.str(), "");
    }
}

TEST_F(CaptureTest, PngWidensFiveBitChannels)
{
    // Rows are four pixels apart; the fourth column is padding and must not be written.
    const uint16_t pixels[] = {
        0x7FFF, 0x0000, (1 << 10) | (1 << 5) | 1, 0x1234, 31 << 10, 16 << 5, 0x8000 | 31, 0x1234,
    };
    std::filesystem::create_directories(directory);
    const std::string path = (directory / "widen.png").string();
    std::string error;
    ASSERT_TRUE(png_write_rgb555(path, pixels, 4, 3, 2, &error)) << error;
    const Image image = read_png(path);
    ASSERT_EQ(image.width, 3u);
    ASSERT_EQ(image.height, 2u);
    // (c << 3) | (c >> 2): 31 -> 255, 16 -> 132, 1 -> 8; bit 15 is not shown.
    const std::vector<Rgb> expected = {{255, 255, 255}, {0, 0, 0},   {8, 8, 8},
                                       {255, 0, 0},     {0, 132, 0}, {0, 0, 255}};
    EXPECT_EQ(image.pixels, expected);

    EXPECT_FALSE(
        png_write_rgb555((directory / "missing" / "x.png").string(), pixels, 4, 3, 2, &error));
    EXPECT_NE(error.find("missing"), std::string::npos);

    // A disk that fills up while the next frame goes to the same name (a file size limit of 1 KiB
    // stands in for it; noise does not compress below that): the old file stays whole, the
    // temporary one goes, and the message says why.
    std::vector<uint16_t> noise(64 * 64);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<uint16_t>((i * 2654435761u) >> 17);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 1024;
    const auto saved_signal = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = png_write_rgb555(path, noise.data(), 64, 64, 64, &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, saved_signal);
    EXPECT_FALSE(written);
    EXPECT_NE(error.find("widen.png"), std::string::npos) << error;
    EXPECT_EQ(read_png(path).pixels, expected);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"widen.png"});
}

TEST_F(CaptureTest, WritesChosenFramesOfThePresentedArea)
{
    CaptureOptions options;
    options.frames = 3;
    options.save = {{1, 1}, {3, 3}};
    options.out = directory.string();
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(capture_run(options, out, err), CAPTURE_EXIT_OK) << err.str();
    EXPECT_NE(out.str().find("wrote 2 frames"), std::string::npos) << out.str();

    EXPECT_EQ(capture_frame_path(options.out, 3), (directory / "frame-00003.png").string());
    EXPECT_FALSE(std::filesystem::exists(capture_frame_path(options.out, 2)));
    // The introduction fades in from nothing: in frame 1 its tint is 1 in each channel, which
    // the additive effect masks away, so the frame stays black; by frame 3 the tint is 3 and
    // glyphs show as 2 in each channel of theirs that is 31 (3 without its lowest bit), widened
    // to 16: white and cyan.
    const auto faded = [](Rgb p) { return p == Rgb{16, 16, 16} || p == Rgb{0, 16, 16}; };
    // The point field's stars are single white pixels, in frame 1 all 50 on the centre; under
    // the window the additive effect drops each channel's lowest bit first: 30, widened to 247.
    const Rgb white{255, 255, 255};
    const auto star = [&](Rgb p, size_t row) {
        return p == white || (p == Rgb{247, 247, 247} && row >= 50 && row < 114);
    };
    for (const uint32_t frame : {1u, 3u}) {
        const Image image = read_png(capture_frame_path(options.out, frame));
        EXPECT_EQ(image.width, 512u);
        EXPECT_EQ(image.height, 461u);
        ASSERT_EQ(image.pixels.size(), 512u * 461u);
        long glyph_pixels = 0;
        long star_pixels = 0;
        for (size_t i = 0; i < image.pixels.size(); ++i) {
            const size_t row = i / 512;
            if (faded(image.pixels[i]) && row >= 50 && row < 114)
                ++glyph_pixels;
            else if (star(image.pixels[i], row))
                ++star_pixels;
            else
                ASSERT_EQ(image.pixels[i], (Rgb{0, 0, 0})) << "frame " << frame << " pixel " << i;
        }
        if (frame == 1) {
            EXPECT_EQ(glyph_pixels, 0);
            EXPECT_EQ(star_pixels, 1);
            EXPECT_EQ(image.pixels[230 * 512 + 256], white);
        } else {
            EXPECT_GT(glyph_pixels, 500);
            EXPECT_GT(star_pixels, 1);
        }
    }
}

TEST_F(CaptureTest, ChecksumsAreFnv1aOfEachPresentedFrameAndTheLastFrameIsSaved)
{
    // The bytes of "foobar", two to a pixel, low byte first: FNV-1a 64 of "foobar" is the
    // published test vector 0x85944171f73967e8, in one row or in three rows with padding.
    const uint16_t row[] = {0x6F66, 0x626F, 0x7261};
    EXPECT_EQ(capture_checksum(row, 3, 3, 1), 0x85944171f73967e8u);
    const uint16_t column[] = {0x6F66, 0xFFFF, 0x626F, 0xFFFF, 0x7261};
    EXPECT_EQ(capture_checksum(column, 2, 1, 3), 0x85944171f73967e8u);

    // A 65 x 48 client: the frames are 64 x 47, and with no --save only the last is written.
    CaptureOptions options;
    options.frames = 3;
    options.checksums = true;
    options.width = 65;
    options.height = 48;
    options.out = directory.string();
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(capture_run(options, out, err), CAPTURE_EXIT_OK) << err.str();
    EXPECT_FALSE(std::filesystem::exists(capture_frame_path(options.out, 2)));
    const Image image = read_png(capture_frame_path(options.out, 3));
    EXPECT_EQ(std::pair(image.width, image.height), std::pair(64u, 47u));
    // One line a frame; the last is the window's client area as presented (bit 15, which no PNG
    // keeps, included), the guard row and the odd column left out.
    std::istringstream lines(out.str());
    std::string line;
    for (const char* number : {"00001 ", "00002 ", "00003 "}) {
        ASSERT_TRUE(std::getline(lines, line));
        EXPECT_EQ(line.substr(0, 12), std::string("frame ") + number);
        EXPECT_EQ(line.size(), 28u) << line;
    }
    char last[32];
    std::snprintf(
        last, sizeof last, "%016llx",
        static_cast<unsigned long long>(capture_checksum(headless_screen().data(), 65, 64, 47)));
    EXPECT_EQ(line.substr(12), last);
}

TEST_F(CaptureTest, CursorAtTheHostsExtremesRunsAndConvertsBack)
{
    // The headless host adds its client origin (100, 60) to the cursor for the screen point and
    // the pick takes it off again: both wrap, so the extremes overflow nothing and come back.
    CaptureOptions options;
    options.program = &APP_SHOWCASE;
    options.frames = 3;
    options.cursors = {{INT32_MAX, INT32_MIN, 1}, {INT32_MIN, INT32_MAX, 2}};
    options.holds = {{CaptureInput::LeftButton, {1, 3}}};
    options.out = directory.string();
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(capture_run(options, out, err), CAPTURE_EXIT_OK) << err.str();
    int32_t x = app_shell().last_point_x;
    int32_t y = app_shell().last_point_y;
    host_screen_to_client(emu_state().window.get(), &x, &y);
    EXPECT_EQ(x, INT32_MIN);
    EXPECT_EQ(y, INT32_MAX);
}

TEST_F(CaptureTest, FailedStartupIsReportedWithItsErrorBox)
{
    CaptureOptions options;
    options.frames = 2;
    options.out = directory.string();
    std::ostringstream out;
    std::ostringstream err;
    mem_fail_call(1);
    EXPECT_EQ(capture_run(options, out, err), CAPTURE_EXIT_FAILED);
    EXPECT_NE(err.str().find("Error: "), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("byteの領域の確保に失敗しました。"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("quit after 0 of 2 frames"), std::string::npos) << err.str();
}

} // namespace
