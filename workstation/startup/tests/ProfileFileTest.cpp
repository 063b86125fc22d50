#include "startup/ProfileFile.h"
#include "TemporaryFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

using vantor::ProfileFile;

TEST(ProfileFile, MissingFileGivesDefaultsAndFirstWriteCreatesFileAndSection)
{
    TemporaryFolder folder;
    const ProfileFile settings(folder.file("VANTOR_Viewer.ini"));
    EXPECT_EQ(settings.readString("VANTOR_Viewer", "TopFolder", "none"), "none");
    EXPECT_EQ(settings.readInteger("VANTOR_Viewer", "UserCnt", 7), 7);
    EXPECT_FALSE(std::filesystem::exists(settings.path()));

    ASSERT_TRUE(settings.writeString("VANTOR_Viewer", "UserCnt", "2"));
    EXPECT_TRUE(std::filesystem::exists(settings.path()));
    EXPECT_EQ(TemporaryFolder::read(settings.path()), "[VANTOR_Viewer]\nUserCnt=2\n");
    EXPECT_EQ(settings.readInteger("VANTOR_Viewer", "UserCnt", 0), 2);
}

TEST(ProfileFile, SectionsAndKeysIgnoreLetterCaseAndValuesAreVerbatim)
{
    TemporaryFolder folder;
    const std::string path = folder.file("s.ini");
    TemporaryFolder::write(path, "; comment\r\n[wwwl_params]\r\nwwwl_cnt = 3\r\nWWWL_000=Lung\\-600\\1500\r\n"
                                 "[Other]\r\nWWWL_CNT=9\r\n");
    const ProfileFile settings(path);
    EXPECT_EQ(settings.readInteger("WWWL_Params", "WWWL_CNT", 0), 3);
    EXPECT_EQ(settings.readString("WWWL_PARAMS", "wwwl_000", ""), "Lung\\-600\\1500");
    EXPECT_EQ(settings.readString("Missing", "WWWL_000", "d"), "d");
}

TEST(ProfileFile, WritesReplaceInPlaceAddToTheRightSectionAndKeepOtherLines)
{
    TemporaryFolder folder;
    const std::string path = folder.file("s.ini");
    TemporaryFolder::write(path, "[A]\nx=1\n; keep me\ny=2\n\n[B]\nx=3\n");
    const ProfileFile settings(path);
    ASSERT_TRUE(settings.writeString("a", "X", "10"));
    ASSERT_TRUE(settings.writeString("A", "z", "4"));
    ASSERT_TRUE(settings.writeString("C", "k", "v"));
    EXPECT_EQ(TemporaryFolder::read(path), "[A]\nX=10\n; keep me\ny=2\nz=4\n\n[B]\nx=3\n[C]\nk=v\n");
    EXPECT_EQ(settings.readString("B", "x", ""), "3");
}

TEST(ProfileFile, IntegersTakeTheLeadingNumberAndStringsAreCutToTheBuffer)
{
    TemporaryFolder folder;
    const std::string path = folder.file("s.ini");
    TemporaryFolder::write(path, "[S]\nneg=-600\nplus=+40abc\ntext=abc\nempty=\nlong=" + std::string(300, 'x') +
                                     "\nkana=" + std::string(78, 'a') + "\xE3\x81\x82\n");
    const ProfileFile settings(path);
    EXPECT_EQ(settings.readInteger("S", "neg", 0), -600);
    EXPECT_EQ(settings.readInteger("S", "plus", 0), 40);
    EXPECT_EQ(settings.readInteger("S", "text", 5), 0);
    EXPECT_EQ(settings.readInteger("S", "empty", 5), 0);
    EXPECT_EQ(settings.readString("S", "long", "").size(), 255u);
    // A three-byte character that would straddle the 79-byte limit is left out whole.
    EXPECT_EQ(settings.readString("S", "kana", "", 79), std::string(78, 'a'));
}

TEST(ProfileFile, UnwritableFolderReportsFailureAndLeavesNoFile)
{
    const ProfileFile settings("/nonexistent-folder-vantor/s.ini");
    EXPECT_FALSE(settings.writeString("S", "k", "v"));
}
