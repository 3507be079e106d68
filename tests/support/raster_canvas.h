// A frame buffer for the fillers: W x H counted rows, the guard row below them as in the frame
// buffers, and canary pixels on both sides, so that a test sees every pixel written and any write
// outside the buffer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "raster/target.h"

// One run of pixels on a row: row, first column, end column (not included).
using PixelRun = std::tuple<int32_t, int32_t, int32_t>;

inline ScreenVertex screen_vertex(int32_t x, int32_t y)
{
    return {x, y, 0, 0};
}

class RasterCanvas {
public:
    static constexpr int32_t CANARY_PIXELS = 64;
    static constexpr Pixel CANARY = 0xA5C3;

    // With a margin, every row is followed by that many canary pixels, so that a write past
    // either end of any row shows too (the pitch is then wider than the surface).
    RasterCanvas(int32_t width, int32_t height, Pixel background = 0, int32_t margin = 0)
        : width_(width), height_(height), pitch_(width + margin),
          store_(2 * CANARY_PIXELS + static_cast<size_t>(pitch_) * (height + 1), CANARY)
    {
        fill(background);
    }

    RasterTarget target()
    {
        return {&store_[CANARY_PIXELS], pitch_, {width_, height_, width_ - 1, height_ - 1}};
    }

    // The counted rows and the guard row.
    void fill(Pixel background)
    {
        background_ = background;
        for (int32_t y = 0; y <= height_; ++y)
            std::fill_n(&at(0, y), width_, background);
    }

    // Row height is the guard row.
    Pixel& at(int32_t x, int32_t y)
    {
        return store_[CANARY_PIXELS + static_cast<size_t>(y) * pitch_ + x];
    }

    bool canaries_intact()
    {
        for (size_t i = 0; i < store_.size(); ++i) {
            // Wraps round for the canaries before the first row.
            const size_t pixel = i - CANARY_PIXELS;
            const bool drawn = pixel < static_cast<size_t>(pitch_) * (height_ + 1) &&
                               static_cast<int32_t>(pixel % pitch_) < width_;
            if (!drawn && store_[i] != CANARY)
                return false;
        }
        return true;
    }

    // Every run of pixels that differ from the background, row by row, guard row included.
    std::vector<PixelRun> runs()
    {
        std::vector<PixelRun> found;
        for (int32_t y = 0; y <= height_; ++y) {
            for (int32_t x = 0; x < width_; ++x) {
                if (at(x, y) == background_)
                    continue;
                if (x > 0 && at(x - 1, y) != background_)
                    std::get<2>(found.back()) = x + 1;
                else
                    found.emplace_back(y, x, x + 1);
            }
        }
        return found;
    }

    // The first pixel of the counted rows or the guard row that differs from other's, or ""
    // when every one matches.
    std::string first_difference(RasterCanvas& other)
    {
        for (int32_t y = 0; y <= height_; ++y) {
            for (int32_t x = 0; x < width_; ++x) {
                if (at(x, y) != other.at(x, y))
                    return "pixel " + std::to_string(x) + "," + std::to_string(y) + ": " +
                           std::to_string(at(x, y)) + ", not " + std::to_string(other.at(x, y));
            }
        }
        return "";
    }

private:
    int32_t width_;
    int32_t height_;
    int32_t pitch_;
    Pixel background_ = 0;
    std::vector<Pixel> store_;
};
