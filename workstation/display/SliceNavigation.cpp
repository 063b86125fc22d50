#include "display/SliceNavigation.h"

#include "display/NumericText.h"

#include <algorithm>
#include <cmath>

namespace vantor {

std::int16_t pagedSliceIndex(std::int16_t sliceIndex, int step, int sliceCount)
{
    if (sliceCount < 1)
        return sliceIndex;
    return static_cast<std::int16_t>(std::clamp(sliceIndex + step, 0, sliceCount - 1));
}

std::int16_t wheelSliceIndex(std::int16_t sliceIndex, int delta, int sliceCount)
{
    if (delta >= 1)
        return static_cast<std::int16_t>(std::max(sliceIndex - 1, 0));
    if (delta < 0)
        return static_cast<std::int16_t>(std::min(sliceIndex + 1, std::max(sliceCount - 1, 0)));
    return sliceIndex;
}

int middleDragDelta(int verticalMovementTwips)
{
    return static_cast<int>(roundHalfEven(-verticalMovementTwips / 80.0));
}

int interpolatedStep(SeriesState& series, bool forward)
{
    const double xSpacing = series.VoxelSpacing[0] != 0.0F ? series.VoxelSpacing[0] : 1.0;
    const double zSpacing = series.VoxelSpacing[2] != 0.0F ? series.VoxelSpacing[2] : 1.0;
    const int sliceCount = series.VolumeDims[2];
    if (forward) {
        series.InterpPos = static_cast<std::int16_t>(series.InterpPos - 3);
        series.SliceIndex = static_cast<std::int16_t>(std::trunc(series.InterpPos * xSpacing / zSpacing));
        if (series.InterpPos < 0) {
            series.InterpPos = 0;
            series.SliceIndex = 0;
        }
    } else {
        series.InterpPos = static_cast<std::int16_t>(series.InterpPos + 3);
        series.SliceIndex = static_cast<std::int16_t>(std::trunc(series.InterpPos * xSpacing / zSpacing));
        if (series.SliceIndex >= sliceCount) {
            series.SliceIndex = static_cast<std::int16_t>(std::max(sliceCount - 1, 0));
            series.InterpPos = static_cast<std::int16_t>(roundHalfEven(zSpacing * (sliceCount - 1) / xSpacing));
        }
    }
    return static_cast<int>(roundHalfEven(series.InterpPos - (sliceCount / 2.0) * zSpacing / xSpacing));
}

int localiserLineRow(const SeriesState& series, int sliceCount)
{
    const double xSpacing = series.VoxelSpacing[0] != 0.0F ? series.VoxelSpacing[0] : 1.0;
    const double zSpacing = series.VoxelSpacing[2];
    const double rows = series.VolumeDims[1];
    return static_cast<int>(roundHalfEven((series.SliceIndex - (sliceCount - 1) / 2.0) * zSpacing / xSpacing + (rows - 1) / 2.0));
}

std::vector<std::string> sliceFilesInEngineOrder(
    const std::vector<RegisteredSlice>& registered, int sliceCount,
    const std::function<std::pair<std::int32_t, double>(int slice)>& sliceKey)
{
    std::vector<std::string> files(static_cast<std::size_t>(std::max(sliceCount, 0)));
    std::vector<bool> taken(registered.size(), false);
    for (int k = 0; k < sliceCount; ++k) {
        const auto [number, position] = sliceKey(k);
        for (std::size_t r = 0; r < registered.size(); ++r) {
            if (taken[r] || registered[r].imageNumber != number || registered[r].slicePosition != position)
                continue;
            taken[r] = true;
            files[static_cast<std::size_t>(k)] = registered[r].path;
            break;
        }
    }
    return files;
}

} // namespace vantor
