#pragma once

#include "ColorTable.h"
#include "OpacityTable.h"
#include "SlabResampler.h"

#include <cstdint>

namespace zvipengine {

enum class Compositing {
    Grey,  // accumulated shade x (sample - base) + base, 16-bit output
    Color, // shaded colour table plus the background seen through, 3 planes
};

struct RayCastRequest {
    SlabResampler::Setup grid;
    Compositing compositing = Compositing::Grey;
    const OpacityTable* opacity = nullptr;
    const ColorTable* colors = nullptr;
    double attenuation = 1.0;
    std::int32_t backColor = 0; // 0x00BBGGRR
    std::int16_t* grey = nullptr;
    std::uint8_t* rgb = nullptr; // three planes of width x height bytes
    // Depth record to receive the rows' depth steps (header written apart);
    // null: none.
    std::uint8_t* depthRecord = nullptr;
};

// Casts the rays of output rows rowBegin .. rowEnd - 1: the working grid is
// resampled a row at a time and three rows are kept (the gradient reads the
// rows above and below), so memory stays at 3 x (width + 2) x (depth + 2)
// samples per call whatever the image height. A pixel's value depends only
// on its own position, so any cut of the rows into strips gives the same
// image. False when the working memory cannot be had (nothing written).
class VolumeRayCaster {
public:
    static bool renderRows(const VolumeView& volume, const RayCastRequest& request, std::int32_t rowBegin,
                           std::int32_t rowEnd);
};

} // namespace zvipengine
