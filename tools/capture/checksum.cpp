#include "tools/capture/checksum.h"

#include <cstddef>

namespace {

uint64_t capture_hash_byte(uint64_t hash, uint32_t byte)
{
    return (hash ^ byte) * CAPTURE_FNV_PRIME;
}

} // namespace

uint64_t capture_checksum(const uint16_t* pixels, int32_t pitch, int32_t width, int32_t height)
{
    uint64_t hash = CAPTURE_FNV_OFFSET;
    for (int32_t y = 0; y < height; ++y) {
        const uint16_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(pitch);
        for (int32_t x = 0; x < width; ++x) {
            hash = capture_hash_byte(hash, row[x] & 0xFFu);
            hash = capture_hash_byte(hash, row[x] >> 8);
        }
    }
    return hash;
}
