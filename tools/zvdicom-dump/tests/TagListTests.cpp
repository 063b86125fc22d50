// The tag list lines: dictionary file rules, column layout, numeric display,
// and the program on a real file.

#include "TagDictionary.h"
#include "TagListFormatter.h"

#include "ZVDICOM/ZQDICOM.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class TagList : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("zvdicom-taglist-" + std::to_string(::getpid()) + "-" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    std::string writeText(const std::string& name, const std::string& text)
    {
        const fs::path path = folder / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    // A raw element stream: tag, 32-bit length, value, little-endian.
    std::string writeStream(const std::vector<std::pair<std::uint32_t, std::string>>& elements)
    {
        std::string bytes;
        for (const auto& [tag, value] : elements) {
            const std::uint32_t length = static_cast<std::uint32_t>(value.size());
            const unsigned char header[8] = {
                static_cast<unsigned char>(tag >> 16),  static_cast<unsigned char>(tag >> 24),
                static_cast<unsigned char>(tag),        static_cast<unsigned char>(tag >> 8),
                static_cast<unsigned char>(length),     static_cast<unsigned char>(length >> 8),
                static_cast<unsigned char>(length >> 16), static_cast<unsigned char>(length >> 24)};
            bytes.append(reinterpret_cast<const char*>(header), 8);
            bytes += value;
        }
        return writeText("stream.dcm", bytes);
    }

    fs::path folder;
};

TEST_F(TagList, DictionaryLinesFollowTheFixedColumns)
{
    const std::string path = writeText("dicom.dic",
                                       "# comment line that is long enough to be an entry\n"
                                       "(0010,0010) PN PatientName\t1\n"
                                       "(0010,0010) LO SecondEntryIgnored\t1\n"
                                       "(0028,0010) US Rows\t1\r\n"
                                       "(0009,0010) LO NoTabMeansNoEntry\n"
                                       "(0008,0060)CS\n"
                                       "(FFFE,E000) -- Item\t1\n"
                                       "(zz08,0060) CS BadHex\t1\n");
    TagDictionary dictionary;
    EXPECT_EQ(dictionary.load(path), 3u);
    ASSERT_NE(dictionary.find(0x0010, 0x0010), nullptr);
    EXPECT_EQ(dictionary.find(0x0010, 0x0010)->name, "PatientName") << "the first entry of a tag wins";
    EXPECT_EQ(dictionary.find(0x0010, 0x0010)->valueRepresentation, "PN");
    EXPECT_EQ(dictionary.find(0x0028, 0x0010)->name, "Rows") << "a CR before the line end is no part of the entry";
    EXPECT_EQ(dictionary.find(0x0009, 0x0010), nullptr);
    EXPECT_NE(dictionary.find(0xFFFE, 0xE000), nullptr) << "high groups match as unsigned numbers";
    EXPECT_EQ(TagDictionary().load((folder / "missing.dic").string()), 0u);
}

TEST_F(TagList, LinesPutValuesInColumn43AndNumbersInDecimal)
{
    const std::string dictionaryPath = writeText("dicom.dic",
                                                 "(0008,0000) UL GroupLength\tx\n"
                                                 "(0010,0010) PN PatientName\tx\n"
                                                 "(0028,0010) US Rows\tx\n"
                                                 "(0028,0011) US Columns\tx\n"
                                                 "(0010,0020) LO ExactlyThirtyCharactersLongName\tx\n"
                                                 "(0010,0030) LO ANameLongerThanThirtyCharactersHere\tx\n");
    TagDictionary dictionary;
    ASSERT_EQ(dictionary.load(dictionaryPath), 6u);
    ZQDICOM control;
    control.setfilename(writeStream({{0x00080060, "CT"},
                                     {0x00100010, "DOE^JOHN"},
                                     {0x00100020, "ID"},
                                     {0x00100030, "X "},
                                     {0x00280010, std::string("\x00\x02", 2)},
                                     {0x00280011, std::string("\x40\x9C", 2)},
                                     {0x7FE00010, std::string(200, 'p')}}));
    const std::vector<std::string> lines = TagListFormatter(dictionary).lines(control);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(control.GetNumOfTag() - 1));
    EXPECT_EQ(lines[0], "(0008,0000) GroupLength                   10") << "the synthesised group length, in decimal";
    EXPECT_EQ(lines[1], "(0008,0060)                               CT") << "no name: 30 spaces";
    EXPECT_EQ(lines[3], "(0010,0010) PatientName                   DOE^JOHN");
    EXPECT_EQ(lines[4], "(0010,0020) ExactlyThirtyCharactersLongName ID") << "42 characters: one space";
    EXPECT_EQ(lines[5], "(0010,0030) ANameLongerThanThirtyCharactersHere X ");
    EXPECT_EQ(lines[7], "(0028,0010) Rows                          512");
    EXPECT_EQ(lines[8], "(0028,0011) Columns                       -25536") << "US shows as a signed 16-bit number";
    EXPECT_EQ(lines[10], "(7FE0,0010)                               ") << "a value too long for its end mark shows nothing";
    for (const std::string& line : lines)
        EXPECT_GE(line.size(), 42u);
}

TEST_F(TagList, ProgramPrintsTheTagListOfARealFile)
{
    const fs::path real = fs::path(VANTOR_REAL_DICOM_DIR) / "pydicom" / "test_files" / "CT_small.dcm";
    if (!fs::exists(real))
        GTEST_SKIP() << "real DICOM files not found (run scripts/setup.sh)";
    const std::string dictionary = (fs::path(VANTOR_SOURCE_DIR) / "data" / "dicom.dic").string();
    const std::string command = std::string("'") + ZVDICOM_DUMP_PROGRAM + "' --dict '" + dictionary + "' '" +
                                real.string() + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof(chunk), pipe)) > 0)
        output.append(chunk, got);
    EXPECT_EQ(::pclose(pipe), 0);
    EXPECT_NE(output.find("(0010,0010) PatientName                   CompressedSamples^CT1"), std::string::npos)
        << output.substr(0, 2000);
    EXPECT_NE(output.find("(0028,0010) Rows                          128\n"), std::string::npos);
    EXPECT_NE(output.find("(0002,0010) TransferSyntaxUID             1.2.840.10008.1.2.1\n"), std::string::npos);

    const std::string missing = std::string("'") + ZVDICOM_DUMP_PROGRAM + "' '" + (folder / "none.dcm").string() +
                                "' 2>/dev/null";
    EXPECT_NE(std::system(missing.c_str()), 0) << "an unreadable file is an error";
}

} // namespace
