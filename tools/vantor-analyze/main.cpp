// vantor-analyze: runs the engine's lung analysis and structure analysis on a
// series folder registered as the workstation registers it, and writes what
// other programs read: the structure map as NIfTI-1 and MetaImage, the
// engine's feature and confidence tables and a plain CSV of the features;
// with --truth, the Dice coefficient of each structure.
#include "DiceScores.h"
#include "FeatureCsv.h"
#include "GroundTruth.h"
#include "MetaImageWriter.h"
#include "NiftiWriter.h"
#include "SeriesLoading.h"
#include "TerminalProgress.h"

#include <ZVDICOM/ZQDICOM.h>
#include <ZVIPEngine/VazAZUrorav.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

constexpr const char* Usage =
    "usage: vantor-analyze SERIES OUT_FOLDER [--truth TRUTH_FOLDER]\n"
    "\n"
    "Runs the lung analysis and the structure analysis on the series folder SERIES\n"
    "(registered as the workstation registers it) and writes into OUT_FOLDER:\n"
    "  structure.nii.gz        the structure map (NIfTI-1, RAS affine of the series)\n"
    "  structure.mhd/.raw      the same as MetaImage (DICOM patient coordinates)\n"
    "  tables_feature_YYMMDD_ALL.csv, tables_feature_YYMMDD_<series>.csv,\n"
    "  tables_confidence.csv   the engine's feature and confidence tables\n"
    "  features.csv            the features with English column names (UTF-8)\n"
    "Structure codes: 100 body, 110-118 lungs (111, 112 the two lungs, 113-118\n"
    "structures and candidates inside them), 150 heart, 160 liver, 180 central\n"
    "airways, 200 bone.\n"
    "\n"
    "  --truth TRUTH_FOLDER    the CT generator's ground truth of the series\n"
    "                          (labels.mhd): prints 'dice <structure> <value>' for\n"
    "                          lungs, airways, bone, heart and body\n"
    "  --help                  this text\n";

int fail(const std::string& message)
{
    std::fprintf(stderr, "vantor-analyze: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    std::string series, outFolder, truthFolder;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (argument == "--truth") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "vantor-analyze: --truth needs a folder\n%s", Usage);
                return 2;
            }
            truthFolder = argv[++i];
        } else if (!argument.empty() && argument[0] == '-') {
            std::fprintf(stderr, "vantor-analyze: unknown option %s\n%s", argument.c_str(), Usage);
            return 2;
        } else if (series.empty()) {
            series = argument;
        } else if (outFolder.empty()) {
            outFolder = argument;
        } else {
            std::fprintf(stderr, "vantor-analyze: one series and one output folder, not %s\n%s", argument.c_str(), Usage);
            return 2;
        }
    }
    if (series.empty() || outFolder.empty()) {
        std::fputs(Usage, stderr);
        return 2;
    }
    if (!std::filesystem::is_directory(series))
        return fail("not a folder: " + series);
    std::error_code made;
    std::filesystem::create_directories(outFolder, made);
    if (!std::filesystem::is_directory(outFolder))
        return fail("cannot create the output folder " + outFolder);

    vantor::TerminalProgress progress;
    ZQDICOM dicom;
    VazAZUrorav engine;
    vantor::LoadedSeries loaded;
    if (!vantor::loadSeriesForTool("vantor-analyze", series, dicom, engine, loaded, progress))
        return 1;
    std::string error;

    progress.step("analysing");
    const std::string seriesName = std::filesystem::path(series).lexically_normal().filename().string();
    engine.SetDebugOut(outFolder, "tables", seriesName.size() >= 2 ? seriesName : "series");
    engine.setErrorNumber(0);
    engine.SpecialMethod(7);
    progress.finish();
    const std::uint8_t* map = engine.StructureMap();
    if (map == nullptr)
        return fail("the analysis did not complete (ErrorNumber " + std::to_string(engine.ErrorNumber()) + ")");

    const std::filesystem::path out(outFolder);
    if (!vantor::writeNifti((out / "structure.nii.gz").string(), map, loaded.geometry, error) ||
        !vantor::writeMetaImage((out / "structure.mhd").string(), map, loaded.geometry, error))
        return fail(error);
    std::string allTable;
    for (const auto& entry : std::filesystem::directory_iterator(out)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("tables_feature_", 0) == 0 && name.size() > 8 && name.compare(name.size() - 8, 8, "_ALL.csv") == 0)
            allTable = entry.path().string();
    }
    if (allTable.empty())
        return fail("the engine wrote no feature table into " + outFolder);
    const int records = vantor::writeFeatureCsv(allTable, (out / "features.csv").string(), error);
    if (records < 0)
        return fail(error);
    std::printf("structure map: %s, %s\nfeatures: %d candidates in %s\n", (out / "structure.nii.gz").c_str(),
                (out / "structure.mhd").c_str(), records, (out / "features.csv").c_str());

    if (!truthFolder.empty()) {
        vantor::GroundTruth truth;
        if (!vantor::readGroundTruth(truthFolder, truth, error))
            return fail(error);
        if (truth.dims != loaded.geometry.dims)
            return fail("the ground truth is " + std::to_string(truth.dims[0]) + " x " + std::to_string(truth.dims[1]) +
                        " x " + std::to_string(truth.dims[2]) + ", the series " +
                        std::to_string(loaded.geometry.dims[0]) + " x " + std::to_string(loaded.geometry.dims[1]) +
                        " x " + std::to_string(loaded.geometry.dims[2]));
        for (const vantor::DiceScore& score : vantor::diceScores(map, truth.labels.data(), truth.labels.size()))
            std::printf("dice %s %.4f\n", score.structure.c_str(), score.dice);
    }
    return 0;
}
