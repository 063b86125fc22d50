#include "UidGenerator.h"

#include <algorithm>

#include "Random.h"

namespace VantorSyntheticCT {

std::string UidGenerator::make(std::initializer_list<std::uint64_t> path) const {
  std::uint64_t high = Random::mix(seed_, 0x5D1C0);
  std::uint64_t low = Random::mix(high, seed_);
  for (std::uint64_t part : path) {
    high = Random::mix(high, part);
    low = Random::mix(low ^ 0xA5A5A5A5ULL, part + high);
  }
  // A version-4 style UUID value: 122 random bits, never zero, so at most 39 digits.
  unsigned __int128 value = (static_cast<unsigned __int128>(high & 0x03FFFFFFFFFFFFFFULL) << 64) | low;
  if (value == 0) value = 1;
  std::string digits;
  while (value > 0) {
    digits.push_back(static_cast<char>('0' + static_cast<int>(value % 10)));
    value /= 10;
  }
  std::reverse(digits.begin(), digits.end());
  return "2.25." + digits;
}

}  // namespace VantorSyntheticCT
