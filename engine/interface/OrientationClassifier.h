#pragma once

#include <cstdint>

namespace zvipengine {

// Orientation code of a series from its row and column direction cosines,
// with the slice order that follows from it.
struct OrientationResult {
    std::int32_t orientationType = -1; // 0..23, -1 when none was recognised
    bool reverseOrder = false;         // the n-th slice goes to index Z - 1 - n
    double spacingSlice = 0.0;         // the slice spacing to store
};

class OrientationClassifier {
public:
    static OrientationResult classify(const float row[3], const float column[3], double spacingSlice);
};

} // namespace zvipengine
