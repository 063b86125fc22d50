#include "ReportTestSupport.h"

#include "report/ZipReader.h"
#include "report/ZipWriter.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace vantor;
using namespace vantor::test;

namespace {

std::string sampleArchive()
{
    ZipWriter writer;
    std::string repetitive;
    for (int i = 0; i < 2000; ++i)
        repetitive += "<row r=\"" + std::to_string(i) + "\"/>";
    std::string noise(3000, '\0');
    std::mt19937 random(7);
    for (char& c : noise)
        c = static_cast<char>(random());
    EXPECT_TRUE(writer.add("[Content_Types].xml", repetitive));
    EXPECT_TRUE(writer.add("xl/noise.bin", noise));
    EXPECT_TRUE(writer.add("xl/empty.xml", ""));
    EXPECT_TRUE(writer.add("xl/名前.xml", "日本語"));
    return writer.finish();
}

} // namespace

TEST(ZipArchive, EntriesComeBackAsWrittenInTheirOrder)
{
    const std::string archive = sampleArchive();
    ZipReader reader;
    ASSERT_TRUE(reader.open(archive)) << reader.error();
    EXPECT_EQ(reader.names(),
              (std::vector<std::string>{"[Content_Types].xml", "xl/noise.bin", "xl/empty.xml", "xl/名前.xml"}));
    const auto first = reader.read("[Content_Types].xml");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->substr(0, 11), "<row r=\"0\"/");
    EXPECT_LT(archive.size(), first->size() / 2) << "repetitive text is deflated";
    EXPECT_EQ(reader.read("xl/noise.bin")->size(), 3000U);
    EXPECT_EQ(*reader.read("xl/empty.xml"), "");
    EXPECT_EQ(*reader.read("xl/名前.xml"), "日本語");
    EXPECT_FALSE(reader.read("absent"));
    EXPECT_NE(reader.error().find("absent"), std::string::npos);
}

TEST(ZipArchive, WriterRefusesDuplicateAndEmptyNames)
{
    ZipWriter writer;
    EXPECT_TRUE(writer.add("a", "1"));
    EXPECT_FALSE(writer.add("a", "2"));
    EXPECT_FALSE(writer.add("", "3"));
    EXPECT_EQ(writer.entryCount(), 1U);
}

TEST(ZipArchive, UnzipTestsTheArchiveClean)
{
    if (std::system("command -v unzip > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "unzip is not installed";
    ScratchFolder folder;
    const std::string file = folder.file("sample.zip");
    std::ofstream(file, std::ios::binary) << sampleArchive();
    EXPECT_EQ(std::system(("unzip -tq '" + file + "' > /dev/null 2>&1").c_str()), 0);
}

TEST(ZipArchive, DamagedArchivesGiveErrorsNotCrashes)
{
    const std::string archive = sampleArchive();
    // Every cut of the file: either refused at open, or each entry reads whole or fails.
    for (std::size_t length = 0; length < archive.size(); length += 7) {
        ZipReader reader;
        if (!reader.open(archive.substr(0, length)))
            continue;
        for (const std::string& name : reader.names())
            (void)reader.read(name);
    }
    // A flipped data byte fails the checksum (or the inflater).
    std::string flipped = archive;
    flipped[100] = static_cast<char>(flipped[100] ^ 0x55);
    ZipReader reader;
    ASSERT_TRUE(reader.open(flipped)) << reader.error();
    EXPECT_FALSE(reader.read("[Content_Types].xml"));
    EXPECT_NE(reader.error().find("damaged"), std::string::npos) << reader.error();

    // A central directory that points past the end of the file.
    std::string pointing = archive;
    const std::size_t end = pointing.rfind(std::string("PK\x05\x06", 4));
    pointing[end + 16] = '\x7F';
    pointing[end + 19] = '\x7F';
    EXPECT_FALSE(reader.open(pointing));
    EXPECT_FALSE(reader.open("PK"));
    EXPECT_FALSE(reader.open(std::string(100, 'x')));
}
