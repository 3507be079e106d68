// The 32-bit integer arithmetic of the 3D work: sums and products that wrap, and the fixed-point
// format in which 512 means 1.0.
//
// Every sum and product of the pipeline is 32-bit two's complement and wraps on overflow; callers
// keep their coordinates in range, so a wrap is a caller's fault, never undefined behaviour. The
// helpers compute through uint32_t, where overflow is defined, and convert back, which C++20
// defines as modulo 2^32. Right shifts of negative values are arithmetic (toward minus infinity)
// and signed division truncates toward zero, both as C++20 defines them.
#pragma once

#include <cstdint>

// Sines, cosines and the rotation rows of a matrix: FIXED_ONE (512) means 1.0.
constexpr int32_t FIXED_SHIFT = 9;
constexpr int32_t FIXED_ONE = 1 << FIXED_SHIFT;

constexpr int32_t wrap_add(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

constexpr int32_t wrap_sub(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

constexpr int32_t wrap_mul(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

constexpr int32_t wrap_neg(int32_t a)
{
    return wrap_sub(0, a);
}

// a / b truncated toward zero, for any b but 0. The one quotient that does not fit, INT32_MIN / -1,
// wraps to INT32_MIN like every other 32-bit result instead of trapping as the processor's
// division would.
constexpr int32_t wrap_div(int32_t a, int32_t b)
{
    return b == -1 ? wrap_neg(a) : a / b;
}

// a * 2^bits modulo 2^32; the count is taken modulo 32, as the processor's shift takes it.
constexpr int32_t wrap_shl(int32_t a, int32_t bits)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) << (bits & 31));
}

// The product of two values of which one is at 512 = 1.0, shifted back by 9 bits: the result has
// the other value's scale. The shift rounds toward minus infinity.
constexpr int32_t fx9_mul(int32_t a, int32_t b)
{
    return wrap_mul(a, b) >> FIXED_SHIFT;
}
