// The one pseudo-random generator that every module draws from. Draws happen in frame order, so
// a run replays exactly: the state is 1 at program start and never reseeded by the program.
#pragma once

#include <cstdint>

constexpr uint32_t RANDOM_START_STATE = 1;
constexpr uint32_t RANDOM_MAX = 0x7FFF;

// state = state * 214013 + 2531011 (mod 2^32); the draw is bits 16-30 of the new state, 0..32767.
int32_t random_next();
// The next draw modulo n (n > 0).
int32_t random_below(int32_t n);
// Back to the start state (program start), or to any state for a test.
void random_reset(uint32_t state = RANDOM_START_STATE);
uint32_t random_state();
