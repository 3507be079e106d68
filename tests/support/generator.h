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

    // How many draws (up to 64) lead from this state to the later one, or -1.
    int draws_to(uint32_t later) const
    {
        TestGenerator generator{state};
        for (int draws = 0; draws <= 64; ++draws, generator.next()) {
            if (generator.state == later)
                return draws;
        }
        return -1;
    }

    // The state whose next draw steps to the given one: 0xB9B33155 inverts 214013 mod 2^32.
    static uint32_t before(uint32_t state)
    {
        return (state - 2531011u) * 0xB9B33155u;
    }
};
