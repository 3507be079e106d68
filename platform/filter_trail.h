// The trail filter: from either hook it makes the two frame buffers alternate, and on every second
// call it averages the current buffer with the other one, so that what was shown fades by half
// every two frames.
#pragma once

// First call (counter 0): only switches drawing to the other buffer. Next call: the current
// buffer becomes the per-channel average of both, and the counter starts over.
void filter_trail();
// The counter of program start, 0 (filter_reset).
void filter_trail_reset();
