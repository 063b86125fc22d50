// vantor-render: a volume rendering of a series folder as a PNG.
#include "PngWriter.h"
#include "RenderOptions.h"
#include "SeriesLoading.h"
#include "TerminalProgress.h"
#include "VolumeRendering.h"

#include <ZVDICOM/ZQDICOM.h>
#include <ZVIPEngine/VazAZUrorav.h>

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv)
{
    vantor::RenderOptions options;
    std::string error;
    if (!vantor::parseRenderOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "vantor-render: %s\n%s", error.c_str(), vantor::RenderUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(vantor::RenderUsage, stdout);
        return 0;
    }
    if (!std::filesystem::is_directory(options.series)) {
        std::fprintf(stderr, "vantor-render: not a folder: %s\n", options.series.c_str());
        return 1;
    }
    vantor::TerminalProgress progress;
    ZQDICOM dicom;
    VazAZUrorav engine;
    vantor::LoadedSeries loaded;
    if (!vantor::loadSeriesForTool("vantor-render", options.series, dicom, engine, loaded, progress))
        return 1;
    progress.step("rendering");
    std::vector<std::uint8_t> pixels;
    int channels = 1;
    const bool rendered = vantor::renderVolume(engine, options, pixels, channels, error);
    progress.finish();
    if (!rendered || !vantor::writePng(options.output, pixels.data(), options.width, options.height, channels, error)) {
        std::fprintf(stderr, "vantor-render: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
