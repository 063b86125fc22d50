#include "display/RoiMeasurement.h"

#include "display/DecimalText.h"
#include "display/HistogramGraph.h"
#include "display/NumericText.h"
#include "display/OverlayCanvas.h"

#include <algorithm>
#include <cmath>

namespace vantor {

namespace {

constexpr std::int16_t kLargestCountedValue = 2048;
constexpr double kHistogramBinWidth = 8.0;

} // namespace

bool RoiEllipse::contains(std::int32_t x, std::int32_t y) const
{
    const double ox = x - centerX;
    const double oy = y - centerY;
    return ox * ox * b * b + oy * oy * a * a <= a * a * b * b;
}

RoiEllipse roiEllipse(const MeasurementScale& scale, RoiShape shape, TwipsPoint p0, TwipsPoint p)
{
    const double dx = p.x - p0.x;
    const double dy = p.y - p0.y;
    RoiEllipse ellipse;
    if (shape == RoiShape::Center) {
        ellipse.centerX = scale.x(p0.x);
        ellipse.centerY = scale.y(p0.y);
        ellipse.a = scale.x(std::fabs(dx));
        ellipse.b = scale.y(std::fabs(dy));
    } else {
        ellipse.centerX = scale.x((p0.x + p.x) / 2.0);
        ellipse.centerY = scale.y((p0.y + p.y) / 2.0);
        ellipse.a = scale.length(std::sqrt(dx * dx + dy * dy)) / 2.0;
        ellipse.b = ellipse.a;
    }
    ellipse.left = pixelCoordinate(ellipse.centerX - ellipse.a);
    ellipse.top = pixelCoordinate(ellipse.centerY - ellipse.b);
    ellipse.right = pixelCoordinate(ellipse.centerX + ellipse.a);
    ellipse.bottom = pixelCoordinate(ellipse.centerY + ellipse.b);
    return ellipse;
}

void collectRoiValues(const OverlayCanvas& canvas, const RoiEllipse& ellipse, std::vector<std::int16_t>& values)
{
    values.clear();
    // Pixels outside the image have no value, so only the part of the box on
    // the image is visited however far the drag went.
    const std::int32_t left = std::max<std::int32_t>(ellipse.left, 0);
    const std::int32_t top = std::max<std::int32_t>(ellipse.top, 0);
    const std::int32_t right = std::min<std::int32_t>(ellipse.right, canvas.ImageWidth() - 1);
    const std::int32_t bottom = std::min<std::int32_t>(ellipse.bottom, canvas.ImageHeight() - 1);
    if (left > right || top > bottom)
        return;
    values.reserve(static_cast<std::size_t>(right - left + 1) * static_cast<std::size_t>(bottom - top + 1));
    for (std::int32_t y = top; y <= bottom; ++y) {
        for (std::int32_t x = left; x <= right; ++x) {
            if (!ellipse.contains(x, y))
                continue;
            const std::int16_t value = canvas.GetShortValue(static_cast<float>(x), static_cast<float>(y));
            if (value >= 0)
                values.push_back(value);
        }
    }
}

std::optional<RoiStatistics> roiStatistics(std::span<const std::int16_t> values)
{
    if (values.empty())
        return std::nullopt;
    RoiStatistics statistics;
    statistics.count = values.size();
    long long sum = 0;
    for (const std::int16_t value : values) {
        sum += value;
        if (value >= 0 && value <= kLargestCountedValue)
            ++statistics.histogram[static_cast<std::size_t>(roundHalfEven(value / kHistogramBinWidth))];
    }
    const double count = static_cast<double>(statistics.count);
    statistics.mean = roundHalfEven(static_cast<double>(sum) / count);
    double squares = 0.0;
    for (const std::int16_t value : values) {
        const double difference = static_cast<double>(value) - static_cast<double>(statistics.mean);
        squares += difference * difference;
    }
    statistics.deviation = roundHalfEven(std::sqrt(squares / count));
    statistics.largestBin =
        *std::max_element(statistics.histogram.begin(), statistics.histogram.begin() + kHistogramBins);
    return statistics;
}

bool drawRoiMeasurement(OverlayCanvas& canvas, const MeasurementContext& context, RoiShape shape, TwipsPoint p0,
                        TwipsPoint p, std::vector<std::int16_t>& values)
{
    const MeasurementScale scale(canvas.ImageWidth(), canvas.ImageHeight(), context.viewerWidthTwips,
                                 context.viewerHeightTwips);
    // A drag back to its press point outlines nothing: the last drawing stays.
    if (!scale.valid() || (p.x == p0.x && p.y == p0.y))
        return false;
    const RoiEllipse ellipse = roiEllipse(scale, shape, p0, p);
    collectRoiValues(canvas, ellipse, values);
    const auto statistics = roiStatistics(values);
    if (!statistics)
        return false;

    canvas.Clear(2);
    drawHistogramGraph(canvas, *statistics, scale);
    canvas.setPenColor(rgbColor(48, 255, 48));
    canvas.setPenWidth(1);
    canvas.setTextColor(rgbColor(16, 221, 16));
    canvas.setTextSize(16);
    canvas.setTextAlign(8); // left, bottom
    canvas.Ellipse(ellipse.left, ellipse.top, ellipse.right, ellipse.bottom);
    const double longerAxis = 2.0 * std::max(ellipse.a, ellipse.b);
    canvas.TextOut(ellipse.left, ellipse.top, oneDecimalText(longerAxis * context.xSpacing, false) + "mm");
    canvas.RedrawImage();
    return true;
}

} // namespace vantor
