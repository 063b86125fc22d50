#pragma once

#include "ReferenceImaging.h"

#include "ZVIPEngine/VazAZUrorav.h"

#include <cstdint>
#include <vector>

// Declares the reference volume in the engine with base slope 1 and base
// offset 0, so that stored samples equal the reference values, and hands
// over every slice in order (image numbers 1.., positions 0, -sz, ...).
inline bool loadIntoEngine(VazAZUrorav& engine, const reference::Volume& v)
{
    if (!engine.SetDataProfile(v.X, v.Y, v.Z, v.sx, v.sy, v.sz, 1.0, 0))
        return false;
    const std::size_t slice = static_cast<std::size_t>(v.X) * v.Y;
    for (int z = 0; z < v.Z; ++z)
        if (!engine.SetDicomImage(v.v.data() + slice * z, z + 1, 1.0, 0.0, -z * v.sz))
            return false;
    return true;
}

inline std::vector<int> widen(const std::int16_t* image, std::size_t count)
{
    return std::vector<int>(image, image + count);
}

// Largest absolute difference, or -1 when the sizes differ.
inline int largestDifference(const std::vector<int>& a, const std::vector<int>& b)
{
    if (a.size() != b.size())
        return -1;
    int worst = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::abs(a[i] - b[i]));
    return worst;
}
