// The pixel helpers of pixel.h on eight pixels at once, in a 128-bit SSE2 register: four words
// of two pixels, each word handled exactly as its scalar helper handles it (the masks and shifts
// act on 32-bit lanes, so no carry or shifted bit crosses from one word into the next). Included
// only where __SSE2__ is defined; each caller keeps its portable word loop beside it for the
// remainder of a row and for builds without SSE2 (the 32-bit Windows build).
#pragma once

#ifdef __SSE2__

#include <emmintrin.h>

#include "platform/pixel.h"

constexpr int32_t RGB555_SSE2_PIXELS = 8;
constexpr int32_t RGB555_SSE2_WORDS = 4;

inline __m128i rgb555_load8(const Pixel* at)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

inline void rgb555_store8(Pixel* at, __m128i pixels)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), pixels);
}

// The first count (0 to 7) pixels from at into the low lanes, the rest 0; nothing past them is
// read. Pieces of four, two and one pixels, the last piece first, each shifted up past the next.
inline __m128i rgb555_load_partial8(const Pixel* at, int32_t count)
{
    __m128i pixels = _mm_setzero_si128();
    if (count & 1)
        pixels = _mm_cvtsi32_si128(at[count - 1]);
    if (count & 2)
        pixels =
            _mm_or_si128(_mm_slli_si128(pixels, 4),
                         _mm_cvtsi32_si128(static_cast<int>(rgb555_load_pair(at + (count & 4)))));
    if (count & 4)
        pixels = _mm_or_si128(_mm_slli_si128(pixels, 8),
                              _mm_loadl_epi64(reinterpret_cast<const __m128i*>(at)));
    return pixels;
}

// The low count (0 to 7) lanes to at; nothing past them is written.
inline void rgb555_store_partial8(Pixel* at, __m128i pixels, int32_t count)
{
    if (count & 4) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(at), pixels);
        pixels = _mm_srli_si128(pixels, 8);
        at += 4;
    }
    if (count & 2) {
        rgb555_store_pair(at, static_cast<uint32_t>(_mm_cvtsi128_si32(pixels)));
        pixels = _mm_srli_si128(pixels, 4);
        at += 2;
    }
    if (count & 1)
        *at = static_cast<Pixel>(_mm_cvtsi128_si32(pixels));
}

inline __m128i rgb555_word_constant8(uint32_t word)
{
    return _mm_set1_epi32(static_cast<int>(word));
}

// rgb555_half_pair on four words.
inline __m128i rgb555_half8(__m128i pairs)
{
    return _mm_and_si128(_mm_srli_epi32(pairs, 1), rgb555_word_constant8(RGB555_HALF_MASK));
}

// rgb555_add_saturate_pair on four words.
inline __m128i rgb555_add_saturate8(__m128i a, __m128i b)
{
    const __m128i keep = rgb555_word_constant8(RGB555_ADD_MASK);
    const __m128i sum = _mm_add_epi32(_mm_and_si128(a, keep), _mm_and_si128(b, keep));
    const __m128i carry = _mm_and_si128(sum, rgb555_word_constant8(RGB555_CARRY_MASK));
    return _mm_or_si128(sum, _mm_sub_epi32(carry, _mm_srli_epi32(carry, RGB555_CHANNEL_BITS)));
}

// rgb555_blend_half on eight pixels.
inline __m128i rgb555_blend_half8(__m128i a, __m128i b)
{
    return _mm_add_epi32(rgb555_half8(a), rgb555_half8(b));
}

#endif
