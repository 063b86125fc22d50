#pragma once

#include "SeriesLoading.h"

#include <optional>
#include <string>
#include <vector>

// What vantor-reformat is asked to make, from its command line.
struct ReformatOptions {
    enum class Mode { Reformat, Maximum, Minimum, Mean };

    std::string seriesFolder;
    std::string outputPath;
    Mode mode = Mode::Reformat;
    bool oblique = false;
    int axis = 0;                      // 0 axial, 1 coronal, 2 sagittal (13, 14: exchanged, reformat only)
    std::optional<int> plane;          // default: the middle of the volume (0 = centre for oblique views)
    int depth = 1;
    std::optional<int> width;          // default: the slice's columns
    std::optional<int> height;         // default: the slice's rows
    float pixelSpacing = 0.0f;         // oblique only; 0 = the X spacing
    float rotationAxis[3] = {0, 0, 1}; // oblique only: a turn of the view about its centre
    float rotationDegrees = 0.0f;
    vantor::SliceOrdering ordering = vantor::SliceOrdering::ImageNumber;

    // Parses the arguments after the program name; on failure returns
    // nothing and sets error.
    static std::optional<ReformatOptions> parse(const std::vector<std::string>& arguments, std::string& error);
    static const char* usage();
};
