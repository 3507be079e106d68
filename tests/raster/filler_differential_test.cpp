// The optimised fillers against the plain ones of tests/support/plain_raster.h: seeded random
// polygons, on and off the target, on targets of odd sizes and with canary margins, with colours
// and texture coordinates of any value and textures of every size; every pixel must match, and no
// write may land outside the buffer. Every span path the build and the processor have is run;
// the others are skipped, each saying why. Also the reciprocal division against wrap_div.
#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "host/headless/headless.h"
#include "platform/mem.h"
#include "raster/divide.h"
#include "raster/flat.h"
#include "raster/gouraud.h"
#include "raster/span_path.h"
#include "raster/textured.h"
#include "tests/support/plain_raster.h"
#include "tests/support/raster_canvas.h"

// GoogleTest names the path in a failure's message.
void PrintTo(RasterPath path, std::ostream* out)
{
    *out << raster_path_name(path);
}

namespace {

enum class Family { FLAT, GOURAUD, GOURAUD_ADD, TEX, TEX_ADD, TEX_HALF };

struct Polygon {
    ScreenVertex v[4];
    ColourEntry c[4];
    TexCoordEntry t[4];
    int32_t count;
    Pixel flat;
    int32_t slot;
};

class FillerDifferentialTest : public ::testing::TestWithParam<RasterPath> {
protected:
    void SetUp() override
    {
        headless_reset();
        live_blocks = mem_stats().live_blocks;
        tex_init();
        if (!raster_path_set(GetParam()))
            GTEST_SKIP() << "the " << raster_path_name(GetParam())
                         << " path: not in this build or not on this processor";
    }

    void TearDown() override
    {
        raster_path_set(raster_path_best());
        tex_free_all();
        EXPECT_EQ(mem_stats().live_blocks, live_blocks);
    }

    // Mostly near the target, some on its bounds exactly, a few far away.
    int32_t coordinate(int32_t size)
    {
        switch (rng() % 8) {
        case 0:
            return static_cast<int32_t>(rng() % 3) * size / 2 - static_cast<int32_t>(rng() % 2);
        case 1:
            return static_cast<int32_t>(rng() % 80001) - 40000;
        default:
            return static_cast<int32_t>(rng() % (2 * size + 1)) - size / 2;
        }
    }

    // Channels of 0..255 mostly, any 32-bit value sometimes.
    int32_t value(int32_t usual)
    {
        return rng() % 6 ? static_cast<int32_t>(rng() % usual) - usual / 8
                         : static_cast<int32_t>(rng());
    }

    Polygon polygon(int32_t width, int32_t height)
    {
        Polygon p{};
        p.count = rng() % 2 ? 3 : 4;
        for (int32_t i = 0; i < p.count; ++i) {
            p.v[i] = screen_vertex(coordinate(width), coordinate(height));
            // Shared rows and columns are where the walk and the clipper decide most.
            if (i > 0 && rng() % 4 == 0)
                p.v[i].y = p.v[i - 1].y;
            if (i > 0 && rng() % 6 == 0)
                p.v[i].x = p.v[i - 1].x;
            p.c[i] = {value(256), value(256), value(256), 0};
            p.t[i] = {value(2048), value(2048), {}};
        }
        p.flat = static_cast<Pixel>(rng());
        // Sizes 0 to 9 either way: 9 is larger than the fillers draw from.
        p.slot = tex_create(static_cast<int32_t>(rng() % 10), static_cast<int32_t>(rng() % 10));
        for (int32_t i = 0; i < (1 << (tex_log2_width(p.slot) + tex_log2_height(p.slot))); ++i)
            tex_pixels(p.slot)[i] = static_cast<Pixel>(rng());
        return p;
    }

    static void draw(Family family, const RasterTarget& target, const Polygon& p)
    {
        const ScreenVertex* v[] = {&p.v[0], &p.v[1], &p.v[2], &p.v[3]};
        const ColourEntry* c[] = {&p.c[0], &p.c[1], &p.c[2], &p.c[3]};
        const TexCoordEntry* t[] = {&p.t[0], &p.t[1], &p.t[2], &p.t[3]};
        const bool quad = p.count == 4;
        switch (family) {
        case Family::FLAT:
            quad ? raster_flat_quad(target, *v[0], *v[1], *v[2], *v[3], p.flat)
                 : raster_flat_tri(target, *v[0], *v[1], *v[2], p.flat);
            break;
        case Family::GOURAUD:
            quad ? raster_gouraud_quad(target, *v[0], *v[1], *v[2], *v[3], *c[0], *c[1], *c[2],
                                       *c[3])
                 : raster_gouraud_tri(target, *v[0], *v[1], *v[2], *c[0], *c[1], *c[2]);
            break;
        case Family::GOURAUD_ADD:
            quad ? raster_gouraud_add_quad(target, *v[0], *v[1], *v[2], *v[3], *c[0], *c[1], *c[2],
                                           *c[3])
                 : raster_gouraud_add_tri(target, *v[0], *v[1], *v[2], *c[0], *c[1], *c[2]);
            break;
        case Family::TEX:
            quad ? raster_tex_quad(target, *v[0], *v[1], *v[2], *v[3], *t[0], *t[1], *t[2], *t[3],
                                   p.slot)
                 : raster_tex_tri(target, *v[0], *v[1], *v[2], *t[0], *t[1], *t[2], p.slot);
            break;
        case Family::TEX_ADD:
            quad ? raster_tex_add_quad(target, *v[0], *v[1], *v[2], *v[3], *t[0], *t[1], *t[2],
                                       *t[3], p.slot)
                 : raster_tex_add_tri(target, *v[0], *v[1], *v[2], *t[0], *t[1], *t[2], p.slot);
            break;
        case Family::TEX_HALF:
            quad ? raster_tex_half_quad(target, *v[0], *v[1], *v[2], *v[3], *t[0], *t[1], *t[2],
                                        *t[3], p.slot)
                 : raster_tex_half_tri(target, *v[0], *v[1], *v[2], *t[0], *t[1], *t[2], p.slot);
            break;
        }
    }

    static void draw_plain(Family family, const RasterTarget& target, const Polygon& p)
    {
        const ScreenVertex* v[] = {&p.v[0], &p.v[1], &p.v[2], &p.v[3]};
        const ColourEntry* c[] = {&p.c[0], &p.c[1], &p.c[2], &p.c[3]};
        const TexCoordEntry* t[] = {&p.t[0], &p.t[1], &p.t[2], &p.t[3]};
        switch (family) {
        case Family::FLAT:
            return plain::flat(target, v, p.count, p.flat);
        case Family::GOURAUD:
            return plain::gouraud(target, v, c, p.count, plain::Blend::OPAQUE);
        case Family::GOURAUD_ADD:
            return plain::gouraud(target, v, c, p.count, plain::Blend::ADD);
        case Family::TEX:
            return plain::textured(target, v, t, p.count, p.slot, plain::Blend::OPAQUE);
        case Family::TEX_ADD:
            return plain::textured(target, v, t, p.count, p.slot, plain::Blend::ADD);
        case Family::TEX_HALF:
            return plain::textured(target, v, t, p.count, p.slot, plain::Blend::HALF);
        }
    }

    std::mt19937 rng{20261206};
    int32_t live_blocks = 0;
};

TEST_P(FillerDifferentialTest, EveryFillerDrawsThePlainFillersPixels)
{
    constexpr int32_t POLYGONS = 300;
    // Width, height and canary margin: odd widths, one-pixel targets, spans longer than eight.
    const struct {
        int32_t width, height, margin;
    } targets[] = {{1, 1, 3}, {2, 5, 0}, {7, 9, 5}, {37, 23, 3}, {96, 40, 0}};
    const Family families[] = {Family::FLAT, Family::GOURAUD, Family::GOURAUD_ADD,
                               Family::TEX,  Family::TEX_ADD, Family::TEX_HALF};
    for (const auto& size : targets) {
        for (const Family family : families) {
            for (int32_t n = 0; n < POLYGONS; ++n) {
                const Polygon p = polygon(size.width, size.height);
                RasterCanvas ours(size.width, size.height, 0, size.margin);
                RasterCanvas plain(size.width, size.height, 0, size.margin);
                for (int32_t y = 0; y <= size.height; ++y) {
                    for (int32_t x = 0; x < size.width; ++x)
                        ours.at(x, y) = plain.at(x, y) = static_cast<Pixel>(rng());
                }
                draw(family, ours.target(), p);
                draw_plain(family, plain.target(), p);
                tex_free(p.slot);
                ASSERT_TRUE(ours.canaries_intact())
                    << "family " << static_cast<int>(family) << " polygon " << n;
                for (int32_t y = 0; y <= size.height; ++y) {
                    for (int32_t x = 0; x < size.width; ++x)
                        ASSERT_EQ(ours.at(x, y), plain.at(x, y))
                            << "family " << static_cast<int>(family) << ", " << size.width << " x "
                            << size.height << ", polygon " << n << ", pixel " << x << "," << y;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryPath, FillerDifferentialTest, ::testing::ValuesIn(RASTER_PATHS),
                         [](const ::testing::TestParamInfo<RasterPath>& info) {
                             return std::string(raster_path_name(info.param));
                         });

// Dividends where truncation and the magnitude's sign turn, then seeded random ones.
std::vector<int32_t> divide_test_dividends()
{
    std::vector<int32_t> dividends = {0,
                                      1,
                                      -1,
                                      2,
                                      -2,
                                      255,
                                      -256,
                                      INT32_MAX,
                                      INT32_MIN,
                                      INT32_MAX - 1,
                                      INT32_MIN + 1,
                                      1 << 30,
                                      -(1 << 30)};
    std::mt19937 rng(7);
    for (int32_t i = 0; i < 200; ++i)
        dividends.push_back(static_cast<int32_t>(rng()));
    return dividends;
}

TEST(RasterDivideTest, QuotientsAreWrapDivsForEveryDividendAndDivisor)
{
    const std::vector<int32_t> dividends = divide_test_dividends();
    // Every divisor of the table and either side of it, then ones that divide plainly.
    std::vector<int32_t> divisors;
    for (int32_t d = 1; d <= RASTER_RECIPROCALS + 2; ++d)
        divisors.push_back(d);
    for (const int32_t d : {-1, -2, -7, 4096, 65537, INT32_MAX, INT32_MIN})
        divisors.push_back(d);
    for (const int32_t d : divisors) {
        const RasterDivisor divisor = raster_divisor(d);
        for (const int32_t n : dividends)
            ASSERT_EQ(raster_divide(n, divisor), wrap_div(n, d)) << n << " / " << d;
        // Every multiple of the divisor near zero and each one less: where truncation turns.
        for (int32_t q = -3; q <= 3; ++q) {
            const int32_t n = wrap_mul(q, d);
            ASSERT_EQ(raster_divide(n, divisor), wrap_div(n, d)) << n << " / " << d;
            ASSERT_EQ(raster_divide(wrap_sub(n, 1), divisor), wrap_div(wrap_sub(n, 1), d))
                << n << " - 1 / " << d;
        }
    }
}

TEST(RasterDivideTest, FourAtOnceOnTheAvx2PathAreTheScalarQuotients)
{
#ifdef RGB555_AVX2
    if (!raster_path_available(RasterPath::AVX2))
        GTEST_SKIP() << "the AVX2 path: not on this processor";
    std::vector<int32_t> dividends = divide_test_dividends();
    dividends.resize(dividends.size() / 4 * 4);
    for (int32_t d = 2; d < RASTER_RECIPROCALS; ++d) {
        const RasterDivisor divisor = raster_divisor(d);
        for (size_t i = 0; i < dividends.size(); i += 4) {
            alignas(16) int32_t quotients[4];
            _mm_store_si128(
                reinterpret_cast<__m128i*>(quotients),
                raster_divide4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&dividends[i])),
                               divisor));
            for (size_t k = 0; k < 4; ++k)
                ASSERT_EQ(quotients[k], wrap_div(dividends[i + k], d))
                    << dividends[i + k] << " / " << d;
        }
    }
#else
    GTEST_SKIP() << "the AVX2 path: not in this build";
#endif
}

} // namespace
