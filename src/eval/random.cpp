// SPDX-License-Identifier: GPL-3.0-or-later

#include "eval/random.h"

#include <ctime>

namespace quantrel {

void RandomGenerator::seed(std::uint32_t value) {
    state_[0] = value;
    for (int i = 1; i < kStateSize; ++i) {
        const std::uint32_t previous = state_[i - 1];
        state_[i] = 1812433253u * (previous ^ (previous >> 30)) + static_cast<std::uint32_t>(i);
    }
    index_ = kStateSize;
}

std::uint32_t RandomGenerator::nextWord() {
    if (index_ >= kStateSize) {
        for (int k = 0; k < kStateSize; ++k) {
            const std::uint32_t y =
                (state_[k] & 0x80000000u) | (state_[(k + 1) % kStateSize] & 0x7fffffffu);
            state_[k] = state_[(k + 397) % kStateSize] ^ (y >> 1) ^ ((y & 1u) ? 0x9908b0dfu : 0u);
        }
        index_ = 0;
    }
    std::uint32_t y = state_[index_++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9d2c5680u;
    y ^= (y << 15) & 0xefc60000u;
    y ^= y >> 18;
    return y;
}

long double RandomGenerator::nextUnit() {
    return static_cast<long double>(nextWord()) / 4294967295.0L;
}

std::uint32_t clockSeed() {
    return static_cast<std::uint32_t>(std::time(nullptr));
}

}  // namespace quantrel
