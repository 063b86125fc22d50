#include "reading/ReadingCodes.h"

#include <gtest/gtest.h>

using namespace vantor;

TEST(ReadingCodes, ListsGiveTheirTextsAndNoneOrEmptyOutside)
{
    EXPECT_EQ(YesNoText(0), "No");
    EXPECT_EQ(YesNoText(1), "Yes");
    EXPECT_EQ(YesNoText(2), "");
    EXPECT_EQ(YesNoText(-1), "");

    EXPECT_EQ(PQRText(1), "Q");
    EXPECT_EQ(PQRText(3), "None");
    EXPECT_EQ(PQRText(-1), "None");
    EXPECT_EQ(IntraInterText(1), "Inter");
    EXPECT_EQ(IntraInterText(2), "None");
    EXPECT_EQ(ABCText(2), "C");
    EXPECT_EQ(ABCText(-1), "None");
    EXPECT_EQ(CodeText(2), "GGO");
    EXPECT_EQ(CodeText(5), "LO");
    EXPECT_EQ(CodeText(6), "None");
    EXPECT_EQ(CodeText(-1), "None");
    EXPECT_EQ(PleuraText(0), "W(parietal)");
    EXPECT_EQ(PleuraText(1), "W(visceral)");
    EXPECT_EQ(PleuraText(4), "None");
    EXPECT_EQ(GradeLetterText(0), "0");
    EXPECT_EQ(GradeLetterText(3), "c");
    EXPECT_EQ(GradeLetterText(4), "");
    EXPECT_EQ(GradeLetterText(-32768), "");
}

TEST(ReadingCodes, SymbolsMapOneToTwentyTwoAndEverythingElseToNone)
{
    EXPECT_EQ(SymbolText(1), "AX");
    EXPECT_EQ(SymbolText(16), "MP");
    EXPECT_EQ(SymbolText(22), "TD");
    EXPECT_EQ(SymbolText(0), "None");
    EXPECT_EQ(SymbolText(23), "None");
    EXPECT_EQ(SymbolText(-5), "None");
    EXPECT_EQ(SymbolCodes[SymbolMosaicPerfusion], "MP");
    EXPECT_EQ(SymbolTooltips[17], "Other Disease; comments under \"Additional Findings\"");
    for (int i = 1; i < SymbolCount; ++i)
        EXPECT_FALSE(SymbolTooltips[static_cast<std::size_t>(i)].empty()) << i;
}
