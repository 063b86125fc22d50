#pragma once

#include "../imaging/SampleMasking.h"
#include "../imaging/ViewSampling.h"
#include "../imaging/VolumeView.h"

#include <cstdint>

namespace zvipengine {

// How a ray of the working grid is laid out: samples before the ray enters
// the volume hold `beforeEntry`, the first sample outside after entry holds
// `endMarker` (the ray ends there; later samples hold 0), and a ray that
// never enters holds `endMarker` at its second sample.
struct GridMarkers {
    std::int16_t beforeEntry = 0;
    std::int16_t endMarker = -1;
};

// Where the rays run: parallel through the slab (sample k of pixel (i, j)
// at (i, j, start - 1 + k) of the view) or as the endoscope's fan from the
// image centre.
enum class RayGeometry { Parallel, Perspective };

// Fills rows of the padded working grid: for one output row j, the rays of
// the pixels -1 .. width, each with depth + 2 samples (one before and one
// after the slab), ray after ray. Samples are trilinear (+ 0.5, truncated).
// With a mask in force the voxels are read through their low 14 bits; when
// masked voxels are honoured the inside test uses the visible bounding box
// and a sample with a masked corner is 0.
class SlabResampler {
public:
    struct Setup {
        ViewSampling view;
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::int32_t start = 0;
        std::int32_t depth = 1;
        GridMarkers markers;
        RayGeometry geometry = RayGeometry::Parallel;
        // Perspective: the fan's centre t and growth r (pixel size / X spacing).
        double fanCentre = 0.0;
        double fanGrowth = 1.0;
        MaskReading reading = MaskReading::Plain;
        // x min, x max, y min, y max, z min, z max of the visible voxels.
        std::int32_t visibleBox[6] = {0, 0, 0, 0, 0, 0};
    };

    // How far a ray of the grid has been filled. Parallel rays are filled
    // on demand, so a ray that soon turns opaque costs only its first
    // samples; each sample's value depends on its ray alone, so the order of
    // the requests never changes it.
    struct RayState {
        std::int64_t filled = 0; // samples 0 .. filled - 1 hold their values
        std::int64_t last = 0;   // beyond this sample the ray is outside
        double base[3] = {0, 0, 0};
    };

    SlabResampler(const VolumeView& volume, const Setup& setup);

    std::int64_t raySamples() const { return std::int64_t{setup_.depth} + 2; }
    std::int64_t rowSamples() const { return raySamples() * (std::int64_t{setup_.width} + 2); }
    // Starts output row j (j may be -1 or height): rowSamples() values in
    // grid and width + 2 states. Perspective rays are filled at once,
    // parallel rays up to their entry.
    void beginRow(std::int32_t j, std::int16_t* grid, RayState* states) const;
    // Makes samples 0 .. count - 1 of the ray final.
    void ensure(std::int16_t* ray, RayState& state, std::int64_t count) const
    {
        if (state.filled < count)
            extend(ray, state, count);
    }

private:
    void extend(std::int16_t* ray, RayState& state, std::int64_t count) const;
    template <typename Reader>
    void extendWith(const Reader& reader, std::int16_t* ray, RayState& state, std::int64_t count) const;
    template <typename Reader>
    void beginRowWith(const Reader& reader, std::int32_t j, std::int16_t* grid, RayState* states) const;
    template <typename Reader>
    void parallelRay(const Reader& reader, std::int32_t i, std::int32_t j, std::int16_t* ray,
                     RayState& state) const;
    template <typename Reader>
    void perspectiveRay(const Reader& reader, std::int32_t i, std::int32_t j, std::int16_t* ray) const;
    bool inside(const double q[3]) const
    {
        return q[0] >= lower_[0] && q[0] < upper_[0] && q[1] >= lower_[1] && q[1] < upper_[1] &&
               q[2] >= lower_[2] && q[2] < upper_[2];
    }

    VolumeView volume_;
    Setup setup_;
    double lower_[3];
    double upper_[3];
};

} // namespace zvipengine
