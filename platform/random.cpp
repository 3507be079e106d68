#include "platform/random.h"

namespace {

constexpr uint32_t RANDOM_MULTIPLIER = 214013;
constexpr uint32_t RANDOM_INCREMENT = 2531011;

// Unsigned, so the step wraps modulo 2^32 as it must.
uint32_t random_generator_state = RANDOM_START_STATE;

} // namespace

int32_t random_next()
{
    random_generator_state = random_generator_state * RANDOM_MULTIPLIER + RANDOM_INCREMENT;
    return static_cast<int32_t>((random_generator_state >> 16) & RANDOM_MAX);
}

int32_t random_below(int32_t n)
{
    return random_next() % n;
}

void random_reset(uint32_t state)
{
    random_generator_state = state;
}

uint32_t random_state()
{
    return random_generator_state;
}
