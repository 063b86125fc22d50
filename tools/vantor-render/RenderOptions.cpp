#include "RenderOptions.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace vantor {

const char* const RenderUsage =
    "usage: vantor-render SERIES OUT.png [--mode grey|colour|mip|endoscope] [--rotate X,Y,Z,DEGREES]\n"
    "                     [--size WxH]\n"
    "\n"
    "Renders the series folder SERIES (registered as the workstation registers it)\n"
    "seen from the front of the patient, head up, and writes the image as a PNG.\n"
    "  --mode grey        shaded rendering of the bones (default)\n"
    "  --mode colour      coloured rendering: skin and soft tissue, bone\n"
    "  --mode mip         maximum intensity projection, -1000..1000 HU\n"
    "  --mode endoscope   perspective view of the body surface from a camera in front\n"
    "  --rotate X,Y,Z,D   turn the view by D degrees about the axis (X, Y, Z) of the\n"
    "                     view (x to the right of the image, y down, z into it)\n"
    "  --size WxH         image size in pixels (default 512x512)\n"
    "  --help             this text\n";

namespace {

bool number(const std::string& text, float& value)
{
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(parsed))
        return false;
    value = static_cast<float>(parsed);
    return true;
}

} // namespace

bool parseRenderOptions(int argc, const char* const* argv, RenderOptions& options, std::string& error)
{
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            return true;
        }
        if (argument == "--mode" || argument == "--rotate" || argument == "--size") {
            if (!hasValue) {
                error = argument + " needs a value";
                return false;
            }
            const std::string value = argv[++i];
            if (argument == "--mode") {
                if (value == "grey" || value == "gray")
                    options.mode = RenderMode::Grey;
                else if (value == "colour" || value == "color")
                    options.mode = RenderMode::Colour;
                else if (value == "mip")
                    options.mode = RenderMode::Mip;
                else if (value == "endoscope")
                    options.mode = RenderMode::Endoscope;
                else {
                    error = "unknown mode " + value + " (grey, colour, mip or endoscope)";
                    return false;
                }
            } else if (argument == "--rotate") {
                std::array<float, 4> parts{};
                std::size_t start = 0;
                int count = 0;
                for (; count < 4 && start <= value.size(); ++count) {
                    const std::size_t comma = value.find(',', start);
                    const std::string part = value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
                    if (!number(part, parts[static_cast<std::size_t>(count)]))
                        break;
                    start = comma == std::string::npos ? value.size() + 1 : comma + 1;
                }
                if (count != 4 || start <= value.size() ||
                    parts[0] * parts[0] + parts[1] * parts[1] + parts[2] * parts[2] == 0.0F) {
                    error = "--rotate takes X,Y,Z,DEGREES with a non-zero axis, not " + value;
                    return false;
                }
                options.rotation = parts;
            } else {
                int w = 0, h = 0;
                char tail = 0;
                if (std::sscanf(value.c_str(), "%dx%d%c", &w, &h, &tail) != 2 || w < 8 || h < 8 || w > 8192 || h > 8192) {
                    error = "--size takes WxH, each 8 to 8192, not " + value;
                    return false;
                }
                options.width = w;
                options.height = h;
            }
        } else if (!argument.empty() && argument[0] == '-') {
            error = "unknown option " + argument;
            return false;
        } else {
            positional.push_back(argument);
        }
    }
    if (positional.size() != 2) {
        error = "a series folder and an output file are needed";
        return false;
    }
    options.series = positional[0];
    options.output = positional[1];
    return true;
}

} // namespace vantor
