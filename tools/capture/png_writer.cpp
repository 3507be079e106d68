#include "tools/capture/png_writer.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/pixel.h"

namespace {

// A frame file is written whole under this suffix, in the same folder so that the rename cannot
// cross file systems, and only then takes its name: an interrupted capture or a full disk never
// leaves a truncated file under a frame's name.
constexpr char PNG_PARTIAL_SUFFIX[] = ".part";

std::vector<uint8_t> png_rgb888_from_rgb555(const uint16_t* pixels, int32_t pitch, int32_t width,
                                            int32_t height)
{
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    uint8_t* out = rgb.data();
    for (int32_t y = 0; y < height; ++y) {
        const uint16_t* row = pixels + static_cast<size_t>(y) * pitch;
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t pixel = row[x];
            *out++ =
                rgb888_channel_from_rgb5((pixel >> (2 * RGB555_CHANNEL_BITS)) & RGB555_CHANNEL_MAX);
            *out++ = rgb888_channel_from_rgb5((pixel >> RGB555_CHANNEL_BITS) & RGB555_CHANNEL_MAX);
            *out++ = rgb888_channel_from_rgb5(pixel & RGB555_CHANNEL_MAX);
        }
    }
    return rgb;
}

// Writes the whole image to file and closes it; false with a message.
bool png_write_stream(std::FILE* file, const std::string& path, const std::vector<uint8_t>& rgb,
                      int32_t width, int32_t height, std::string* error)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    const bool encoded = png_image_write_to_stdio(&image, file, 0, rgb.data(), 0, nullptr);
    // A full disk may show only when the buffered end of the file goes out.
    const bool flushed = encoded && std::fflush(file) == 0;
    const int flush_errno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!encoded)
        *error = "cannot write " + path + ": " + image.message;
    else if (!flushed || !closed)
        *error = "cannot write " + path + ": " + std::strerror(flushed ? errno : flush_errno);
    return encoded && flushed && closed;
}

} // namespace

bool png_writer_built()
{
    return true;
}

bool png_write_rgb555(const std::string& path, const uint16_t* pixels, int32_t pitch, int32_t width,
                      int32_t height, std::string* error)
{
    const std::vector<uint8_t> rgb = png_rgb888_from_rgb555(pixels, pitch, width, height);
    const std::string partial = path + PNG_PARTIAL_SUFFIX;
    std::FILE* file = std::fopen(partial.c_str(), "wb");
    if (!file) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    if (!png_write_stream(file, path, rgb, width, height, error)) {
        std::remove(partial.c_str());
        return false;
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        std::remove(partial.c_str());
        return false;
    }
    return true;
}
