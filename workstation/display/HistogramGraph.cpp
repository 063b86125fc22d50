#include "display/HistogramGraph.h"

#include "display/DecimalText.h"
#include "display/MeasurementScale.h"
#include "display/NumericText.h"
#include "display/OverlayCanvas.h"
#include "display/RoiMeasurement.h"

#include <cmath>

namespace vantor {

namespace {

constexpr std::int32_t kBaseline = 75;
constexpr std::int32_t kTop = 15;
constexpr double kBarAreaHeight = 60.0;
constexpr std::int32_t kAxisLeft = 60;
constexpr std::int32_t kAxisRight = 320;
constexpr std::int32_t kFirstBar = 62;
constexpr std::int32_t kZeroLine = 190; // stored 1024, bin 128
constexpr double kStoredOffset = 1024.0;
constexpr double kBinWidth = 8.0;
// The dark box under the mean's text, in screen twips.
constexpr double kMeanBoxHalfWidthTwips = 525.0;
constexpr double kMeanBoxHeightTwips = 210.0;

} // namespace

std::int32_t histogramBarTop(std::int32_t count, std::int32_t largest)
{
    return pixelCoordinate(kBaseline - count * kBarAreaHeight / (static_cast<double>(largest) + 1.0));
}

void drawHistogramGraph(OverlayCanvas& canvas, const RoiStatistics& statistics, const MeasurementScale& scale)
{
    canvas.setTextAlign(6); // centre, top
    canvas.setTextColor(rgbColor(48, 175, 48));
    canvas.setPenColor(rgbColor(0, 95, 1));
    canvas.setBrushColor(rgbColor(0, 143, 1));
    canvas.setPenWidth(1);
    canvas.MoveTo(kAxisLeft, kBaseline);
    canvas.LineTo(kAxisRight, kBaseline);
    canvas.MoveTo(kAxisLeft, kTop);
    canvas.LineTo(kAxisLeft, kBaseline);
    canvas.setPenColor(rgbColor(80, 80, 80));
    canvas.MoveTo(kZeroLine, kTop);
    canvas.LineTo(kZeroLine, kBaseline);

    canvas.setPenColor(rgbColor(0, 191, 1));
    for (std::int32_t bin = 0; bin < kHistogramBins; ++bin)
        canvas.RectangleFill(kFirstBar + bin, kBaseline, kFirstBar + bin + 1,
                             histogramBarTop(statistics.histogram[static_cast<std::size_t>(bin)],
                                             statistics.largestBin));

    canvas.setTextSize(12);
    for (int value = -1000; value <= 800; value += 250)
        canvas.TextOut(kFirstBar + static_cast<std::int32_t>(std::floor((value + kStoredOffset) / kBinWidth)),
                       kBaseline + 1, decimalText(value));

    if (!(statistics.mean / kBinWidth < kHistogramBins))
        return;
    const auto meanBin = static_cast<std::int32_t>(roundHalfEven(statistics.mean / kBinWidth));
    const std::int32_t x = kFirstBar + meanBin;
    canvas.setPenColor(rgbColor(160, 16, 16));
    canvas.setBrushColor(rgbColor(160, 16, 16));
    canvas.setTextColor(rgbColor(255, 16, 16));
    canvas.RectangleFill(x, kBaseline, x + 1,
                         histogramBarTop(statistics.histogram[static_cast<std::size_t>(meanBin)],
                                         statistics.largestBin));
    canvas.setTextSize(14);
    canvas.setPenColor(rgbColor(16, 16, 16));
    canvas.setBrushColor(rgbColor(16, 16, 16));
    canvas.setPenWidth(0);
    const std::int32_t halfWidth = pixelCoordinate(scale.x(kMeanBoxHalfWidthTwips));
    const std::int32_t height = pixelCoordinate(scale.y(kMeanBoxHeightTwips));
    canvas.RectangleFill(x - halfWidth, kBaseline, x + halfWidth, kBaseline + height);
    canvas.TextOut(x, kBaseline,
                   decimalText(static_cast<double>(statistics.mean) - kStoredOffset) + "\xC2\xB1" +
                       decimalText(static_cast<double>(statistics.deviation)));
}

} // namespace vantor
