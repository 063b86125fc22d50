#pragma once

#include <cstdint>
#include <vector>

namespace zvipengine {

// A piecewise linear table over the stored sample values 0..32767, looked
// up per sample. Below the first position the first value holds, at or
// above the last position the last value; between two neighbouring
// positions the value is interpolated (equal positions: no slope).
// Positions that do not ascend simply close the segment they start.
class OpacityTable {
public:
    static constexpr std::int32_t Size = 32768;

    // False (and the table unchanged) when count < 1, a pointer is null or
    // the table memory cannot be had.
    bool build(std::int32_t count, const std::int16_t* positions, const float* values);
    // The two-point form: minimum -> 0, maximum -> 1.
    bool buildRamp(std::int16_t minimum, std::int16_t maximum);

    float opacity(std::int32_t sample) const { return table_[static_cast<std::size_t>(sample)]; }
    // The shading base: the first position for samples at or above it, else 0.
    std::int32_t base(std::int32_t sample) const { return sample >= firstPosition_ ? firstPosition_ : 0; }

    // The same interpolation for any value list (used by the colour table).
    static void interpolate(std::int32_t count, const std::int16_t* positions, const double* values,
                            float* table);

private:
    std::vector<float> table_;
    std::int32_t firstPosition_ = 0;
};

} // namespace zvipengine
