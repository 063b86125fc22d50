#include "StructureMap.h"

#include <algorithm>
#include <new>

namespace zvipengine {

bool StructureMap::allocate(std::int32_t X, std::int32_t Y, std::int32_t Z)
{
    try {
        codes_.assign(static_cast<std::size_t>(X) * Y * Z, 0);
    } catch (const std::bad_alloc&) {
        codes_.clear();
        X_ = Y_ = Z_ = 0;
        return false;
    }
    X_ = X;
    Y_ = Y;
    Z_ = Z;
    clear();
    return true;
}

void StructureMap::clear()
{
    std::fill(codes_.begin(), codes_.end(), std::uint8_t{0});
    computed.fill(false);
    for (int c = 0; c < 256; ++c)
        parent[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c);
    auto set = [this](std::initializer_list<int> children, int p) {
        for (int c : children)
            parent[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(p);
    };
    set({100, 110, 150, 160, 170, 180, 200}, 100);
    set({111, 112, 113, 116}, 110);
    set({114, 117}, 111);
    set({115, 118}, 112);
    set({210, 220, 230, 235, 238}, 200);
}

bool StructureMap::belongsTo(std::uint8_t code, std::uint8_t ancestor) const
{
    // Parent chains are short; a root is its own parent.
    for (int step = 0; step < 8; ++step) {
        if (code == ancestor)
            return true;
        const std::uint8_t up = parent[code];
        if (up == code)
            return false;
        code = up;
    }
    return false;
}

std::array<bool, 256> StructureMap::membership(std::initializer_list<std::uint8_t> codes) const
{
    std::array<bool, 256> member{};
    for (int c = 1; c < 256; ++c)
        for (std::uint8_t a : codes)
            if (belongsTo(static_cast<std::uint8_t>(c), a))
                member[static_cast<std::size_t>(c)] = true;
    return member;
}

void StructureMap::write(const ByteMask& mask, const AnalysisBox& box, std::uint8_t code)
{
    const std::uint8_t* m = mask.data();
    for (std::int32_t z = 0; z < box.D; ++z)
        for (std::int32_t y = 0; y < box.H; ++y) {
            std::uint8_t* row =
                codes_.data() + (static_cast<std::int64_t>(z + box.z0) * Y_ + y + box.y0) * X_ + box.x0;
            for (std::int32_t x = 0; x < box.W; ++x, ++m)
                if (*m && row[x] <= code)
                    row[x] = code;
        }
}

ByteMask StructureMap::mask(const AnalysisBox& box, std::initializer_list<std::uint8_t> codes) const
{
    const std::array<bool, 256> member = membership(codes);
    ByteMask out(static_cast<std::size_t>(box.voxels()));
    std::uint8_t* m = out.data();
    for (std::int32_t z = 0; z < box.D; ++z)
        for (std::int32_t y = 0; y < box.H; ++y) {
            const std::uint8_t* row =
                codes_.data() + (static_cast<std::int64_t>(z + box.z0) * Y_ + y + box.y0) * X_ + box.x0;
            for (std::int32_t x = 0; x < box.W; ++x)
                *m++ = member[row[x]] ? 1 : 0;
        }
    return out;
}

AnalysisBox StructureMap::boundingBox(std::initializer_list<std::uint8_t> codes, std::int32_t margin) const
{
    const std::array<bool, 256> member = membership(codes);
    std::int32_t lo[3] = {X_, Y_, Z_}, hi[3] = {-1, -1, -1};
    const std::uint8_t* c = codes_.data();
    for (std::int32_t z = 0; z < Z_; ++z)
        for (std::int32_t y = 0; y < Y_; ++y)
            for (std::int32_t x = 0; x < X_; ++x)
                if (member[*c++]) {
                    const std::int32_t p[3] = {x, y, z};
                    for (int a = 0; a < 3; ++a) {
                        lo[a] = std::min(lo[a], p[a]);
                        hi[a] = std::max(hi[a], p[a]);
                    }
                }
    AnalysisBox box;
    if (hi[0] < 0)
        return box;
    const std::int32_t size[3] = {X_, Y_, Z_};
    for (int a = 0; a < 3; ++a) {
        lo[a] = std::max(0, lo[a] - margin);
        hi[a] = std::min(size[a] - 1, hi[a] + margin);
    }
    box.x0 = lo[0];
    box.y0 = lo[1];
    box.z0 = lo[2];
    box.W = hi[0] - lo[0] + 1;
    box.H = hi[1] - lo[1] + 1;
    box.D = hi[2] - lo[2] + 1;
    return box;
}

} // namespace zvipengine
