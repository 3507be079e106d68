#include <cstdio>
#include <filesystem>
#include <ostream>

#include "app/app.h"
#include "host/headless/headless.h"
#include "tools/capture/capture.h"
#include "tools/capture/checksum.h"
#include "tools/capture/png_writer.h"

namespace {

struct ButtonMessages {
    uint32_t down;
    uint32_t up;
};

bool capture_in_range(const CaptureRange& range, uint32_t frame)
{
    return frame >= range.first && frame <= range.last;
}

bool capture_held(const CaptureOptions& options, CaptureInput input, uint32_t frame)
{
    for (const CaptureHold& hold : options.holds) {
        if (hold.input == input && capture_in_range(hold.frames, frame))
            return true;
    }
    return false;
}

bool capture_saved(const CaptureOptions& options, uint32_t frame)
{
    if (options.save.empty())
        return frame == options.frames;
    for (const CaptureRange& range : options.save) {
        if (capture_in_range(range, frame))
            return true;
    }
    return false;
}

void capture_press_button(const CaptureOptions& options, CaptureInput input,
                          ButtonMessages messages, uint32_t frame)
{
    const bool now = capture_held(options, input, frame);
    const bool before = frame > 1 && capture_held(options, input, frame - 1);
    if (now != before)
        headless_post(now ? messages.down : messages.up);
}

// Sets up the input that the given frame sees: the cursor first, so that a button pressed in the
// same frame is pressed at the new point; keys are polled by the frame, buttons arrive as
// messages, which the loop always handles before the frame.
void capture_apply_input(const CaptureOptions& options, uint32_t frame)
{
    for (const CaptureCursor& cursor : options.cursors) {
        if (cursor.frame == frame)
            headless_move_cursor(cursor.x, cursor.y);
    }
    for (const CaptureHold& hold : options.holds) {
        if (hold.input != CaptureInput::LeftButton && hold.input != CaptureInput::RightButton)
            headless_set_key(static_cast<int>(hold.input),
                             capture_held(options, hold.input, frame));
    }
    capture_press_button(options, CaptureInput::LeftButton,
                         {HOST_WM_LBUTTONDOWN, HOST_WM_LBUTTONUP}, frame);
    capture_press_button(options, CaptureInput::RightButton,
                         {HOST_WM_RBUTTONDOWN, HOST_WM_RBUTTONUP}, frame);
}

void capture_print_checksum(const HeadlessFrame& frame, std::ostream& out)
{
    char line[48];
    std::snprintf(line, sizeof line, "frame %05u %016llx\n", frame.number,
                  static_cast<unsigned long long>(
                      capture_checksum(frame.pixels, frame.pitch, frame.width, frame.height)));
    out << line;
}

} // namespace

std::string capture_frame_path(const std::string& directory, uint32_t frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%05u.png", frame);
    return (std::filesystem::path(directory) / name).string();
}

int capture_run(const CaptureOptions& options, std::ostream& out, std::ostream& err)
{
    // A build without libpng writes no frame, so it needs no folder either.
    const bool writes = png_writer_built();
    std::error_code failure;
    if (writes)
        std::filesystem::create_directories(options.out, failure);
    if (failure) {
        err << "luma-capture: cannot create " << options.out << ": " << failure.message() << "\n";
        return CAPTURE_EXIT_FAILED;
    }

    HeadlessConfig config;
    config.client_width = options.width;
    config.client_height = options.height;
    config.keep_log = false;
    headless_reset(config);

    uint32_t written = 0;
    bool write_failed = false;
    capture_apply_input(options, 1);
    headless_set_present_hook([&](const HeadlessFrame& frame) {
        if (options.checksums)
            capture_print_checksum(frame, out);
        if (writes && capture_saved(options, frame.number) && !write_failed) {
            std::string error;
            if (png_write_rgb555(capture_frame_path(options.out, frame.number), frame.pixels,
                                 frame.pitch, frame.width, frame.height, &error)) {
                ++written;
            } else {
                err << "luma-capture: " << error << "\n";
                write_failed = true;
                headless_close_window();
            }
        }
        capture_apply_input(options, frame.number + 1);
    });
    headless_close_after_frames(options.frames);

    app_win_main(headless_instance(), HOST_SW_SHOWDEFAULT, *options.program);
    // A quit that did not come through closing the window skipped the teardown.
    if (headless_window_alive())
        app_teardown();
    headless_set_present_hook(nullptr);

    for (const HeadlessErrorBox& box : headless_error_boxes())
        err << box.caption << ": " << box.text_utf8 << "\n";
    if (write_failed)
        return CAPTURE_EXIT_FAILED;
    const uint32_t ran = headless_frames_presented();
    if (ran < options.frames) {
        err << "luma-capture: the program quit after " << ran << " of " << options.frames
            << " frames\n";
        return CAPTURE_EXIT_FAILED;
    }
    if (writes)
        out << "wrote " << written << (written == 1 ? " frame" : " frames") << " to " << options.out
            << "\n";
    else
        out << "wrote no frames: this build writes no PNG\n";
    return CAPTURE_EXIT_OK;
}
