// luma-soak: runs the demo and the showcase on the headless host for many frames with the frame
// pacing out of the way, the showcase under a scripted player who clicks objects down, changes
// filters and resets. It proves that nothing is allocated once start-up is over, that memory use
// stays flat and that two runs draw the same frames.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "app/program.h"

constexpr int SOAK_EXIT_OK = 0;
constexpr int SOAK_EXIT_FAILED = 1;
constexpr int SOAK_EXIT_USAGE = 2;

// What the command line accepts.
constexpr uint32_t SOAK_MAX_FRAMES = 100'000'000;
constexpr uint32_t SOAK_MAX_RUNS = 10;

struct SoakOptions {
    uint32_t frames = 20'000; // per program and run
    std::vector<const AppProgram*> programs;
    uint32_t runs = 2;
    bool help = false;
};

// What one run of one program gave.
struct SoakRun {
    uint32_t frames;         // presented
    uint64_t checksum;       // of every frame's pixels, in order
    uint32_t allocations;    // calls of the allocator after the first frame
    int32_t live_blocks;     // blocks allocated at the end, less those after start-up
    int64_t resident_growth; // bytes of resident memory gained after the first tenth of the run
};

extern const char SOAK_USAGE[];

// Fills options from the command line (both programs unless --program names one); false with a
// message that names the mistake.
bool soak_parse_args(int argc, const char* const* argv, SoakOptions* options, std::string* error);

// The whole tool: the help, a refusal of bad arguments, or the runs; returns the exit code.
int soak_command(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

// Runs program for frames frames.
SoakRun soak_run(const AppProgram& program, uint32_t frames);

// Runs every program options.runs times, reports on out, and returns an exit code: failed when a
// run allocated after start-up, kept blocks, grew, quit early or drew other frames than the first.
int soak_main(const SoakOptions& options, std::ostream& out);
