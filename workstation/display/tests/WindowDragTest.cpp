// Window changes by right-button drag, the window a series gets at load, and
// the number texts the window boxes show.
#include "display/DecimalText.h"
#include "display/WindowAtLoad.h"
#include "display/WindowDrag.h"

#include <gtest/gtest.h>

using namespace vantor;

TEST(WindowDrag, OnePixelOfMovementChangesAValueByThree)
{
    // 15 twips right and down: a = b = 3, both inside the zone where both change.
    const WindowDragResult result = applyWindowDrag("40", "400", 15, 15);
    EXPECT_EQ(result.levelText, "43");
    EXPECT_EQ(result.widthText, "403");
    EXPECT_TRUE(result.levelChanged);
    EXPECT_TRUE(result.widthChanged);
    // Moving up lowers the level, moving left narrows the window, without clamping.
    const WindowDragResult back = applyWindowDrag("40", "2", -15, -15);
    EXPECT_EQ(back.levelText, "37");
    EXPECT_EQ(back.widthText, "-1");
}

TEST(WindowDrag, MostlyHorizontalMoveChangesOnlyTheWidth)
{
    const WindowDragStep step = windowDragStep(150, 10); // a = 30, b = 2
    EXPECT_DOUBLE_EQ(step.widthChange, 30.0);
    EXPECT_DOUBLE_EQ(step.levelChange, 0.0);
    const WindowDragResult result = applyWindowDrag("-600", "1500", 150, 10);
    EXPECT_EQ(result.levelText, "-600");
    EXPECT_FALSE(result.levelChanged);
    EXPECT_EQ(result.widthText, "1530");
}

TEST(WindowDrag, DeadZonesOnBothAxes)
{
    // |a| > 8 and |b| < 3 drops b.
    EXPECT_DOUBLE_EQ(windowDragStep(45, 14).levelChange, 0.0); // a = 9, b = 2.8
    // |a| > 20 and |b| < 5 drops b, but b = 5 stays.
    EXPECT_DOUBLE_EQ(windowDragStep(105, 24).levelChange, 0.0);
    EXPECT_DOUBLE_EQ(windowDragStep(105, 25).levelChange, 5.0);
    // The same zones for the width, judged on the level change left by the first rule.
    EXPECT_DOUBLE_EQ(windowDragStep(14, -45).widthChange, 0.0);
    EXPECT_DOUBLE_EQ(windowDragStep(-24, 105).widthChange, 0.0);
    EXPECT_DOUBLE_EQ(windowDragStep(-25, 105).widthChange, -5.0);
    // A move dropped on one axis is not then dropped on the other.
    const WindowDragStep step = windowDragStep(150, 10);
    EXPECT_DOUBLE_EQ(step.widthChange, 30.0);
}

TEST(WindowDrag, FractionsAreKeptAndTextIsReadByItsLeadingNumber)
{
    const WindowDragResult result = applyWindowDrag("40.5 HU", "abc", 7, 7); // a = b = 1.4
    EXPECT_EQ(result.levelText, "41.9");
    EXPECT_EQ(result.widthText, "1.4");
    const WindowDragResult still = applyWindowDrag("keep", "this", 0, 0);
    EXPECT_EQ(still.levelText, "keep");
    EXPECT_EQ(still.widthText, "this");
    EXPECT_FALSE(still.levelChanged || still.widthChanged);
}

TEST(WindowAtLoad, FirstOfSeveralTagValues)
{
    const WindowAtLoad window = windowAtLoad(std::string("40\\400"), std::string("350\\1500"), false, -600, 1500, 16);
    EXPECT_DOUBLE_EQ(window.level, 40.0);
    EXPECT_DOUBLE_EQ(window.width, 350.0);
    EXPECT_EQ(window.levelText, "40");
    EXPECT_EQ(window.widthText, "350");
    EXPECT_TRUE(window.textBoxesEnabled);
}

TEST(WindowAtLoad, MissingTagsFallBackToTheDefaultsOneByOne)
{
    const WindowAtLoad window = windowAtLoad(std::nullopt, std::string("-1200.5"), false, -600, 1500, 16);
    EXPECT_EQ(window.levelText, "-600");
    EXPECT_EQ(window.widthText, "-1200.5");
    EXPECT_EQ(window.recordWidth(), -1200); // the record keeps the integer part
    const WindowAtLoad none = windowAtLoad(std::nullopt, std::nullopt, false, 40, 400, 12);
    EXPECT_EQ(none.levelText, "40");
    EXPECT_EQ(none.widthText, "400");
}

TEST(WindowAtLoad, PreviousSelectedWindowWinsOverTheTags)
{
    const WindowAtLoad window = windowAtLoad(std::string("40"), std::string("400"), true, -600, 1500, 16);
    EXPECT_EQ(window.levelText, "-600");
    EXPECT_EQ(window.widthText, "1500");
    EXPECT_EQ(window.recordLevel(), -600);
}

TEST(WindowAtLoad, EightBitSeriesGetAFixedWindowWithTheBoxesDisabled)
{
    for (const bool select : {false, true}) {
        const WindowAtLoad window = windowAtLoad(std::string("40"), std::string("400"), select, -600, 1500, 8);
        EXPECT_EQ(window.levelText, "128");
        EXPECT_EQ(window.widthText, "256");
        EXPECT_FALSE(window.textBoxesEnabled);
    }
}

TEST(DecimalText, PlainDecimalAndOneDecimalFormats)
{
    EXPECT_EQ(decimalText(40), "40");
    EXPECT_EQ(decimalText(-160.5), "-160.5");
    EXPECT_EQ(decimalText(0.1 + 0.2), "0.3");
    EXPECT_EQ(decimalText(-0.0), "0");
    EXPECT_EQ(decimalText(1e20), "100000000000000000000");
    EXPECT_EQ(decimalText(1.5e-7), "0.00000015");
    EXPECT_EQ(oneDecimalText(10, true), " 10.0");
    EXPECT_EQ(oneDecimalText(0.25, false), "0.3"); // halves away from zero
    EXPECT_EQ(oneDecimalText(12.34, false), "12.3");
    EXPECT_EQ(oneDecimalText(-0.01, false), "0.0");
}
