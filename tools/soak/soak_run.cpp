#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ostream>

#include "app/app.h"
#include "host/headless/headless.h"
#include "platform/mem.h"
#include "platform/surface.h"
#include "scene/pick.h"
#include "showcase/showcase.h"
#include "tools/args/args.h"
#include "tools/soak/soak.h"

namespace {

constexpr uint64_t FNV_OFFSET = 14695981039346656037u;
constexpr uint64_t FNV_PRIME = 1099511628211u;

// The showcase's scripted player: every PLAYER_CLICK_PERIOD frames the cursor goes onto the next
// object of the ring and the left button stays down for longer than any object's hit points; the
// filter key changes every PLAYER_FILTER_PERIOD frames and R resets every PLAYER_RESET_PERIOD.
constexpr uint32_t PLAYER_CLICK_PERIOD = 50;
constexpr uint32_t PLAYER_HOLD_FRAMES = 8;
constexpr uint32_t PLAYER_FILTER_PERIOD = 170;
constexpr uint32_t PLAYER_RESET_PERIOD = 1500;

// Resident memory is compared between the middle and the end of a run: by the middle every
// zero-filled table has been touched and every glyph drawn once.
constexpr uint32_t SOAK_WARM_UP_PARTS = 2;
// What the host may still add in the second half: its glyph cache keeps the first drawing of each
// character, and a text can first appear late in a run. A leak of a byte a frame over a million
// frames is twice this.
constexpr int64_t SOAK_RESIDENT_SLACK = 256 * 1024;

// FNV-1a over a row, four pixels to a step: a million frames of hashing must not outweigh
// drawing them.
uint64_t soak_hash_row(uint64_t hash, const uint16_t* row, int32_t width)
{
    int32_t x = 0;
    for (; x + 4 <= width; x += 4) {
        uint64_t four = 0;
        std::memcpy(&four, row + x, sizeof four);
        hash = (hash ^ four) * FNV_PRIME;
    }
    for (; x < width; ++x)
        hash = (hash ^ row[x]) * FNV_PRIME;
    return hash;
}

int64_t soak_resident_bytes()
{
    long pages = 0;
    long resident = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm)
        return 0;
    const int read = std::fscanf(statm, "%ld %ld", &pages, &resident);
    std::fclose(statm);
    return read == 2 ? int64_t{resident} * sysconf(_SC_PAGESIZE) : 0;
}

void soak_press(int key, uint32_t frame, uint32_t period)
{
    if (frame % period == 0)
        headless_set_key(key, true);
    else if (frame % period == 1)
        headless_set_key(key, false);
}

// The input that frame + 1 sees.
void soak_play_showcase(uint32_t frame)
{
    const uint32_t phase = frame % PLAYER_CLICK_PERIOD;
    if (phase == 0) {
        const int32_t k = static_cast<int32_t>(frame / PLAYER_CLICK_PERIOD % SHOWCASE_OBJECTS);
        const PickRecord* record = pick_list(showcase().objects[k].slot);
        headless_move_cursor(record->screen_x, record->screen_y);
        headless_post(HOST_WM_LBUTTONDOWN);
    } else if (phase == PLAYER_HOLD_FRAMES) {
        headless_post(HOST_WM_LBUTTONUP);
    }
    const int32_t code = static_cast<int32_t>(frame / PLAYER_FILTER_PERIOD % FILTER_CODES);
    soak_press(HOST_VK_0 + code, frame, PLAYER_FILTER_PERIOD);
    soak_press(SHOWCASE_KEY_RESET, frame, PLAYER_RESET_PERIOD);
}

bool soak_report(const char* name, uint32_t run, uint32_t frames, const SoakRun& result,
                 std::ostream& out)
{
    char line[256];
    std::snprintf(line, sizeof line,
                  "%s, run %u: %u frames, checksum %016llx, %u allocations after start-up, "
                  "%d blocks kept, resident memory %+lld KiB\n",
                  name, run, result.frames, static_cast<unsigned long long>(result.checksum),
                  result.allocations, result.live_blocks,
                  static_cast<long long>(result.resident_growth / 1024));
    out << line;
    return result.frames == frames && result.allocations == 0 && result.live_blocks == 0 &&
           result.resident_growth <= SOAK_RESIDENT_SLACK;
}

} // namespace

SoakRun soak_run(const AppProgram& program, uint32_t frames)
{
    HeadlessConfig config;
    config.keep_log = false;
    headless_reset(config);
    // One clock read ends each frame's wait: the pacing costs nothing.
    headless_set_tick_step(FRAME_INTERVAL_MS);
    mem_fail_call(0);
    const int32_t live_before = mem_stats().live_blocks;
    const bool showcase_program = &program == &APP_SHOWCASE;

    SoakRun result{};
    result.checksum = FNV_OFFSET;
    uint32_t calls_after_startup = 0;
    int64_t resident_warm = 0;
    headless_set_present_hook([&](const HeadlessFrame& frame) {
        for (int32_t y = 0; y < frame.height; ++y) {
            const uint16_t* row = frame.pixels + static_cast<size_t>(y) * frame.pitch;
            result.checksum = soak_hash_row(result.checksum, row, frame.width);
        }
        result.frames = frame.number;
        if (frame.number == 1)
            calls_after_startup = mem_stats().calls;
        result.allocations = mem_stats().calls - calls_after_startup;
        if (frame.number == frames / SOAK_WARM_UP_PARTS + 1)
            resident_warm = soak_resident_bytes();
        if (frame.number == frames)
            result.resident_growth = soak_resident_bytes() - resident_warm;
        if (showcase_program)
            soak_play_showcase(frame.number);
    });
    headless_close_after_frames(frames);
    app_win_main(headless_instance(), HOST_SW_SHOWDEFAULT, program);
    // A quit that did not come through closing the window skipped the teardown.
    if (headless_window_alive())
        app_teardown();
    headless_set_present_hook(nullptr);
    result.live_blocks = mem_stats().live_blocks - live_before;
    return result;
}

int soak_main(const SoakOptions& options, std::ostream& out)
{
    bool held = true;
    for (const AppProgram* program : options.programs) {
        const char* name = args_program_name(*program);
        SoakRun first{};
        for (uint32_t run = 1; run <= options.runs; ++run) {
            const SoakRun result = soak_run(*program, options.frames);
            held = soak_report(name, run, options.frames, result, out) && held;
            if (run == 1)
                first = result;
            else if (result.checksum != first.checksum) {
                out << name << ": run " << run << " drew other frames than run 1\n";
                held = false;
            }
        }
    }
    out << (held ? "every check held\n" : "a check failed\n");
    return held ? SOAK_EXIT_OK : SOAK_EXIT_FAILED;
}
