#pragma once

#include <cstdint>
#include <string>

namespace vantor {

// The window a reference sample is shown with. The sample viewer draws the
// file's stored values, so a window in Hounsfield units goes through the
// sample's own rescale; an inverted (MONOCHROME1) sample is drawn from
// negated values, which turns every window into its mirror image.
struct SampleWindow {
    double intercept = 0.0;
    double slope = 1.0;      // never 0: a missing or zero slope counts as 1
    bool inverted = false;   // MONOCHROME1: the viewer holds -value

    // Level and width for the viewer.
    struct Viewer {
        std::int32_t level = 0;
        std::int32_t width = 1;
    };

    // The sample's own window (Window Center / Width, stored units).
    Viewer own(double center, double width) const;
    // The window the reader typed (Hounsfield units), for CT samples.
    Viewer typed(double level, double width) const;

    // Reads the rescale as the sample header gives it: the numeric values of
    // (0028,1052) and (0028,1053), and whether (0028,0004) is "MONOCHROME1".
    static SampleWindow fromHeader(const std::string& intercept, const std::string& slope,
                                   const std::string& photometricInterpretation);
};

} // namespace vantor
