// The whole program started on the headless host, for the benchmarks that need its modules: the
// surface and its frame buffers, the text layers, the scene buffer and the texture slots. The
// virtual clock steps a whole frame interval on every read, so the frame start never waits: what
// a frame costs is its own work alone.
#pragma once

#include <cstdint>

#include "app/program.h"
#include "host/host.h"

// Frames played at every start, so that the measured frames are the demo's steady state: the
// introduction has faded in and the pop-ups are cycling.
constexpr uint32_t BENCH_STAGE_WARM_UP_FRAMES = 300;
// The texture the textured fillers draw with: 64 x 64 seeded texels.
constexpr int32_t BENCH_TEXTURE_LOG2 = 6;

struct BenchStage {
    HostWindow* window; // null while the program is not running
    int32_t texture_slot;
};

// The running program, started (and warmed up) first when it is not running.
BenchStage& bench_stage();
// Starts the program (the demo unless told otherwise): start-up inside window creation, as on
// every host. False when start-up failed.
bool bench_stage_start(const AppProgram& program = APP_DEMO);
// One frame of the program.
void bench_stage_frame();
// Closes the window (the teardown runs) and reads the queue up to the quit.
void bench_stage_stop();
