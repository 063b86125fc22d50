// The Line and ROI tools drawn on a recording canvas over a known image: the
// exact calls, the numbers in their texts and the cases that draw nothing.
#include "RecordingCanvas.h"
#include "display/LineMeasurement.h"
#include "display/MeasurementTool.h"
#include "display/ProfileGraph.h"
#include "display/RoiMeasurement.h"
#include "display/ViewerOverlayCanvas.h"

#include <ZVImgViewer/OverlayList.h>
#include <ZVImgViewer/RazazUrirAdeder.h>

#include <gtest/gtest.h>

#include <algorithm>

using namespace vantor;

namespace {

// A viewer showing the image one screen pixel per image pixel: 15 twips per image pixel.
MeasurementContext oneToOne(const RecordingCanvas& canvas, double xSpacing = 1.0, double level = 40,
                            double width = 400)
{
    return {canvas.ImageWidth() * 15.0, canvas.ImageHeight() * 15.0, xSpacing, level, width};
}

TwipsPoint pixel(double x, double y) { return {x * 15.0, y * 15.0}; }

std::vector<std::string> firstCalls(const RecordingCanvas& canvas, std::size_t n)
{
    return {canvas.calls.begin(), canvas.calls.begin() + static_cast<long>(std::min(n, canvas.calls.size()))};
}

std::size_t indexOf(const RecordingCanvas& canvas, const std::string& call)
{
    return static_cast<std::size_t>(std::find(canvas.calls.begin(), canvas.calls.end(), call) - canvas.calls.begin());
}

} // namespace

TEST(LineMeasurement, LineTicksAndLengthInMillimetres)
{
    RecordingCanvas canvas(512, 512);
    std::vector<double> samples;
    // 20 image pixels to the right of (100, 100), 0.5 mm per pixel.
    ASSERT_TRUE(drawLineMeasurement(canvas, oneToOne(canvas, 0.5), pixel(100, 100), pixel(120, 100), samples));
    const std::vector<std::string> expected = {
        "Clear 2",           "PenColor 48,255,48", "PenWidth 1",    "TextColor 16,221,16", "TextSize 16",
        "MoveTo 100 100",    "LineTo 120 100",                       // the line
        "MoveTo 100 91",     "LineTo 100 109",                       // 140 twips either side of the start
        "MoveTo 120 91",     "LineTo 120 109",                       // and of the end
        "TextAlign 10",      "TextOut 100 100  10.0mm"};
    EXPECT_EQ(firstCalls(canvas, expected.size()), expected);
    EXPECT_EQ(canvas.calls.back(), "RedrawImage");
}

TEST(LineMeasurement, TextSitsOnTheSideOfTheStartAwayFromTheLine)
{
    EXPECT_EQ(lineTextAlign(-1, -1), 0);
    EXPECT_EQ(lineTextAlign(-1, 0), 8);
    EXPECT_EQ(lineTextAlign(1, -1), 2);
    EXPECT_EQ(lineTextAlign(0, 1), 10);
}

TEST(LineMeasurement, ProfileSampleCountsAndSteps)
{
    EXPECT_EQ(profileSampleCount(20), 41);
    EXPECT_EQ(profileSampleCount(600), 601); // 2 x 600 + 1 exceeds 1024
    EXPECT_EQ(profileSampleCount(511.5), 1024);
    EXPECT_EQ(profileSampleCount(5000), 1024);
    EXPECT_EQ(profileStep(29), 4);
    EXPECT_EQ(profileStep(41), 2);
    EXPECT_EQ(profileStep(601), 1);

    RecordingCanvas short_(512, 512);
    std::vector<double> samples;
    ASSERT_TRUE(drawLineMeasurement(short_, oneToOne(short_), pixel(100, 100), pixel(120, 100), samples));
    EXPECT_EQ(short_.reads, 41);
    EXPECT_EQ(samples.size(), 41u);
    // Frame 41 x 2 pixels wide; the polyline's last point 40 steps of 2 from x 50.
    EXPECT_LT(indexOf(short_, "LineTo 132 75"), short_.calls.size());
    EXPECT_EQ(short_.calls[short_.calls.size() - 2], "LineTo 130 " + std::to_string(ProfileWindow(40, 400).y(1024)));

    RecordingCanvas long_(1024, 1024);
    ASSERT_TRUE(drawLineMeasurement(long_, oneToOne(long_), pixel(100, 500), pixel(700, 500), samples));
    EXPECT_EQ(long_.reads, 601);
    EXPECT_LT(indexOf(long_, "LineTo 651 75"), long_.calls.size());
    EXPECT_EQ(long_.calls[long_.calls.size() - 2].rfind("LineTo 650 ", 0), 0u);
}

TEST(LineMeasurement, SamplesFollowTheLineFromTheStart)
{
    RecordingCanvas canvas(64, 64, 0);
    for (int x = 0; x < 64; ++x)
        for (int y = 0; y < 64; ++y)
            canvas.setSample(x, y, static_cast<std::int16_t>(1000 + x));
    std::vector<double> samples;
    // 10 pixels: 21 samples, half a pixel apart, the end point itself not read.
    ASSERT_TRUE(drawLineMeasurement(canvas, oneToOne(canvas), pixel(10, 5), pixel(20, 5), samples));
    ASSERT_EQ(samples.size(), 21u);
    EXPECT_EQ(samples[0], 1010);
    EXPECT_EQ(samples[1], 1010); // 10.476: the mix truncates
    EXPECT_EQ(samples[20], 1019);
}

TEST(ProfileGraph, FrameMaximumZeroLineAndProfile)
{
    RecordingCanvas canvas(16, 16);
    const std::vector<double> samples = {1024, 1064, 900, 1300};
    // Level 40, width 400: stored 864 at y 75 and 1264 at y 15.
    ASSERT_TRUE(drawProfileGraph(canvas, samples, 40, 400));
    const std::vector<std::string> expected = {
        "PenColor 0,95,1", "BrushColor 0,143,1", "TextColor 48,255,48", "TextSize 12", "TextAlign 24",
        "PenWidth 1",      "MoveTo 50 75",      "LineTo 66 75",        "TextOut 66 75 -160",
        "MoveTo 50 15",    "LineTo 66 15",      "TextOut 66 15 240",   "MoveTo 50 15", "LineTo 50 75",
        // the maximum 1300 lies above the window, so above the frame
        "PenColor 160,16,16", "TextColor 255,16,16", "TextAlign 26", "MoveTo 50 10", "LineTo 66 10",
        "TextOut 50 10 276",
        "PenColor 80,80,80", "MoveTo 50 51", "LineTo 66 51",
        "PenColor 16,255,16", "MoveTo 50 51", "LineTo 54 45", "LineTo 58 70", "LineTo 62 10"};
    EXPECT_EQ(canvas.calls, expected);
}

TEST(ProfileGraph, LowerEndNeverBelowMinus1000AndHalfWidthsKept)
{
    const ProfileWindow lung(-600, 1500);
    EXPECT_DOUBLE_EQ(lung.lower(), 24.0);
    EXPECT_DOUBLE_EQ(lung.upper(), 1174.0);
    EXPECT_EQ(lung.y(24), 75);
    EXPECT_EQ(lung.y(1174), 15);

    RecordingCanvas canvas(16, 16);
    const std::vector<double> samples = {100};
    ASSERT_TRUE(drawProfileGraph(canvas, samples, 40, 401));
    EXPECT_LT(indexOf(canvas, "TextOut 54 75 -160.5"), canvas.calls.size());
    EXPECT_LT(indexOf(canvas, "TextOut 54 15 240.5"), canvas.calls.size());
}

TEST(ProfileGraph, NoScaleWhenTheUpperEndIsNotAboveTheLowerEnd)
{
    const std::vector<double> samples = {1024, 1100};
    for (const auto& [level, width] : std::vector<std::pair<double, double>>{
             {40, 0}, {40, -400}, {-1100, 100}, {-1024, 48}, {40, 1e-320}}) {
        RecordingCanvas canvas(16, 16);
        EXPECT_FALSE(drawProfileGraph(canvas, samples, level, width)) << level << " " << width;
        EXPECT_TRUE(canvas.calls.empty());
    }
    // The line and its length are still drawn, without any graph.
    RecordingCanvas canvas(64, 64);
    std::vector<double> read;
    ASSERT_TRUE(drawLineMeasurement(canvas, oneToOne(canvas, 1.0, 40, 0), pixel(10, 10), pixel(20, 10), read));
    EXPECT_EQ(canvas.count("TextOut"), 1);
    EXPECT_EQ(canvas.count("LineTo"), 3);
    EXPECT_EQ(canvas.calls.back(), "RedrawImage");
    // A tiny but positive width draws, with the far values clamped, not overflowing.
    RecordingCanvas thin(16, 16);
    EXPECT_TRUE(drawProfileGraph(thin, samples, 0, 1e-9));
    EXPECT_EQ(thin.calls.back(), "LineTo 54 -16777216");
}

TEST(MeasurementTool, ZeroLengthDragLeavesTheOverlayUnchanged)
{
    RecordingCanvas canvas(64, 64);
    MeasurementTool tool;
    ASSERT_TRUE(tool.press(MeasurementTool::kLeftButton, pixel(10, 10), true));
    ASSERT_TRUE(tool.measureTo(pixel(20, 10), canvas, oneToOne(canvas)));
    const auto drawn = canvas.calls;
    EXPECT_FALSE(tool.measureTo(pixel(10, 10), canvas, oneToOne(canvas)));
    EXPECT_EQ(canvas.calls, drawn);
    for (const RoiShape shape : {RoiShape::Rect, RoiShape::Center}) {
        tool.choices() = {MeasureMode::Roi, shape};
        EXPECT_FALSE(tool.measureTo(pixel(10, 10), canvas, oneToOne(canvas)));
        EXPECT_EQ(canvas.calls, drawn);
    }
}

TEST(MeasurementTool, LeftDragsNeedAMeasurableSeriesOtherButtonsAlwaysDrag)
{
    RecordingCanvas canvas(64, 64);
    MeasurementTool tool;
    EXPECT_FALSE(tool.press(MeasurementTool::kLeftButton, pixel(1, 1), false));
    EXPECT_FALSE(tool.dragging());
    EXPECT_FALSE(tool.measureTo(pixel(20, 20), canvas, oneToOne(canvas)));
    EXPECT_TRUE(canvas.calls.empty());

    ASSERT_TRUE(tool.press(MeasurementTool::kRightButton, {100, 100}, false));
    EXPECT_FALSE(tool.movedSincePress());
    const TwipsPoint first = tool.advance({250, 110}); // the press point
    EXPECT_DOUBLE_EQ(first.x, 100);
    EXPECT_DOUBLE_EQ(first.y, 100);
    const TwipsPoint second = tool.advance({260, 110}); // then the previous move
    EXPECT_DOUBLE_EQ(second.x, 250);
    EXPECT_DOUBLE_EQ(second.y, 110);
    EXPECT_DOUBLE_EQ(tool.rememberedPoint().x, 260);
    EXPECT_TRUE(tool.movedSincePress());
    tool.release();
    EXPECT_FALSE(tool.dragging());

    // A still press and release: no movement, so the pop-up menu is due.
    ASSERT_TRUE(tool.press(MeasurementTool::kRightButton, {100, 100}, false));
    tool.advance({100, 100});
    EXPECT_FALSE(tool.movedSincePress());
}

TEST(RoiMeasurement, MeanDeviationAndHistogramOnAKnownImage)
{
    RecordingCanvas canvas(64, 64, 1024);
    canvas.setSample(20, 20, 2048); // counted in counter 256, which is not drawn
    canvas.setSample(21, 20, 2049); // beyond the counters
    // Centre (20, 20), half-axes 2: the 13 pixels within distance 2.
    const RoiEllipse ellipse = roiEllipse(MeasurementScale(64, 64, 960, 960), RoiShape::Center, pixel(20, 20),
                                          pixel(22, 22));
    EXPECT_EQ(ellipse.left, 18);
    EXPECT_EQ(ellipse.bottom, 22);
    std::vector<std::int16_t> values;
    collectRoiValues(canvas, ellipse, values);
    ASSERT_EQ(values.size(), 13u);
    const auto statistics = roiStatistics(values);
    ASSERT_TRUE(statistics);
    EXPECT_EQ(statistics->mean, 1182);     // 15361 / 13 = 1181.6
    EXPECT_EQ(statistics->deviation, 370); // sqrt(1776249 / 13) = 369.6
    EXPECT_EQ(statistics->histogram[128], 11);
    EXPECT_EQ(statistics->histogram[256], 1);
    EXPECT_EQ(statistics->largestBin, 11);
    int total = 0;
    for (const int counter : statistics->histogram)
        total += counter;
    EXPECT_EQ(total, 12);
}

TEST(RoiMeasurement, HistogramCountersRoundHalvesToEven)
{
    const std::vector<std::int16_t> values = {0, 4, 12, 2043, 2044, 2048};
    const auto statistics = roiStatistics(values);
    ASSERT_TRUE(statistics);
    EXPECT_EQ(statistics->histogram[0], 2);   // 0 and 0.5
    EXPECT_EQ(statistics->histogram[2], 1);   // 1.5
    EXPECT_EQ(statistics->histogram[255], 1); // 255.375
    EXPECT_EQ(statistics->histogram[256], 2); // 255.5 and 256
    EXPECT_EQ(statistics->largestBin, 2);
}

TEST(RoiMeasurement, DrawsHistogramEllipseAndDiameter)
{
    RecordingCanvas canvas(64, 64, 1024);
    canvas.setSample(20, 20, 2048);
    canvas.setSample(21, 20, 2049);
    std::vector<std::int16_t> values;
    ASSERT_TRUE(drawRoiMeasurement(canvas, oneToOne(canvas, 0.7), RoiShape::Center, pixel(20, 20), pixel(22, 22),
                                   values));
    const std::vector<std::string> axes = {
        "Clear 2",        "TextAlign 6",       "TextColor 48,175,48", "PenColor 0,95,1", "BrushColor 0,143,1",
        "PenWidth 1",     "MoveTo 60 75",      "LineTo 320 75",       "MoveTo 60 15",    "LineTo 60 75",
        "PenColor 80,80,80", "MoveTo 190 15",  "LineTo 190 75",       "PenColor 0,191,1"};
    EXPECT_EQ(firstCalls(canvas, axes.size()), axes);
    EXPECT_EQ(canvas.count("RectangleFill"), 256 + 2);
    EXPECT_EQ(canvas.calls[axes.size()], "RectangleFill 62 75 63 75");
    EXPECT_EQ(canvas.calls[axes.size() + 128], "RectangleFill 190 75 191 20"); // 11 of 12: 55 pixels high
    const std::vector<std::string> tail = {
        "TextSize 12",        "TextOut 65 76 -1000", "TextOut 96 76 -750",   "TextOut 127 76 -500",
        "TextOut 158 76 -250", "TextOut 190 76 0",   "TextOut 221 76 250",   "TextOut 252 76 500",
        "TextOut 283 76 750",
        // mean 1182 (158 HU) in bin 148, which is empty
        "PenColor 160,16,16", "BrushColor 160,16,16", "TextColor 255,16,16", "RectangleFill 210 75 211 75",
        "TextSize 14",        "PenColor 16,16,16",    "BrushColor 16,16,16", "PenWidth 0",
        "RectangleFill 175 75 245 89", // 525 and 210 twips at 15 twips per pixel
        "TextOut 210 75 158\xC2\xB1" "370",
        "PenColor 48,255,48", "PenWidth 1", "TextColor 16,221,16", "TextSize 16", "TextAlign 8",
        "Ellipse 18 18 22 22", "TextOut 18 18 2.8mm", // 2 x 2 pixels x 0.7 mm
        "RedrawImage"};
    const std::vector<std::string> last(canvas.calls.end() - static_cast<long>(tail.size()), canvas.calls.end());
    EXPECT_EQ(last, tail);
}

TEST(RoiMeasurement, DiagonalShapeIsACircleOnTheDrag)
{
    const RoiEllipse circle =
        roiEllipse(MeasurementScale(64, 64, 960, 960), RoiShape::Rect, pixel(10, 10), pixel(16, 18));
    EXPECT_DOUBLE_EQ(circle.centerX, 13);
    EXPECT_DOUBLE_EQ(circle.centerY, 14);
    EXPECT_DOUBLE_EQ(circle.a, 5);
    EXPECT_DOUBLE_EQ(circle.b, 5);
    EXPECT_EQ(circle.left, 8);
    EXPECT_EQ(circle.top, 9);
    EXPECT_EQ(circle.right, 18);
    EXPECT_EQ(circle.bottom, 19);
    EXPECT_TRUE(circle.contains(18, 14));
    EXPECT_FALSE(circle.contains(18, 15));
}

TEST(RoiMeasurement, NegativeOrMissingValuesDrawNothing)
{
    RecordingCanvas canvas(64, 64, -100);
    std::vector<std::int16_t> values;
    EXPECT_FALSE(drawRoiMeasurement(canvas, oneToOne(canvas), RoiShape::Center, pixel(20, 20), pixel(25, 25),
                                    values));
    EXPECT_TRUE(canvas.calls.empty());
    // A drag far outside the image reads only the pixels on it.
    canvas.fill(1024);
    EXPECT_FALSE(drawRoiMeasurement(canvas, oneToOne(canvas), RoiShape::Center, pixel(5000, 5000),
                                    pixel(5100, 5100), values));
    EXPECT_EQ(canvas.reads, 81); // 9 x 9 pixels of the first ROI
    EXPECT_TRUE(canvas.calls.empty());
}

TEST(RoiMeasurement, NoMeanBarWhenTheMeanLiesBeyondTheHistogram)
{
    RecordingCanvas canvas(64, 64, 3000);
    std::vector<std::int16_t> values;
    ASSERT_TRUE(drawRoiMeasurement(canvas, oneToOne(canvas), RoiShape::Center, pixel(20, 20), pixel(21, 21),
                                   values));
    EXPECT_EQ(canvas.count("RectangleFill"), 256);
    EXPECT_EQ(canvas.count("PenColor 160,16,16"), 0);
    // No counted value: every bar is empty.
    EXPECT_EQ(canvas.count("RectangleFill 62 75 63 75"), 1);
}

TEST(ViewerOverlayCanvas, QueuesTheToolsDrawingOnTheViewer)
{
    std::vector<std::int16_t> image(64 * 64, 1024);
    RazazUrirAdeder viewer;
    viewer.resize(64, 64);
    viewer.setImageWidth(64);
    viewer.setImageHeight(64);
    viewer.sethImage(image.data());
    ViewerOverlayCanvas canvas(viewer);
    EXPECT_EQ(canvas.ImageWidth(), 64);
    EXPECT_EQ(canvas.GetShortValue(3, 3), 1024);
    std::vector<double> samples;
    const MeasurementContext context{960, 960, 0.5, 40, 400};
    ASSERT_TRUE(drawLineMeasurement(canvas, context, pixel(10, 10), pixel(30, 10), samples));
    const OverlayList& overlays = viewer.overlays();
    ASSERT_GE(overlays.size(), 8u);
    EXPECT_EQ(overlays[0].kind, OverlayKind::Move);
    EXPECT_EQ(overlays[0].penColor, rgbColor(48, 255, 48));
    EXPECT_EQ(overlays[1].kind, OverlayKind::Line);
    EXPECT_EQ(overlays[1].x1, 30);
    EXPECT_EQ(overlays[6].kind, OverlayKind::Text);
    EXPECT_EQ(overlays[6].text, " 10.0mm");
    EXPECT_EQ(overlays[6].textAlign, 10);
    EXPECT_EQ(overlays[6].textColor, rgbColor(16, 221, 16));
    EXPECT_EQ(overlays[6].textSize, 16);
    // A new measurement replaces the old drawing.
    const std::size_t first = overlays.size();
    ASSERT_TRUE(drawLineMeasurement(canvas, context, pixel(10, 10), pixel(30, 10), samples));
    EXPECT_EQ(viewer.overlays().size(), first);
}
