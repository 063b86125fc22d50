// vantor-surface: the iso-surface of a series folder as a mesh file that
// other programs read (STL, PLY or OBJ, patient coordinates in mm).
#include "MeshWriter.h"
#include "SeriesLoading.h"
#include "SurfaceMesh.h"
#include "TerminalProgress.h"

#include <ZVDICOM/ZQDICOM.h>
#include <ZVIPEngine/VazAZUrorav.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr const char* Usage =
    "usage: vantor-surface SERIES OUT.(stl|ply|obj) --threshold HU [--reduce N]\n"
    "\n"
    "Extracts the iso-surface of the series folder SERIES (registered as the\n"
    "workstation registers it) at the CT value HU and writes it as a mesh in DICOM\n"
    "patient coordinates (LPS, millimetres): binary STL, binary PLY with vertex\n"
    "normals, or OBJ with vertex normals, by the file's extension.\n"
    "  --threshold HU   the surface's CT value (for example 300 for bone, -500 for skin)\n"
    "  --reduce N       reduce the volume by N in-plane pixels per grid step (default 1;\n"
    "                   the registered slice direction is not reduced)\n"
    "  --help           this text\n";

bool integer(const char* text, int& value)
{
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || parsed < -100000 || parsed > 100000)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

int usageError(const std::string& message)
{
    std::fprintf(stderr, "vantor-surface: %s\n%s", message.c_str(), Usage);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string series, output;
    int threshold = 0, reduce = 1;
    bool haveThreshold = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (argument == "--threshold" || argument == "--reduce") {
            int value = 0;
            if (i + 1 >= argc || !integer(argv[i + 1], value))
                return usageError(argument + " needs a whole number");
            ++i;
            if (argument == "--threshold") {
                threshold = value;
                haveThreshold = true;
            } else if (value < 1 || value > 64) {
                return usageError("--reduce takes 1 to 64");
            } else {
                reduce = value;
            }
        } else if (!argument.empty() && argument[0] == '-' && argument.size() > 1) {
            return usageError("unknown option " + argument);
        } else if (series.empty()) {
            series = argument;
        } else if (output.empty()) {
            output = argument;
        } else {
            return usageError("one series and one output file, not " + argument);
        }
    }
    if (series.empty() || output.empty())
        return usageError("a series folder and an output file are needed");
    if (!haveThreshold)
        return usageError("--threshold HU is needed");
    if (!vantor::knownMeshFormat(output))
        return usageError("the output must end in .stl, .ply or .obj: " + output);
    if (!std::filesystem::is_directory(series)) {
        std::fprintf(stderr, "vantor-surface: not a folder: %s\n", series.c_str());
        return 1;
    }

    vantor::TerminalProgress progress;
    ZQDICOM dicom;
    VazAZUrorav engine;
    vantor::LoadedSeries loaded;
    if (!vantor::loadSeriesForTool("vantor-surface", series, dicom, engine, loaded, progress))
        return 1;
    std::string error;
    progress.step("extracting the surface");
    vantor::TriangleMesh mesh;
    const bool made = vantor::surfaceMesh(engine, loaded.geometry, threshold, reduce, mesh, error);
    progress.finish();
    if (!made || !vantor::writeMesh(output, mesh, error)) {
        std::fprintf(stderr, "vantor-surface: %s\n", error.c_str());
        return 1;
    }
    std::printf("%zu vertices, %zu triangles: %s\n", mesh.vertices.size(), mesh.triangles.size(), output.c_str());
    return 0;
}
