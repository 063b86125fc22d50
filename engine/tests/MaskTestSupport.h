#pragma once

#include "EngineTestSupport.h"

#include <cstdint>
#include <vector>

// Helpers of the mask tests: the engine's samples as unsigned values, their
// mask ages, and the identity shape matrix.
inline const float IdentityMatrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

inline std::vector<std::uint16_t> samplesOf(const VazAZUrorav& engine)
{
    const auto* p = reinterpret_cast<const std::uint16_t*>(engine.PtrData());
    return std::vector<std::uint16_t>(p, p + static_cast<std::size_t>(engine.Xdims()) * engine.Ydims() *
                                                 engine.Zdims());
}

inline std::vector<int> agesOf(const VazAZUrorav& engine)
{
    std::vector<int> ages;
    for (const std::uint16_t s : samplesOf(engine))
        ages.push_back(s >> 14);
    return ages;
}

inline std::vector<std::uint8_t> visibilityOf(const VazAZUrorav& engine)
{
    std::vector<std::uint8_t> visible;
    for (const std::uint16_t s : samplesOf(engine))
        visible.push_back((s >> 14) == 0 ? 1 : 0);
    return visible;
}
