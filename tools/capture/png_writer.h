// Writes RGB555 pixels as an 8-bit RGB PNG.
#pragma once

#include <cstdint>
#include <string>

// Five bits widened to eight so that 0 stays 0 and 31 becomes 255.
constexpr uint8_t rgb888_channel_from_rgb5(uint32_t channel)
{
    return static_cast<uint8_t>((channel << 3) | (channel >> 2));
}

// False in a build without libpng, which writes no PNG.
bool png_writer_built();

// width x height pixels whose rows lie pitch pixels apart, written under a temporary name beside
// path and renamed to it once whole; false with a message on failure (and no file left).
bool png_write_rgb555(const std::string& path, const uint16_t* pixels, int32_t pitch, int32_t width,
                      int32_t height, std::string* error);
