#include "reading/ReadingRecordOperations.h"
#include "reading/ResultFile.h"
#include "startup/MessageBoxes.h"
#include "startup/WorkstationState.h"

#include <gtest/gtest.h>

#include <QMessageBox>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace vantor;

namespace {

std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void putFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::int32_t int32At(const std::string& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    return static_cast<std::int32_t>(value);
}

std::int16_t int16At(const std::string& bytes, std::size_t offset)
{
    return static_cast<std::int16_t>(static_cast<unsigned char>(bytes[offset]) |
                                     (static_cast<unsigned char>(bytes[offset + 1]) << 8));
}

// A record with a distinct value in every member, so that a swapped or shifted
// member shows in the round trip.
ReadingRecord filledRecord(int seed)
{
    ReadingRecord r;
    r.PatientName = "Name" + std::to_string(seed);
    r.PatientID = "ID" + std::to_string(seed);
    r.StudyDate = "2024/01/0" + std::to_string(seed % 10);
    r.StudyTime = "12:34:56";
    r.ImageCount = static_cast<std::int16_t>(300 + seed);
    r.SliceThickness = 1.25F + static_cast<float>(seed);
    r.WindowLevel = -600 - seed;
    r.WindowWidth = 1500 + seed;
    r.KVP = 120;
    r.TubeCurrent = -2;
    r.ExposureTime = 1000;
    r.Posture = "S";
    r.Manufacturer = "\xE6\x97\xA5 Maker";
    r.ModelName = "Model";
    r.Findings = 1;
    r.RoundPresent = 1;
    r.RoundSize = {1, 0, 1, 7};
    r.RoundPredominantSize = 2;
    for (std::size_t i = 0; i < 7; ++i) {
        r.RoundGrade[i] = static_cast<std::int16_t>(i);
        r.IrregularGrade[i] = static_cast<std::int16_t>(10 + i);
        r.GgoGrade[i] = static_cast<std::int16_t>(20 + i);
        r.HoneycombGrade[i] = static_cast<std::int16_t>(30 + i);
        r.EmphysemaGrade[i] = static_cast<std::int16_t>(40 + i);
        r.LargeZone[i] = static_cast<std::int16_t>(50 + i);
        r.PleuralSite[i] = static_cast<std::int16_t>(60 + i);
    }
    r.IrregularPresent = 1;
    r.IrregularType = {1, 1, 9};
    r.IrregularPredominantType = 1;
    r.GgoGradable = 1;
    r.GgoPresent = 1;
    r.HoneycombPresent = 1;
    r.EmphysemaPresent = 1;
    r.LargePresent = 1;
    r.LargeSize = 2;
    r.PredominantParenchymal = 5;
    for (std::size_t i = 0; i < 24; ++i)
        r.Symbol[i] = static_cast<std::int16_t>(i % 2);
    r.PleuralPresent = 1;
    r.PleuralType = {1, 0, 1, 0, 3};
    r.PleuralPredominantType = 3;
    r.PleuralExtentWidth = {1, 2, 3, 4, 5};
    r.CalcPresent = 1;
    r.CalcSite = {1, 1, 0, 4};
    r.Comment = "comment of patient " + std::to_string(seed);
    r.ReadingDate = "2026/12/07";
    r.ReaderName = "reader1";
    r.CommentMark = -1;
    return r;
}

class ResultFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() /
                  ("vantor-results-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        state_.ReaderName = "reader1";
        state_.ReadingDate = "2026/12/07";
        state_.TopFolder = (folder_ / "case1").string();
        savedPresenter_ = messagePresenter();
        messagePresenter() = [this](QWidget*, QMessageBox::Icon, const QString& caption, const QString& text,
                                    QMessageBox::StandardButtons) {
            captions_.push_back(caption.toStdString());
            messages_.push_back(text.toStdString());
            return answer_;
        };
    }

    void TearDown() override
    {
        messagePresenter() = savedPresenter_;
        std::filesystem::remove_all(folder_);
    }

    std::string path(const std::string& name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_;
    WorkstationState state_;
    MessagePresenter savedPresenter_;
    std::vector<std::string> messages_;
    std::vector<std::string> captions_;
    QMessageBox::StandardButton answer_ = QMessageBox::Ok;
};

} // namespace

TEST(ResultFileNames, DefaultNameLiesBesideTheFolderAndQuestionReadsAsPublished)
{
    EXPECT_EQ(ResultFile::defaultFileName("/data/case1", "reader1"), "/data/case1_reader1.vtr");
    EXPECT_EQ(ResultFile::restoreQuestion("reader1", "/data/case1"),
              "Reading results by [ reader1 ] for the folder [ /data/case1 ] has already existed.\r\r"
              "Do you restore it ? (Yes/No)\r\r"
              "[Yes]    : Restore the existed result and continue.\r"
              "[No]     : Clear the existed result and continue.\r"
              "           (the existed result is kept first as [ /data/case1_reader1.vtr.bak ])");
    EXPECT_EQ(ResultFile::notResultsFileMessage("/x.vtr"), "'/x.vtr' is not Reading Results file.");
    EXPECT_EQ(ResultFile::folderMismatchMessage("/a", "/b"),
              "Target folder is not match.\r\rCurrent Img Folder: '/a'\rThe file requires : '/b'\r\r"
              "Please select anoter file.");
}

TEST(ResultFileRecord, MembersLieAtTheirPublishedOffsets)
{
    ReadingRecord r;
    r.PatientName = "PN";
    r.PatientID = "ID";
    r.StudyDate = "2024/01/02";
    r.StudyTime = "10:00:00";
    r.ImageCount = 0x1234;
    r.SliceThickness = 1.0F; // 0x3F800000
    r.WindowLevel = -600;
    r.WindowWidth = 0x01020304;
    r.KVP = 120;
    r.TubeCurrent = 250;
    r.ExposureTime = -1;
    r.Posture = "P";
    r.Manufacturer = "Maker";
    r.ModelName = "Model";
    r.Findings = 1;
    r.RoundPresent = 2;
    r.RoundSize[0] = 3;
    r.RoundPredominantSize = 4;
    r.RoundGrade[6] = 5;
    r.IrregularPresent = 6;
    r.IrregularType[2] = 7;
    r.IrregularPredominantType = 8;
    r.IrregularGrade[0] = 9;
    r.GgoGradable = 10;
    r.GgoPresent = 11;
    r.GgoGrade[1] = 12;
    r.HoneycombPresent = 13;
    r.HoneycombGrade[2] = 14;
    r.EmphysemaPresent = 15;
    r.EmphysemaGrade[3] = 16;
    r.LargePresent = 17;
    r.LargeSize = 18;
    r.LargeZone[4] = 19;
    r.PredominantParenchymal = 20;
    r.Symbol[23] = 21;
    r.PleuralPresent = 22;
    r.PleuralType[4] = 23;
    r.PleuralPredominantType = 24;
    r.PleuralSite[5] = 25;
    r.PleuralExtentWidth[3] = 26;
    r.CalcPresent = 27;
    r.CalcSite[3] = 28;
    r.Comment = "hello";
    r.ReadingDate = "2026/12/07";
    r.ReaderName = "reader1";
    r.CommentMark = -1;

    std::string bytes(ResultFile::RecordSize, 'X');
    ResultFile::encodeRecord(r, bytes.data());

    EXPECT_EQ(bytes.substr(0, 128), "PN" + std::string(126, ' '));
    EXPECT_EQ(bytes.substr(128, 2), "ID");
    EXPECT_EQ(bytes.substr(256, 10), "2024/01/02");
    EXPECT_EQ(bytes.substr(384, 8), "10:00:00");
    EXPECT_EQ(bytes.substr(512, 2), std::string("\x34\x12", 2));
    EXPECT_EQ(bytes.substr(514, 4), std::string("\x00\x00\x80\x3F", 4));
    EXPECT_EQ(int32At(bytes, 518), -600);
    EXPECT_EQ(bytes.substr(522, 4), std::string("\x04\x03\x02\x01", 4));
    EXPECT_EQ(int16At(bytes, 526), 120);
    EXPECT_EQ(int16At(bytes, 528), 250);
    EXPECT_EQ(int16At(bytes, 530), -1);
    EXPECT_EQ(bytes[532], 'P');
    EXPECT_EQ(bytes.substr(533, 2), std::string(2, '\0'));
    EXPECT_EQ(bytes.substr(535, 5), "Maker");
    EXPECT_EQ(bytes.substr(663, 5), "Model");
    EXPECT_EQ(bytes.substr(791, 2), std::string(2, '\0'));
    EXPECT_EQ(int16At(bytes, 793), 1);
    EXPECT_EQ(int16At(bytes, 795), 2);
    EXPECT_EQ(int16At(bytes, 797), 3);
    EXPECT_EQ(int16At(bytes, 805), 4);
    EXPECT_EQ(int16At(bytes, 807 + 12), 5);
    EXPECT_EQ(int16At(bytes, 821), 6);
    EXPECT_EQ(int16At(bytes, 823 + 4), 7);
    EXPECT_EQ(int16At(bytes, 829), 8);
    EXPECT_EQ(int16At(bytes, 831), 9);
    EXPECT_EQ(int16At(bytes, 845), 10);
    EXPECT_EQ(int16At(bytes, 847), 11);
    EXPECT_EQ(int16At(bytes, 849 + 2), 12);
    EXPECT_EQ(int16At(bytes, 863), 13);
    EXPECT_EQ(int16At(bytes, 865 + 4), 14);
    EXPECT_EQ(int16At(bytes, 879), 15);
    EXPECT_EQ(int16At(bytes, 881 + 6), 16);
    EXPECT_EQ(int16At(bytes, 895), 17);
    EXPECT_EQ(int16At(bytes, 897), 18);
    EXPECT_EQ(int16At(bytes, 899 + 8), 19);
    EXPECT_EQ(int16At(bytes, 913), 20);
    EXPECT_EQ(int16At(bytes, 915 + 46), 21);
    EXPECT_EQ(int16At(bytes, 963), 22);
    EXPECT_EQ(int16At(bytes, 965 + 8), 23);
    EXPECT_EQ(int16At(bytes, 975), 24);
    EXPECT_EQ(int16At(bytes, 977 + 10), 25);
    EXPECT_EQ(int16At(bytes, 991 + 6), 26);
    EXPECT_EQ(int16At(bytes, 1001), 27);
    EXPECT_EQ(int16At(bytes, 1003 + 6), 28);
    EXPECT_EQ(bytes.substr(1011, 1024), "hello" + std::string(1019, ' '));
    EXPECT_EQ(bytes.substr(2035, 10), "2026/12/07");
    EXPECT_EQ(bytes.substr(2045, 128), std::string(128, '\0')); // ReaderID never assigned
    EXPECT_EQ(bytes.substr(2173, 7), "reader1");
    EXPECT_EQ(int16At(bytes, 2301), -1);

    EXPECT_EQ(ResultFile::decodeRecord(bytes.data()), r);
}

TEST_F(ResultFileTest, WrittenFileHasHeaderAndRecordTableAtPublishedOffsets)
{
    // A folder of 3 patients whose path is 20 bytes long: 11 + 4 + 20 + 3 x 2303 bytes.
    state_.TopFolder = "/data/folder/case_01";
    ASSERT_EQ(state_.TopFolder.size(), 20U);
    Readings readings(3);
    for (auto& record : readings)
        ClearReading(record);
    readings[1] = filledRecord(2);

    ResultFile file;
    const std::string target = path("case_01_reader1.vtr");
    ASSERT_TRUE(file.WriteResults(state_, readings, target));
    EXPECT_EQ(state_.ResultFileName, target);
    const std::string bytes = fileBytes(target);
    ASSERT_EQ(bytes.size(), 6944U);
    EXPECT_EQ(bytes.substr(0, 11), "VANTOR_0100");
    EXPECT_EQ(int32At(bytes, 11), 20);
    EXPECT_EQ(bytes.substr(15, 20), state_.TopFolder);
    for (std::size_t i = 0; i < 3; ++i) {
        std::string expected(ResultFile::RecordSize, '\0');
        ResultFile::encodeRecord(readings[i], expected.data());
        EXPECT_EQ(bytes.substr(35 + i * 2303, 2303), expected) << "record " << i;
    }
    // A cleared, never-stamped record: NUL texts, "None" symbol, -1 predominant items.
    EXPECT_EQ(bytes.substr(35, 128), std::string(128, '\0'));
    EXPECT_EQ(int16At(bytes, 35 + 915), 1);
    EXPECT_EQ(int16At(bytes, 35 + 805), -1);
    EXPECT_EQ(bytes.substr(35 + 2303, 5), "Name2");
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), std::filesystem::directory_iterator()), 1);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(ResultFileTest, RoundTripRestoresEveryMemberAndRewritingShrinksALongerOldFile)
{
    Readings readings{filledRecord(1), filledRecord(2), filledRecord(3)};
    ResultFile file;
    const std::string target = ResultFile::defaultFileName(state_.TopFolder, state_.ReaderName);
    // An older, longer file of the same name must not leave a stale tail.
    putFile(target, std::string(20000, 'Z'));
    ASSERT_TRUE(file.WriteResults(state_, readings, target));
    EXPECT_EQ(fileBytes(target).size(), 15 + state_.TopFolder.size() + 3 * 2303);

    Readings restored(3);
    ResultFile reader;
    ASSERT_TRUE(reader.ReadResults(state_, restored, target));
    EXPECT_EQ(restored, readings);
    EXPECT_EQ(state_.ResultFileName, target);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(ResultFileTest, SaveWritesOnlyWhenAResultFileIsCurrent)
{
    Readings readings(2);
    ResultFile file;
    state_.ResultFileName.clear();
    EXPECT_TRUE(file.Save(state_, readings));
    EXPECT_TRUE(std::filesystem::is_empty(folder_));

    state_.ResultFileName = path("r.vtr");
    EXPECT_TRUE(file.Save(state_, readings));
    EXPECT_EQ(fileBytes(state_.ResultFileName).size(), 15 + state_.TopFolder.size() + 2 * 2303);
}

TEST_F(ResultFileTest, FailedWriteIsReportedAndKeepsThePreviousFile)
{
    Readings readings(1);
    ResultFile file;
    EXPECT_FALSE(file.WriteResults(state_, readings, path("missing-folder/r.vtr")));
    ASSERT_EQ(messages_.size(), 1U);
    EXPECT_NE(messages_[0].find("could not be saved"), std::string::npos);
    EXPECT_EQ(captions_[0], "VANTOR-Viewer");

    // A name at the file system's length limit leaves no room for the
    // temporary file: the save fails before the old file is touched.
    const std::string longest = path(std::string(250, 'r') + ".vtr");
    putFile(longest, "previous readings");
    EXPECT_FALSE(file.WriteResults(state_, readings, longest));
    EXPECT_EQ(fileBytes(longest), "previous readings");
    EXPECT_EQ(messages_.size(), 2U);
}

TEST_F(ResultFileTest, FewerRecordsThanPatientsRestoresThoseAndKeepsTheOthersCleared)
{
    // Written when the folder held two patients; a third has been added since.
    const std::string target = path("r.vtr");
    ResultFile writer;
    ASSERT_TRUE(writer.WriteResults(state_, Readings{filledRecord(1), filledRecord(2)}, target));

    Readings readings(3);
    ReadingRecord cleared;
    ClearReading(cleared);
    // Readings in memory (of an earlier file) must not survive for the third patient.
    readings[2] = filledRecord(3);
    ResultFile file;
    answer_ = QMessageBox::Ok;
    ASSERT_TRUE(file.ReadResults(state_, readings, target));
    EXPECT_EQ(readings[0], filledRecord(1));
    EXPECT_EQ(readings[1], filledRecord(2));
    EXPECT_EQ(readings[2], cleared);
    ASSERT_EQ(messages_.size(), 1U); // the reader is told that the counts differ
    EXPECT_NE(messages_[0].find("2 patients; the folder has 3"), std::string::npos);

    ASSERT_TRUE(file.Save(state_, readings));
    EXPECT_EQ(fileBytes(target).size(), 15 + state_.TopFolder.size() + 3 * 2303);
    EXPECT_EQ(ResultFile::decodeRecord(fileBytes(target).data() + 15 + state_.TopFolder.size() + 2 * 2303), cleared);
}

TEST_F(ResultFileTest, BackupCopiesTheFileByteForByteOverAnOlderBackup)
{
    const std::string target = path("r.vtr");
    std::string bytes("VANTOR_0100\0\xff\r\n", 15);
    bytes += std::string(70000, '\x7f'); // longer than one read
    putFile(target, bytes);
    putFile(ResultFile::backupFileName(target), "an older backup, longer than nothing");
    ASSERT_TRUE(ResultFile::keepBackup(target));
    EXPECT_EQ(fileBytes(target + ".bak"), bytes);
    EXPECT_EQ(fileBytes(target), bytes);
    EXPECT_FALSE(ResultFile::keepBackup(path("missing.vtr")));
    EXPECT_FALSE(std::filesystem::exists(path("missing.vtr.bak")));
}

TEST_F(ResultFileTest, MoreRecordsThanPatientsKeepsTheSurplusInTheFile)
{
    const std::string target = path("r.vtr");
    ResultFile writer;
    const Readings original{filledRecord(1), filledRecord(2), filledRecord(3)};
    ASSERT_TRUE(writer.WriteResults(state_, original, target));

    Readings readings(2);
    ResultFile file;
    ASSERT_TRUE(file.ReadResults(state_, readings, target));
    EXPECT_EQ(readings[0], filledRecord(1));
    EXPECT_EQ(readings[1], filledRecord(2));
    EXPECT_EQ(file.surplusRecordCount(), 1U);

    // Saving the two shown patients must not drop the third patient's reading.
    readings[0].Comment = "changed";
    ASSERT_TRUE(file.Save(state_, readings));
    Readings all(3);
    ResultFile check;
    ASSERT_TRUE(check.ReadResults(state_, all, target));
    EXPECT_EQ(all[0].Comment.trimmed(), "changed");
    EXPECT_EQ(all[2], filledRecord(3));

    // A newly opened folder starts over.
    file.reset();
    EXPECT_EQ(file.encode(state_.TopFolder, readings).size(), 15 + state_.TopFolder.size() + 2 * 2303);
}

TEST_F(ResultFileTest, RefusedFilesLeaveReadingsAndEmptyTheResultFileName)
{
    const std::string good = path("good.vtr");
    ResultFile writer;
    ASSERT_TRUE(writer.WriteResults(state_, Readings{filledRecord(1)}, good));
    const std::string image = fileBytes(good);

    struct Case {
        const char* name;
        std::string bytes;
        const char* messageStart;
    };
    std::string badSignature = image;
    badSignature[10] = '1';
    std::string otherFolder = writer.encode(state_.TopFolder + "x", Readings{filledRecord(1)});
    std::string hugeLength = image;
    hugeLength[11] = '\xFF';
    hugeLength[12] = '\xFF';
    hugeLength[13] = '\xFF';
    hugeLength[14] = '\x7F';
    std::string negativeLength = image;
    negativeLength[14] = '\x80';
    const std::vector<Case> cases{
        {"empty", "", "'"},
        {"signature only in part", "VANTOR_01", "'"},
        {"one byte of the signature differs", badSignature, "'"},
        {"header cut inside the length", image.substr(0, 13), "'"},
        {"path length larger than the file", hugeLength, "'"},
        {"negative path length", negativeLength, "'"},
        {"record cut short", image.substr(0, image.size() - 1), "'"},
        {"another folder", otherFolder, "Target folder is not match."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string target = path("bad.vtr");
        putFile(target, c.bytes);
        Readings readings(1);
        ClearReading(readings[0]);
        const Readings before = readings;
        messages_.clear();
        ResultFile file;
        EXPECT_FALSE(file.ReadResults(state_, readings, target));
        EXPECT_EQ(readings, before);
        EXPECT_TRUE(state_.ResultFileName.empty());
        ASSERT_EQ(messages_.size(), 1U);
        EXPECT_EQ(messages_[0].rfind(c.messageStart, 0), 0U) << messages_[0];
        EXPECT_EQ(fileBytes(target), c.bytes); // a refused file is never touched
    }
    // The published texts for the two published causes.
    messages_.clear();
    putFile(path("bad.vtr"), badSignature);
    Readings readings(1);
    ResultFile file;
    file.ReadResults(state_, readings, path("bad.vtr"));
    EXPECT_EQ(messages_.back(), "'" + path("bad.vtr") + "' is not Reading Results file.");
    putFile(path("bad.vtr"), otherFolder);
    file.ReadResults(state_, readings, path("bad.vtr"));
    EXPECT_EQ(messages_.back(), "Target folder is not match.\n\nCurrent Img Folder: '" + state_.TopFolder +
                                    "'\nThe file requires : '" + state_.TopFolder + "x'\n\nPlease select anoter file.");
}

TEST_F(ResultFileTest, MissingFileIsRefusedAndNotCreated)
{
    Readings readings(1);
    ResultFile file;
    const std::string target = path("none.vtr");
    EXPECT_FALSE(file.ReadResults(state_, readings, target));
    EXPECT_FALSE(std::filesystem::exists(target));
    ASSERT_EQ(messages_.size(), 1U);
    EXPECT_NE(messages_[0].find("cannot be opened"), std::string::npos);
}

TEST_F(ResultFileTest, RestoreQuestionIsAskedWithYesAndNo)
{
    QMessageBox::StandardButtons asked;
    messagePresenter() = [&](QWidget*, QMessageBox::Icon icon, const QString& caption, const QString& text,
                             QMessageBox::StandardButtons buttons) {
        asked = buttons;
        EXPECT_EQ(icon, QMessageBox::Warning);
        EXPECT_EQ(caption.toStdString(), "VANTOR-Viewer");
        EXPECT_TRUE(text.startsWith(QStringLiteral("Reading results by [ reader1 ]")));
        return answer_;
    };
    answer_ = QMessageBox::Yes;
    EXPECT_TRUE(ResultFile::askRestore("reader1", "/data/case1"));
    EXPECT_EQ(asked, QMessageBox::Yes | QMessageBox::No);
    answer_ = QMessageBox::No;
    EXPECT_FALSE(ResultFile::askRestore("reader1", "/data/case1"));
}

TEST_F(ResultFileTest, SaveAsWritesUnderTheChosenNameAndCancelChangesNothing)
{
    Readings readings{filledRecord(1)};
    ResultFile file;
    state_.ResultFileName = path("current.vtr");
    EXPECT_FALSE(file.SaveAs(state_, readings, ""));
    EXPECT_EQ(state_.ResultFileName, path("current.vtr"));
    EXPECT_TRUE(std::filesystem::is_empty(folder_));

    ASSERT_TRUE(file.SaveAs(state_, readings, path("other.vtr")));
    EXPECT_EQ(state_.ResultFileName, path("other.vtr"));
    Readings restored(1);
    ASSERT_TRUE(file.ReadResults(state_, restored, path("other.vtr")));
    EXPECT_EQ(restored, readings);
}
