// The checksum of a presented frame that --checksums prints: 64-bit FNV-1a over the frame's
// pixels, each pixel's two bytes low byte first, rows top first, the padding past each row's width
// left out. Any host that presents the same frame gives the same value, so captures on different
// hosts can be compared line by line.
#pragma once

#include <cstdint>

constexpr uint64_t CAPTURE_FNV_OFFSET = 14695981039346656037u;
constexpr uint64_t CAPTURE_FNV_PRIME = 1099511628211u;

// width x height pixels whose rows lie pitch pixels apart.
uint64_t capture_checksum(const uint16_t* pixels, int32_t pitch, int32_t width, int32_t height);
