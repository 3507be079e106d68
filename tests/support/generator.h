// The shared generator's rule, worked out for tests: state = state x 214013 + 2531011 modulo
// 2^32, each draw bits 16 to 30 of the new state.
#pragma once

#include <cstdint>

struct TestGenerator {
    uint32_t state = 1;

    int32_t next()
    {
        state = state * 214013u + 2531011u;
        return static_cast<int32_t>(state >> 16 & 0x7FFF);
    }

    int32_t below(int32_t n)
    {
        return next() % n;
    }
};
