// The frame as the canvas takes it: RGB555 widened to 8-bit RGBA as the capture tool widens each
// channel, (c << 3) | (c >> 2), so that the page shows the capture tool's very colours.
#pragma once

#include <cstdint>

// width x height pixels whose rows lie pitch pixels apart into width x height words of RGBA
// (red in the lowest byte, alpha opaque).
void web_rgba_from_rgb555(uint32_t* out, const uint16_t* pixels, int32_t pitch, int32_t width,
                          int32_t height);
