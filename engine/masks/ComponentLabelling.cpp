#include "ComponentLabelling.h"

#include <algorithm>
#include <new>
#include <numeric>

namespace zvipengine
{

namespace
{

struct Offset {
    std::int8_t dx, dy, dz;
};

std::vector<Offset> neighbourOffsets(ComponentLabelling::Connectivity connectivity, bool planar)
{
    std::vector<Offset> offsets;
    for (int dz = planar ? 0 : -1; dz <= (planar ? 0 : 1); ++dz)
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nonZero = (dx != 0) + (dy != 0) + (dz != 0);
                if (nonZero == 0)
                    continue;
                const int allowed = connectivity == ComponentLabelling::Connectivity::Face   ? 1
                                    : connectivity == ComponentLabelling::Connectivity::Edge ? 2
                                                                                             : 3;
                // In 2-D the edge connectivity is the full 8-neighbourhood.
                if (nonZero > allowed && !(planar && allowed >= 2))
                    continue;
                offsets.push_back({static_cast<std::int8_t>(dx), static_cast<std::int8_t>(dy),
                                   static_cast<std::int8_t>(dz)});
            }
    return offsets;
}

struct Position {
    std::int32_t x, y, z;
};

// Breadth-first fill with an explicit queue: marks `target` with `value`
// for every element with image != 0 and target == 0 reachable from the
// queued seeds. Returns the number of elements marked. Elements away from
// the faces take their neighbours by linear offset, without bounds tests.
template <typename Target>
std::int64_t fill(const std::uint8_t* image, std::int32_t X, std::int32_t Y, std::int32_t Z,
                  const std::vector<Offset>& offsets, std::vector<Position>& queue, Target* target,
                  Target value)
{
    const std::int64_t slice = std::int64_t{X} * Y;
    std::int64_t linear[26];
    for (std::size_t k = 0; k < offsets.size(); ++k)
        linear[k] = offsets[k].dx + std::int64_t{X} * offsets[k].dy + slice * offsets[k].dz;
    // A 2-D image (Z = 1) has no neighbours along z; every other axis needs
    // one element on either side.
    const std::int32_t zLow = Z == 1 ? 0 : 1;
    const std::int32_t zHigh = Z == 1 ? 0 : Z - 2;
    const std::int32_t xLow = 1, yLow = 1, xHigh = X - 2, yHigh = Y - 2;
    std::int64_t marked = 0;
    for (std::size_t head = 0; head < queue.size(); ++head) {
        // Drop the handled front now and then: the queue then holds about
        // one front of the fill instead of every element it reached.
        if (head >= (std::size_t{1} << 16) && head * 2 >= queue.size()) {
            queue.erase(queue.begin(), queue.begin() + static_cast<std::ptrdiff_t>(head));
            head = 0;
        }
        const Position p = queue[head];
        ++marked;
        const std::int64_t index = slice * p.z + std::int64_t{X} * p.y + p.x;
        const bool interior =
            p.x >= xLow && p.x <= xHigh && p.y >= yLow && p.y <= yHigh && p.z >= zLow && p.z <= zHigh;
        for (std::size_t k = 0; k < offsets.size(); ++k) {
            const Offset& o = offsets[k];
            if (!interior) {
                const std::int32_t nx = p.x + o.dx;
                const std::int32_t ny = p.y + o.dy;
                const std::int32_t nz = p.z + o.dz;
                if (nx < 0 || ny < 0 || nz < 0 || nx >= X || ny >= Y || nz >= Z)
                    continue;
            }
            const std::int64_t n = index + linear[k];
            if (image[n] == 0 || target[n] != 0)
                continue;
            target[n] = value;
            queue.push_back({p.x + o.dx, p.y + o.dy, p.z + o.dz});
        }
    }
    queue.clear();
    return marked;
}

// Face-connected fill by spans along x: a popped seed grows to the whole
// run of fillable elements of its row, which is marked at once; each of the
// four neighbouring rows (y +- 1, z +- 1) then gets one seed per run of
// fillable elements beside the span. Seeds may repeat; a seed found marked
// is dropped. Returns the number of elements marked.
template <typename Target>
std::int64_t fillSpans(const std::uint8_t* image, std::int32_t X, std::int32_t Y, std::int32_t Z,
                       std::vector<Position>& stack, Target* target, Target value)
{
    const std::int64_t slice = std::int64_t{X} * Y;
    const auto open = [&](std::int64_t i) { return image[i] != 0 && target[i] == 0; };
    std::int64_t marked = 0;
    while (!stack.empty()) {
        const Position p = stack.back();
        stack.pop_back();
        const std::int64_t row = slice * p.z + std::int64_t{X} * p.y;
        if (!open(row + p.x))
            continue;
        std::int32_t first = p.x;
        while (first > 0 && open(row + first - 1))
            --first;
        std::int32_t last = p.x;
        while (last < X - 1 && open(row + last + 1))
            ++last;
        for (std::int32_t x = first; x <= last; ++x)
            target[row + x] = value;
        marked += last - first + 1;
        const std::int32_t rows[4][2] = {{p.y - 1, p.z}, {p.y + 1, p.z}, {p.y, p.z - 1}, {p.y, p.z + 1}};
        for (const auto& r : rows) {
            if (r[0] < 0 || r[0] >= Y || r[1] < 0 || r[1] >= Z)
                continue;
            const std::int64_t beside = slice * r[1] + std::int64_t{X} * r[0];
            bool inRun = false;
            for (std::int32_t x = first; x <= last; ++x) {
                const bool fillable = open(beside + x);
                if (fillable && !inRun)
                    stack.push_back({x, r[0], r[1]});
                inRun = fillable;
            }
        }
    }
    return marked;
}

Position positionOf(std::int64_t index, std::int32_t X, std::int32_t Y)
{
    const std::int64_t slice = std::int64_t{X} * Y;
    const auto z = static_cast<std::int32_t>(index / slice);
    const std::int64_t rest = index - slice * z;
    const auto y = static_cast<std::int32_t>(rest / X);
    return {static_cast<std::int32_t>(rest - std::int64_t{X} * y), y, z};
}

} // namespace

std::int32_t ComponentLabelling::label(const std::uint8_t* image, std::int32_t X, std::int32_t Y,
                                       std::int32_t Z, Connectivity connectivity, std::int32_t* labels)
{
    const std::int64_t count = std::int64_t{X} * Y * Z;
    std::fill(labels, labels + count, 0);
    const std::vector<Offset> offsets = neighbourOffsets(connectivity, Z == 1);
    std::vector<Position> queue;
    std::vector<std::int64_t> sizes;
    try {
        queue.reserve(static_cast<std::size_t>(std::min<std::int64_t>(count, std::int64_t{1} << 20)));
        std::int32_t next = 0;
        for (std::int64_t i = 0; i < count; ++i) {
            if (image[i] == 0 || labels[i] != 0)
                continue;
            if (next == 0x7FFFFFFF)
                return -1;
            ++next;
            queue.push_back(positionOf(i, X, Y));
            if (connectivity == Connectivity::Face) {
                sizes.push_back(fillSpans(image, X, Y, Z, queue, labels, next));
            } else {
                labels[i] = next;
                sizes.push_back(fill(image, X, Y, Z, offsets, queue, labels, next));
            }
        }
        if (next == 0)
            return 0;
        // Renumber by decreasing size; the stable sort keeps scan order
        // among equal sizes.
        std::vector<std::int32_t> order(static_cast<std::size_t>(next));
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
            return sizes[static_cast<std::size_t>(a)] > sizes[static_cast<std::size_t>(b)];
        });
        std::vector<std::int32_t> renumber(static_cast<std::size_t>(next) + 1, 0);
        for (std::int32_t rank = 0; rank < next; ++rank)
            renumber[static_cast<std::size_t>(order[static_cast<std::size_t>(rank)]) + 1] = rank + 1;
        for (std::int64_t i = 0; i < count; ++i)
            labels[i] = renumber[static_cast<std::size_t>(labels[i])];
        return next;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

std::int32_t ComponentLabelling::toBytes(const std::int32_t* labels, std::int64_t count,
                                         std::int32_t labelCount, std::uint8_t* out)
{
    for (std::int64_t i = 0; i < count; ++i)
        out[i] = static_cast<std::uint8_t>(std::min(labels[i], 255));
    return labelCount > 254 ? 255 : labelCount;
}

bool ComponentLabelling::reach(const std::uint8_t* image, std::int32_t X, std::int32_t Y, std::int32_t Z,
                               Connectivity connectivity, const std::vector<std::int64_t>& seeds,
                               std::uint8_t* reached)
{
    const std::int64_t count = std::int64_t{X} * Y * Z;
    std::fill(reached, reached + count, std::uint8_t{0});
    const std::vector<Offset> offsets = neighbourOffsets(connectivity, Z == 1);
    try {
        std::vector<Position> queue;
        queue.reserve(static_cast<std::size_t>(std::min<std::int64_t>(count, std::int64_t{1} << 20)));
        const bool spans = connectivity == Connectivity::Face;
        for (const std::int64_t seed : seeds)
            if (seed >= 0 && seed < count && image[seed] != 0 && reached[seed] == 0) {
                if (!spans)
                    reached[seed] = 1;
                queue.push_back(positionOf(seed, X, Y));
            }
        if (spans)
            fillSpans(image, X, Y, Z, queue, reached, std::uint8_t{1});
        else
            fill(image, X, Y, Z, offsets, queue, reached, std::uint8_t{1});
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace zvipengine
