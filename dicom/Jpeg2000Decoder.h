#pragma once

#include "CompressedPixelDecoder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Decodes one frame's JPEG 2000 code stream (raw or in a JP2 file) with
// OpenJPEG into `frameBytes` bytes at `output`, in the form an uncompressed
// file holds the frame. False, with the cause in `problem`, when the stream is
// broken or does not hold the image the description states (size, number of
// components, precision). Thread-safe.
bool decodeJpeg2000Frame(const ImageDescription& image, const std::vector<std::uint8_t>& stream, std::uint8_t* output,
                         std::size_t frameBytes, std::string& problem);
