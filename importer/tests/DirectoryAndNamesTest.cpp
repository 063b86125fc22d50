// The DICOMDIR reader on pydicom's variants of one real directory, and the
// folder names of the layout.

#include "ImportTestSupport.h"

#include <VantorImporter/DicomDirectory.h>
#include <VantorImporter/FolderNames.h>

#include <gtest/gtest.h>

namespace vantor::importing {
namespace {

using namespace testing;

TEST(DicomDirectoryReader, EveryEncodingAndOrderOfPydicomsVariantsGivesTheSameFiles)
{
    const fs::path set = fs::path(VANTOR_REAL_DICOM_DIR) / "pydicom/test_files/dicomdirtests";
    if (!fs::exists(set / "DICOMDIR"))
        GTEST_SKIP() << "pydicom's test files are not installed (" << set << ")";
    // pydicom's own reading of the directory is the reference.
    const std::string expected = commandOutput(
        "/usr/bin/python3 -c \"import pydicom,sys; d=pydicom.dcmread(sys.argv[1]); "
        "[print('/'.join([r.ReferencedFileID] if isinstance(r.ReferencedFileID, str) else r.ReferencedFileID)) "
        "for r in d.DirectoryRecordSequence if 'ReferencedFileID' in r]\" '" +
        (set / "DICOMDIR").string() + "' 2>/dev/null");
    ASSERT_FALSE(expected.empty());
    for (const char* variant : {"DICOMDIR", "DICOMDIR-bigEnd", "DICOMDIR-implicit", "DICOMDIR-nooffset",
                                "DICOMDIR-nopatient"}) {
        const DicomDirectoryReferences references = readDicomDirectoryFile((set / variant).string());
        EXPECT_TRUE(references.readable) << variant;
        // The variant without offsets kept its old sequence length, longer than the file.
        EXPECT_EQ(references.problem, std::string(variant) == "DICOMDIR-nooffset" ? "the directory records end early" : "")
            << variant;
        std::string listed;
        for (const auto& components : references.fileIds) {
            for (std::size_t index = 0; index < components.size(); ++index)
                listed += (index ? "/" : "") + components[index];
            listed += '\n';
        }
        EXPECT_EQ(listed, expected) << variant;
    }
    EXPECT_EQ(readDicomDirectoryFile((set / "DICOMDIR-reordered").string()).fileIds.size(), 31u);
    const DicomDirectoryReferences empty = readDicomDirectoryFile((set / "DICOMDIR-empty.dcm").string());
    EXPECT_TRUE(empty.fileIds.empty());

    // Cut anywhere, a directory gives what it holds up to the cut and says so.
    const std::string bytes = fileBytes(set / "DICOMDIR");
    std::size_t previous = 0;
    for (std::size_t size = 0; size < bytes.size(); size += 37) {
        const auto cut = readDicomDirectory(reinterpret_cast<const std::uint8_t*>(bytes.data()), size);
        EXPECT_GE(cut.fileIds.size(), previous) << size;
        EXPECT_FALSE(cut.problem.empty()) << size;
        previous = cut.fileIds.size();
    }
    EXPECT_EQ(previous, 31u);
}

TEST(LayoutNames, NamesAreReadableSafeAndUniqueWithoutCase)
{
    EXPECT_EQ(safeName("SE003 CHEST/1.25 ", "x"), "SE003_CHEST_1.25");
    EXPECT_EQ(safeName("\xe5\xb1\xb1\xe7\x94\xb0^TARO", "x"), "TARO") << "bytes outside ASCII are replaced";
    EXPECT_EQ(safeName("..hidden", "x"), "hidden") << "a leading dot would hide it from the catalogue walk";
    EXPECT_EQ(safeName("...", "UNKNOWN"), "UNKNOWN");
    EXPECT_EQ(safeName("CON", "x"), "_CON");
    EXPECT_EQ(safeName("lpt1.txt", "x"), "_lpt1.txt");
    EXPECT_EQ(safeName(std::string(100, 'A') + ".", "x"), std::string(64, 'A'));

    InstanceHeader header;
    header.patientName = "DOE^JOHN";
    header.studyInstanceUid = "1.2.3.4567890";
    header.seriesNumber = 3;
    header.instanceNumber = 12;
    EXPECT_EQ(patientFolderName(header), "DOE_JOHN") << "the name when there is no ID";
    header.patientId = " 0042 ";
    EXPECT_EQ(patientFolderName(header), "0042");
    EXPECT_EQ(studyFolderName(header), "NODATE_567890") << "the UID's end when there is no Study ID";
    header.studyDate = "20240131";
    header.studyId = "77";
    EXPECT_EQ(studyFolderName(header), "20240131_77");
    EXPECT_EQ(seriesFolderName(header), "SE003");
    header.seriesDescription = "Thorax  1.25 mm";
    EXPECT_EQ(seriesFolderName(header), "SE003_Thorax_1.25_mm");
    EXPECT_EQ(sliceFileName(header), "IM00012.dcm");

    // Texts are decoded first: escapes and two-byte codes are no letters.
    header.specificCharacterSet = "\\ISO 2022 IR 87";
    header.seriesDescription = "\x1b$B69It\x1b(B CT"; // 胸部 CT in JIS X 0208
    EXPECT_EQ(seriesFolderName(header), "SE003_CT");
    header.patientId.clear();
    header.patientName = "YAMADA^TARO=\x1b$B;3ED\x1b(B^\x1b$BB@O:\x1b(B";
    EXPECT_EQ(patientFolderName(header), "YAMADA_TARO") << "the alphabetic group of the name";
    header.specificCharacterSet = "ISO_IR 100";
    header.patientName = "M\xfc" "ller^Ren\xe9" "e";
    EXPECT_EQ(patientFolderName(header), "Muller_Renee");

    NameSet names;
    names.add("SE003_CHEST_1.25");
    EXPECT_EQ(names.claimFolder("se003_chest_1.25"), "se003_chest_1.25-2");
    EXPECT_EQ(names.claimFolder("SE003_CHEST_1.25"), "SE003_CHEST_1.25-3");
    EXPECT_EQ(names.claimFile("IM00012.dcm"), "IM00012.dcm");
    EXPECT_EQ(names.claimFile("IM00012.DCM"), "IM00012-2.DCM");
}

} // namespace
} // namespace vantor::importing
