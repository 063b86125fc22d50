#pragma once
// DICOM UIDs under the 2.25 root (a UUID written as one decimal number), made
// from the seed and the position in the data set so that the same seed gives
// the same UIDs.

#include <cstdint>
#include <initializer_list>
#include <string>

namespace VantorSyntheticCT {

class UidGenerator {
public:
  explicit UidGenerator(std::uint64_t seed) : seed_(seed) {}
  std::string make(std::initializer_list<std::uint64_t> path) const;

private:
  std::uint64_t seed_;
};

}  // namespace VantorSyntheticCT
