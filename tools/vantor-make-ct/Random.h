#pragma once
// Small deterministic random source (SplitMix64). The standard library's
// distributions differ between implementations, so the generator draws its
// own numbers to give the same volume everywhere.

#include <cstdint>

namespace VantorSyntheticCT {

class Random {
public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

  // Uniform in [0, 1).
  double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  double uniform(double low, double high) { return low + (high - low) * uniform(); }

  // Roughly normal (sum of four uniforms), mean 0, standard deviation 1.
  double normal() {
    const std::uint64_t bits = next();
    const double sum = static_cast<double>((bits & 0xFFFF) + ((bits >> 16) & 0xFFFF) + ((bits >> 32) & 0xFFFF) +
                                           (bits >> 48));
    return (sum - 131070.0) * (1.0 / 37837.23);
  }

  // Mixes several numbers into one seed.
  static std::uint64_t mix(std::uint64_t a, std::uint64_t b) {
    Random r(a * 0x9E3779B97F4A7C15ULL ^ (b + 0x632BE59BD9B4E019ULL));
    return r.next();
  }

private:
  std::uint64_t state_;
};

}  // namespace VantorSyntheticCT
