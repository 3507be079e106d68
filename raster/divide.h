// Division by one positive divisor that several dividends share: an edge's rows divide its x and
// every value, a span's width divides every step. Up to RASTER_RECIPROCALS - 1 the quotient is a
// multiply by the divisor's reciprocal instead of a division, exact for every 32-bit dividend:
// with M = ceil(2^64 / d), floor(n x M / 2^64) = floor(n / d) for every n below 2^32 (Lemire,
// Kaser and Kurz, "Faster remainder by direct computation", 2019). A dividend's magnitude is
// divided so that the quotient truncates toward zero, as wrap_div does.
#pragma once

#include <array>
#include <cstdint>

#include "platform/pixel_avx2.h"
#include "scene/fixed.h"

// Divisors below this come from the table; the frame is narrower and shorter than it.
constexpr int32_t RASTER_RECIPROCALS = 1024;

struct RasterDivisor {
    int32_t divisor;
    uint64_t reciprocal; // ceil(2^64 / divisor), or 0: divide by the divisor itself
};

#ifdef __SIZEOF_INT128__
// Divisor 1 would need 2^64, one more than the word holds, so it divides plainly like the large
// divisors and 0.
constexpr std::array<uint64_t, RASTER_RECIPROCALS> RASTER_RECIPROCAL_TABLE = [] {
    std::array<uint64_t, RASTER_RECIPROCALS> table{};
    for (uint64_t d = 2; d < RASTER_RECIPROCALS; ++d)
        table[d] = UINT64_MAX / d + 1;
    return table;
}();
#endif

// The divisor ready to divide by; any value but 0 may be given.
inline RasterDivisor raster_divisor(int32_t divisor)
{
#ifdef __SIZEOF_INT128__
    if (divisor > 0 && divisor < RASTER_RECIPROCALS)
        return {divisor, RASTER_RECIPROCAL_TABLE[divisor]};
#endif
    return {divisor, 0};
}

// wrap_div(dividend, divisor.divisor).
inline int32_t raster_divide(int32_t dividend, const RasterDivisor& divisor)
{
#ifdef __SIZEOF_INT128__
    if (divisor.reciprocal) {
        // All ones for a negative dividend: the magnitude and the quotient's sign both come from
        // one XOR and one subtraction.
        const uint32_t sign = static_cast<uint32_t>(dividend >> 31);
        const uint32_t magnitude = (static_cast<uint32_t>(dividend) ^ sign) - sign;
        const auto quotient = static_cast<uint32_t>(
            (static_cast<unsigned __int128>(divisor.reciprocal) * magnitude) >> 64);
        return static_cast<int32_t>((quotient ^ sign) - sign);
    }
#endif
    // A flat edge and a one-pixel span divide by 1, often enough to spare them the division.
    if (divisor.divisor == 1)
        return dividend;
    return wrap_div(dividend, divisor.divisor);
}

#if defined(RGB555_AVX2) && defined(__SIZEOF_INT128__)
// raster_divide on four dividends at once, for the AVX2 span routines: the 64 x 32-bit product
// of the scalar form from two 32 x 32-bit halves, floor((high + floor(low / 2^32)) / 2^32) being
// floor(n x M / 2^64). The divisor must have a reciprocal.
[[gnu::target("avx2")]] inline __m128i raster_divide4(__m128i dividends,
                                                      const RasterDivisor& divisor)
{
    const __m128i sign = _mm_srai_epi32(dividends, 31);
    const __m256i magnitude =
        _mm256_cvtepu32_epi64(_mm_sub_epi32(_mm_xor_si128(dividends, sign), sign));
    constexpr int HALF = 32;
    const __m256i low = _mm256_mul_epu32(
        magnitude, _mm256_set1_epi64x(static_cast<int64_t>(divisor.reciprocal & UINT32_MAX)));
    const __m256i high = _mm256_mul_epu32(
        magnitude, _mm256_set1_epi64x(static_cast<int64_t>(divisor.reciprocal >> HALF)));
    const __m256i quotient =
        _mm256_srli_epi64(_mm256_add_epi64(high, _mm256_srli_epi64(low, HALF)), HALF);
    const __m128i packed = _mm256_castsi256_si128(
        _mm256_permutevar8x32_epi32(quotient, _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6)));
    return _mm_sub_epi32(_mm_xor_si128(packed, sign), sign);
}
#endif
