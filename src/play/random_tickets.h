#pragma once
// Tickets bought at random, for comparing a way of betting with chance: a seeded generator that
// gives the same numbers on every machine, and the winning tickets among randomly bought ones.

#include <cstdint>
#include <vector>

namespace play {

inline std::uint64_t splitMix(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

// xoshiro256**: fast, small state, and the same numbers on every machine.
class Random {
  public:
    Random(std::uint64_t seed, std::uint64_t run) {
        std::uint64_t state = seed ^ (run * 0xd1b54a32d192ed03ull);
        for (auto& word : s_) word = splitMix(state);
    }
    std::uint64_t next() {
        const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
        const std::uint64_t t = s_[1] << 17;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = rotl(s_[3], 45);
        return result;
    }
    // Uniform in [0, n), without the bias of a plain remainder.
    std::uint32_t below(std::uint32_t n) {
        const std::uint64_t threshold = (0 - static_cast<std::uint64_t>(n)) % n;
        for (;;) {
            const std::uint64_t x = next();
            if (x >= threshold) return static_cast<std::uint32_t>(x % n);
        }
    }

  private:
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t s_[4];
};

// What a random run needs of a tested period: how many tickets were bought, and the selections
// that win with its draw.
struct RandomPeriod {
    std::uint32_t bought = 0;
    std::vector<std::uint32_t> winners;
};

// The winning tickets when period.bought distinct selections of n are taken at random. chosen
// holds n marks, all false before and after; picked is scratch.
std::int64_t randomHits(Random& random, std::uint32_t n, std::uint32_t bought,
                        const std::vector<std::uint32_t>& winners,
                        std::vector<std::uint8_t>& chosen, std::vector<std::uint32_t>& picked);
inline std::int64_t randomHits(Random& random, std::uint32_t n, const RandomPeriod& period,
                               std::vector<std::uint8_t>& chosen,
                               std::vector<std::uint32_t>& picked) {
    return randomHits(random, n, period.bought, period.winners, chosen, picked);
}

// The value at a share (0..1) of the values, which are reordered.
double quantile(std::vector<std::int64_t>& values, double share);

} // namespace play
