#include "LungSeparation.h"

#include "../masks/ComponentLabelling.h"

#include <algorithm>
#include <new>

namespace zvipengine {

namespace {

enum SliceState { NoLung = 0, OneLung = 1, TwoLungs = 2, Joined = 3 };

struct SliceWork {
    std::int32_t W = 0, H = 0;
    std::vector<std::int32_t> labels;
    std::vector<std::int32_t> minimumX, maximumX;
    std::vector<std::int32_t> votes; // per component: lung 1, lung 2, joined, all
    std::vector<std::uint8_t> side;
};

// Labels the slice and gives every voxel its side (1, 2 or 3); the reference
// is the previous classified slice (0 = none). Returns the slice state and
// whether lungs 1 and 2 both occur; -1 when memory runs out.
int classify(SliceWork& w, const std::uint8_t* mask, const std::uint8_t* reference, std::uint8_t* out)
{
    const std::size_t plane = static_cast<std::size_t>(w.W) * w.H;
    const std::int32_t n = ComponentLabelling::label(mask, w.W, w.H, 1, ComponentLabelling::Connectivity::Face,
                                                     w.labels.data());
    if (n < 0)
        return -1;
    const std::size_t slots = static_cast<std::size_t>(n) + 1;
    w.minimumX.assign(slots, INT32_MAX);
    w.maximumX.assign(slots, -1);
    w.votes.assign(slots * 4, 0);
    w.side.assign(slots, 0);
    for (std::int32_t y = 0; y < w.H; ++y)
        for (std::int32_t x = 0; x < w.W; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * w.W + x;
            const std::int32_t l = w.labels[i];
            if (l <= 0)
                continue;
            w.minimumX[static_cast<std::size_t>(l)] = std::min(w.minimumX[static_cast<std::size_t>(l)], x);
            w.maximumX[static_cast<std::size_t>(l)] = std::max(w.maximumX[static_cast<std::size_t>(l)], x);
            const std::uint8_t r = reference[i];
            if (r >= 1 && r <= 3)
                ++w.votes[static_cast<std::size_t>(l) * 4 + r - 1];
            ++w.votes[static_cast<std::size_t>(l) * 4 + 3];
        }
    const std::int32_t low = 4 * w.W / 10, high = 6 * w.W / 10;
    bool joined = false, one = false, two = false;
    for (std::int32_t l = 1; l <= n; ++l) {
        const std::size_t s = static_cast<std::size_t>(l);
        const bool left = w.minimumX[s] < low, right = w.maximumX[s] > high;
        std::uint8_t side;
        if (left && right) {
            side = 3;
            joined = true;
        } else if (left) {
            side = 1;
        } else if (right) {
            side = 2;
        } else if (2 * w.votes[s * 4] > w.votes[s * 4 + 3]) {
            side = 1;
        } else if (2 * w.votes[s * 4 + 1] > w.votes[s * 4 + 3]) {
            side = 2;
        } else {
            side = 3;
        }
        one = one || side == 1;
        two = two || side == 2;
        w.side[s] = side;
    }
    for (std::size_t i = 0; i < plane; ++i)
        out[i] = w.side[static_cast<std::size_t>(w.labels[i])];
    if (joined)
        return Joined;
    return (one && two) ? TwoLungs : (one || two) ? OneLung : NoLung;
}


// Grows parts 1 and 2 of `seeds` through `mask` in 2-D, one 4-neighbour
// step at a time; a voxel both reach in the same step stays 0.
void growParts(const std::uint8_t* mask, const std::uint8_t* seeds, std::int32_t W, std::int32_t H,
               std::uint8_t* out, std::vector<std::int32_t>& front, std::vector<std::int32_t>& next)
{
    const std::size_t plane = static_cast<std::size_t>(W) * H;
    front.clear();
    for (std::size_t i = 0; i < plane; ++i) {
        out[i] = (mask[i] && (seeds[i] == 1 || seeds[i] == 2)) ? seeds[i] : 0;
        if (out[i])
            front.push_back(static_cast<std::int32_t>(i));
    }
    // 4 marks a voxel claimed in the current step by the other part too.
    while (!front.empty()) {
        next.clear();
        for (std::int32_t i : front) {
            const std::uint8_t part = out[static_cast<std::size_t>(i)];
            if (part != 1 && part != 2)
                continue;
            const std::int32_t x = i % W, y = i / W;
            const std::int32_t neighbours[4] = {x > 0 ? i - 1 : -1, x + 1 < W ? i + 1 : -1, y > 0 ? i - W : -1,
                                                y + 1 < H ? i + W : -1};
            for (std::int32_t n : neighbours) {
                if (n < 0 || !mask[static_cast<std::size_t>(n)])
                    continue;
                std::uint8_t& o = out[static_cast<std::size_t>(n)];
                if (o == 0) {
                    o = static_cast<std::uint8_t>(part + 4); // claimed in this step
                    next.push_back(n);
                } else if (o >= 5 && o != part + 4) {
                    o = 4;
                }
            }
        }
        for (std::int32_t n : next) {
            std::uint8_t& o = out[static_cast<std::size_t>(n)];
            o = o == 4 ? 3 : static_cast<std::uint8_t>(o - 4);
        }
        front.swap(next);
    }
    for (std::size_t i = 0; i < plane; ++i)
        if (out[i] == 3)
            out[i] = 0;
}

} // namespace

LungSeparation::Outcome LungSeparation::run(ByteMask& lung, const std::vector<std::int16_t>& values,
                                            const AnalysisBox& box, std::int32_t* middleCuts)
{
    const std::int32_t W = box.W, H = box.H;
    const std::size_t plane = static_cast<std::size_t>(W) * H;
    SliceWork w;
    w.W = W;
    w.H = H;
    ByteMask reference, sides, thresholded, parts, original;
    std::vector<std::int32_t> front, next;
    try {
        w.labels.resize(plane);
        reference.assign(plane, 0);
        sides.resize(plane);
        thresholded.resize(plane);
        parts.resize(plane);
        original.resize(plane);
        front.reserve(plane);
        next.reserve(plane);
    } catch (const std::bad_alloc&) {
        return Outcome::NoMemory;
    }
    std::int32_t cuts = 0;
    for (std::int32_t z = 0; z < box.D; ++z) {
        std::uint8_t* slice = lung.data() + plane * static_cast<std::size_t>(z);
        const std::int16_t* v = values.data() + plane * static_cast<std::size_t>(z);
        for (std::size_t i = 0; i < plane; ++i)
            original[i] = slice[i] ? 1 : 0;
        const int state = classify(w, original.data(), reference.data(), sides.data());
        if (state < 0)
            return Outcome::NoMemory;
        if (state == Joined) {
            bool separated = false;
            for (std::int32_t t = 500; t >= 200 && !separated; t -= 50) {
                for (std::size_t i = 0; i < plane; ++i)
                    thresholded[i] = (original[i] && v[i] < t) ? 1 : 0;
                const int s = classify(w, thresholded.data(), reference.data(), parts.data());
                if (s < 0)
                    return Outcome::NoMemory;
                if (s != TwoLungs)
                    continue;
                growParts(original.data(), parts.data(), W, H, slice, front, next);
                separated = true;
            }
            if (!separated) {
                // Nothing parts them: the middle column does.
                ++cuts;
                for (std::int32_t y = 0; y < H; ++y)
                    for (std::int32_t x = 0; x < W; ++x) {
                        const std::size_t i = static_cast<std::size_t>(y) * W + x;
                        slice[i] = (!original[i] || x == W / 2) ? 0 : (x < W / 2 ? 1 : 2);
                    }
            }
            for (std::size_t i = 0; i < plane; ++i)
                original[i] = slice[i] ? 1 : 0;
            if (classify(w, original.data(), reference.data(), sides.data()) < 0)
                return Outcome::NoMemory;
            // A part still spanning both sides keeps the side it grew from.
            for (std::size_t i = 0; i < plane; ++i)
                if (sides[i] != 3)
                    slice[i] = sides[i];
        } else {
            std::copy(sides.begin(), sides.end(), slice);
        }
        std::copy(slice, slice + plane, reference.begin());
    }
    for (std::uint8_t& l : lung)
        if (l > 2)
            l = 0;
    if (middleCuts)
        *middleCuts = cuts;
    return Outcome::Done;
}

} // namespace zvipengine
