// Registering generated series into the engine: file order, geometry, skipped
// files, single-file and 8-bit series, and the header fields of the first file.
#include "TemporaryFolder.h"
#include "display/SeriesRegistration.h"
#include "display/SliceNavigation.h"

#include <ZVDICOM/ZQDICOM.h>
#include <ZVIPEngine/VazAZUrorav.h>
#include <filesystem>
#include <gtest/gtest.h>

#ifdef VANTOR_HAVE_SYNTHETIC_CT
#include <VantorSyntheticCT/DataSetWriter.h>
#include <VantorSyntheticCT/SeriesOptions.h>
#endif

using namespace vantor;
namespace fs = std::filesystem;

namespace {

#ifdef VANTOR_HAVE_SYNTHETIC_CT
VantorSyntheticCT::SeriesOptions smallSeries(int slices, int size = 32)
{
    VantorSyntheticCT::SeriesOptions options;
    options.columns = size;
    options.rows = size;
    options.slices = slices;
    options.sliceSpacing = 5.0;
    options.noiseSigma = 0.0;
    return options;
}

std::vector<std::string> writeSeries(const VantorSyntheticCT::SeriesOptions& options, const std::string& folder)
{
    const auto result = VantorSyntheticCT::DataSetWriter::writeSeries(options, folder, 7);
    EXPECT_TRUE(result.ok) << result.error;
    return result.series.empty() ? std::vector<std::string>() : result.series.front().files;
}

// Rewrites one element of a slice file as a raw element stream (which the
// DICOM component reads like a Part 10 file).
void rewriteTag(const std::string& path, std::int16_t group, std::int16_t element, const std::string& value)
{
    ZQDICOM dicom;
    dicom.setfilename(path);
    std::string padded = value;
    if (padded.size() % 2 != 0)
        padded += ' ';
    ASSERT_TRUE(dicom.SetTagString(group, element, padded, static_cast<std::int32_t>(padded.size())));
    ASSERT_TRUE(dicom.SaveDICOMFile(0, path));
}
#endif

struct Registered {
    bool ok = false;
    SeriesState series;
    FirstFileFields fields;
    std::vector<std::string> messages;
};

Registered registerFolder(const std::string& folder, VazAZUrorav& engine)
{
    Registered result;
    ZQDICOM dicom;
    SeriesLoadReport report;
    report.showMessage = [&result](const std::string& text) { result.messages.push_back(text); };
    result.ok = registerSeries(folder, dicom, engine, result.series, result.fields, report);
    return result;
}

} // namespace

TEST(SeriesFiles, ListingLeavesOutDicomdirAndLocaliserListsAndSortsByName)
{
    TemporaryFolder folder;
    for (const char* name : {"b.dcm", "A.dcm", "DICOMDIR", "c_L_ser.dat", "a.dcm"})
        TemporaryFolder::write(folder.file(name), "x");
    fs::create_directories(folder.path() / "JPG");
    const auto files = listSeriesFiles(folder.path().string());
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(fs::path(files[0]).filename(), "A.dcm");
    EXPECT_EQ(fs::path(files[1]).filename(), "a.dcm");
    EXPECT_EQ(fs::path(files[2]).filename(), "b.dcm");
}

TEST(SeriesRegistration, EmptyFolderIsReportedAndLeavesAZeroVolume)
{
    TemporaryFolder folder;
    VazAZUrorav engine;
    const Registered result = registerFolder(folder.path().string(), engine);
    EXPECT_FALSE(result.ok);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0], "There is No CT Files in the folder [ " + folder.path().string() + " ].");
    EXPECT_EQ(result.series.VolumeDims, (std::array<std::int32_t, 3>{0, 0, 0}));
}

TEST(SeriesRegistration, NonDicomFilesAreSkippedWithTheMessage)
{
    TemporaryFolder folder;
    TemporaryFolder::write(folder.file("notes.txt"), "not a slice");
    VazAZUrorav engine;
    const Registered result = registerFolder(folder.path().string(), engine);
    EXPECT_FALSE(result.ok);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0], "Can not register the file.\r[" + folder.file("notes.txt") +
                                      "]\rVANTOR-Viewer can not register it so skips the file.");
}

TEST(SliceNavigation, PagingStaysWithinTheSeries)
{
    EXPECT_EQ(pagedSliceIndex(0, -1, 10), 0);
    EXPECT_EQ(pagedSliceIndex(9, +1, 10), 9);
    EXPECT_EQ(pagedSliceIndex(4, +1, 10), 5);
    EXPECT_EQ(wheelSliceIndex(0, 120, 10), 0);
    EXPECT_EQ(wheelSliceIndex(3, 120, 10), 2);
    EXPECT_EQ(wheelSliceIndex(9, -120, 10), 9);
    EXPECT_EQ(wheelSliceIndex(3, 0, 10), 3);
    EXPECT_EQ(middleDragDelta(-120), 2); // 1.5 rounds to even
    EXPECT_EQ(middleDragDelta(200), -2); // -2.5 rounds to even
    EXPECT_EQ(middleDragDelta(30), 0);
}

TEST(SliceNavigation, InterpolatedPagingPositionsAndTheLocaliserLine)
{
    SeriesState series;
    series.VolumeDims = {512, 512, 10};
    series.VoxelSpacing = {0.5F, 0.5F, 2.0F};
    series.SliceIndex = 0;
    // Backward steps of 3 pixels: 1.5 mm each, so a slice every 4/3 steps.
    EXPECT_EQ(interpolatedStep(series, false), 3 - 20);
    EXPECT_EQ(series.SliceIndex, 0);
    interpolatedStep(series, false);
    EXPECT_EQ(series.InterpPos, 6);
    EXPECT_EQ(series.SliceIndex, 1);
    series.InterpPos = 36;
    interpolatedStep(series, false); // 39 * 0.25 = 9.75: the last slice
    EXPECT_EQ(series.SliceIndex, 9);
    interpolatedStep(series, false); // beyond: back to the last slice's position
    EXPECT_EQ(series.SliceIndex, 9);
    EXPECT_EQ(series.InterpPos, 36);
    series.InterpPos = 2;
    interpolatedStep(series, true);
    EXPECT_EQ(series.InterpPos, 0);
    EXPECT_EQ(series.SliceIndex, 0);

    series.SliceIndex = 0;
    EXPECT_EQ(localiserLineRow(series, 10), static_cast<int>(std::lrint((0 - 4.5) * 4 + 255.5)));
}

#ifdef VANTOR_HAVE_SYNTHETIC_CT

TEST(SeriesRegistration, FilesAreRegisteredInInstanceOrderAndTheHeaderReachesTheFields)
{
    TemporaryFolder folder;
    const auto files = writeSeries(smallSeries(4), folder.path().string());
    ASSERT_EQ(files.size(), 4u);
    // Names that sort against the instance numbers.
    for (std::size_t i = 0; i < files.size(); ++i)
        fs::rename(files[i], folder.file("z" + std::to_string(9 - i) + ".dcm"));
    VazAZUrorav engine;
    const Registered result = registerFolder(folder.path().string(), engine);
    ASSERT_TRUE(result.ok);
    EXPECT_TRUE(result.messages.empty());
    ASSERT_EQ(result.series.SeriesFileCount, 4);
    EXPECT_EQ(fs::path(result.series.SeriesFiles[0]).filename(), "z9.dcm");
    EXPECT_EQ(fs::path(result.series.SeriesFiles[3]).filename(), "z6.dcm");
    EXPECT_TRUE(result.series.MultiSlice);
    EXPECT_FALSE(result.series.SpacingUnknown);
    EXPECT_EQ(result.series.VolumeDims, (std::array<std::int32_t, 3>{32, 32, 4}));
    EXPECT_FLOAT_EQ(result.series.VoxelSpacing[2], 5.0F);
    EXPECT_EQ(engine.Xdims(), 32);
    EXPECT_EQ(engine.Zdims(), 4);
    EXPECT_FLOAT_EQ(engine.Zspacing(), -5.0F);

    EXPECT_TRUE(result.fields.hasPatientName);
    EXPECT_EQ(result.fields.StudyDate, "2026/01/05");
    EXPECT_EQ(result.fields.StudyTime, "09:30:00");
    EXPECT_EQ(result.fields.KVP, 120);
    EXPECT_EQ(result.fields.TubeCurrent, 200);
    EXPECT_EQ(result.fields.Manufacturer, "VANTOR Synthetic");
    EXPECT_EQ(result.fields.WindowCenter, "-600");
    EXPECT_EQ(result.fields.Posture, "S"); // row/column cosines of a supine chest
}

TEST(SeriesRegistration, ZSpacingFollowsInstanceNumbersOfTheFirstTwoFiles)
{
    for (auto [second, expected] : {std::pair{"3", 5.0F}, std::pair{"1", 10.0F}}) {
        TemporaryFolder folder;
        const auto files = writeSeries(smallSeries(2), folder.path().string());
        ASSERT_EQ(files.size(), 2u);
        rewriteTag(files[0], 0x0020, 0x0013, "1");
        rewriteTag(files[0], 0x0020, 0x0032, "-100\\-100\\0");
        rewriteTag(files[1], 0x0020, 0x0013, second);
        rewriteTag(files[1], 0x0020, 0x0032, "-100\\-100\\-10");
        VazAZUrorav engine;
        const Registered result = registerFolder(folder.path().string(), engine);
        ASSERT_TRUE(result.ok);
        EXPECT_FLOAT_EQ(result.series.VoxelSpacing[2], expected) << "second instance number " << second;
    }
}

TEST(SeriesRegistration, AStrayFirstFileLeavesTheZSpacingAndEverySliceKeepsItsOwnFile)
{
    TemporaryFolder folder;
    const auto files = writeSeries(smallSeries(4), folder.path().string());
    ASSERT_EQ(files.size(), 4u);
    // Instance numbers against the positions, so that the two sorts differ; a
    // stray file without a number sorts first and is skipped.
    for (std::size_t i = 0; i < files.size(); ++i)
        rewriteTag(files[i], 0x0020, 0x0013, std::to_string(4 - i));
    TemporaryFolder::write(folder.file("000_notes.txt"), "not a slice");
    VazAZUrorav engine;
    const Registered result = registerFolder(folder.path().string(), engine);
    ASSERT_TRUE(result.ok);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_FLOAT_EQ(result.series.VoxelSpacing[2], 5.0F);

    auto key = [&engine](int slice) {
        return std::make_pair(engine.GetImageNumber(slice), engine.GetImageSlicePosition(slice));
    };
    // Each slice's file, read again, carries the number and position the engine shows it with.
    auto checkOwnFiles = [&](const char* sort) {
        const auto sliceFiles = sliceFilesInEngineOrder(result.series.RegisteredSlices, engine.Zdims(), key);
        ASSERT_EQ(sliceFiles.size(), 4u) << sort;
        for (int k = 0; k < 4; ++k) {
            ZQDICOM dicom;
            ASSERT_TRUE(dicom.loadHeaderOnly(sliceFiles[static_cast<std::size_t>(k)])) << sort << " slice " << k;
            std::string number(128, '\0');
            ASSERT_TRUE(dicom.GetTagString(0x0020, 0x0013, number, 128));
            EXPECT_EQ(std::stoi(number.substr(0, number.find('\0'))), engine.GetImageNumber(k)) << sort << " slice " << k;
        }
    };
    engine.SortSlicePosition(0);
    checkOwnFiles("position");
    const std::int32_t firstByPosition = engine.GetImageNumber(0);
    engine.SortImageNumber(0);
    checkOwnFiles("number");
    EXPECT_NE(engine.GetImageNumber(0), firstByPosition); // the two orders differ
}

TEST(SeriesRegistration, AFileOfAnotherSizeIsSkippedButCountedInTheSeries)
{
    TemporaryFolder folder;
    TemporaryFolder other;
    const auto files = writeSeries(smallSeries(3, 32), folder.path().string());
    const auto larger = writeSeries(smallSeries(1, 48), other.path().string());
    ASSERT_EQ(larger.size(), 1u);
    fs::copy_file(larger[0], folder.file("zz_larger.dcm"));
    rewriteTag(folder.file("zz_larger.dcm"), 0x0020, 0x0013, "99");
    VazAZUrorav engine;
    const Registered result = registerFolder(folder.path().string(), engine);
    ASSERT_TRUE(result.ok);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_NE(result.messages[0].find("zz_larger.dcm"), std::string::npos);
    EXPECT_EQ(result.series.SeriesFileCount, 4);
    EXPECT_EQ(result.series.VolumeDims[2], 4);
    engine.SortImageNumber(0);
    EXPECT_EQ(engine.Zdims(), 3); // the engine holds only what it was given
}

TEST(SeriesRegistration, SingleFileAndEightBitSeries)
{
    TemporaryFolder single;
    writeSeries(smallSeries(1), single.path().string());
    VazAZUrorav engine;
    const Registered one = registerFolder(single.path().string(), engine);
    ASSERT_TRUE(one.ok);
    EXPECT_FALSE(one.series.MultiSlice);
    EXPECT_TRUE(one.series.SpacingUnknown);
    EXPECT_FLOAT_EQ(one.series.VoxelSpacing[2], 1.0F); // a file is no distance from itself

    TemporaryFolder bytes;
    auto options = smallSeries(2);
    options.bitsAllocated = 8;
    writeSeries(options, bytes.path().string());
    const Registered eight = registerFolder(bytes.path().string(), engine);
    ASSERT_TRUE(eight.ok);
    EXPECT_TRUE(eight.series.EightBit);
    EXPECT_EQ(engine.Zdims(), 2);
}

#endif
