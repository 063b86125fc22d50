#include <gtest/gtest.h>

#include "VantorSyntheticCT/Finding.h"
#include "VantorSyntheticCT/Label.h"

using namespace VantorSyntheticCT;

TEST(FindingNames, EveryKindAndZoneRoundTripsThroughItsName) {
  for (int k = 0; k < FindingKindCount; ++k) {
    const auto kind = static_cast<FindingKind>(k);
    EXPECT_EQ(findingKindFromName(findingKindName(kind)), kind);
    EXPECT_EQ(labelName(static_cast<std::uint8_t>(labelOf(kind))), findingKindName(kind));
  }
  for (int z = 0; z < LungZoneCount; ++z) {
    const auto zone = static_cast<LungZone>(z);
    EXPECT_EQ(lungZoneFromName(lungZoneName(zone)), zone);
  }
  EXPECT_EQ(labelName(0), "outside");
  EXPECT_EQ(labelName(3), "left-lung");
  EXPECT_EQ(labelName(200), "unused");
}

TEST(FindingNames, RequestTextGivesKindZoneAndCount) {
  const auto plain = findingRequestFromText("ggo@left-lower");
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->kind, FindingKind::GroundGlass);
  EXPECT_EQ(plain->zone, LungZone::LeftLower);
  EXPECT_EQ(plain->count, 0);

  const auto counted = findingRequestFromText("ro-medium@right-upperx40");
  ASSERT_TRUE(counted);
  EXPECT_EQ(counted->kind, FindingKind::RoundedOpacityMedium);
  EXPECT_EQ(counted->zone, LungZone::RightUpper);
  EXPECT_EQ(counted->count, 40);
}

TEST(FindingNames, MalformedRequestsAreRefused) {
  for (const char* text : {"", "ggo", "ggo@", "@left-lower", "nodule@left-lower", "ggo@left-lowest", "ggo@left-lowerx",
                           "ggo@left-lowerx-3", "ggo@left-lowerx99999999999", "ggo@left-lower x3"}) {
    EXPECT_FALSE(findingRequestFromText(text)) << text;
  }
}
