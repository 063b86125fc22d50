// vantor-reformat SERIES_FOLDER OUTPUT.pgm [options]: the batch entry to the
// engine. Exit status: 0 written, 1 bad arguments, 2 series not loaded,
// 3 image not made, 4 file not written.
#include "PgmWriter.h"
#include "ReformatOptions.h"
#include "ReformatRunner.h"
#include "TerminalProgress.h"

#include "ZVDICOM/ZQDICOM.h"
#include "ZVIPEngine/VazAZUrorav.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        std::fputs(ReformatOptions::usage(), stdout);
        return 0;
    }
    std::string error;
    const auto options = ReformatOptions::parse(arguments, error);
    if (!options) {
        std::fprintf(stderr, "vantor-reformat: %s\n%s", error.c_str(), ReformatOptions::usage());
        return 1;
    }
    ZQDICOM dicom;
    VazAZUrorav engine;
    vantor::LoadedSeries series;
    vantor::TerminalProgress progress;
    if (!vantor::loadSeriesForTool("vantor-reformat", options->seriesFolder, dicom, engine, series, progress,
                                   options->ordering))
        return 2;
    const ReformatRunner::Image image = ReformatRunner::run(*options, engine);
    if (image.samples == nullptr) {
        std::fprintf(stderr, "vantor-reformat: %s\n", image.error.c_str());
        return 3;
    }
    if (!PgmWriter::write(options->outputPath, image.samples, image.width, image.height, error)) {
        std::fprintf(stderr, "vantor-reformat: %s\n", error.c_str());
        return 4;
    }
    std::printf("%s: %d x %d, plane %d, from %d slices of %d x %d\n", options->outputPath.c_str(), image.width,
                image.height, image.plane, engine.Zdims(), engine.Xdims(), engine.Ydims());
    return 0;
}
