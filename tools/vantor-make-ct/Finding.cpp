#include "VantorSyntheticCT/Finding.h"

#include <array>
#include <charconv>

namespace VantorSyntheticCT {

namespace {

constexpr std::array<std::string_view, FindingKindCount> kindNames = {
    "ro-small", "ro-medium", "ro-large", "irregular", "ggo", "honeycombing",
    "emphysema", "large-opacity", "plaque", "calcified-plaque", "diffuse-thickening", "effusion"};

constexpr std::array<std::string_view, LungZoneCount> zoneNames = {
    "right-upper", "right-middle", "right-lower", "left-upper", "left-middle", "left-lower"};

}  // namespace

std::string_view findingKindName(FindingKind kind) {
  const auto index = static_cast<std::size_t>(kind);
  return index < kindNames.size() ? kindNames[index] : std::string_view("unknown");
}

std::optional<FindingKind> findingKindFromName(std::string_view name) {
  for (std::size_t i = 0; i < kindNames.size(); ++i) {
    if (kindNames[i] == name) return static_cast<FindingKind>(i);
  }
  return std::nullopt;
}

std::string_view lungZoneName(LungZone zone) {
  const auto index = static_cast<std::size_t>(zone);
  return index < zoneNames.size() ? zoneNames[index] : std::string_view("unknown");
}

std::optional<LungZone> lungZoneFromName(std::string_view name) {
  for (std::size_t i = 0; i < zoneNames.size(); ++i) {
    if (zoneNames[i] == name) return static_cast<LungZone>(i);
  }
  return std::nullopt;
}

std::optional<FindingRequest> findingRequestFromText(std::string_view text) {
  const std::size_t at = text.find('@');
  if (at == std::string_view::npos) return std::nullopt;
  const auto kind = findingKindFromName(text.substr(0, at));
  if (!kind) return std::nullopt;
  std::string_view rest = text.substr(at + 1);
  int count = 0;
  const std::size_t times = rest.rfind('x');
  if (times != std::string_view::npos && times + 1 < rest.size() &&
      rest.find_first_not_of("0123456789", times + 1) == std::string_view::npos) {
    const std::string_view digits = rest.substr(times + 1);
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), count);
    if (error != std::errc() || end != digits.data() + digits.size() || count < 0 || count > 100000) return std::nullopt;
    rest = rest.substr(0, times);
  }
  const auto zone = lungZoneFromName(rest);
  if (!zone) return std::nullopt;
  return FindingRequest{*kind, *zone, count};
}

}  // namespace VantorSyntheticCT
