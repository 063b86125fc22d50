#include "TemporaryFolder.h"
#include "TestDicomFile.h"

#include "catalogue/CatalogueCacheReader.h"
#include "catalogue/CatalogueCacheWriter.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vantor {
namespace {

using testing::readTextFile;
using testing::TemporaryFolder;
using testing::writeTextFile;

// One patient, one study, one series with two slices, every field filled.
Catalogue smallCatalogue()
{
    Catalogue catalogue;
    catalogue.TopFolder = "/data/case1";
    PatientEntry& patient = catalogue.Patients.emplace_back();
    patient.FolderName = "PAT1";
    patient.PatientName = "YAMADA^TARO=山田^太郎";
    patient.PatientID = "ID 01 ";
    StudyEntry& study = patient.Studies.emplace_back();
    study.FolderName = "ST1";
    study.StudyDate = "20260105";
    study.StudyTime = "093000";
    study.Accession = "ACC1";
    study.StudyDesc = "CT CHEST";
    study.StudyInstanceUID = "1.2.3";
    study.StudyID = "7";
    SeriesEntry& series = study.Serieses.emplace_back();
    series.FolderName = "SE2";
    series.Modality = "CT";
    series.Manufacturer = "Maker";
    series.InstitutionName = "Clinic";
    series.InstitutionAddr = "1 Street";
    series.SeriesDesc = "LUNG";
    series.DoctorName = "DR^WHO";
    series.SeriesInstanceUID = "1.2.3.4";
    series.SeriesNo = 12;
    series.Files = {"/data/case1/PAT1/ST1/SE2/IM1.dcm", "/data/case1/PAT1/ST1/SE2/IM2.dcm"};
    return catalogue;
}

const std::string smallCatalogueText = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n"
                                       "<Patients>\r\n"
                                       "<patient>\r\n"
                                       "<PatientName>YAMADA^TARO=山田^太郎</PatientName>\r\n"
                                       "<PatientID>ID 01 </PatientID>\r\n"
                                       "<Studies>\r\n"
                                       "<study>\r\n"
                                       "<StudyDate>20260105</StudyDate>\r\n"
                                       "<StudyTime>093000</StudyTime>\r\n"
                                       "<Accession>ACC1</Accession>\r\n"
                                       "<StudyDesc>CT CHEST</StudyDesc>\r\n"
                                       "<StudyInstanceUID>1.2.3</StudyInstanceUID>\r\n"
                                       "<StudyID>7</StudyID>\r\n"
                                       "<Serieses>\r\n"
                                       "<Series>\r\n"
                                       "<Modality>CT</Modality>\r\n"
                                       "<Manufacturer>Maker</Manufacturer>\r\n"
                                       "<InstitutionName>Clinic</InstitutionName>\r\n"
                                       "<InstitutionAddr>1 Street</InstitutionAddr>\r\n"
                                       "<SeriesDesc>LUNG</SeriesDesc>\r\n"
                                       "<DoctorName>DR^WHO</DoctorName>\r\n"
                                       "<SeriesInstanceUID>1.2.3.4</SeriesInstanceUID>\r\n"
                                       "<SeriesNo>12</SeriesNo>\r\n"
                                       "<Files>\r\n"
                                       "<File>\r\n"
                                       "<FileName>/data/case1/PAT1/ST1/SE2/IM1.dcm</FileName>\r\n"
                                       "</File>\r\n"
                                       "<File>\r\n"
                                       "<FileName>/data/case1/PAT1/ST1/SE2/IM2.dcm</FileName>\r\n"
                                       "</File>\r\n"
                                       "</Files>\r\n"
                                       "</Series>\r\n"
                                       "</Serieses>\r\n"
                                       "</study>\r\n"
                                       "</Studies>\r\n"
                                       "</patient>\r\n"
                                       "</Patients>\r\n";

void expectSameEntries(const Catalogue& left, const Catalogue& right)
{
    ASSERT_EQ(left.PatientCount(), right.PatientCount());
    for (std::size_t p = 0; p < left.Patients.size(); ++p) {
        const PatientEntry& a = left.Patients[p];
        const PatientEntry& b = right.Patients[p];
        EXPECT_EQ(a.FolderName, b.FolderName);
        EXPECT_EQ(a.PatientName, b.PatientName);
        EXPECT_EQ(a.PatientID, b.PatientID);
        ASSERT_EQ(a.StudyCount(), b.StudyCount());
        for (std::size_t s = 0; s < a.Studies.size(); ++s) {
            const StudyEntry& x = a.Studies[s];
            const StudyEntry& y = b.Studies[s];
            EXPECT_EQ(std::tie(x.FolderName, x.StudyDate, x.StudyTime, x.Accession, x.StudyDesc,
                               x.StudyInstanceUID, x.StudyID),
                      std::tie(y.FolderName, y.StudyDate, y.StudyTime, y.Accession, y.StudyDesc,
                               y.StudyInstanceUID, y.StudyID));
            ASSERT_EQ(x.SeriesCount(), y.SeriesCount());
            for (std::size_t e = 0; e < x.Serieses.size(); ++e) {
                const SeriesEntry& u = x.Serieses[e];
                const SeriesEntry& v = y.Serieses[e];
                EXPECT_EQ(
                    std::tie(u.FolderName, u.Modality, u.Manufacturer, u.InstitutionName, u.InstitutionAddr,
                             u.SeriesDesc, u.DoctorName, u.SeriesInstanceUID, u.SeriesNo, u.Files),
                    std::tie(v.FolderName, v.Modality, v.Manufacturer, v.InstitutionName, v.InstitutionAddr,
                             v.SeriesDesc, v.DoctorName, v.SeriesInstanceUID, v.SeriesNo, v.Files));
            }
        }
    }
}

// The small catalogue's text with each line changed by `edit`.
std::string editedLines(const std::function<std::string(const std::string&)>& edit)
{
    std::string out;
    std::size_t start = 0;
    while (start < smallCatalogueText.size()) {
        const std::size_t end = smallCatalogueText.find("\r\n", start);
        out += edit(smallCatalogueText.substr(start, end - start)) + "\r\n";
        start = end + 2;
    }
    return out;
}

TEST(CatalogueCacheWriter, WritesTheExactLinesOfASmallCatalogue)
{
    EXPECT_EQ(CatalogueCacheWriter::text(smallCatalogue()), smallCatalogueText);

    TemporaryFolder folder;
    const std::string path = Catalogue::cacheFilePath(folder.path() + "/case1");
    EXPECT_EQ(path, folder.path() + "/case1.xml");
    EXPECT_EQ(Catalogue::cacheFilePath(folder.path() + "/case1/"), path);
    const auto written = CatalogueCacheWriter::write(smallCatalogue(), path);
    ASSERT_TRUE(written.written) << written.error;
    EXPECT_EQ(readTextFile(path), smallCatalogueText);
}

TEST(CatalogueCacheWriter, PatientWithoutStudiesAndNegativeSeriesNumber)
{
    Catalogue catalogue = smallCatalogue();
    catalogue.Patients[0].Studies[0].Serieses[0].SeriesNo = -3;
    catalogue.Patients.emplace_back().PatientName = "EMPTY";
    const std::string text = CatalogueCacheWriter::text(catalogue);
    EXPECT_NE(text.find("<SeriesNo>-3</SeriesNo>\r\n"), std::string::npos);
    EXPECT_NE(
        text.find("<PatientID></PatientID>\r\n<Studies>\r\n</Studies>\r\n</patient>\r\n</Patients>\r\n"),
        std::string::npos);

    const auto read = CatalogueCacheReader::parse(text);
    ASSERT_TRUE(read.complete);
    ASSERT_EQ(read.catalogue.PatientCount(), 2);
    EXPECT_EQ(read.catalogue.Patients[1].StudyCount(), 0);
    EXPECT_EQ(read.catalogue.Patients[0].Studies[0].Serieses[0].SeriesNo, -3);
    EXPECT_FALSE(read.catalogue.hasNoEmptyLevel());
}

TEST(CatalogueCacheWriter, ALineBreakInAValueKeepsTheFileWhole)
{
    Catalogue catalogue = smallCatalogue();
    catalogue.Patients[0].PatientName = "LINE\r\nBREAK\nNAME";
    const auto read = CatalogueCacheReader::parse(CatalogueCacheWriter::text(catalogue));
    ASSERT_TRUE(read.complete);
    EXPECT_EQ(read.catalogue.Patients[0].PatientName, "LINE  BREAK NAME");
    EXPECT_EQ(read.catalogue.Patients[0].Studies[0].Serieses[0].Files.size(), 2u);

    // A path cannot be changed without naming another file: such a catalogue is not cached.
    catalogue.Patients[0].Studies[0].Serieses[0].Files[1] = "/data/odd\nname";
    EXPECT_FALSE(CatalogueCacheWriter::canStore(catalogue));
    TemporaryFolder folder;
    const auto written = CatalogueCacheWriter::write(catalogue, folder.path() + "/case.xml");
    EXPECT_FALSE(written.written);
    EXPECT_FALSE(written.error.empty());
    EXPECT_FALSE(std::filesystem::exists(folder.path() + "/case.xml"));
}

TEST(CatalogueCacheWriter, ReplacesTheOldFileOnlyWhenTheNewOneIsWhole)
{
    TemporaryFolder folder;
    const std::string path = folder.path() + "/case.xml";
    writeTextFile(path, "old");
    ASSERT_TRUE(CatalogueCacheWriter::write(smallCatalogue(), path).written);
    EXPECT_EQ(readTextFile(path), smallCatalogueText);

    // A folder in the file's place: the rename fails, nothing is left behind.
    const std::string blocked = folder.folder("blocked.xml");
    const auto failed = CatalogueCacheWriter::write(smallCatalogue(), blocked);
    EXPECT_FALSE(failed.written);
    EXPECT_FALSE(failed.error.empty());
    EXPECT_TRUE(std::filesystem::is_directory(blocked));

    const auto missing = CatalogueCacheWriter::write(smallCatalogue(), folder.path() + "/no/such/folder.xml");
    EXPECT_FALSE(missing.written);

    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path()))
        ++entries;
    EXPECT_EQ(entries, 2u) << "only case.xml and blocked.xml: no temporary file remains";
}

TEST(CatalogueCacheReader, ReadsBackWhatWasWrittenWithBareFolderNames)
{
    TemporaryFolder folder;
    const std::string path = folder.path() + "/case1.xml";
    ASSERT_TRUE(CatalogueCacheWriter::write(smallCatalogue(), path).written);
    const auto read = CatalogueCacheReader::read(path);
    EXPECT_TRUE(read.read);
    EXPECT_TRUE(read.complete);
    EXPECT_TRUE(read.messages.empty());
    Catalogue expected = smallCatalogue();
    expected.TopFolder.clear();
    expectSameEntries(read.catalogue, expected);
    EXPECT_EQ(read.catalogue.Patients[0].FolderName, "PAT1");
}

TEST(CatalogueCacheReader, SpaceIndentationIsAcceptedTabIndentationIsNot)
{
    const auto spaced = CatalogueCacheReader::parse(
        editedLines([](const std::string& line) { return "    " + line + "  "; }));
    EXPECT_TRUE(spaced.complete);
    EXPECT_TRUE(spaced.messages.empty());
    expectSameEntries(spaced.catalogue, CatalogueCacheReader::parse(smallCatalogueText).catalogue);

    const auto tabbed = CatalogueCacheReader::parse(editedLines([](const std::string& line) {
        return line.rfind("<?xml", 0) == 0 || line == "<Patients>" ? line : "\t" + line;
    }));
    EXPECT_TRUE(tabbed.read);
    EXPECT_FALSE(tabbed.complete);
    EXPECT_EQ(tabbed.catalogue.PatientCount(), 0);
    EXPECT_EQ(tabbed.messages, std::vector<std::string>{"タグが不正です．(\t<patient>)"});
}

TEST(CatalogueCacheReader, SeriesNumberText)
{
    auto withSeriesNumber = [](const std::string& text) {
        return editedLines([&](const std::string& line) {
            return line == "<SeriesNo>12</SeriesNo>" ? "<SeriesNo>" + text + "</SeriesNo>" : line;
        });
    };
    EXPECT_EQ(CatalogueCacheReader::parse(withSeriesNumber("-32768"))
                  .catalogue.Patients.at(0)
                  .Studies.at(0)
                  .Serieses.at(0)
                  .SeriesNo,
              -32768);
    EXPECT_EQ(CatalogueCacheReader::parse(withSeriesNumber("0"))
                  .catalogue.Patients.at(0)
                  .Studies.at(0)
                  .Serieses.at(0)
                  .SeriesNo,
              0);
    for (const char* damaged : {"", "12a", "40000", "1.5"}) {
        const auto read = CatalogueCacheReader::parse(withSeriesNumber(damaged));
        EXPECT_FALSE(read.complete) << damaged;
        EXPECT_EQ(read.catalogue.PatientCount(), 0) << damaged;
        ASSERT_EQ(read.messages.size(), 1u);
        EXPECT_EQ(read.messages[0], "タグが不正です．(<SeriesNo>" + std::string(damaged) + "</SeriesNo>)");
    }
}

TEST(CatalogueCacheReader, UnknownOneLineTagsAreIgnoredAndValuesEndAtTheNextAngleBracket)
{
    const auto read = CatalogueCacheReader::parse(editedLines([](const std::string& line) {
        if (line == "<PatientID>ID 01 </PatientID>")
            return line + "\r\n<BirthDate>19560412</BirthDate>\r\n<PatientName>A<B</PatientName>";
        if (line == "<StudyID>7</StudyID>")
            return line + "\r\n<ReferringPhysician>X</ReferringPhysician>";
        if (line == "<Modality>CT</Modality>")
            return line + "\r\n<BodyPart>CHEST</BodyPart>\r\nplain text without tags";
        return line;
    }));
    EXPECT_TRUE(read.complete);
    EXPECT_TRUE(read.messages.empty());
    ASSERT_EQ(read.catalogue.PatientCount(), 1);
    EXPECT_EQ(read.catalogue.Patients[0].PatientName, "A");
    EXPECT_EQ(read.catalogue.Patients[0].Studies.at(0).StudyID, "7");
    EXPECT_EQ(read.catalogue.Patients[0].Studies.at(0).Serieses.at(0).Files.size(), 2u);
}

TEST(CatalogueCacheReader, DeclarationOnlyWarnsASecondLineRefuses)
{
    std::string otherDeclaration = smallCatalogueText;
    otherDeclaration.replace(0, otherDeclaration.find("\r\n"), "<?xml version=\"1.0\" ?>");
    const auto warned = CatalogueCacheReader::parse(otherDeclaration);
    EXPECT_TRUE(warned.complete);
    EXPECT_EQ(warned.catalogue.PatientCount(), 1);
    EXPECT_EQ(warned.messages,
              std::vector<std::string>{"このファイルは読めません．\r<?xml version=\"1.0\" ?>"});

    std::string badSecondLine = smallCatalogueText;
    badSecondLine.replace(badSecondLine.find("<Patients>"), 10, "<patients>");
    const auto refused = CatalogueCacheReader::parse(badSecondLine);
    EXPECT_FALSE(refused.read);
    EXPECT_EQ(refused.messages, std::vector<std::string>{"タグが不正です．(<patients>)"});

    const auto empty = CatalogueCacheReader::parse("");
    EXPECT_FALSE(empty.read);
    EXPECT_EQ(empty.messages.size(), 2u);

    TemporaryFolder folder;
    const auto missing = CatalogueCacheReader::read(folder.path() + "/none.xml");
    EXPECT_FALSE(missing.read);
    EXPECT_EQ(missing.messages.size(), 1u);
}

TEST(CatalogueCacheReader, AStructuralErrorKeepsOnlyCompletePatients)
{
    Catalogue two = smallCatalogue();
    two.Patients.push_back(two.Patients[0]);
    two.Patients[1].PatientName = "SECOND";
    const std::string text = CatalogueCacheWriter::text(two);

    // The second patient's </File> replaced: the second patient is dropped.
    std::string damaged = text;
    const std::size_t second = damaged.find("<PatientName>SECOND");
    damaged.replace(damaged.find("</File>", second), 7, "<File>");
    const auto read = CatalogueCacheReader::parse(damaged);
    EXPECT_TRUE(read.read);
    EXPECT_FALSE(read.complete);
    ASSERT_EQ(read.catalogue.PatientCount(), 1);
    EXPECT_EQ(read.messages, std::vector<std::string>{"タグが不正です．(<File>)"});

    // A file cut short is the same kind of damage.
    const auto cut = CatalogueCacheReader::parse(text.substr(0, text.size() - 20));
    EXPECT_FALSE(cut.complete);
    EXPECT_EQ(cut.catalogue.PatientCount(), 1);

    // A FileName line of another shape leaves that path empty but the file whole.
    std::string oddName = text;
    oddName.replace(oddName.find("<FileName>"), 10, "<Path>");
    const auto odd = CatalogueCacheReader::parse(oddName);
    EXPECT_TRUE(odd.complete);
    EXPECT_EQ(odd.catalogue.Patients[0].Studies[0].Serieses[0].Files[0], "");
}

} // namespace
} // namespace vantor
