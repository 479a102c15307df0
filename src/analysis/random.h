// A pseudo-random generator whose output is fixed by its seed on every
// machine and compiler: xoshiro256** seeded through splitmix64, and integer
// draws of our own (the standard library's distributions differ between
// implementations, its engines are fine but its distributions are not).
#pragma once

#include <cstdint>

namespace parvela {

class Xoshiro256 {
 public:
  explicit Xoshiro256(std::uint64_t seed) {
    for (std::uint64_t& word : s_) word = splitmix(seed);
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

  // Uniform in [lo, hi] (lo <= hi), without bias: draws below 2^64 mod the
  // range's width are drawn again.
  std::int64_t uniform(std::int64_t lo, std::int64_t hi) {
    const std::uint64_t width = static_cast<std::uint64_t>(hi) - static_cast<std::uint64_t>(lo) + 1;
    if (width == 0) return static_cast<std::int64_t>(next());  // the whole 64-bit range
    const std::uint64_t reject = (0 - width) % width;
    std::uint64_t r;
    do r = next();
    while (r < reject);
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(lo) + r % width);
  }

  // A non-zero value in [-m, m].
  std::int64_t nonZero(std::int64_t m) {
    const std::int64_t v = uniform(1, m);
    return uniform(0, 1) ? v : -v;
  }

  // splitmix64: spreads a seed over the state, and mixes several numbers
  // into one seed.
  static std::uint64_t splitmix(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }

 private:
  static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  std::uint64_t s_[4];
};

}  // namespace parvela
