#include "VantorDataFolder/DataFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class DataFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "vantor-data-folder-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        fs::create_directories(root_ / "bin");
        fs::create_directories(root_ / "share" / "vantor-viewer");
    }
    void TearDown() override { fs::remove_all(root_); }

    static void touch(const fs::path& path) { std::ofstream(path) << "x"; }
    std::string bin() const { return (root_ / "bin").string(); }

    fs::path root_;
};

TEST_F(DataFolderTest, BuildFolderBesideTheProgramThenInstalledShareThenTheProgramFolder)
{
    // Nothing anywhere: the program folder, whose missing files are reported as before.
    EXPECT_EQ(vantor::locateDataFolder(bin(), "VANTOR_Viewer.ini"), bin() + "/");

    // Installed: <prefix>/share/vantor-viewer/ seen from <prefix>/bin/.
    touch(root_ / "share" / "vantor-viewer" / "VANTOR_Viewer.ini");
    EXPECT_EQ(vantor::locateDataFolder(bin(), "VANTOR_Viewer.ini"), (root_ / "share/vantor-viewer/").string());
    // Only the file asked for counts: the dictionary is not there yet.
    EXPECT_EQ(vantor::locateDataFolder(bin(), "dicom.dic"), bin() + "/");

    // A build folder: the data beside the program wins, trailing slash or not.
    touch(root_ / "bin" / "VANTOR_Viewer.ini");
    EXPECT_EQ(vantor::locateDataFolder(bin(), "VANTOR_Viewer.ini"), bin() + "/");
    EXPECT_EQ(vantor::locateDataFolder(bin() + "/", "VANTOR_Viewer.ini"), bin() + "/");

    // A folder of that name is not the file.
    fs::create_directories(root_ / "bin" / "dicom.dic");
    touch(root_ / "share" / "vantor-viewer" / "dicom.dic");
    EXPECT_EQ(vantor::locateDataFolder(bin(), "dicom.dic"), (root_ / "share/vantor-viewer/").string());
}

TEST(DataFolder, TheTestProgramFindsTheBuildsDataBesideItself)
{
    // Test programs are built into bin/ with the programs, where the data is copied.
    const std::string folder = vantor::dataFolder("dicom.dic");
    EXPECT_EQ(fs::path(folder) / "dicom.dic", fs::path(VANTOR_BINARY_DIR) / "bin" / "dicom.dic");
}

} // namespace
