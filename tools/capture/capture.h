// luma-capture: runs the whole program (the demo or the showcase) on the headless host for a number
// of frames, with scripted keys and mouse, on a virtual clock that advances 20 ms a frame, and
// writes chosen frames as PNG.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "app/program.h"
#include "host/host.h"

constexpr int CAPTURE_EXIT_OK = 0;
constexpr int CAPTURE_EXIT_FAILED = 1;
constexpr int CAPTURE_EXIT_USAGE = 2;

// What the command line accepts.
constexpr uint32_t CAPTURE_MAX_FRAMES = 100'000'000;
constexpr int32_t CAPTURE_MIN_SIZE = 2;
constexpr int32_t CAPTURE_MAX_SIZE = 4096;
// A cursor point as a Win32 mouse message carries it, 16 bits each way: far outside any client
// area, and far from the 32-bit limits of the host's screen arithmetic.
constexpr int32_t CAPTURE_CURSOR_MIN = -32768;
constexpr int32_t CAPTURE_CURSOR_MAX = 32767;

// What a hold presses: a key, as its virtual-key code (the digits are HOST_VK_0 to HOST_VK_9),
// or a mouse button.
enum class CaptureInput : int {
    F1 = HOST_VK_F1,
    F2 = HOST_VK_F2,
    F3 = HOST_VK_F3,
    R = HOST_VK_R,
    LeftButton = -1,
    RightButton = -2,
};

struct CaptureRange {
    uint32_t first;
    uint32_t last;
};

struct CaptureHold {
    CaptureInput input;
    CaptureRange frames;
};

struct CaptureCursor {
    int32_t x;
    int32_t y;
    uint32_t frame; // from this frame on
};

struct CaptureOptions {
    const AppProgram* program = &APP_DEMO;
    uint32_t frames = 1;
    std::vector<CaptureRange> save; // empty: the last frame
    std::string out = "capture";
    std::vector<CaptureHold> holds;
    std::vector<CaptureCursor> cursors;
    int32_t width = 512;
    int32_t height = 462;
    bool checksums = false; // print each presented frame's checksum
    bool help = false;
};

extern const char CAPTURE_USAGE[];
// What --help adds in a build without libpng.
extern const char CAPTURE_NO_PNG_USAGE[];

// Fills options from the command line; false with a message that names the mistake. Every frame
// that save, holds and cursors name then lies within frames, and every value within what the run
// can do.
bool capture_parse_args(int argc, const char* const* argv, CaptureOptions* options,
                        std::string* error);

// The whole tool: the help, a refusal of bad arguments, or the run; returns the exit code.
int capture_command(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

// The frames' file name: DIR/frame-NNNNN.png.
std::string capture_frame_path(const std::string& directory, uint32_t frame);

// Runs the program and writes the frames; reports on out and err, returns an exit code.
int capture_run(const CaptureOptions& options, std::ostream& out, std::ostream& err);
