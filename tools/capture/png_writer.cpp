#include "tools/capture/png_writer.h"

#include <png.h>

#include <vector>

#include "platform/pixel.h"

bool png_write_rgb555(const std::string& path, const uint16_t* pixels, int32_t pitch, int32_t width,
                      int32_t height, std::string* error)
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
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr)) {
        *error = "cannot write " + path + ": " + image.message;
        return false;
    }
    return true;
}
