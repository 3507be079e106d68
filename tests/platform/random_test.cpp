// The shared generator, against its recurrence worked out with 64-bit arithmetic.
#include "platform/random.h"

#include <gtest/gtest.h>

namespace {

TEST(RandomTest, FollowsTheRecurrenceFromStateOne)
{
    // 1 * 214013 + 2531011 = 2745024 = 0x0029E2C0, so the first draw is 0x29 = 41, and the
    // first draw below 10 is 1.
    random_reset();
    EXPECT_EQ(random_below(10), 1);
    random_reset();
    uint64_t state = 1;
    for (int i = 0; i < 10000; ++i) {
        state = (state * 214013 + 2531011) % (1ull << 32);
        ASSERT_EQ(random_next(), static_cast<int32_t>((state >> 16) & 0x7FFF)) << "draw " << i;
    }
    EXPECT_EQ(random_state(), static_cast<uint32_t>(state));
    // 0xB9B33155 is the inverse of 214013 modulo 2^32; this state steps to 0xFFFFFFFF,
    // whose draw has bit 31 left out.
    random_reset(static_cast<uint32_t>((0xFFFFFFFFull - 2531011) * 0xB9B33155ull % (1ull << 32)));
    EXPECT_EQ(random_next(), 0x7FFF);
}

} // namespace
