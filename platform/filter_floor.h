// The floor filter: a still perspective floor over the lower third of the frame, mapped from the
// 128 x 128 image in texture slot 0, drawn beneath everything from the pre-draw hook.
#pragma once

#include <cstdint>

constexpr int32_t FLOOR_TEXTURE_SLOT = 0;
constexpr int32_t FLOOR_TEXTURE_LOG2 = 7;

// Fills rows 2T .. 3T - 1 (T = H / 3) with the floor; draws nothing while slot 0 is empty or
// holds an image of another size, or the frame is too short for a third.
void filter_floor();
