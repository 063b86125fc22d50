// Reader names, preset loading, caption, desktop check and the exit write.
#include "TemporaryFolder.h"
#include "startup/DesktopCheck.h"
#include "startup/MainWindowCaption.h"
#include "startup/ProfileFile.h"
#include "startup/ProgramSettings.h"
#include "startup/ReaderList.h"
#include "startup/SettingsKeys.h"
#include "startup/WindowPresets.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace vantor;

TEST(ReaderList, RefusesBlanksSpacesSlashesBackslashesAndSameCaseDuplicates)
{
    ReaderList readers;
    EXPECT_EQ(readers.validate(""), ReaderList::Validation::UnallowableCharacters);
    EXPECT_EQ(readers.validate("   "), ReaderList::Validation::UnallowableCharacters);
    EXPECT_EQ(readers.validate("Jane Doe"), ReaderList::Validation::UnallowableCharacters);
    EXPECT_EQ(readers.validate("a/b"), ReaderList::Validation::UnallowableCharacters);
    EXPECT_EQ(readers.validate("a\\b"), ReaderList::Validation::UnallowableCharacters);
    EXPECT_EQ(readers.validate("a\tb"), ReaderList::Validation::UnallowableCharacters);
    EXPECT_EQ(readers.validate("dr_smith-2+~!#$"), ReaderList::Validation::Accepted);
    readers.append("Smith");
    EXPECT_EQ(readers.validate("Smith"), ReaderList::Validation::AlreadyExists);
    EXPECT_EQ(readers.validate("smith"), ReaderList::Validation::Accepted);
}

TEST(ReaderList, ACountBeyondTheKeysLoadsAsManyNamesAsThereAreKeys)
{
    // Found by the settings file's fuzz target: a count of 2^31 read the file 2^31 times.
    TemporaryFolder folder;
    const std::string path = folder.file("VANTOR_Viewer.ini");
    std::filesystem::copy_file(std::string(VANTOR_SOURCE_DIR) +
                                   "/fuzz/regressions/settings_file_fuzzer/reader-count-beyond-int32.ini",
                               path);
    ReaderList readers;
    readers.load(ProfileFile(path));
    EXPECT_EQ(readers.size(), std::size_t(ReaderList::kMaximumReaders));

    TemporaryFolder::write(path, "[VANTOR_Viewer]\nUserCnt=99999\nUser0000=first\nUser9999=last\n");
    readers.load(ProfileFile(path));
    ASSERT_EQ(readers.size(), 10000U);
    EXPECT_EQ(readers.names().front(), "first");
    EXPECT_EQ(readers.names().back(), "last");
}

TEST(ReaderList, KeysAndSelectionAfterRemoval)
{
    EXPECT_EQ(readerKey(0), "User0000");
    EXPECT_EQ(readerKey(10), "User0010");
    EXPECT_EQ(presetKey(0), "WWWL_000");
    EXPECT_EQ(presetKey(12), "WWWL_012");

    ReaderList readers;
    for (const char* name : {"a", "b", "c"})
        readers.append(name);
    EXPECT_EQ(readers.removeAt(1), 1); // "c" moves into the removed place
    EXPECT_EQ(readers.removeAt(1), 0); // the last removed: select the new last
    EXPECT_EQ(readers.removeAt(0), -1);
}

TEST(ReaderList, SaveWritesCountAndNamesAndLeavesKeysOfALongerEarlierList)
{
    TemporaryFolder folder;
    const ProfileFile settings(folder.file("s.ini"));
    ReaderList readers;
    for (int i = 0; i < 11; ++i)
        readers.append("reader" + std::to_string(i));
    ASSERT_TRUE(readers.save(settings));
    EXPECT_EQ(settings.readString(kProgramSection, "User0010", ""), "reader10");

    ReaderList shorter;
    shorter.append("only");
    ASSERT_TRUE(shorter.save(settings));
    EXPECT_EQ(settings.readInteger(kProgramSection, "UserCnt", -1), 1);
    EXPECT_EQ(settings.readString(kProgramSection, "User0001", ""), "reader1");

    ReaderList loaded;
    loaded.load(settings);
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded.names()[0], "only");

    ReaderList empty;
    ASSERT_TRUE(empty.save(settings));
    EXPECT_EQ(settings.readInteger(kProgramSection, "UserCnt", -1), 0);
}

TEST(WindowPresets, CaptionsAndTheEndsOfTheList)
{
    TemporaryFolder folder;
    const std::string path = folder.file("s.ini");
    TemporaryFolder::write(path, "[WWWL_Params]\nWWWL_CNT=4\nWWWL_000=Lung\\-600\\1500\n"
                                 "WWWL_001=Mediastinum\\40\\400\nWWWL_002=Broken\\40\nWWWL_003=Bone\\400\\1800\n");
    WorkstationState state;
    auto entries = loadWindowPresets(ProfileFile(path), state);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].popupCaption, "Lung ( -600 , 1500 )");
    EXPECT_EQ(entries[0].toolsCaption, "(&1) Lung");
    EXPECT_EQ(entries[1].toolsCaption, "(&2) Mediastinum");
    EXPECT_EQ(state.WLWWPresets[1].WL, 40);
    EXPECT_EQ(state.PresetCount, 4); // a two-part value ends the list but keeps the count

    TemporaryFolder::write(path, "[WWWL_Params]\nWWWL_CNT=3\nWWWL_000=Lung\\-600\\1500\n");
    entries = loadWindowPresets(ProfileFile(path), state);
    EXPECT_EQ(entries.size(), 1u);
    EXPECT_EQ(state.PresetCount, 1); // an empty value ends the list and sets the count
}

TEST(WindowPresets, ElevenPresetsFillTheTableButOnlyTenReachTheMenus)
{
    TemporaryFolder folder;
    const std::string path = folder.file("s.ini");
    std::string text = "[WWWL_Params]\nWWWL_CNT=20\n";
    for (int n = 0; n < 12; ++n)
        text += presetKey(n) + "=P" + std::to_string(n) + "\\" + std::to_string(n) + "\\100\n";
    TemporaryFolder::write(path, text);
    WorkstationState state;
    const auto entries = loadWindowPresets(ProfileFile(path), state);
    EXPECT_EQ(entries.size(), 10u);
    EXPECT_EQ(entries[9].toolsCaption, "(&10) P9");
    EXPECT_EQ(state.PresetCount, 11);
    EXPECT_EQ(state.WLWWPresets[10].Name, "P10");
}

TEST(MainWindowCaption, BeforeAndAfterAResultFile)
{
    WorkstationState state;
    EXPECT_EQ(mainWindowCaption(state), "VANTORViewer");
    state.ResultFileName = "/data/chest_reader.vtr";
    state.ReadingDate = "2026/12/07";
    state.ReaderName = "reader";
    state.TopFolder = "/data/chest";
    state.CurPatient = 0;
    EXPECT_EQ(mainWindowCaption(state), "VANTOR_Viewer - 2026/12/07 reader [ /data/chest ] (Patient_00001)");
    EXPECT_EQ(patientDisplayName(123456), "Patient_123456");
}

TEST(DesktopCheck, ThresholdsAndQuestion)
{
    EXPECT_FALSE(desktopIsTooSmall(1024 * 15, 768 * 15));
    EXPECT_FALSE(desktopIsTooSmall(800 * 15, 600 * 15));
    EXPECT_TRUE(desktopIsTooSmall(800 * 15, 599 * 15));
    EXPECT_TRUE(desktopIsTooSmall(799 * 15, 600 * 15));
    EXPECT_EQ(desktopQuestion(800 * 15, 599 * 15),
              "The resolution of your desktop is [800]x[599]\rVANTOR-Viewer recommends you at least [800]x[600] "
              "resolution.\r\rDo you continue ?");
}

TEST(ProgramSettings, ExitWithoutAnOpenedFolderLeavesTheFourKeys)
{
    TemporaryFolder folder;
    const std::string path = folder.file("s.ini");
    const std::string before = "[VANTOR_Viewer]\nTopFolder=/old\nWLWWSelect=1\nDefaultWL=40\nDefaultWW=0\n";
    TemporaryFolder::write(path, before);
    const ProfileFile settings(path);
    WorkstationState state;
    loadProgramSettings(settings, state);
    EXPECT_TRUE(state.TopFolder.empty());
    EXPECT_EQ(lastOpenedFolder(settings), "/old");
    EXPECT_TRUE(state.WLWWSelect);
    EXPECT_EQ(state.DefaultWL, 40);
    EXPECT_EQ(state.DefaultWW, 1000); // a width of 0 is replaced

    state.DefaultWL = -600;
    ASSERT_TRUE(saveProgramSettingsAtExit(settings, state));
    EXPECT_EQ(TemporaryFolder::read(path), before);

    state.TopFolder = "/new";
    state.WLWWSelect = false;
    ASSERT_TRUE(saveProgramSettingsAtExit(settings, state));
    EXPECT_EQ(TemporaryFolder::read(path),
              "[VANTOR_Viewer]\nTopFolder=/new\nWLWWSelect=0\nDefaultWL=-600\nDefaultWW=1000\n");
}

TEST(ProgramSettings, UserCopyIsSeededFromTheShippedFileOnce)
{
    TemporaryFolder folder;
    std::filesystem::create_directories(folder.path() / "app");
    TemporaryFolder::write(folder.file("app/VANTOR_Viewer.ini"), "[VANTOR_Viewer]\nDefaultWL=-600\n");
    const char* previous = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = previous ? previous : "";
    setenv("XDG_CONFIG_HOME", folder.file("config").c_str(), 1);

    const std::string user = prepareUserSettingsFile(folder.file("app") + "/");
    EXPECT_EQ(user, folder.file("config/VANTORViewer/VANTOR_Viewer.ini"));
    EXPECT_EQ(TemporaryFolder::read(user), "[VANTOR_Viewer]\nDefaultWL=-600\n");
    ASSERT_TRUE(ProfileFile(user).writeString("VANTOR_Viewer", "DefaultWL", "40"));
    prepareUserSettingsFile(folder.file("app") + "/"); // a second start keeps the reader's copy
    EXPECT_EQ(ProfileFile(user).readInteger("VANTOR_Viewer", "DefaultWL", 0), 40);
    EXPECT_EQ(ProfileFile(folder.file("app/VANTOR_Viewer.ini")).readInteger("VANTOR_Viewer", "DefaultWL", 0), -600);

    if (previous)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}
