#include "host/web/web_script.h"

#include <emscripten.h>

#include <cinttypes>
#include <cstdio>
#include <string_view>
#include <vector>

#include "bench/stress_frame.h"
#include "host/web/web.h"
#include "tools/capture/checksum.h"

namespace {

struct ButtonMessages {
    uint32_t down;
    uint32_t up;
};

struct WebScriptState {
    WebScript script;
    std::vector<uint64_t> checksums;
    uint32_t frames_presented = 0;
    double timing_start_ms = 0;
    double timing_end_ms = 0;
};

WebScriptState state;

bool web_script_in_range(const CaptureRange& range, uint32_t frame)
{
    return frame >= range.first && frame <= range.last;
}

bool web_script_held(CaptureInput input, uint32_t frame)
{
    for (const CaptureHold& hold : state.script.capture.holds) {
        if (hold.input == input && web_script_in_range(hold.frames, frame))
            return true;
    }
    return false;
}

void web_script_press_button(CaptureInput input, ButtonMessages messages, uint32_t frame)
{
    const bool now = web_script_held(input, frame);
    const bool before = frame > 1 && web_script_held(input, frame - 1);
    if (now != before)
        web_post(now ? messages.down : messages.up);
}

// The input that the given frame sees, in the capture tool's order: the cursor first, so that a
// button pressed in the same frame is pressed at the new point; keys are polled by the frame,
// buttons arrive as messages, which the loop handles before the frame.
void web_script_apply_input(uint32_t frame)
{
    const CaptureOptions& capture = state.script.capture;
    for (const CaptureCursor& cursor : capture.cursors) {
        if (cursor.frame == frame)
            web_move_cursor(cursor.x, cursor.y);
    }
    for (const CaptureHold& hold : capture.holds) {
        if (hold.input != CaptureInput::LeftButton && hold.input != CaptureInput::RightButton)
            web_set_key(static_cast<int>(hold.input), web_script_held(hold.input, frame));
    }
    web_script_press_button(CaptureInput::LeftButton, {HOST_WM_LBUTTONDOWN, HOST_WM_LBUTTONUP},
                            frame);
    web_script_press_button(CaptureInput::RightButton, {HOST_WM_RBUTTONDOWN, HOST_WM_RBUTTONUP},
                            frame);
}

// The frame after which the timed frames begin; 0 for an untimed run.
uint32_t web_script_timing_start_frame()
{
    const WebScript& script = state.script;
    return script.timed_frames > 0 ? script.capture.frames - script.timed_frames : 0;
}

void web_script_on_present(const WebFrame& frame)
{
    const WebScript& script = state.script;
    state.frames_presented = frame.number;
    // A timed run leaves the checksums out: they would cost more than some frames.
    if (script.timed_frames == 0)
        state.checksums.push_back(
            capture_checksum(frame.pixels, frame.pitch, frame.width, frame.height));
    if (script.stress) {
        if (frame.number == 1)
            stress_frame_begin();
        stress_frame_finish();
        stress_frame_fill_bursts();
    }
    web_script_apply_input(frame.number + 1);
    if (frame.number == script.capture.frames) {
        state.timing_end_ms = emscripten_get_now();
        // The window closes as the user would close it, after the last frame.
        web_post(HOST_WM_CLOSE);
    }
    // The timed frames run back to back, without the browser's turns in between.
    if (frame.number == web_script_timing_start_frame()) {
        web_use_clock(WebClock::VirtualBackToBack);
        state.timing_start_ms = emscripten_get_now();
    }
}

bool web_script_parse_count(std::string_view text, uint32_t* count)
{
    uint32_t value = 0;
    for (const char digit : text) {
        if (digit < '0' || digit > '9' || value > (UINT32_MAX - 9) / 10)
            return false;
        value = value * 10 + static_cast<uint32_t>(digit - '0');
    }
    *count = value;
    return !text.empty() && value > 0;
}

} // namespace

bool web_script_parse(int argc, const char* const* argv, WebScript* script, std::string* error)
{
    // The capture tool's parser takes what remains once the page's own options are out.
    std::vector<const char*> capture_args{argc > 0 ? argv[0] : "luma"};
    for (int i = 1; i < argc; ++i) {
        const std::string_view name = argv[i];
        if (name == "--stress") {
            script->stress = true;
        } else if (name == "--time") {
            if (i + 1 >= argc || !web_script_parse_count(argv[i + 1], &script->timed_frames)) {
                *error = "--time wants a frame count from 1 up";
                return false;
            }
            ++i;
        } else {
            capture_args.push_back(argv[i]);
        }
    }
    if (!capture_parse_args(static_cast<int>(capture_args.size()), capture_args.data(),
                            &script->capture, error))
        return false;
    if (script->timed_frames >= script->capture.frames) {
        *error = "--time wants fewer frames than --frames, which include the warm-up";
        return false;
    }
    return true;
}

void web_script_begin(const WebScript& script)
{
    state = {};
    state.script = script;
    state.checksums.reserve(script.capture.frames);
    web_use_scripted_keys();
    // A timed run keeps the canvas out of the way until the end.
    web_use_clock(WebClock::VirtualTurns);
    web_show_frames(script.timed_frames == 0);
    web_script_apply_input(1);
    web_set_present_hook(web_script_on_present);
}

std::string web_script_report(int exit_code)
{
    web_set_present_hook(nullptr);
    web_show_last_frame();
    std::string report;
    char line[96];
    std::snprintf(line, sizeof line, "exit %d\nframes %u of %u\n", exit_code,
                  state.frames_presented, state.script.capture.frames);
    report += line;
    // The lines of the capture tool's --checksums.
    for (size_t i = 0; i < state.checksums.size(); ++i) {
        std::snprintf(line, sizeof line, "frame %05zu %016" PRIx64 "\n", i + 1, state.checksums[i]);
        report += line;
    }
    if (state.script.timed_frames > 0 && state.frames_presented == state.script.capture.frames) {
        const double per_frame_ms =
            (state.timing_end_ms - state.timing_start_ms) / state.script.timed_frames;
        std::snprintf(line, sizeof line, "timed %u frames: %.4f ms a frame\n",
                      state.script.timed_frames, per_frame_ms);
        report += line;
    }
    return report;
}
