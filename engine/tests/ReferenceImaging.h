#pragma once

// Straightforward reference implementations of the engine's reformats and
// projections: double precision, no tiling, no threads, no early ray ends.
// Written from the documented geometry, independently of the engine code.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace reference {

struct Volume {
    int X = 0, Y = 0, Z = 0;
    double sx = 1, sy = 1, sz = 1;
    std::vector<std::int16_t> v;
    int at(int x, int y, int z) const { return v[(static_cast<std::size_t>(z) * Y + y) * X + x]; }
};

inline Volume randomVolume(int X, int Y, int Z, unsigned seed, int maximum = 3000)
{
    Volume r;
    r.X = X;
    r.Y = Y;
    r.Z = Z;
    r.v.resize(static_cast<std::size_t>(X) * Y * Z);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> value(0, maximum);
    for (auto& s : r.v)
        s = static_cast<std::int16_t>(value(random));
    return r;
}

// Slice coordinate of output line n of N, or false when outside.
inline bool sliceCoordinate(double ratio, int n, int N, int Z, int& t, double& f)
{
    const double e = ratio * n - ((N - 1) * ratio - (Z - 1)) / 2.0;
    if (!(e >= 0.0))
        return false;
    t = static_cast<int>(std::floor(e));
    if (t >= Z - 1)
        return false;
    f = e - t;
    return true;
}

// line(z, c): the value of element c of slice z's line.
template <typename Line>
std::vector<int> stretch(Line line, int length, int Z, double ratio, bool transposed, int W, int H)
{
    std::vector<int> out(static_cast<std::size_t>(W) * H, 0);
    for (int r = 0; r < H; ++r)
        for (int c = 0; c < W; ++c) {
            const int n = transposed ? c : r;
            const int element = transposed ? r : c;
            int t;
            double f;
            if (element >= length || !sliceCoordinate(ratio, n, transposed ? W : H, Z, t, f))
                continue;
            out[static_cast<std::size_t>(r) * W + c] =
                static_cast<int>(line(t, element) * (1.0 - f) + line(t + 1, element) * f + 0.5);
        }
    return out;
}

// Orthogonal reformat; empty result = nothing written.
inline std::vector<int> orthogonalReformat(const Volume& v, int W, int H, int axis, int plane)
{
    if (axis == 0) {
        if (plane < 0 || plane >= v.Z)
            return {};
        std::vector<int> out(static_cast<std::size_t>(W) * H, 0);
        for (int r = 0; r < H && r < v.Y; ++r)
            for (int c = 0; c < W && c < v.X; ++c)
                out[static_cast<std::size_t>(r) * W + c] = v.at(c, r, plane);
        return out;
    }
    const bool coronal = axis == 1 || axis == 13;
    if (plane < 0 || plane >= (coronal ? v.Y : v.X))
        return {};
    const double ratio = (coronal ? v.sx : v.sy) / std::fabs(v.sz);
    if (coronal)
        return stretch([&](int z, int x) { return v.at(x, plane, z); }, v.X, v.Z, ratio, axis == 13, W, H);
    return stretch([&](int z, int y) { return v.at(plane, y, z); }, v.Y, v.Z, ratio, axis == 14, W, H);
}

enum class Kind { Max, Min, Mean };

inline int combine(Kind kind, const std::vector<int>& values)
{
    if (kind == Kind::Max) {
        int m = 0;
        for (int x : values)
            m = std::max(m, x);
        return m;
    }
    if (kind == Kind::Min) {
        int m = 16384;
        for (int x : values)
            m = std::min(m, x);
        return m;
    }
    if (values.empty())
        return 0;
    double sum = 0;
    for (int x : values)
        sum += x;
    return static_cast<int>(sum / values.size() + 0.5);
}

// Orthogonal slab projection, axes 0, 1, 2; empty result = nothing written.
inline std::vector<int> orthogonalProjection(const Volume& v, Kind kind, int W, int H, int axis, int plane,
                                             int depth)
{
    depth = std::max(1, depth);
    const int start = plane - depth / 2;
    const int extent = axis == 0 ? v.Z : (axis == 1 ? v.Y : v.X);
    const int first = std::clamp(start, 0, extent);
    const int last = std::clamp(start + depth, 0, extent);
    auto slab = [&](auto value) {
        std::vector<int> values;
        for (int s = first; s < last; ++s)
            values.push_back(value(s));
        return values;
    };
    if (axis == 0) {
        if (W != v.X || H != v.Y)
            return {};
        std::vector<int> out(static_cast<std::size_t>(W) * H);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                out[static_cast<std::size_t>(y) * W + x] = combine(kind, slab([&](int z) { return v.at(x, y, z); }));
        return out;
    }
    if (axis == 1)
        return stretch([&](int z, int x) { return combine(kind, slab([&](int y) { return v.at(x, y, z); })); },
                       v.X, v.Z, v.sx / std::fabs(v.sz), false, W, H);
    return stretch([&](int z, int y) { return combine(kind, slab([&](int x) { return v.at(x, y, z); })); }, v.Y,
                   v.Z, v.sy / std::fabs(v.sz), false, W, H);
}

// The view matrix V = translate(-W/2, -H/2, 0) * scale(p) * M, row vectors.
struct View {
    double V[16];
    View(const float* M, int W, int H, double p)
    {
        double T[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -W / 2.0, -H / 2.0, 0, 1};
        double S[16] = {p, 0, 0, 0, 0, p, 0, 0, 0, 0, p, 0, 0, 0, 0, 1};
        double TS[16];
        multiply(T, S, TS);
        double Md[16];
        for (int i = 0; i < 16; ++i)
            Md[i] = M[i];
        multiply(TS, Md, V);
    }
    static void multiply(const double* A, const double* B, double* C)
    {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) {
                double s = 0;
                for (int k = 0; k < 4; ++k)
                    s += A[r * 4 + k] * B[k * 4 + c];
                C[r * 4 + c] = s;
            }
    }
    void map(double i, double j, double k, double q[3]) const
    {
        for (int a = 0; a < 3; ++a)
            q[a] = i * V[a] + j * V[4 + a] + k * V[8 + a] + V[12 + a];
    }
};

// Trilinear sample + 0.5 truncated, or false when not all eight voxels exist.
inline bool sample(const Volume& v, const double q[3], int& value)
{
    if (!(q[0] >= 0 && q[0] < v.X - 1 && q[1] >= 0 && q[1] < v.Y - 1 && q[2] >= 0 && q[2] < v.Z - 1))
        return false;
    const int a = static_cast<int>(q[0]), b = static_cast<int>(q[1]), c = static_cast<int>(q[2]);
    const double fx = q[0] - a, fy = q[1] - b, fz = q[2] - c;
    double sum = 0;
    for (int dz = 0; dz < 2; ++dz)
        for (int dy = 0; dy < 2; ++dy)
            for (int dx = 0; dx < 2; ++dx)
                sum += v.at(a + dx, b + dy, c + dz) * (dx ? fx : 1 - fx) * (dy ? fy : 1 - fy) * (dz ? fz : 1 - fz);
    value = static_cast<int>(sum + 0.5);
    return true;
}

inline std::vector<int> obliqueReformat(const Volume& v, const float* M, int W, int H, double p, int plane)
{
    const View view(M, W, H, p);
    std::vector<int> out(static_cast<std::size_t>(W) * H, 0);
    for (int j = 0; j < H; ++j)
        for (int i = 0; i < W; ++i) {
            double q[3];
            view.map(i, j, plane, q);
            int value;
            if (sample(v, q, value))
                out[static_cast<std::size_t>(j) * W + i] = value;
        }
    return out;
}

// initial: the image's values before the call (Add forms), or empty.
inline std::vector<int> obliqueProjection(const Volume& v, Kind kind, const float* M, int W, int H, double p,
                                          int plane, int depth, const std::vector<int>& initial = {})
{
    depth = std::max(1, depth);
    const int start = plane - depth / 2;
    const View view(M, W, H, p);
    std::vector<int> out(static_cast<std::size_t>(W) * H, 0);
    for (int j = 0; j < H; ++j)
        for (int i = 0; i < W; ++i) {
            const std::size_t index = static_cast<std::size_t>(j) * W + i;
            long long value = initial.empty() ? (kind == Kind::Min ? 16384 : 0) : initial[index];
            for (int k = start; k < start + depth; ++k) {
                double q[3];
                view.map(i, j, k, q);
                int s;
                if (!sample(v, q, s))
                    continue;
                if (kind == Kind::Max)
                    value = std::max<long long>(value, s);
                else if (kind == Kind::Min)
                    value = std::min<long long>(value, s);
                else
                    value += s;
            }
            out[index] = static_cast<int>(kind == Kind::Mean ? value / depth : value);
        }
    return out;
}

} // namespace reference
