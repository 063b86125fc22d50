#include "SeriesLoading.h"

#include "display/NumericText.h"
#include "display/SeriesRegistration.h"
#include "display/SeriesState.h"
#include "display/SliceNavigation.h"

#include <ZVDICOM/ZQDICOM.h>
#include <ZVIPEngine/VazAZUrorav.h>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace vantor {

namespace {

std::string tagText(const ZQDICOM& dicom, std::int16_t group, std::int16_t element, bool& found)
{
    std::string buffer(256, '\0');
    found = dicom.GetTagString(group, element, buffer, static_cast<std::int32_t>(buffer.size()));
    return found ? buffer.substr(0, buffer.find('\0')) : std::string();
}

// The values of a multi-valued decimal string ("1\0\0").
std::vector<double> values(const std::string& text)
{
    std::vector<double> result;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t cut = text.find('\\', start);
        result.push_back(numericValue(text.substr(start, cut == std::string::npos ? std::string::npos : cut - start)));
        if (cut == std::string::npos)
            break;
        start = cut + 1;
    }
    return result;
}

struct SlicePlacement {
    bool known = false;
    std::array<double, 3> position{};
    std::array<double, 6> orientation{};
};

SlicePlacement placementOf(ZQDICOM& dicom, const std::string& path)
{
    SlicePlacement placement;
    if (!dicom.loadHeaderOnly(path))
        return placement;
    bool hasPosition = false, hasOrientation = false;
    const std::vector<double> position = values(tagText(dicom, 0x0020, 0x0032, hasPosition));
    const std::vector<double> orientation = values(tagText(dicom, 0x0020, 0x0037, hasOrientation));
    if (!hasPosition || !hasOrientation || position.size() < 3 || orientation.size() < 6)
        return placement;
    std::copy_n(position.begin(), 3, placement.position.begin());
    std::copy_n(orientation.begin(), 6, placement.orientation.begin());
    placement.known = true;
    return placement;
}

} // namespace

bool sliceOrderingFromName(const std::string& name, SliceOrdering& ordering)
{
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "none")
        ordering = SliceOrdering::None;
    else if (lower == "imagenumber")
        ordering = SliceOrdering::ImageNumber;
    else if (lower == "imageposition")
        ordering = SliceOrdering::ImagePosition;
    else
        return false;
    return true;
}

bool loadSeries(const std::string& folder, SliceOrdering ordering, ZQDICOM& dicom, VazAZUrorav& engine,
                LoadedSeries& series, std::string& error, const std::function<void(int file, int count)>& progress)
{
    series = LoadedSeries();
    SeriesState state;
    FirstFileFields firstFile;
    SeriesLoadReport report;
    report.showMessage = [&series](const std::string& text) { series.messages.push_back(text); };
    if (progress) {
        const int count = static_cast<int>(listSeriesFiles(folder).size());
        report.showProgress = [&progress, count](int file) { progress(file, count); };
    }
    if (!registerSeries(folder, dicom, engine, state, firstFile, report) || engine.PtrData() == nullptr) {
        error = series.messages.empty() ? "No slice of the folder [ " + folder + " ] could be registered."
                                        : series.messages.front();
        return false;
    }
    series.eightBit = state.EightBit;
    series.spacingUnknown = state.SpacingUnknown;
    switch (ordering) {
    case SliceOrdering::None:
        engine.SortInitialize();
        break;
    case SliceOrdering::ImageNumber:
        engine.SortImageNumber(0);
        break;
    case SliceOrdering::ImagePosition:
        engine.SortSlicePosition(0);
        break;
    }

    SeriesGeometry& g = series.geometry;
    g.dims = {engine.Xdims(), engine.Ydims(), engine.Zdims()};
    g.spacing = {engine.Xspacing(), engine.Yspacing(), engine.Zspacing()};
    g.columnStep = {g.spacing[0], 0.0, 0.0};
    g.rowStep = {0.0, g.spacing[1], 0.0};
    g.sliceStep = {0.0, 0.0, g.spacing[2]};
    series.files = sliceFilesInEngineOrder(state.RegisteredSlices, g.dims[2], [&engine](int slice) {
        return std::pair<std::int32_t, double>(engine.GetImageNumber(slice), engine.GetImageSlicePosition(slice));
    });
    if (series.files.empty() || series.files.front().empty() || series.files.back().empty())
        return true;
    const SlicePlacement a = placementOf(dicom, series.files.front());
    const SlicePlacement b = placementOf(dicom, series.files.back());
    if (!a.known || !b.known)
        return true;
    const auto& o = a.orientation;
    const double sx = std::fabs(g.spacing[0]), sy = std::fabs(g.spacing[1]);
    g.origin = a.position;
    g.columnStep = {o[0] * sx, o[1] * sx, o[2] * sx};
    g.rowStep = {o[3] * sy, o[4] * sy, o[5] * sy};
    if (g.dims[2] > 1) {
        for (int axis = 0; axis < 3; ++axis)
            g.sliceStep[axis] = (b.position[axis] - a.position[axis]) / (g.dims[2] - 1);
    } else {
        const std::array<double, 3> normal = {o[1] * o[5] - o[2] * o[4], o[2] * o[3] - o[0] * o[5],
                                              o[0] * o[4] - o[1] * o[3]};
        for (int axis = 0; axis < 3; ++axis)
            g.sliceStep[axis] = normal[axis] * g.spacing[2];
    }
    g.positionsKnown = true;
    return true;
}

std::array<double, 16> voxelToPatient(const SeriesGeometry& g, bool toRas)
{
    std::array<double, 16> m{};
    for (int axis = 0; axis < 3; ++axis) {
        const double sign = toRas && axis < 2 ? -1.0 : 1.0;
        m[static_cast<std::size_t>(axis * 4 + 0)] = sign * g.columnStep[static_cast<std::size_t>(axis)];
        m[static_cast<std::size_t>(axis * 4 + 1)] = sign * g.rowStep[static_cast<std::size_t>(axis)];
        m[static_cast<std::size_t>(axis * 4 + 2)] = sign * g.sliceStep[static_cast<std::size_t>(axis)];
        m[static_cast<std::size_t>(axis * 4 + 3)] = sign * g.origin[static_cast<std::size_t>(axis)];
    }
    m[15] = 1.0;
    return m;
}

} // namespace vantor
