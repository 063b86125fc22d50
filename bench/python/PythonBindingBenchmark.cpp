// The binding's cost: a coronal reformat and an oblique MIP of the
// 512 x 512 x 300 synthetic chest called from Python (package vantor in an
// embedded interpreter, writing into a numpy array) against the same calls
// from C++ in the same run; then the whole chest analysis (segmentation and
// structure analysis) against one copy of its volume, the floor of any pass
// over it. Prints "name: ours X, peer Y, ratio Z".
#include "../BestSeconds.h"
#include "VantorSyntheticCT/ChestPhantom.h"

#include <ZVIPEngine/VazAZUrorav.h>

#include <pybind11/embed.h>
#include <pybind11/numpy.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace py = pybind11;

namespace {

constexpr const char* PythonTimings = R"(
import time
import numpy as np

def best(call, repeats):
    fastest = 1e30
    for _ in range(repeats):
        start = time.perf_counter()
        call()
        fastest = min(fastest, time.perf_counter() - start)
    return fastest

def timings(engine, X, Y, Z, depth, reformat_repeats, mip_repeats):
    out = np.zeros((Y, X), np.int16)
    matrix = engine.GetMatrixDefaultCoronal(None)
    reformat = best(lambda: engine.GetImageOrthoMPR(out, X, Y, 1, Y // 2), reformat_repeats)
    mip = best(lambda: engine.GetImageMIPMatrix(out, X, Y, 0.0, 0, depth, matrix), mip_repeats)
    return reformat, mip
)";

} // namespace

int main()
{
    VantorSyntheticCT::SeriesOptions options; // 512 x 512 x 300
    const VantorSyntheticCT::Volume v = VantorSyntheticCT::ChestPhantom(options, 1).renderVolume();
    const int X = v.columns, Y = v.rows, Z = v.slices;
    const std::size_t plane = static_cast<std::size_t>(X) * Y;

    VazAZUrorav engine;
    engine.SetDataProfile(X, Y, Z, v.pixelSpacing, v.pixelSpacing, -v.sliceSpacing, 1.0, -1024);
    for (int z = 0; z < Z; ++z)
        engine.SetDicomImage(v.hounsfield.data() + plane * static_cast<std::size_t>(z), z + 1, 1.0, 0.0, z);
    engine.SortInitialize();

    const int depth = 128, reformatRepeats = 200, mipRepeats = 5;
    py::scoped_interpreter interpreter;
    py::module_::import("sys").attr("path").attr("insert")(0, VANTOR_PYTHON_DIR);
    py::object vantor = py::module_::import("vantor");
    py::object pythonEngine = vantor.attr("VazAZUrorav")();
    py::array_t<std::int16_t> volume({Z, Y, X}, v.hounsfield.data());
    pythonEngine.attr("declare_volume")(volume, py::make_tuple(v.pixelSpacing, v.pixelSpacing, -v.sliceSpacing));
    py::dict scope;
    py::exec(PythonTimings, scope);

    std::vector<std::int16_t> out(plane);
    float matrix[16];
    engine.GetMatrixDefaultCoronal(matrix);
    const double cppReformat = bestSeconds(reformatRepeats, [&] { engine.GetImageOrthoMPR(out.data(), X, Y, 1, Y / 2); });
    const double cppMip =
        bestSeconds(mipRepeats, [&] { engine.GetImageMIPMatrix(out.data(), X, Y, 0.0F, 0, depth, matrix); });
    const py::tuple python = scope["timings"](pythonEngine, X, Y, Z, depth, reformatRepeats, mipRepeats);
    const double pyReformat = python[0].cast<double>(), pyMip = python[1].cast<double>();
    std::printf("coronal reformat %dx%d from Python: ours %.3f ms, peer C++ %.3f ms, ratio %.3f (C++ / Python)\n", X,
                Y, pyReformat * 1e3, cppReformat * 1e3, cppReformat / pyReformat);
    std::printf("oblique MIP %dx%dx%d from Python: ours %.2f ms, peer C++ %.2f ms, ratio %.3f (C++ / Python)\n", X, Y,
                depth, pyMip * 1e3, cppMip * 1e3, cppMip / pyMip);

    std::vector<std::int16_t> copy(v.hounsfield.size());
    const double floor = bestSeconds(5, [&] {
        std::memcpy(copy.data(), v.hounsfield.data(), v.hounsfield.size() * sizeof(std::int16_t));
    });
    const std::filesystem::path tables = std::filesystem::temp_directory_path() / "vantor-python-benchmark";
    std::filesystem::create_directories(tables);
    engine.SetDebugOut(tables.string(), "tables", "benchmark");
    const double segmentation = bestSeconds(1, [&] { engine.SpecialMethod(1); });
    const double structures = bestSeconds(1, [&] { engine.SpecialMethod(7); });
    std::filesystem::remove_all(tables);
    std::printf("chest analysis %dx%dx%d: ours %.2f s (segmentation %.2f s, structures %.2f s), peer volume copy "
                "%.1f ms, ratio %.0f\n",
                X, Y, Z, segmentation + structures, segmentation, structures, floor * 1e3,
                (segmentation + structures) / floor);
    return 0;
}
