#include "display/LineMeasurement.h"

#include "display/DecimalText.h"
#include "display/NumericText.h"
#include "display/OverlayCanvas.h"
#include "display/ProfileGraph.h"

#include <algorithm>
#include <cmath>

namespace vantor {

namespace {

// Half length of the ticks across both ends of the line, in twips.
constexpr double kTickTwips = 140.0;

} // namespace

std::int32_t lineTextAlign(double dxTwips, double dyTwips)
{
    if (dxTwips < 0.0)
        return dyTwips < 0.0 ? 0 : 8;
    return dyTwips < 0.0 ? 2 : 10;
}

std::optional<LineGeometry> lineGeometry(const MeasurementScale& scale, TwipsPoint p0, TwipsPoint p,
                                         double xSpacing)
{
    const double dx = p.x - p0.x;
    const double dy = p.y - p0.y;
    const double d = std::sqrt(dx * dx + dy * dy);
    if (!(d > 0.0) || !std::isfinite(d) || !scale.valid())
        return std::nullopt;

    const double tx = dy * kTickTwips / d;
    const double ty = -dx * kTickTwips / d;
    LineGeometry line;
    line.segments[0] = {scale.pixel(p0), scale.pixel(p)};
    line.segments[1] = {scale.pixel({p0.x + tx, p0.y + ty}), scale.pixel({p0.x - tx, p0.y - ty})};
    line.segments[2] = {scale.pixel({p.x + tx, p.y + ty}), scale.pixel({p.x - tx, p.y - ty})};
    line.textPosition = scale.pixel(p0);
    line.textAlign = lineTextAlign(dx, dy);
    line.lengthPixels = scale.length(d);
    line.lengthText = oneDecimalText(line.lengthPixels * xSpacing, true) + "mm";
    return line;
}

int profileSampleCount(double lengthPixels)
{
    if (!std::isfinite(lengthPixels) || lengthPixels < 0.0)
        return 1;
    long count = roundHalfEven(std::min(2.0 * lengthPixels + 1.0, 4096.0));
    if (count > kMaximumProfileSamples)
        count = roundHalfEven(std::min(lengthPixels + 1.0, 4096.0));
    return static_cast<int>(std::clamp<long>(count, 1, kMaximumProfileSamples));
}

void readProfile(const OverlayCanvas& canvas, const MeasurementScale& scale, TwipsPoint p0, TwipsPoint p,
                 int sampleCount, std::vector<double>& samples)
{
    samples.resize(static_cast<std::size_t>(std::max(sampleCount, 0)));
    const double dx = p.x - p0.x;
    const double dy = p.y - p0.y;
    for (int i = 0; i < sampleCount; ++i) {
        const double fraction = static_cast<double>(i) / sampleCount;
        const auto x = static_cast<float>(scale.x(p0.x + fraction * dx));
        const auto y = static_cast<float>(scale.y(p0.y + fraction * dy));
        samples[static_cast<std::size_t>(i)] = canvas.GetShortValue(x, y);
    }
}

bool drawLineMeasurement(OverlayCanvas& canvas, const MeasurementContext& context, TwipsPoint p0, TwipsPoint p,
                         std::vector<double>& samples)
{
    const MeasurementScale scale(canvas.ImageWidth(), canvas.ImageHeight(), context.viewerWidthTwips,
                                 context.viewerHeightTwips);
    const auto line = lineGeometry(scale, p0, p, context.xSpacing);
    if (!line)
        return false;

    canvas.Clear(2);
    canvas.setPenColor(rgbColor(48, 255, 48));
    canvas.setPenWidth(1);
    canvas.setTextColor(rgbColor(16, 221, 16));
    canvas.setTextSize(16);
    for (const PixelSegment& segment : line->segments) {
        canvas.MoveTo(segment.from.x, segment.from.y);
        canvas.LineTo(segment.to.x, segment.to.y);
    }
    canvas.setTextAlign(line->textAlign);
    canvas.TextOut(line->textPosition.x, line->textPosition.y, line->lengthText);

    readProfile(canvas, scale, p0, p, profileSampleCount(line->lengthPixels), samples);
    drawProfileGraph(canvas, samples, context.windowLevel, context.windowWidth);
    canvas.RedrawImage();
    return true;
}

} // namespace vantor
