#pragma once

#include "MaskOperations.h"

#include <cstdint>
#include <vector>

namespace zvipengine {

// Everything inside the skin: the complement of the air around the patient,
// where the patient is the largest tissue component (CT > -200) and the air
// around is the largest component of what is not that tissue.
class BodySegmentation {
public:
    enum class Outcome { Done, NoMemory };
    // body: X*Y*Z, 1 inside the skin.
    static Outcome run(const std::vector<std::int16_t>& values, std::int32_t X, std::int32_t Y, std::int32_t Z,
                       ByteMask& body);
};

} // namespace zvipengine
