#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantor {

// The picture size a JPEG file declares in its start-of-frame segment, found
// by walking the segment chain from the start-of-image marker. Only the
// frame markers C0-C3 and C9-CB count; others (C5 included) are skipped like
// any segment.
struct JpegSize {
    int width = 0;
    int height = 0;
    int colourDepth = 24;

    static std::optional<JpegSize> ofBytes(const std::vector<std::uint8_t>& bytes);
    // Nothing when the file is missing or unreadable, or its segments give no size.
    static std::optional<JpegSize> ofFile(const std::string& path);
};

} // namespace vantor
