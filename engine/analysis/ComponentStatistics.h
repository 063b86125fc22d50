#pragma once

#include "../masks/ComponentLabelling.h"

#include <cstdint>
#include <vector>

namespace zvipengine {

// Labelled components of a byte mask with what the analysis steps ask of
// each: voxel count, centroid (rounded mean) and bounding box. Labels are
// numbered by decreasing voxel count, the largest being 1.
class ComponentStatistics {
public:
    struct Component {
        std::int64_t count = 0;
        std::int32_t centroid[3] = {0, 0, 0};
        std::int32_t minimum[3] = {0, 0, 0};
        std::int32_t maximum[3] = {0, 0, 0};
        std::int32_t extent(int axis) const { return maximum[axis] - minimum[axis] + 1; }
    };

    // False when the working memory cannot be had.
    bool compute(const std::uint8_t* mask, std::int32_t X, std::int32_t Y, std::int32_t Z,
                 ComponentLabelling::Connectivity connectivity = ComponentLabelling::Connectivity::Face);

    std::int32_t count() const { return static_cast<std::int32_t>(components.size()) - 1; }
    // Index 0 is unused (background); components[l] describes label l.
    std::vector<Component> components;
    std::vector<std::int32_t> labels;
};

} // namespace zvipengine
