#pragma once

#include <cstdint>
#include <vector>

namespace zvipengine {

// Connected components of the non-zero elements of a 2-D (Z = 1) or 3-D byte
// image. Components are numbered in scan order (x fastest, then y, then z)
// and then renumbered by decreasing element count, the largest becoming 1;
// equal counts keep their scan order. Background elements get 0.
class ComponentLabelling {
public:
    // Face: 6 neighbours (4 in 2-D); Edge: 18 (8 in 2-D); Vertex: 26 (8).
    enum class Connectivity { Face, Edge, Vertex };

    // labels: X*Y*Z elements. Returns the number of components, or -1 when
    // the working memory cannot be had.
    static std::int32_t label(const std::uint8_t* image, std::int32_t X, std::int32_t Y, std::int32_t Z,
                              Connectivity connectivity, std::int32_t* labels);
    // Byte labels: every label above 254 becomes 255; returns the reported
    // number of labels (255 when some were folded).
    static std::int32_t toBytes(const std::int32_t* labels, std::int64_t count, std::int32_t labelCount,
                                std::uint8_t* out);
    // Marks with 1 in `reached` every non-zero element of `image` connected
    // to one of the seeds (seeds on zero elements are ignored); the other
    // elements get 0. False when the working memory cannot be had.
    static bool reach(const std::uint8_t* image, std::int32_t X, std::int32_t Y, std::int32_t Z,
                      Connectivity connectivity, const std::vector<std::int64_t>& seeds, std::uint8_t* reached);
};

} // namespace zvipengine
