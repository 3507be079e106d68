// The fuzz targets' decoder: the fuzzer's bytes read as the arguments of calls. A number is one
// selector byte and what it says: a value in the range the call expects, a small signed value, a
// value from a table of extremes, or four raw bytes, so that short inputs already reach the
// boundaries. Once the bytes run out every read gives 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

struct FuzzInput {
    const uint8_t* at;
    size_t left;
};

constexpr int32_t FUZZ_EXTREMES[] = {
    0,       -1,     1,       INT32_MIN, INT32_MAX,  INT32_MIN + 1, INT32_MAX - 1, 0x7FFF,
    -0x8000, 0xFFFF, 0x10000, 1 << 30,   -(1 << 30), 255,           256,           -256};

inline bool fuzz_empty(const FuzzInput& in)
{
    return in.left == 0;
}

inline uint8_t fuzz_byte(FuzzInput& in)
{
    if (in.left == 0)
        return 0;
    --in.left;
    return *in.at++;
}

// Little-endian.
inline uint32_t fuzz_word(FuzzInput& in)
{
    uint32_t word = 0;
    for (int32_t i = 0; i < 4; ++i)
        word |= static_cast<uint32_t>(fuzz_byte(in)) << (8 * i);
    return word;
}

// A value in low..high (two bytes spread over the range), a small signed one, an extreme, or any.
inline int32_t fuzz_number(FuzzInput& in, int32_t low, int32_t high)
{
    switch (fuzz_byte(in) % 4) {
    case 0: {
        const uint32_t spread = fuzz_byte(in) | static_cast<uint32_t>(fuzz_byte(in)) << 8;
        const int64_t span = int64_t{high} - low + 1;
        return static_cast<int32_t>(low + static_cast<int64_t>(spread) % span);
    }
    case 1:
        return static_cast<int8_t>(fuzz_byte(in));
    case 2:
        return FUZZ_EXTREMES[fuzz_byte(in) % std::size(FUZZ_EXTREMES)];
    default:
        return static_cast<int32_t>(fuzz_word(in));
    }
}

// Up to count bytes, fewer when the input ends first; zero bytes included.
inline std::string fuzz_bytes(FuzzInput& in, size_t count)
{
    const size_t taken = count < in.left ? count : in.left;
    std::string bytes(reinterpret_cast<const char*>(in.at), taken);
    in.at += taken;
    in.left -= taken;
    return bytes;
}
