#pragma once

#include "RenderOptions.h"

#include <cstdint>
#include <string>
#include <vector>

class VazAZUrorav;

namespace vantor {

// Renders the engine's volume as the options ask: an 8-bit grey image
// (channels 1) or an RGB image (channels 3, interleaved), rows from the top.
// The view is the engine's default coronal matrix turned by the rotation;
// the pixel size fits the whole volume into the image and the slab covers
// its diagonal. False with the engine's ErrorNumber in error on failure.
bool renderVolume(VazAZUrorav& engine, const RenderOptions& options, std::vector<std::uint8_t>& pixels,
                  int& channels, std::string& error);

} // namespace vantor
