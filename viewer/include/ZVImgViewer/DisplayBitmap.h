#pragma once

#include <cstdint>
#include <vector>

// The display bitmap: the picture the viewer stretches over its window. Kept
// top-down in the screen's 32-bit format (0xFFRRGGBB) so that painting is a
// plain blit; a grey pixel has equal red, green and blue bytes.
class DisplayBitmap
{
public:
    enum class Kind { Grey, Colour };

    // Keeps the storage when the size does not grow, so a rebuild of the same
    // size does not allocate.
    void reshape(std::int32_t width, std::int32_t height, Kind kind);

    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    Kind kind() const { return kind_; }
    std::int32_t bytesPerLine() const { return width_ * 4; }

    std::uint32_t* row(std::int32_t y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    const std::uint32_t* row(std::int32_t y) const { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    const std::uint32_t* pixels() const { return pixels_.data(); }

    std::uint32_t pixel(std::int32_t x, std::int32_t y) const { return row(y)[x]; }
    // The grey level of a grey bitmap's pixel (its blue byte).
    std::uint8_t grey(std::int32_t x, std::int32_t y) const { return static_cast<std::uint8_t>(pixel(x, y) & 0xFF); }

    static std::uint32_t fromGrey(std::uint8_t grey) { return 0xFF000000u | grey * 0x010101u; }
    static std::uint32_t fromRgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
    {
        return 0xFF000000u | (std::uint32_t{red} << 16) | (std::uint32_t{green} << 8) | blue;
    }

private:
    std::vector<std::uint32_t> pixels_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    Kind kind_ = Kind::Grey;
};
