#include "ReformatRunner.h"

#include "ZVIPEngine/VazAZUrorav.h"

#include <array>
#include <cmath>

namespace {

int middlePlane(const ReformatOptions& options, const VazAZUrorav& engine)
{
    if (options.oblique)
        return 0;
    switch (options.axis) {
    case 1:
    case 13:
        return static_cast<int>(std::lround(engine.Ydims() / 2.0));
    case 2:
    case 14:
        return static_cast<int>(std::lround(engine.Xdims() / 2.0));
    default:
        return engine.Zdims() / 2;
    }
}

int planeExtent(int axis, const VazAZUrorav& engine)
{
    if (axis == 1 || axis == 13)
        return engine.Ydims();
    if (axis == 2 || axis == 14)
        return engine.Xdims();
    return engine.Zdims();
}

} // namespace

ReformatRunner::Image ReformatRunner::run(const ReformatOptions& options, VazAZUrorav& engine)
{
    Image result;
    result.width = options.width.value_or(engine.Xdims());
    result.height = options.height.value_or(engine.Ydims());
    result.plane = options.plane.value_or(middlePlane(options, engine));
    const int W = result.width, H = result.height, plane = result.plane;
    std::int16_t* image = nullptr;
    bool done = false;
    using Mode = ReformatOptions::Mode;

    if (!options.oblique) {
        const int extent = planeExtent(options.axis, engine);
        if (options.mode == Mode::Reformat && (plane < 0 || plane >= extent)) {
            result.error = "plane " + std::to_string(plane) + " lies outside 0 .. " + std::to_string(extent - 1);
            return result;
        }
        if (options.mode != Mode::Reformat && options.axis == 0 && (W != engine.Xdims() || H != engine.Ydims())) {
            result.error = "axial projections are made at the slice size " + std::to_string(engine.Xdims()) + "x" +
                           std::to_string(engine.Ydims());
            return result;
        }
        switch (options.mode) {
        case Mode::Reformat:
            done = engine.CreateImageOrthoMPR(&image, 0, W, H, options.axis, plane);
            break;
        case Mode::Maximum:
            done = engine.CreateImageOrthoMIP(&image, 0, W, H, options.axis, plane, options.depth);
            break;
        case Mode::Minimum:
            done = engine.CreateImageOrthoMinIP(&image, 0, W, H, options.axis, plane, options.depth);
            break;
        case Mode::Mean:
            done = engine.CreateImageOrthoSum(&image, 0, W, H, options.axis, plane, options.depth);
            break;
        }
    } else {
        std::array<float, 16> base{};
        if (options.axis == 1)
            engine.GetMatrixDefaultCoronal(base.data());
        else if (options.axis == 2)
            engine.GetMatrixDefaultSagittal(base.data());
        else
            engine.GetMatrixDefault(base.data());
        std::array<float, 16> matrix = base;
        if (options.rotationDegrees != 0.0f) {
            // The turn acts in view millimetres, about the view's centre,
            // before the view is placed in the volume.
            std::array<float, 16> turn{};
            engine.GetMatrixRotate(turn.data(), 0, 0, 0, options.rotationAxis[0], options.rotationAxis[1],
                                   options.rotationAxis[2], options.rotationDegrees);
            engine.MathMatrix(base.data(), turn.data(), matrix.data());
        }
        switch (options.mode) {
        case Mode::Reformat:
            done = engine.CreateImageMPRMatrix(&image, 0, W, H, options.pixelSpacing, plane, matrix.data());
            break;
        case Mode::Maximum:
            done = engine.CreateImageMIPMatrix(&image, 0, W, H, options.pixelSpacing, plane, options.depth,
                                               matrix.data());
            break;
        case Mode::Minimum:
            done = engine.CreateImageMinIPMatrix(&image, 0, W, H, options.pixelSpacing, plane, options.depth,
                                                 matrix.data());
            break;
        case Mode::Mean:
            done = engine.CreateImageSumMatrix(&image, 0, W, H, options.pixelSpacing, plane, options.depth,
                                               matrix.data());
            break;
        }
    }
    if (!done || image == nullptr) {
        result.error = "the engine could not make the image (error " + std::to_string(engine.ErrorNumber()) + ")";
        return result;
    }
    result.samples = image;
    return result;
}
