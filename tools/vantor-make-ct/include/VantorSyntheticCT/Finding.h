#pragma once
// Findings the generator can put into the lungs and pleura, each placed in one
// of the six lung zones (upper, middle, lower third of each lung's height).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace VantorSyntheticCT {

enum class FindingKind : std::uint8_t {
  RoundedOpacitySmall,       // rounded opacities up to 1.5 mm
  RoundedOpacityMedium,      // rounded opacities 1.5-3 mm
  RoundedOpacityLarge,       // rounded opacities 3-10 mm
  IrregularOpacity,          // irregular / linear opacities
  GroundGlass,
  Honeycombing,
  Emphysema,
  LargeOpacity,              // one opacity larger than 10 mm
  PleuralPlaque,             // parietal plaque without calcification
  CalcifiedPleuralPlaque,    // parietal plaque with a calcified core
  DiffusePleuralThickening,
  Effusion,
};

inline constexpr int FindingKindCount = 12;

enum class LungZone : std::uint8_t {
  RightUpper,
  RightMiddle,
  RightLower,
  LeftUpper,
  LeftMiddle,
  LeftLower,
};

inline constexpr int LungZoneCount = 6;

// One requested finding. `count` is the number of objects for the scattered
// kinds (rounded and irregular opacities, emphysema holes); 0 takes the
// kind's default. The other kinds make one region per request.
struct FindingRequest {
  FindingKind kind = FindingKind::RoundedOpacityMedium;
  LungZone zone = LungZone::RightUpper;
  int count = 0;
};

// Short names used on the command line and in the ground-truth summary:
// "ro-small", "ro-medium", "ro-large", "irregular", "ggo", "honeycombing",
// "emphysema", "large-opacity", "plaque", "calcified-plaque",
// "diffuse-thickening", "effusion".
std::string_view findingKindName(FindingKind kind);
std::optional<FindingKind> findingKindFromName(std::string_view name);

// "right-upper", "right-middle", "right-lower", "left-upper", ...
std::string_view lungZoneName(LungZone zone);
std::optional<LungZone> lungZoneFromName(std::string_view name);

// Parses "kind@zone[xcount]" (for example "ro-medium@right-upperx40").
std::optional<FindingRequest> findingRequestFromText(std::string_view text);

}  // namespace VantorSyntheticCT
