#pragma once

#include "MeshWriter.h"
#include "SeriesLoading.h"

#include <string>

class VazAZUrorav;

namespace vantor {

// The engine's iso-surface at `hounsfield` with the volume reduced by
// `reduce` in-plane pixels (CreatePolygonIsoSurface with a pixel spacing of
// reduce x the column spacing), placed in patient millimetres by the series
// geometry. False with the reason in error.
bool surfaceMesh(VazAZUrorav& engine, const SeriesGeometry& geometry, int hounsfield, int reduce, TriangleMesh& mesh,
                 std::string& error);

} // namespace vantor
