// luma-capture: runs the whole program on the headless host for a number of frames, with scripted
// keys and mouse, on a virtual clock that advances 20 ms a frame, and writes chosen frames as PNG.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

constexpr int CAPTURE_EXIT_OK = 0;
constexpr int CAPTURE_EXIT_FAILED = 1;
constexpr int CAPTURE_EXIT_USAGE = 2;

// What a hold presses: a view key or a mouse button.
enum class CaptureInput { F1, F2, F3, LeftButton, RightButton };

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
    uint32_t frames = 1;
    std::vector<CaptureRange> save; // empty: the last frame
    std::string out = "capture";
    std::vector<CaptureHold> holds;
    std::vector<CaptureCursor> cursors;
    int32_t width = 512;
    int32_t height = 462;
    bool help = false;
};

extern const char CAPTURE_USAGE[];

// Fills options from the command line; false with a message that says what to fix.
bool capture_parse_args(int argc, const char* const* argv, CaptureOptions* options,
                        std::string* error);

// The frames' file name: DIR/frame-NNNNN.png.
std::string capture_frame_path(const std::string& directory, uint32_t frame);

// Runs the program and writes the frames; reports on out and err, returns an exit code.
int capture_run(const CaptureOptions& options, std::ostream& out, std::ostream& err);
