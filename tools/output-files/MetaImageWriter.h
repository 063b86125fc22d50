#pragma once

#include "SeriesLoading.h"

#include <cstdint>
#include <string>

namespace vantor {

// Writes a byte volume laid out as the engine's as a MetaImage header
// (path, ".mhd") beside its raw data (same name, ".raw"), placed in DICOM
// patient coordinates (LPS) as ITK reads them: Offset is the centre of the
// first voxel, TransformMatrix the direction of each axis in turn.
bool writeMetaImage(const std::string& path, const std::uint8_t* voxels, const SeriesGeometry& geometry,
                    std::string& error);

} // namespace vantor
