// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <cstdint>

namespace quantrel {

/// The 32-bit Mersenne Twister MT19937 as published (period 2^19937 - 1).
/// The seed taken when none is given: the clock, in seconds.
std::uint32_t clockSeed();

class RandomGenerator {
public:
    /// Initialises the state from one 32-bit value; the next draw regenerates the whole state.
    void seed(std::uint32_t value);
    /// The next tempered 32-bit word.
    std::uint32_t nextWord();
    /// The next word divided by 2^32 - 1: a number in the closed interval [0, 1].
    long double nextUnit();

private:
    static constexpr int kStateSize = 624;
    std::array<std::uint32_t, kStateSize> state_{};
    int index_ = kStateSize + 1;
};

}  // namespace quantrel
