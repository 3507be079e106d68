// The optimised fillers, reached through the ordering table as a frame reaches them, against the
// plain fillers of tests/support/plain_raster.h: seeded random triangles and quads of every code,
// on and off targets of odd sizes with canary margins, with colours and texture coordinates of any
// value and textures of every size. Every pixel, the guard row's included, must match, and no write
// may land outside the buffer; each vertex's entries differ, so a code sent to the wrong filler or
// an index read from the wrong place shows too. Every span path the build and the processor have
// is run; the others are skipped, each saying why. Also the reciprocal division against wrap_div.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/texture.h"
#include "raster/divide.h"
#include "raster/ordering_table.h"
#include "raster/span_path.h"
#include "tests/support/packets.h"
#include "tests/support/plain_raster.h"
#include "tests/support/raster_canvas.h"
#include "tests/support/scene_fixture.h"

namespace {

constexpr uint32_t SEED = 20261206;
constexpr int32_t TEXCOORD_WHOLE = 256; // the whole texture, either way

enum class Kind { FLAT, GOURAUD, TEXTURED };

// Each family's triangle code (its quad's is the next) and how the plain fillers draw it.
constexpr struct {
    int32_t tri_code;
    Kind kind;
    plain::Blend blend;
} FAMILIES[] = {
    {PACKET_FLAT_TRI, Kind::FLAT, plain::Blend::OPAQUE},
    {PACKET_GOURAUD_TRI, Kind::GOURAUD, plain::Blend::OPAQUE},
    {PACKET_GOURAUD_ADD_TRI, Kind::GOURAUD, plain::Blend::ADD},
    {PACKET_TEX_TRI, Kind::TEXTURED, plain::Blend::OPAQUE},
    {PACKET_TEX_ADD_TRI, Kind::TEXTURED, plain::Blend::ADD},
    {PACKET_TEX_HALF_TRI, Kind::TEXTURED, plain::Blend::HALF},
};

class FillerDifferentialTest : public SceneFixture,
                               public ::testing::WithParamInterface<RasterPath> {
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        tex_init();
        ASSERT_EQ(scene_reserve_vertices(RASTER_POLYGON_MAX), 0);
        if (!raster_path_set(GetParam()))
            GTEST_SKIP() << "the " << raster_path_name(GetParam())
                         << " path: not in this build or not on this processor";
    }

    void TearDown() override
    {
        raster_path_set(raster_path_best());
        tex_free_all();
        SceneFixture::TearDown();
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

    // A random polygon of count vertices in vertex slots and entries 0 to count - 1, its flat
    // colour in entry 0, and a texture of 2^0 to 2^9 texels either way (9 is beyond the fillers):
    // its packet is the only one in the stream. Then the plain filler of the family draws it.
    int32_t polygon(uint32_t code, int32_t width, int32_t height)
    {
        SceneHeader& header = scene_header();
        const int32_t count = packet_vertex_count(code);
        const int32_t slot =
            tex_create(static_cast<int32_t>(rng() % 10), static_cast<int32_t>(rng() % 10));
        for (int32_t i = 0; i < (1 << (tex_log2_width(slot) + tex_log2_height(slot))); ++i)
            tex_pixels(slot)[i] = static_cast<Pixel>(rng());
        for (int32_t i = 0; i < count; ++i) {
            ScreenVertex& v = *scene_vertex_slot(i);
            v = {coordinate(width), coordinate(height), 100, VERTEX_PROJECTED};
            // Shared rows and columns are where the walk and the clipper decide most.
            if (i > 0 && rng() % 4 == 0)
                v.y = scene_vertex_slot(i - 1)->y;
            if (i > 0 && rng() % 6 == 0)
                v.x = scene_vertex_slot(i - 1)->x;
            header.colour_entries[i] = {value(256), value(256), value(256), 0};
            header.texcoords[i] = {value(2048), value(2048), {}};
        }
        if (count == 4 && rng() % 3 == 0)
            run_quad(width, height, tex_log2_width(slot));
        header.flat_colours[0] = static_cast<Pixel>(rng());
        header.packet_count = 0;
        header.packet_write = header.first_packet;
        const QuadPacket packet = test_packet(code, 0, 0, 0, slot);
        EXPECT_EQ(scene_add_packets(&packet, packet.size, 1), 0);
        return slot;
    }

    // A rectangle whose rows follow the texture's rows, at most a unit off level, at an eighth
    // to twice a texel per pixel either way round: where the wide span routines read runs of
    // texels with one load.
    void run_quad(int32_t width, int32_t height, int32_t log2_width)
    {
        static constexpr int32_t RATES[][2] = {{1, 8}, {3, 4}, {1, 1}, {17, 16}, {2, 1}};
        const auto& rate = RATES[rng() % std::size(RATES)];
        const int32_t x0 = coordinate(width);
        const int32_t y0 = coordinate(height);
        const int32_t x1 = x0 + 16 + static_cast<int32_t>(rng() % (2 * width + 1));
        const int32_t y1 = y0 + 1 + static_cast<int32_t>(rng() % (height + 1));
        const int32_t across =
            ((x1 - x0) * TEXCOORD_WHOLE * rate[0] / rate[1] >> log2_width) * (rng() % 2 ? 1 : -1);
        const int32_t u = value(2048);
        const int32_t v = value(2048);
        const int32_t down = value(TEXCOORD_WHOLE);
        const int32_t tilt = static_cast<int32_t>(rng() % 3) - 1;
        const int32_t xs[] = {x0, x1, x1, x0};
        const int32_t ys[] = {y0, y0, y1, y1};
        const int32_t us[] = {u, wrap_add(u, across), wrap_add(u, across), u};
        const int32_t vs[] = {v, wrap_add(v, tilt), wrap_add(v, down + tilt), wrap_add(v, down)};
        for (int32_t i = 0; i < 4; ++i) {
            *scene_vertex_slot(i) = {xs[i], ys[i], 100, VERTEX_PROJECTED};
            scene_header().texcoords[i] = {us[i], vs[i], {}};
        }
    }

    static void draw_plain(Kind kind, plain::Blend blend, const RasterTarget& target, int32_t count,
                           int32_t slot)
    {
        const SceneHeader& h = scene_header();
        const ScreenVertex* v = scene_vertex_slot(0);
        if (kind == Kind::FLAT)
            plain::flat(target, v, count, h.flat_colours[0]);
        else if (kind == Kind::GOURAUD)
            plain::gouraud(target, v, h.colour_entries, count, blend);
        else
            plain::textured(target, v, h.texcoords, count, slot, blend);
    }

    std::mt19937 rng{SEED};
};

TEST_P(FillerDifferentialTest, EveryCodeDrawsThePlainFillersPixels)
{
    constexpr int32_t POLYGONS = 300;
    // Width, height and canary margin: odd widths, one-pixel targets, spans longer than eight.
    const struct {
        int32_t width, height, margin;
    } targets[] = {{1, 1, 3}, {2, 5, 0}, {7, 9, 5}, {37, 23, 3}, {96, 40, 0}};
    for (const auto& size : targets) {
        for (const auto& family : FAMILIES) {
            for (int32_t n = 0; n < POLYGONS; ++n) {
                const auto code = static_cast<uint32_t>(family.tri_code + n % 2);
                SCOPED_TRACE(testing::Message()
                             << "seed " << SEED << ", code " << code << ", " << size.width << " x "
                             << size.height << ", polygon " << n);
                const int32_t slot = polygon(code, size.width, size.height);
                RasterCanvas ours(size.width, size.height, 0, size.margin);
                RasterCanvas plain(size.width, size.height, 0, size.margin);
                for (int32_t y = 0; y <= size.height; ++y) {
                    for (int32_t x = 0; x < size.width; ++x)
                        ours.at(x, y) = plain.at(x, y) = static_cast<Pixel>(rng());
                }
                ot_insert_packets(*scene_current());
                ot_flush(*scene_current(), ours.target());
                draw_plain(family.kind, family.blend, plain.target(), packet_vertex_count(code),
                           slot);
                tex_free(slot);
                ASSERT_TRUE(ours.canaries_intact());
                ASSERT_EQ(ours.first_difference(plain), "");
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryPath, FillerDifferentialTest, ::testing::ValuesIn(RASTER_PATHS),
                         [](const ::testing::TestParamInfo<RasterPath>& info) {
                             return std::string(raster_path_name(info.param));
                         });

// Dividends where truncation and the magnitude's sign turn (0, plus and minus 2^k and one less),
// seeded random ones, and every multiple of the divisor near zero and each one less, divided by
// every divisor of the table and either side of it and by ones that divide plainly: one at a time,
// and four at once on the AVX2 path when the processor has it.
TEST(RasterDivideTest, QuotientsAreWrapDivsForEveryDividendAndDivisor)
{
    std::vector<int32_t> dividends = {INT32_MAX - 1};
    for (const int k : {0, 1, 8, 30, 31}) {
        const auto power = static_cast<int32_t>(static_cast<uint32_t>(1) << k);
        for (const int32_t n : {power, wrap_sub(power, 1)})
            dividends.insert(dividends.end(), {n, wrap_sub(0, n)});
    }
    std::mt19937 rng(7);
    for (int32_t i = 0; i < 200; ++i)
        dividends.push_back(static_cast<int32_t>(rng()));
    std::vector<int32_t> divisors = {-1, -2, -7, 4096, 65537, INT32_MAX, INT32_MIN};
    for (int32_t d = 1; d <= RASTER_RECIPROCALS + 2; ++d)
        divisors.push_back(d);
    for (const int32_t d : divisors) {
        const RasterDivisor divisor = raster_divisor(d);
        std::vector<int32_t> tried = dividends;
        for (int32_t q = -3; q <= 3; ++q)
            tried.insert(tried.end(), {wrap_mul(q, d), wrap_sub(wrap_mul(q, d), 1)});
        for (size_t i = 0; i < tried.size(); ++i) {
            ASSERT_EQ(raster_divide(tried[i], divisor), wrap_div(tried[i], d))
                << tried[i] << " / " << d;
#ifdef RGB555_AVX2
            if (i % 4 || i + 4 > tried.size() || !divisor.reciprocal ||
                !raster_path_available(RasterPath::AVX2))
                continue;
            alignas(16) int32_t four[4];
            _mm_store_si128(
                reinterpret_cast<__m128i*>(four),
                raster_divide4(_mm_loadu_si128(reinterpret_cast<__m128i*>(&tried[i])), divisor));
            for (size_t k = 0; k < 4; ++k)
                ASSERT_EQ(four[k], wrap_div(tried[i + k], d)) << tried[i + k] << " / " << d;
#endif
        }
    }
}

} // namespace
