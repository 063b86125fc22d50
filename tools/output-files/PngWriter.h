#pragma once

#include <cstdint>
#include <string>

namespace vantor {

// Writes an 8-bit grey (channels 1) or RGB (channels 3, interleaved) image,
// rows from the top, as a PNG file.
bool writePng(const std::string& path, const std::uint8_t* pixels, int width, int height, int channels,
              std::string& error);

} // namespace vantor
