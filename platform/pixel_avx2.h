// The pixel helpers of pixel.h on sixteen pixels at once, in a 256-bit AVX2 register: eight words
// of two pixels, each word handled exactly as its scalar helper handles it. Only x86-64 builds have
// them (RGB555_AVX2 says so), and there each function is compiled for AVX2 alone, whatever the
// build's own target: only code compiled for AVX2 in the same way can inline them, and a caller
// takes that code only when the processor reports AVX2 (raster/span_path.h).
#pragma once

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))

#define RGB555_AVX2 1

#include <immintrin.h>

#include "platform/pixel.h"

constexpr int32_t RGB555_AVX2_PIXELS = 16;

// The pixels that count pixels drawn sixteen at a time touch: the last group's whole sixteen.
constexpr int32_t rgb555_reach16(int32_t count)
{
    return (count + RGB555_AVX2_PIXELS - 1) & -RGB555_AVX2_PIXELS;
}

[[gnu::target("avx2")]] inline __m256i rgb555_load16(const Pixel* at)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

[[gnu::target("avx2")]] inline void rgb555_store16(Pixel* at, __m256i pixels)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), pixels);
}

[[gnu::target("avx2")]] inline __m256i rgb555_word_constant16(uint32_t word)
{
    return _mm256_set1_epi32(static_cast<int>(word));
}

// All ones in the first count (0 to 16) 16-bit lanes, 0 in the others.
[[gnu::target("avx2")]] inline __m256i rgb555_lanes_first16(int32_t count)
{
    alignas(32) static constexpr uint16_t ones_then_zeros[2 * RGB555_AVX2_PIXELS] = {
        0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF,
        0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    return _mm256_loadu_si256(
        reinterpret_cast<const __m256i*>(ones_then_zeros + RGB555_AVX2_PIXELS - count));
}

// The first count (0 to 16) of sixteen pixels to at, the other pixels there written back as they
// are: all sixteen must lie inside the buffer.
[[gnu::target("avx2")]] inline void rgb555_store_first16(Pixel* at, __m256i pixels, __m256i frame,
                                                         int32_t count)
{
    rgb555_store16(at, _mm256_blendv_epi8(frame, pixels, rgb555_lanes_first16(count)));
}

// rgb555_add_saturate_pair on eight words, for a first operand whose channels have their lowest
// bit 0 and bit 15 clear already (the additive gouraud colours): its mask would change nothing.
[[gnu::target("avx2")]] inline __m256i rgb555_add_saturate16_even(__m256i even, __m256i b)
{
    const __m256i sum =
        _mm256_add_epi32(even, _mm256_and_si256(b, rgb555_word_constant16(RGB555_ADD_MASK)));
    const __m256i carry = _mm256_and_si256(sum, rgb555_word_constant16(RGB555_CARRY_MASK));
    return _mm256_or_si256(sum,
                           _mm256_sub_epi32(carry, _mm256_srli_epi32(carry, RGB555_CHANNEL_BITS)));
}

// rgb555_add_saturate_pair on eight words.
[[gnu::target("avx2")]] inline __m256i rgb555_add_saturate16(__m256i a, __m256i b)
{
    return rgb555_add_saturate16_even(_mm256_and_si256(a, rgb555_word_constant16(RGB555_ADD_MASK)),
                                      b);
}

// rgb555_blend_half on sixteen pixels, with one shift for both: each channel is masked to its
// upper four bits where it stands, so the two sums are even, fit their 16 bits, and halve exactly
// to the sum of the halves.
[[gnu::target("avx2")]] inline __m256i rgb555_blend_half16(__m256i a, __m256i b)
{
    const __m256i mask = rgb555_word_constant16(RGB555_ADD_MASK);
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_and_si256(a, mask), _mm256_and_si256(b, mask)),
                             1);
}

#endif
