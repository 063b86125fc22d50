// The C++ side of the Python package tests: loads a series folder through
// the same loading code and writes the engine's results as raw files, which
// the tests compare with the same calls made from Python.
//   vantor-python-reference SERIES_FOLDER OUTPUT_FOLDER
#include "SeriesLoading.h"

#include <ZVDICOM/ZQDICOM.h>
#include <ZVIPEngine/VazAZUrorav.h>

#include <cstdio>
#include <fstream>
#include <vector>
#include <string>

namespace {

bool write(const std::string& path, const void* data, std::size_t bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(bytes));
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SERIES_FOLDER OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string out = std::string(argv[2]) + "/";
    ZQDICOM dicom;
    VazAZUrorav engine;
    vantor::LoadedSeries series;
    std::string error;
    if (!vantor::loadSeries(argv[1], vantor::SliceOrdering::ImageNumber, dicom, engine, series, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const int X = engine.Xdims(), Y = engine.Ydims(), Z = engine.Zdims();
    bool ok = write(out + "volume.raw", engine.PtrData(), std::size_t(X) * Y * Z * 2);

    std::int16_t* image = nullptr;
    engine.CreateImageOrthoMPR(&image, 0, X, Y, 1, Y / 2);
    ok = ok && write(out + "coronal.raw", image, std::size_t(X) * Y * 2);

    float matrix[16];
    engine.GetMatrixDefaultCoronal(matrix);
    engine.CreateImageMIPMatrix(&image, 1, X, Y, 0.0F, 0, 40, matrix);
    ok = ok && write(out + "mip.raw", image, std::size_t(X) * Y * 2);

    const std::int16_t positions[3] = {900, 1200, 1500};
    const float opacities[3] = {0.0F, 0.3F, 0.9F};
    engine.GetMatrixDefault(matrix);
    std::vector<std::int16_t> rendering(std::size_t(X) * Y);
    engine.GetImageVolumeRenderNMatrix(rendering.data(), X, Y, 0.0F, Z / 2, Z, 3, positions, opacities, 0.95F, 1.0F,
                                       matrix);
    ok = ok && write(out + "render.raw", rendering.data(), rendering.size() * 2);

    const IsoSurfacePolygon* polygon = nullptr;
    engine.CreatePolygonIsoSurface(1324, 0.0F, &polygon);
    const std::size_t vertices = static_cast<std::size_t>(polygon->NumberOfVertices);
    const std::size_t triangles = static_cast<std::size_t>(polygon->NumberOfTriangles);
    ok = ok && write(out + "iso_x.raw", polygon->X, vertices * 4) && write(out + "iso_z.raw", polygon->Z, vertices * 4) &&
         write(out + "iso_c0.raw", polygon->Corner0, triangles * 4);

    // Voxel indices to millimetres around the volume centre, for the sphere.
    float toMillimetres[16];
    engine.GetMatrixDefault(matrix);
    engine.GetMatrixInvert(toMillimetres, matrix);
    engine.SetBitMaskThreshold(0, 0, 524);
    engine.SetBitMaskSphere(1, 0.0F, 0.0F, 0.0F, 60.0F, 60.0F, 60.0F, toMillimetres);
    ok = ok && write(out + "masked.raw", engine.PtrData(), std::size_t(X) * Y * Z * 2);
    engine.ClearBitMask();

    engine.SpecialMethod(1);
    ok = ok && engine.StructureMap() != nullptr && write(out + "structure.raw", engine.StructureMap(), std::size_t(X) * Y * Z);
    if (!ok) {
        std::fprintf(stderr, "could not write the results into %s\n", argv[2]);
        return 1;
    }
    return 0;
}
