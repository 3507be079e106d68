// The showcase at its heaviest, as the stress-frame benchmark plays it on the headless host and
// the web page plays it in the browser: every object of the ring, all 32 effect instances
// bursting, the floor beneath and the blur over the finished frame.
#pragma once

// Once the showcase has started: the floor filter runs under every frame.
void stress_frame_begin();
// Before each frame: every free effect instance starts a burst at one of the ring's objects.
void stress_frame_fill_bursts();
// After each frame: one filter code cannot select both the floor and the blur, so the blur runs
// on the presented frame, the work it would do as the post-draw hook.
void stress_frame_finish();
