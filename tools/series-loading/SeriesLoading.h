#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

class VazAZUrorav;
class ZQDICOM;

namespace vantor {

// Slice orders of the workstation's sort choice ("None", "ImageNumber",
// "ImagePosition"); the workstation starts with ImageNumber.
enum class SliceOrdering { None, ImageNumber, ImagePosition };

// Where the engine's volume lies in the patient (DICOM patient coordinates,
// millimetres: x to the patient's left, y to the back, z to the head).
// Voxel (column i, row j, slice k) of the engine lies at
// origin + i * column step + j * row step + k * slice step.
struct SeriesGeometry {
    std::array<int, 3> dims{};              // columns, rows, slices, as the engine holds them
    std::array<double, 3> spacing{};        // the engine's Xspacing, Yspacing, Zspacing (Z negative as registered)
    std::array<double, 3> origin{};         // centre of voxel (0, 0, 0)
    std::array<double, 3> columnStep{};     // from column i to i + 1 (row direction cosines x spacing)
    std::array<double, 3> rowStep{};        // from row j to j + 1
    std::array<double, 3> sliceStep{};      // from slice k to k + 1
    bool positionsKnown = false;            // the files carry Image Position and Orientation
};

struct LoadedSeries {
    std::vector<std::string> files;          // the file of each engine slice, in the engine's order
    std::vector<std::string> messages;       // what the workstation would show (skipped files)
    SeriesGeometry geometry;
    bool eightBit = false;
    bool spacingUnknown = false;
};

// Registers the series folder into the engine exactly as the workstation
// does (the same registration code), then applies the slice order and reads
// the patient geometry of the engine's first and last slice. False, with the
// workstation's message in error, when nothing could be registered.
// progress (may be empty) receives the number of the file being registered
// and the file count.
bool loadSeries(const std::string& folder, SliceOrdering ordering, ZQDICOM& dicom, VazAZUrorav& engine,
                LoadedSeries& series, std::string& error,
                const std::function<void(int file, int count)>& progress = {});

// "None", "ImageNumber" or "ImagePosition" (case-insensitive); false for others.
bool sliceOrderingFromName(const std::string& name, SliceOrdering& ordering);

// The 4 x 4 matrix (row after row) that maps voxel (column, row, slice, 1)
// to patient coordinates; with toRas the x and y axes are negated (the
// NIfTI and nibabel convention).
std::array<double, 16> voxelToPatient(const SeriesGeometry& geometry, bool toRas);

} // namespace vantor
