// The screen-free rules of the reference samples: the category table, the
// JPEG size walk, the sketch area, sample paths and listing, sample windows.
#include "TemporaryFolder.h"
#include "display/CategoryTable.h"
#include "display/JpegSize.h"
#include "display/ReferenceSampleLibrary.h"
#include "display/SampleWindow.h"
#include "display/SketchArea.h"
#include "startup/WorkstationState.h"

#include <gtest/gtest.h>
#include <set>

#include <filesystem>

using namespace vantor;

namespace {

WorkstationState stateWithCategories()
{
    WorkstationState state;
    state.CategoryNames = {"RO", "IR", "GGO", "HC", "EM", "LO", "", "Symbols", "Pleura", "Normal", ""};
    return state;
}

void putBytes(std::vector<std::uint8_t>& bytes, std::initializer_list<int> values)
{
    for (int value : values)
        bytes.push_back(static_cast<std::uint8_t>(value));
}

// FF D8, an APP0 segment of length 16, a DQT segment of length 67, then `frame`.
std::vector<std::uint8_t> jpegWithFrame(int frameMarker)
{
    std::vector<std::uint8_t> bytes;
    putBytes(bytes, {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10});
    bytes.resize(bytes.size() + 14, 0x11);
    putBytes(bytes, {0xFF, 0xDB, 0x00, 0x43});
    bytes.resize(bytes.size() + 65, 0x22);
    putBytes(bytes, {0xFF, frameMarker, 0x00, 0x11, 0x08, 0x02, 0x38, 0x01, 0xF4, 0x03});
    bytes.resize(bytes.size() + 14, 0x33);
    return bytes;
}

} // namespace

TEST(CategoryTable, RowsInFileOrderSplitAtTabs)
{
    TemporaryFolder folder;
    TemporaryFolder::write(folder.file("Category.txt"),
                           "#\tcomment line\n"
                           "RO_p.dcm\tSmall rounded\textra field\r\n"
                           "no_tab.dcm\n"
                           "\n"
                           "RO_p.dcm\tsecond row of the same name\n"
                           "Empty.dcm\t\n");
    CategoryTable table;
    ASSERT_TRUE(table.load(folder.file("Category.txt")));
    ASSERT_EQ(table.rows().size(), 6U);
    EXPECT_EQ(table.rows()[1].fileName, "RO_p.dcm");
    EXPECT_EQ(table.rows()[1].description, "Small rounded");
    EXPECT_EQ(table.rows()[2].fileName, "no_tab.dcm");
    EXPECT_EQ(table.rows()[2].description, "");
    // The first row of a name wins; names compare exactly.
    EXPECT_EQ(table.description("RO_p.dcm"), "Small rounded");
    EXPECT_EQ(table.description("ro_p.dcm"), "");
    EXPECT_EQ(table.description("RO_p"), "");
    EXPECT_EQ(table.description("Missing.dcm"), "");

    EXPECT_FALSE(table.load(folder.file("absent.txt")));
    EXPECT_TRUE(table.rows().empty());
}

TEST(CategoryTable, ShippedTableDescribesEveryShippedSample)
{
    CategoryTable table;
    ASSERT_TRUE(table.load(ReferenceSampleLibrary::categoryTablePath(VANTOR_SOURCE_DIR "/data/")));
    const WorkstationState state = stateWithCategories();
    for (int tab = 0; tab < 12; ++tab) {
        const std::string category = ReferenceSampleLibrary::categoryOfTab(tab, state);
        for (const std::string& name : ReferenceSampleLibrary::sampleFiles(VANTOR_SOURCE_DIR "/data/", category))
            EXPECT_NE(table.description(name), "") << category << "/" << name;
    }
    // Each sample has its own description, which begins with what it shows and says what it is.
    std::set<std::string> beginnings;
    for (const auto& row : table.rows()) {
        if (row.fileName.empty() || row.fileName[0] == '#')
            continue;
        EXPECT_NE(row.description.find("synthetic illustration"), std::string::npos) << row.fileName;
        EXPECT_TRUE(beginnings.insert(row.description.substr(0, 24)).second) << row.fileName;
    }
}

TEST(JpegSize, FrameSegmentAfterOtherSegments)
{
    const std::vector<std::uint8_t> bytes = jpegWithFrame(0xC0);
    ASSERT_EQ(bytes[89], 0xFF);
    ASSERT_EQ(bytes[90], 0xC0);
    const std::optional<JpegSize> size = JpegSize::ofBytes(bytes);
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->height, 0x0238); // bytes 94-95
    EXPECT_EQ(size->width, 0x01F4);  // bytes 96-97
    EXPECT_EQ(size->colourDepth, 24);

    for (int marker : {0xC1, 0xC2, 0xC3, 0xC9, 0xCA, 0xCB})
        EXPECT_TRUE(JpegSize::ofBytes(jpegWithFrame(marker)).has_value()) << std::hex << marker;
    // Not frames: C4 (Huffman tables), C5 (a hierarchical frame), C8, CC.
    for (int marker : {0xC4, 0xC5, 0xC8, 0xCC})
        EXPECT_FALSE(JpegSize::ofBytes(jpegWithFrame(marker)).has_value()) << std::hex << marker;
}

TEST(JpegSize, BrokenFilesGiveNoSize)
{
    std::vector<std::uint8_t> bytes = jpegWithFrame(0xC0);
    std::vector<std::uint8_t> noStart = bytes;
    noStart[1] = 0xD9;
    EXPECT_FALSE(JpegSize::ofBytes(noStart).has_value());
    std::vector<std::uint8_t> badSegment = bytes;
    badSegment[20] = 0x00; // where the DQT marker starts
    EXPECT_FALSE(JpegSize::ofBytes(badSegment).has_value());
    // A frame header cut off by the end of the file, and a segment length past it.
    EXPECT_FALSE(JpegSize::ofBytes(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 96)).has_value());
    std::vector<std::uint8_t> longSegment = bytes;
    longSegment[4] = 0xFF;
    EXPECT_FALSE(JpegSize::ofBytes(longSegment).has_value());
    EXPECT_FALSE(JpegSize::ofBytes({}).has_value());
    EXPECT_FALSE(JpegSize::ofBytes({0xFF, 0xD8}).has_value());
    EXPECT_FALSE(JpegSize::ofFile("/nonexistent/sketch.jpg").has_value());
}

TEST(JpegSize, ShippedSketches)
{
    const std::optional<JpegSize> size = JpegSize::ofFile(VANTOR_SOURCE_DIR "/data/Image/EM/EM_01.jpg");
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->width, 512);
    EXPECT_EQ(size->height, 568);
    EXPECT_TRUE(JpegSize::ofFile(ReferenceSampleLibrary::defaultSketchPath(VANTOR_SOURCE_DIR "/data/")).has_value());
}

TEST(SketchArea, FitsThePictureIntoTheDesignedArea)
{
    const SketchArea tall = SketchArea::fitted(512, 568);
    EXPECT_EQ(tall.height, 5000);
    EXPECT_EQ(tall.width, 4507);
    const SketchArea wide = SketchArea::fitted(1400, 500);
    EXPECT_EQ(wide.width, 7000);
    EXPECT_EQ(wide.height, 2500);
    // Exactly the area's shape counts as tall: the height stays.
    const SketchArea same = SketchArea::fitted(700, 500);
    EXPECT_EQ(same.width, 7000);
    EXPECT_EQ(same.height, 5000);
    // A wide picture after a tall one is fitted from the designed area, not the tall one's.
    EXPECT_EQ(SketchArea::fitted(2000, 1000).width, 7000);
    EXPECT_EQ(SketchArea::fitted(0, 568).width, 7000);
    EXPECT_EQ(SketchArea::fitted(512, 0).height, 5000);
}

TEST(ReferenceSampleLibrary, CategoryOfEveryTab)
{
    const WorkstationState state = stateWithCategories();
    const char* expected[] = {"RO",     "IR",    "GGO",     "HC",    "EM",    "LO",
                              "Dummy",  "Pleura", "Dummy",  "Symbols", "Dummy", "Normal"};
    for (int tab = 0; tab < 12; ++tab)
        EXPECT_EQ(ReferenceSampleLibrary::categoryOfTab(tab, state), expected[tab]) << tab;
    EXPECT_EQ(ReferenceSampleLibrary::categoryOfTab(-1, state), "Dummy");
    EXPECT_EQ(ReferenceSampleLibrary::categoryOfTab(12, state), "Dummy");
    // Before the names are filled nothing is listed.
    EXPECT_EQ(ReferenceSampleLibrary::categoryOfTab(0, WorkstationState{}), "Dummy");
}

TEST(ReferenceSampleLibrary, ListsDicomFilesInListingOrder)
{
    TemporaryFolder app;
    const std::filesystem::path folder = app.path() / "Image" / "RO";
    std::filesystem::create_directories(folder / "sub.dcm");
    for (const char* name : {"b.dcm", "A.dcm", "c.DCM", "a.jpg", ".hidden.dcm", "dcm", "x.dcm.bak"})
        TemporaryFolder::write((folder / name).string(), "x");
    const std::string appDir = app.path().string() + "/";
    const std::vector<std::string> names = ReferenceSampleLibrary::sampleFiles(appDir, "RO");
    EXPECT_EQ(names, (std::vector<std::string>{"A.dcm", "b.dcm", "c.DCM"}));
    EXPECT_TRUE(ReferenceSampleLibrary::sampleFiles(appDir, "IR").empty());
    EXPECT_TRUE(ReferenceSampleLibrary::fileExists((folder / "a.jpg").string()));
    EXPECT_FALSE(ReferenceSampleLibrary::fileExists((folder / "sub.dcm").string()));
    EXPECT_FALSE(ReferenceSampleLibrary::fileExists(""));
    EXPECT_EQ(ReferenceSampleLibrary::sliceSketchPath("/data/P1/ST1/SE2/IM0001.dcm"), "/data/P1/ST1/SE2/JPG/IM0001.jpg");
    EXPECT_EQ(ReferenceSampleLibrary::sampleSketchPath("/opt/Image/RO/a.b.dcm"), "/opt/Image/RO/a.b.jpg");
}

TEST(SampleWindow, RescaleEdgeCases)
{
    // Missing or zero slope counts as 1, missing intercept as 0; halves round to even.
    EXPECT_EQ(SampleWindow::fromHeader("", "", "").typed(40, 400).level, 40);
    EXPECT_EQ(SampleWindow::fromHeader("0", "0", "").typed(40, 400).width, 400);
    EXPECT_EQ(SampleWindow::fromHeader("0.5", "1", "").typed(3, 10).level, 2);
    EXPECT_TRUE(SampleWindow::fromHeader("0", "1", "MONOCHROME1 ").inverted);
    EXPECT_EQ(SampleWindow::fromHeader("0", "1", "MONOCHROME1").own(600, 1600).level, -600);
}
