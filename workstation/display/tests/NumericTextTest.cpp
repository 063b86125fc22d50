#include "display/NumericText.h"

#include <gtest/gtest.h>

using namespace vantor;

TEST(NumericText, LeadingNumberOfATextOrZero)
{
    EXPECT_EQ(numericValue("40\\400"), 40.0);
    EXPECT_EQ(numericValue("  -600 HU"), -600.0);
    EXPECT_EQ(numericValue("+1.5e2x"), 150.0);
    EXPECT_EQ(numericValue("0.703125\\0.703125"), 0.703125);
    EXPECT_EQ(numericValue(".5"), 0.5);
    EXPECT_EQ(numericValue("abc"), 0.0);
    EXPECT_EQ(numericValue(""), 0.0);
    EXPECT_EQ(numericValue("-"), 0.0);
    EXPECT_EQ(numericValue("12e"), 12.0);
    EXPECT_EQ(numericValue("1e999"), 0.0);
    EXPECT_EQ(firstValue("40\\400"), "40");
    EXPECT_EQ(firstValue("350"), "350");
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
}
