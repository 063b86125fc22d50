#include "SliceConversion.h"

#include <cmath>

namespace zvipengine {

SliceConversion::SliceConversion(double ratio, double shift)
    : ratio_(ratio), shift_(shift), integerPath_(false), integerShift_(0)
{
    // The usual case (same slope, whole-number intercepts) is exact in
    // integers, which vectorise far better than the double conversion.
    if (ratio == 1.0 && std::fabs(shift) < 1.0e6 && shift == std::trunc(shift)) {
        integerPath_ = true;
        integerShift_ = static_cast<std::int32_t>(shift);
    }
}

void SliceConversion::convert16(const std::int16_t* __restrict input, bool isSigned, std::size_t count,
                                std::int16_t* __restrict output) const
{
    if (integerPath_) {
        const std::int32_t shift = integerShift_;
        if (isSigned) {
            for (std::size_t i = 0; i < count; ++i) {
                std::int32_t v = input[i] + shift;
                v = v < 0 ? 0 : v;
                v = v > 32767 ? 32767 : v;
                output[i] = static_cast<std::int16_t>(v);
            }
        } else {
            const auto* unsignedInput = reinterpret_cast<const std::uint16_t*>(input);
            for (std::size_t i = 0; i < count; ++i) {
                std::int32_t v = unsignedInput[i] + shift;
                v = v < 0 ? 0 : v;
                v = v > 32767 ? 32767 : v;
                output[i] = static_cast<std::int16_t>(v);
            }
        }
        return;
    }
    if (isSigned) {
        for (std::size_t i = 0; i < count; ++i)
            output[i] = convertValue(input[i]);
    } else {
        const auto* unsignedInput = reinterpret_cast<const std::uint16_t*>(input);
        for (std::size_t i = 0; i < count; ++i)
            output[i] = convertValue(unsignedInput[i]);
    }
}

void SliceConversion::convertPacked(const std::uint8_t* input, int bits, std::size_t count,
                                    std::int16_t* output) const
{
    const std::size_t byteCount = (count * static_cast<std::size_t>(bits) + 7) / 8;
    const std::uint32_t mask = (1u << bits) - 1u;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t bit = i * static_cast<std::size_t>(bits);
        const std::size_t byte = bit / 8;
        // A 24-bit window holds any pixel of up to 16 bits at any offset.
        std::uint32_t window = input[byte];
        if (byte + 1 < byteCount)
            window |= static_cast<std::uint32_t>(input[byte + 1]) << 8;
        if (byte + 2 < byteCount)
            window |= static_cast<std::uint32_t>(input[byte + 2]) << 16;
        output[i] = convertValue(static_cast<double>((window >> (bit % 8)) & mask));
    }
}

} // namespace zvipengine
