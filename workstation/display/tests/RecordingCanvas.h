#pragma once

// An overlay canvas that records every call as text ("MoveTo 10 20") over a
// known image, so tests can check the exact drawing of the tools.
#include "display/OverlayCanvas.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

class RecordingCanvas : public vantor::OverlayCanvas {
public:
    RecordingCanvas(std::int32_t width, std::int32_t height, std::int16_t fill = 1024)
        : width_(width), height_(height),
          samples_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill)
    {
    }

    void setSample(std::int32_t x, std::int32_t y, std::int16_t value)
    {
        samples_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] =
            value;
    }
    void fill(std::int16_t value) { samples_.assign(samples_.size(), value); }

    void Clear(std::int32_t ignored) override { record("Clear " + std::to_string(ignored)); }
    void setPenColor(std::int32_t color) override { record("PenColor " + colour(color)); }
    void setPenWidth(std::int32_t width) override { record("PenWidth " + std::to_string(width)); }
    void setTextColor(std::int32_t color) override { record("TextColor " + colour(color)); }
    void setTextSize(std::int32_t size) override { record("TextSize " + std::to_string(size)); }
    void setTextAlign(std::int32_t align) override { record("TextAlign " + std::to_string(align)); }
    void setBrushColor(std::int32_t color) override { record("BrushColor " + colour(color)); }
    void MoveTo(std::int32_t x, std::int32_t y) override { record("MoveTo " + pair(x, y)); }
    void LineTo(std::int32_t x, std::int32_t y) override { record("LineTo " + pair(x, y)); }
    void Ellipse(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2) override
    {
        record("Ellipse " + pair(X1, Y1) + " " + pair(X2, Y2));
    }
    void RectangleFill(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2) override
    {
        record("RectangleFill " + pair(X1, Y1) + " " + pair(X2, Y2));
    }
    void TextOut(std::int32_t x, std::int32_t y, const std::string& text) override
    {
        record("TextOut " + pair(x, y) + " " + text);
    }
    void RedrawImage() override { record("RedrawImage"); }

    // The viewer's rule: -1 outside 0 ... size - 2; the nearest sample when
    // both fractions are almost whole; else the bilinear mix, truncated.
    std::int16_t GetShortValue(float x, float y) const override
    {
        ++reads;
        const auto ix = static_cast<std::int32_t>(x);
        const auto iy = static_cast<std::int32_t>(y);
        if (x < 0 || y < 0 || ix > width_ - 2 || iy > height_ - 2)
            return -1;
        const float fx = x - static_cast<float>(ix);
        const float fy = y - static_cast<float>(iy);
        const auto whole = [](float f) { return f < 0.01f || f > 0.99f; };
        if (whole(fx) && whole(fy))
            return at(static_cast<std::int32_t>(x + 0.5f), static_cast<std::int32_t>(y + 0.5f));
        const float value = at(ix, iy) * (1 - fx) * (1 - fy) + at(ix + 1, iy) * fx * (1 - fy) +
                            at(ix, iy + 1) * (1 - fx) * fy + at(ix + 1, iy + 1) * fx * fy;
        return static_cast<std::int16_t>(value);
    }
    std::int32_t ImageWidth() const override { return width_; }
    std::int32_t ImageHeight() const override { return height_; }

    std::vector<std::string> calls;
    mutable int reads = 0;

    int count(const std::string& prefix) const
    {
        int n = 0;
        for (const auto& call : calls)
            n += call.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    }

private:
    std::int16_t at(std::int32_t x, std::int32_t y) const
    {
        return samples_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
    }
    void record(std::string call) { calls.push_back(std::move(call)); }
    static std::string pair(std::int32_t x, std::int32_t y) { return std::to_string(x) + " " + std::to_string(y); }
    // Colours as "r,g,b" so expectations read like the drawing rules.
    static std::string colour(std::int32_t color)
    {
        return std::to_string(color & 0xFF) + "," + std::to_string((color >> 8) & 0xFF) + "," +
               std::to_string((color >> 16) & 0xFF);
    }

    std::int32_t width_;
    std::int32_t height_;
    std::vector<std::int16_t> samples_;
};
