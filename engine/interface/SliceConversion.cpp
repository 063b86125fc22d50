#include "SliceConversion.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

void SliceConversion::convert16(const std::int16_t* input, bool isSigned, std::size_t count,
                                std::int16_t* output) const
{
    if (integerPath_) {
        const std::int32_t shift = integerShift_;
        std::size_t i = 0;
#if defined(__SSE2__)
        // Saturating 16-bit arithmetic gives the clamp to 0..32767 directly,
        // eight samples at a time.
        if (shift >= -32767 && shift <= 32767) {
            const __m128i zero = _mm_setzero_si128();
            const __m128i top = _mm_set1_epi16(32767);
            if (isSigned) {
                const __m128i add = _mm_set1_epi16(static_cast<std::int16_t>(shift));
                for (; i + 8 <= count; i += 8) {
                    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(input + i));
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(output + i), _mm_max_epi16(_mm_adds_epi16(v, add), zero));
                }
            } else {
                const __m128i amount = _mm_set1_epi16(static_cast<std::int16_t>(shift < 0 ? -shift : shift));
                for (; i + 8 <= count; i += 8) {
                    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(input + i));
                    const __m128i moved = shift < 0 ? _mm_subs_epu16(v, amount) : _mm_adds_epu16(v, amount);
                    // Values of 32768 and above (sign bit set) become 32767.
                    const __m128i high = _mm_srai_epi16(moved, 15);
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(output + i),
                                     _mm_or_si128(_mm_andnot_si128(high, moved), _mm_and_si128(high, top)));
                }
            }
        }
#endif
        if (isSigned) {
            for (; i < count; ++i) {
                std::int32_t v = input[i] + shift;
                v = v < 0 ? 0 : v;
                v = v > 32767 ? 32767 : v;
                output[i] = static_cast<std::int16_t>(v);
            }
        } else {
            const auto* unsignedInput = reinterpret_cast<const std::uint16_t*>(input);
            for (; i < count; ++i) {
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
