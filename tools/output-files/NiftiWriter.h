#pragma once

#include "SeriesLoading.h"

#include <cstdint>
#include <string>

namespace vantor {

// Writes a byte volume laid out as the engine's (column fastest, then row,
// then slice) as a gzip-compressed NIfTI-1 file whose qform and sform both
// map voxel (column, row, slice) to RAS millimetres by the series geometry.
// False, with the reason in error, when the file cannot be written.
bool writeNifti(const std::string& path, const std::uint8_t* voxels, const SeriesGeometry& geometry,
                std::string& error);

} // namespace vantor
