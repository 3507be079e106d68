// The in-place effects on the counted rows of the current frame buffer: inversion, the xor smear,
// grey, noise and the blur. All but the xor smear work on 32-bit words of two pixels, the
// channel arithmetic kept inside each 5-bit field by the masks of the pixel helpers.
#pragma once

// Every channel c becomes 31 - c (bit 15 is inverted too).
void filter_invert();
// Each pixel but the last becomes itself XOR the pixel after it in memory, as that was before.
void filter_xor_smear();
// Each pixel becomes the grey whose three channels are (red + green + blue) / 3.
void filter_grey();
// ORs one draw of the shared generator into each word: N draws, the right pixels untouched.
void filter_noise();
// Two passes of a quarter of the pixel below, a quarter of the pixel itself and a half of the
// pixel two to the right; the last row reads the guard row, which is not written.
void filter_blur();
