#include "ObliqueReformat.h"

#include "TrilinearSample.h"

#include <algorithm>

namespace zvipengine {

namespace {

template <typename Reader>
void renderWith(const VolumeView& volume, const Reader& reader, const ViewSampling& view, std::int32_t width,
                std::int32_t height, std::int32_t plane, std::int16_t* image)
{
    const SampleLimits limits(volume);
    constexpr std::int32_t Tile = 8;
    // Tiles of 8 x 8 pixels: neighbouring rays touch neighbouring voxels,
    // which stay in the cache across the rows of a tile.
    for (std::int32_t tileRow = 0; tileRow < height; tileRow += Tile) {
        const std::int32_t rowEnd = std::min(height, tileRow + Tile);
        for (std::int32_t tileColumn = 0; tileColumn < width; tileColumn += Tile) {
            const std::int32_t columnEnd = std::min(width, tileColumn + Tile);
            for (std::int32_t j = tileRow; j < rowEnd; ++j) {
                std::int16_t* out = image + static_cast<std::ptrdiff_t>(width) * j;
                double base[3];
                view.rayBase(tileColumn, j, base);
                for (int a = 0; a < 3; ++a)
                    base[a] += plane * view.depth[a];
                for (std::int32_t i = tileColumn; i < columnEnd; ++i) {
                    const double step = i - tileColumn;
                    const double q[3] = {base[0] + step * view.column[0], base[1] + step * view.column[1],
                                         base[2] + step * view.column[2]};
                    std::int16_t value = 0;
                    if (limits.inside(q)) {
                        const auto cell = reader.cell(q);
                        if constexpr (requires { cell.visible(); }) {
                            if (cell.visible())
                                value = static_cast<std::int16_t>(cell.interpolate());
                        } else {
                            value = static_cast<std::int16_t>(cell.interpolate());
                        }
                    }
                    out[i] = value;
                }
            }
        }
    }
}

} // namespace

void ObliqueReformat::render(const VolumeView& volume, const ViewSampling& view, std::int32_t width,
                             std::int32_t height, std::int32_t plane, std::int16_t* image, MaskReading reading)
{
    switch (reading) {
    case MaskReading::Plain:
        renderWith(volume, DirectVoxelReader(volume), view, width, height, plane, image);
        break;
    case MaskReading::ValueBits:
        renderWith(volume, MaskedVoxelReader<false>(volume), view, width, height, plane, image);
        break;
    case MaskReading::HonourMask:
        renderWith(volume, MaskedVoxelReader<true>(volume), view, width, height, plane, image);
        break;
    }
}

} // namespace zvipengine
