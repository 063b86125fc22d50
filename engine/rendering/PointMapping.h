#pragma once

#include <cstdint>

namespace zvipengine {

// Maps between screen pixels of a rendering and volume positions through
// the depth image record the rendering left.
class PointMapping {
public:
    // False for a null argument or a pixel outside the record's image.
    // A pixel whose ray received nothing gives (-1, -1, -1).
    static bool screenToVolume(float* point, const std::uint8_t* record, std::int32_t px, std::int32_t py);
    // False for a null argument, a negative coordinate or a record whose
    // matrix cannot be inverted. A point off the image gives (-1, -1, -1);
    // otherwise point is the view position and *behind (when not null) the
    // step count by which it lies behind the rendered surface.
    static bool volumeToScreen(float* point, std::int32_t* behind, const std::uint8_t* record, std::int32_t px,
                               std::int32_t py, std::int32_t pz);
    // Places the depth image centred in a cleared larger image and adjusts
    // the matrix so pixels keep their volume positions. The record must hold
    // the larger image. False for a null record or a smaller size.
    static bool enlarge(std::uint8_t* record, std::int32_t width, std::int32_t height);
};

} // namespace zvipengine
