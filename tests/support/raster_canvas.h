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
        for (int32_t i = 0; i < CANARY_PIXELS; ++i) {
            if (store_[i] != CANARY || store_[store_.size() - 1 - i] != CANARY)
                return false;
        }
        for (int32_t y = 0; y <= height_; ++y) {
            for (int32_t x = width_; x < pitch_; ++x) {
                if (at(x, y) != CANARY)
                    return false;
            }
        }
        return true;
    }

    // Every run of pixels that differ from the background, row by row, guard row included.
    std::vector<PixelRun> runs()
    {
        std::vector<PixelRun> found;
        for (int32_t y = 0; y <= height_; ++y) {
            for (int32_t x = 0; x < width_;) {
                if (at(x, y) == background_) {
                    ++x;
                    continue;
                }
                const int32_t first = x;
                while (x < width_ && at(x, y) != background_)
                    ++x;
                found.emplace_back(y, first, x);
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
