#include "platform/Random.h"

#include <cstdint>

namespace {
std::uint32_t randomState = 1u;
}

void randomSeed(unsigned int seed) {
    randomState = static_cast<std::uint32_t>(seed);
}

unsigned int randomCurrentState() {
    return static_cast<unsigned int>(randomState);
}

int randomNext() {
    // Linear congruential step with 32-bit wrap-around; the high bits are the better ones.
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFFu);
}
