#pragma once

#include <cstddef>
#include <cstdint>

namespace zvipengine {

// Converts handed-over pixels to stored samples: value = v * ratio + shift in
// double precision, truncated toward zero, clamped to 0..32767, where ratio =
// slice slope / base slope and shift = slice intercept - base offset.
class SliceConversion {
public:
    SliceConversion(double ratio, double shift);

    // 16-bit pixels, signed or unsigned. Output may be the input itself:
    // each sample is read before its own place is written.
    void convert16(const std::int16_t* input, bool isSigned, std::size_t count, std::int16_t* output) const;
    // A bit stream of `bits` (1..15) bits a pixel, least significant bit
    // first; each pixel is an unsigned `bits`-bit number. Never reads past
    // the ceil(count * bits / 8) bytes that the pixels occupy.
    void convertPacked(const std::uint8_t* input, int bits, std::size_t count, std::int16_t* output) const;

    std::int16_t convertValue(double value) const
    {
        const double scaled = value * ratio_ + shift_;
        if (scaled >= 32767.0)
            return 32767;
        // Negative values and NaN become 0; truncation toward zero.
        return scaled > 0.0 ? static_cast<std::int16_t>(scaled) : 0;
    }

private:
    double ratio_;
    double shift_;
    bool integerPath_;
    std::int32_t integerShift_;
};

} // namespace zvipengine
