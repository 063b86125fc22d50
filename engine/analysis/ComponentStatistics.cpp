#include "ComponentStatistics.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace zvipengine {

bool ComponentStatistics::compute(const std::uint8_t* mask, std::int32_t X, std::int32_t Y, std::int32_t Z,
                                  ComponentLabelling::Connectivity connectivity)
{
    components.clear();
    const std::int64_t total = static_cast<std::int64_t>(X) * Y * Z;
    try {
        labels.assign(static_cast<std::size_t>(total), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const std::int32_t n = ComponentLabelling::label(mask, X, Y, Z, connectivity, labels.data());
    if (n < 0)
        return false;
    struct Sums {
        double x = 0, y = 0, z = 0;
    };
    std::vector<Sums> sums;
    try {
        components.assign(static_cast<std::size_t>(n) + 1, Component{});
        sums.assign(static_cast<std::size_t>(n) + 1, Sums{});
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (Component& c : components) {
        c.minimum[0] = c.minimum[1] = c.minimum[2] = INT32_MAX;
        c.maximum[0] = c.maximum[1] = c.maximum[2] = -1;
    }
    const std::int32_t* label = labels.data();
    for (std::int32_t z = 0; z < Z; ++z)
        for (std::int32_t y = 0; y < Y; ++y)
            for (std::int32_t x = 0; x < X; ++x) {
                const std::int32_t l = *label++;
                if (l <= 0)
                    continue;
                Component& c = components[static_cast<std::size_t>(l)];
                Sums& s = sums[static_cast<std::size_t>(l)];
                ++c.count;
                s.x += x;
                s.y += y;
                s.z += z;
                const std::int32_t p[3] = {x, y, z};
                for (int a = 0; a < 3; ++a) {
                    c.minimum[a] = std::min(c.minimum[a], p[a]);
                    c.maximum[a] = std::max(c.maximum[a], p[a]);
                }
            }
    for (std::size_t l = 1; l < components.size(); ++l) {
        Component& c = components[l];
        if (c.count == 0)
            continue;
        c.centroid[0] = static_cast<std::int32_t>(std::lround(sums[l].x / static_cast<double>(c.count)));
        c.centroid[1] = static_cast<std::int32_t>(std::lround(sums[l].y / static_cast<double>(c.count)));
        c.centroid[2] = static_cast<std::int32_t>(std::lround(sums[l].z / static_cast<double>(c.count)));
    }
    return true;
}

} // namespace zvipengine
