#include "mainwindow/ControlDesign.h"
#include "mainwindow/LayoutPass.h"

#include <array>
#include <gtest/gtest.h>

using namespace vantor;

namespace {

// The designed rectangles, as the main window starts with them.
LayoutInput designedWindow(int width, int height)
{
    LayoutInput input;
    input.windowWidth = width;
    input.windowHeight = height;
    input.innerHeight = height - 900; // title bar and menu bar
    input.maxLayoutWidth = 9600;
    input.maxLayoutHeight = 7000;
    for (const char* const* name = layoutControlNames(); *name != nullptr; ++name) {
        const ControlDesign design = designOf(*name);
        input.controls[*name] = {design.left, design.top, design.width, design.height};
    }
    input.controls["txtComment"] = {200, 2000, 6000, 600};
    return input;
}

} // namespace

TEST(LayoutPass, SmallWindowIsEnlargedToTheSmallestAllowedSize)
{
    LayoutInput input = designedWindow(6500, 6500);
    const LayoutResult result = runLayoutPass(input);
    EXPECT_EQ(result.windowWidth, 9600);
    EXPECT_EQ(result.windowHeight, 7000);
    // The pass goes on with the enlarged size: half of 9600 limits a tall-enough window.
    input.windowHeight = 30000;
    input.innerHeight = 29100;
    EXPECT_EQ(runLayoutPass(input).imageEdge, 4800);
}

TEST(LayoutPass, TallWindowUsesHalfTheWidthAndWideWindowTheHeightLeft)
{
    LayoutInput tall = designedWindow(15001, 30000);
    EXPECT_EQ(runLayoutPass(tall).imageEdge, 7500); // 7500.5 rounds to even

    LayoutInput wide = designedWindow(30000, 14400);
    const LayoutResult result = runLayoutPass(wide);
    const auto& c = wide.controls;
    const int expected = 14400 - 900 - c.at("btnMovePatient(0)").height - c.at("btnSketch").height -
                         c.at("lblInitQuestion").height - c.at("SSTab1").height + 300;
    EXPECT_EQ(result.imageEdge, expected);
    EXPECT_EQ(result.controls.at("ImageBG").width, expected);
    EXPECT_EQ(result.controls.at("SampleBG").height, expected);
    EXPECT_EQ(result.controls.at("btnReport").left, 30000 - c.at("btnReport").width - 200);
}

TEST(LayoutPass, CaseImageIsFittedToItsProportionsAndTheSampleFollowsIt)
{
    for (auto [columns, rows, width, height] :
         {std::array<int, 4>{512, 512, 7200, 7200}, {512, 256, 7200, 3600}, {256, 512, 3600, 7200}, {0, 0, 7200, 7200}}) {
        LayoutInput input = designedWindow(14400, 30000);
        input.caseImageWidth = columns;
        input.caseImageHeight = rows;
        const LayoutResult result = runLayoutPass(input);
        const TwipsRect& viewer = result.controls.at("RIZOduVed1(0)");
        EXPECT_EQ(viewer.width, width) << columns << "x" << rows;
        EXPECT_EQ(viewer.height, height) << columns << "x" << rows;
        EXPECT_EQ(result.controls.at("SampleBG").left, viewer.left + viewer.width);
        EXPECT_EQ(result.controls.at("RazazUrirAdeder1").left, viewer.left + viewer.width);
        EXPECT_EQ(result.controls.at("btnSketch").left,
                  viewer.left + viewer.width + 7200 - result.controls.at("btnSketch").width);
    }
}

TEST(LayoutPass, RowsBelowTheImageStackAndTheRightColumnFollowsTheTabs)
{
    const LayoutInput input = designedWindow(19200, 14400);
    const LayoutResult result = runLayoutPass(input);
    const auto& c = result.controls;
    const TwipsRect& background = c.at("ImageBG");
    EXPECT_EQ(c.at("LblWindowParam(1)").top + c.at("LblWindowParam(1)").height, background.top + background.height);
    EXPECT_EQ(c.at("TxtWindowParam(0)").top, c.at("LblWindowParam(0)").top);
    EXPECT_EQ(c.at("btnSketch").top, background.top + background.height);
    EXPECT_EQ(c.at("btnSketch2").left, background.width - c.at("btnSketch").width);
    EXPECT_EQ(c.at("Command0(1)").top, c.at("lblInitQuestion").top);
    EXPECT_EQ(c.at("SSTab1").top, c.at("lblInitQuestion").top + c.at("lblInitQuestion").height);
    EXPECT_EQ(c.at("SSTab1").width,
              19200 - c.at("List2").width - c.at("RIZOduVed2").width - c.at("VScroll1").width - 200);
    EXPECT_EQ(c.at("RIZOduVed2").top + c.at("RIZOduVed2").height, c.at("SSTab1").top + c.at("SSTab1").height);
    EXPECT_EQ(c.at("List2").left, c.at("VScroll1").left + c.at("VScroll1").width);
    EXPECT_EQ(c.at("lblSampName").top + c.at("lblSampName").height, c.at("VScroll1").top);
    EXPECT_EQ(c.at("txtComment").width, c.at("SSTab1").width - 400);
    // Designed values the pass does not set stay.
    EXPECT_EQ(c.at("ImageBG").top, input.controls.at("ImageBG").top);
    EXPECT_EQ(c.at("SSTab1").height, input.controls.at("SSTab1").height);
    EXPECT_EQ(c.at("TxtWindowParam(0)").left, input.controls.at("TxtWindowParam(0)").left);
}

TEST(LayoutPass, MinimisedWindowIsLeftAloneAndRepeatingGivesTheSameArrangement)
{
    LayoutInput input = designedWindow(1000, 1000);
    input.minimized = true;
    const LayoutResult untouched = runLayoutPass(input);
    EXPECT_FALSE(untouched.applied);
    EXPECT_EQ(untouched.windowWidth, 1000);
    EXPECT_EQ(untouched.controls, input.controls);

    LayoutInput first = designedWindow(19200, 14400);
    const LayoutResult once = runLayoutPass(first);
    first.controls = once.controls;
    const LayoutResult twice = runLayoutPass(first);
    EXPECT_EQ(once.controls, twice.controls);
}
