#include "ReformatOptions.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

bool parseInteger(const std::string& text, int& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || parsed < INT_MIN || parsed > INT_MAX)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool parseReal(const std::string& text, float& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    const float parsed = std::strtof(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

} // namespace

const char* ReformatOptions::usage()
{
    return "usage: vantor-reformat SERIES_FOLDER OUTPUT.pgm [options]\n"
           "  --mode mpr|mip|minip|sum    reformat (default) or slab projection\n"
           "  --axis 0|1|2|13|14          axial, coronal, sagittal (13, 14: rows and columns exchanged)\n"
           "  --oblique                   sample through a view matrix instead of along voxel rows\n"
           "  --plane N                   slice, row or column (oblique: depth from the centre in pixels)\n"
           "  --depth N                   slab thickness for the projections (default 1)\n"
           "  --size WxH                  output size (default: the slice size)\n"
           "  --pixel-spacing MM          oblique pixel size (default: the column spacing)\n"
           "  --rotate X,Y,Z,DEGREES      oblique: turn the view about this axis through its centre\n"
           "  --sort number|position|none slice order (default: number)\n"
           "The image is written as a 16-bit PGM of stored values (CT number + 1024).\n";
}

std::optional<ReformatOptions> ReformatOptions::parse(const std::vector<std::string>& arguments, std::string& error)
{
    ReformatOptions options;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.rfind("--", 0) != 0) {
            positional.push_back(argument);
            continue;
        }
        if (argument == "--oblique") {
            options.oblique = true;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            error = argument + " needs a value";
            return std::nullopt;
        }
        const std::string& value = arguments[++i];
        if (argument == "--mode") {
            if (value == "mpr")
                options.mode = Mode::Reformat;
            else if (value == "mip")
                options.mode = Mode::Maximum;
            else if (value == "minip")
                options.mode = Mode::Minimum;
            else if (value == "sum")
                options.mode = Mode::Mean;
            else {
                error = "unknown mode: " + value;
                return std::nullopt;
            }
        } else if (argument == "--axis") {
            if (!parseInteger(value, options.axis) ||
                (options.axis != 0 && options.axis != 1 && options.axis != 2 && options.axis != 13 && options.axis != 14)) {
                error = "axis must be 0, 1, 2, 13 or 14: " + value;
                return std::nullopt;
            }
        } else if (argument == "--plane") {
            int plane = 0;
            if (!parseInteger(value, plane)) {
                error = "plane must be a whole number: " + value;
                return std::nullopt;
            }
            options.plane = plane;
        } else if (argument == "--depth") {
            if (!parseInteger(value, options.depth) || options.depth < 1) {
                error = "depth must be a whole number of at least 1: " + value;
                return std::nullopt;
            }
        } else if (argument == "--size") {
            const std::size_t cross = value.find('x');
            int w = 0, h = 0;
            if (cross == std::string::npos || !parseInteger(value.substr(0, cross), w) ||
                !parseInteger(value.substr(cross + 1), h) || w < 1 || h < 1 || w > 16384 || h > 16384) {
                error = "size must be WxH with 1 .. 16384 each: " + value;
                return std::nullopt;
            }
            options.width = w;
            options.height = h;
        } else if (argument == "--pixel-spacing") {
            if (!parseReal(value, options.pixelSpacing) || options.pixelSpacing < 0.0f) {
                error = "pixel spacing must be a number of at least 0: " + value;
                return std::nullopt;
            }
        } else if (argument == "--rotate") {
            std::vector<std::string> pieces;
            std::size_t from = 0;
            for (std::size_t comma; (comma = value.find(',', from)) != std::string::npos; from = comma + 1)
                pieces.push_back(value.substr(from, comma - from));
            pieces.push_back(value.substr(from));
            float parts[4] = {0, 0, 0, 0};
            bool good = pieces.size() == 4;
            for (std::size_t n = 0; good && n < 4; ++n)
                good = parseReal(pieces[n], parts[n]);
            if (!good) {
                error = "rotate must be X,Y,Z,DEGREES: " + value;
                return std::nullopt;
            }
            for (int a = 0; a < 3; ++a)
                options.rotationAxis[a] = parts[a];
            options.rotationDegrees = parts[3];
        } else if (argument == "--sort") {
            if (value == "number")
                options.ordering = vantor::SliceOrdering::ImageNumber;
            else if (value == "position")
                options.ordering = vantor::SliceOrdering::ImagePosition;
            else if (value == "none")
                options.ordering = vantor::SliceOrdering::None;
            else {
                error = "sort must be number, position or none: " + value;
                return std::nullopt;
            }
        } else {
            error = "unknown option: " + argument;
            return std::nullopt;
        }
    }
    if (positional.size() != 2) {
        error = "a series folder and an output file are needed";
        return std::nullopt;
    }
    if (!options.oblique && options.mode != Mode::Reformat && options.axis > 2) {
        error = "projections know axes 0, 1 and 2";
        return std::nullopt;
    }
    if (options.oblique && options.axis > 2) {
        error = "oblique views start from axis 0, 1 or 2";
        return std::nullopt;
    }
    options.seriesFolder = positional[0];
    options.outputPath = positional[1];
    return options;
}
