// The textured fillers on the textures they draw fastest: quads whose rows follow the texture's
// rows at up to about a texel per pixel, either way round, magnified, nearly level, wrapping
// and ending at the texture's last texel, on textures of every size, against the plain filler.
#include <gtest/gtest.h>

#include <random>

#include "host/headless/headless.h"
#include "raster/span_path.h"
#include "raster/textured.h"
#include "tests/support/plain_raster.h"
#include "tests/support/raster_canvas.h"

namespace {

constexpr int32_t WIDTH = 80;
constexpr int32_t HEIGHT = 12;
constexpr int32_t MARGIN = 3;
constexpr int32_t WHOLE_TEXTURE = 256;

struct RunQuad {
    ScreenVertex v[4];
    TexCoordEntry t[4];
};

// A quad across most of the target, its texture coordinates advancing by texels x num / den per
// pixel across (negative: mirrored) from anywhere, with its rows at most a unit off level.
RunQuad run_quad(std::mt19937& rng, int32_t log2_width)
{
    static constexpr int32_t RATES[][2] = {{1, 8}, {1, 2}, {3, 4}, {1, 1}, {17, 16}, {2, 1}};
    const auto pick = [&](int32_t n) { return static_cast<int32_t>(rng() % n); };
    const int32_t x0 = pick(24) - 8;
    const int32_t x1 = x0 + 16 + pick(WIDTH);
    const int32_t y0 = pick(4) - 2;
    const int32_t y1 = y0 + 2 + pick(HEIGHT);
    const auto& rate = RATES[pick(std::size(RATES))];
    int32_t across = (x1 - x0) * WHOLE_TEXTURE * rate[0] / rate[1] >> log2_width;
    if (rng() % 2)
        across = -across;
    const int32_t u0 = pick(4 * WHOLE_TEXTURE) - 2 * WHOLE_TEXTURE;
    const int32_t v0 = pick(4 * WHOLE_TEXTURE) - 2 * WHOLE_TEXTURE;
    const int32_t down = pick(WHOLE_TEXTURE);
    const int32_t tilt = pick(3) - 1;
    return {{screen_vertex(x0, y0), screen_vertex(x1, y0), screen_vertex(x1, y1),
             screen_vertex(x0, y1)},
            {{u0, v0, {}},
             {u0 + across, v0 + tilt, {}},
             {u0 + across, v0 + down + tilt, {}},
             {u0, v0 + down, {}}}};
}

class TexelRunTest : public ::testing::TestWithParam<RasterPath> {
protected:
    void SetUp() override
    {
        headless_reset();
        tex_init();
        if (!raster_path_set(GetParam()))
            GTEST_SKIP() << "the " << raster_path_name(GetParam())
                         << " path: not in this build or not on this processor";
    }

    void TearDown() override
    {
        raster_path_set(raster_path_best());
        tex_free_all();
    }
};

TEST_P(TexelRunTest, RunsOfTexelsDrawThePlainFillersPixels)
{
    constexpr uint32_t SEED = 20261208;
    constexpr int32_t QUADS = 120;
    std::mt19937 rng(SEED);
    const plain::Blend blends[] = {plain::Blend::OPAQUE, plain::Blend::ADD, plain::Blend::HALF};
    for (int32_t log2_width = 0; log2_width <= 8; ++log2_width) {
        const int32_t log2_height = static_cast<int32_t>(rng() % 9);
        const int32_t slot = tex_create(log2_width, log2_height);
        ASSERT_GE(slot, 0);
        for (int32_t i = 0; i < 1 << (log2_width + log2_height); ++i)
            tex_pixels(slot)[i] = static_cast<Pixel>(rng());
        for (int32_t n = 0; n < QUADS; ++n) {
            const RunQuad q = run_quad(rng, log2_width);
            const plain::Blend blend = blends[n % std::size(blends)];
            RasterCanvas ours(WIDTH, HEIGHT, 0, MARGIN);
            RasterCanvas plain(WIDTH, HEIGHT, 0, MARGIN);
            for (int32_t y = 0; y <= HEIGHT; ++y) {
                for (int32_t x = 0; x < WIDTH; ++x)
                    ours.at(x, y) = plain.at(x, y) = static_cast<Pixel>(rng());
            }
            const ScreenVertex* v[] = {&q.v[0], &q.v[1], &q.v[2], &q.v[3]};
            const TexCoordEntry* t[] = {&q.t[0], &q.t[1], &q.t[2], &q.t[3]};
            const RasterTarget target = ours.target();
            if (blend == plain::Blend::OPAQUE)
                raster_tex_quad(target, *v[0], *v[1], *v[2], *v[3], *t[0], *t[1], *t[2], *t[3],
                                slot);
            else if (blend == plain::Blend::ADD)
                raster_tex_add_quad(target, *v[0], *v[1], *v[2], *v[3], *t[0], *t[1], *t[2], *t[3],
                                    slot);
            else
                raster_tex_half_quad(target, *v[0], *v[1], *v[2], *v[3], *t[0], *t[1], *t[2], *t[3],
                                     slot);
            plain::textured(plain.target(), v, t, 4, slot, blend);
            ASSERT_TRUE(ours.canaries_intact()) << "seed " << SEED << ", quad " << n;
            for (int32_t y = 0; y <= HEIGHT; ++y) {
                for (int32_t x = 0; x < WIDTH; ++x)
                    ASSERT_EQ(ours.at(x, y), plain.at(x, y))
                        << "seed " << SEED << ", texture 2^" << log2_width << " x 2^" << log2_height
                        << ", quad " << n << ", pixel " << x << "," << y;
            }
        }
        tex_free(slot);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryPath, TexelRunTest, ::testing::ValuesIn(RASTER_PATHS),
                         [](const ::testing::TestParamInfo<RasterPath>& info) {
                             return std::string(raster_path_name(info.param));
                         });

} // namespace
