// Storing values (group length bookkeeping, insertion order, the fresh data
// set) and writing the store back.

#include "ByteStream.h"
#include "ControlHelpers.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<std::pair<std::uint16_t, std::uint16_t>> tagsInOrder(const ZQDICOM& control)
{
    std::vector<std::pair<std::uint16_t, std::uint16_t>> tags;
    for (std::int32_t i = 1; i < control.GetNumOfTag(); ++i) {
        std::uint16_t group = 0;
        std::uint16_t element = 0;
        rawValueAt(control, i, &group, &element);
        tags.emplace_back(group, element);
    }
    return tags;
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class StoreAndWriter : public ::testing::Test
{
protected:
    std::string write(const ByteStream& stream, const std::string& name = "in.dcm")
    {
        const auto path = folder.file(name);
        stream.writeTo(path);
        return path.string();
    }

    TestFolder folder;
    ZQDICOM control;
};

TEST_F(StoreAndWriter, SetTagStringKeepsTheGroupLengthInStep)
{
    ByteStream stream;
    stream.preamble().metaGroup("1.2.840.10008.1.2.1");
    stream.explicitElement(0x0010, 0x0010, "PN", "TEN^BYTES ").explicitElement(0x0010, 0x0040, "CS", "M ");
    control.setfilename(write(stream));
    const std::int32_t before = *tagLong(control, 0x0010, 0x0000);
    EXPECT_EQ(before, 18 + 10);

    EXPECT_TRUE(control.SetTagString(0x0010, 0x0020, "ID01", 4));
    EXPECT_EQ(tagLong(control, 0x0010, 0x0000), before + 4 + 8) << "a new element adds its length + 8";
    EXPECT_EQ(tagText(control, 0x0010, 0x0020), "ID01");

    EXPECT_TRUE(control.SetTagString(0x0010, 0x0010, "ABCD", 4));
    EXPECT_EQ(tagLong(control, 0x0010, 0x0000), before + 12 - 6) << "10 bytes replaced by 4";
    EXPECT_EQ(tagSize(control, 0x0010, 0x0010), 4);

    const auto tags = tagsInOrder(control);
    const std::vector<std::pair<std::uint16_t, std::uint16_t>> group10(tags.end() - 4, tags.end());
    EXPECT_EQ(group10, (std::vector<std::pair<std::uint16_t, std::uint16_t>>{
                           {0x0010, 0x0000}, {0x0010, 0x0010}, {0x0010, 0x0020}, {0x0010, 0x0040}}))
        << "new elements go in tag order";
}

TEST_F(StoreAndWriter, StoredBytesFollowTheGivenLength)
{
    ZQDICOM fresh;
    EXPECT_TRUE(fresh.SetTagString(0x0010, 0x0010, "ABC", 4));
    EXPECT_EQ(rawValueOf(fresh, 0x0010, 0x0010), std::string("ABC\0", 4)) << "bytes past the text are zero";
    EXPECT_TRUE(fresh.SetTagString(0x0010, 0x0010, "ABCDEF", 2));
    EXPECT_EQ(rawValueOf(fresh, 0x0010, 0x0010), "AB");
    EXPECT_FALSE(fresh.SetTagString(0x0010, 0x0010, "X", -1));
    EXPECT_EQ(rawValueOf(fresh, 0x0010, 0x0010), "AB") << "a refused store changes nothing";

    const std::uint8_t bytes[3] = {0xCA, 0xFE, 0x00};
    EXPECT_TRUE(fresh.SetTagInfo(0x0028, 0x0010, bytes, 2));
    EXPECT_EQ(tagShort(fresh, 0x0028, 0x0010), static_cast<std::int16_t>(0xFECA));
    EXPECT_FALSE(fresh.SetTagInfo(0x0028, 0x0011, nullptr, 2));
    EXPECT_FALSE(tagSize(fresh, 0x0028, 0x0011));
    EXPECT_TRUE(fresh.SetTagInfo(0x0028, 0x0012, nullptr, 0));
    EXPECT_EQ(tagSize(fresh, 0x0028, 0x0012), 0);
}

TEST_F(StoreAndWriter, AnEmptyControlGetsAFreshDataSetFirst)
{
    EXPECT_TRUE(control.SetTagString(0x0010, 0x0010, "NEW^PATIENT ", 12));
    EXPECT_EQ(tagText(control, 0x0008, 0x0005), "OriginalFormat");
    EXPECT_EQ(tagSize(control, 0x0008, 0x0005), 20);
    EXPECT_EQ(tagText(control, 0x0008, 0x0008), "OriginalFormat");
    EXPECT_EQ(tagText(control, 0x0010, 0x0010), "NEW^PATIENT ");
    EXPECT_EQ(control.GetNumOfTag(), 3) << "a fresh data set has no end record";
    EXPECT_FALSE(tagSize(control, 0x0010, 0x0000)) << "no group length exists to update";

    // A tag that sorts before everything goes to the front.
    EXPECT_TRUE(control.SetTagString(0x0008, 0x0001, "AB", 2));
    EXPECT_EQ(tagsInOrder(control).front(), (std::pair<std::uint16_t, std::uint16_t>{0x0008, 0x0001}));
    EXPECT_TRUE(tagText(control, 0x0010, 0x0010)) << "nothing stored before is lost";
}

TEST_F(StoreAndWriter, ATagBeforeTheFirstRecordKeepsTheLoadedDataSet)
{
    ByteStream stream;
    stream.implicitElement(0x0008, 0x0060, "CT").implicitElement(0x0010, 0x0010, "KEEP^ME ");
    control.setfilename(write(stream));
    EXPECT_TRUE(control.SetTagString(0x0002, 0x0010, "1.2.840.10008.1.2", 18));
    EXPECT_EQ(tagText(control, 0x0010, 0x0010), "KEEP^ME ");
    EXPECT_EQ(tagsInOrder(control).front(), (std::pair<std::uint16_t, std::uint16_t>{0x0002, 0x0010}));
}

TEST_F(StoreAndWriter, SavingALoadedPart10FileAndLoadingItBackKeepsTheDataSet)
{
    ByteStream stream;
    stream.preamble().metaGroup("1.2.840.10008.1.2.1");
    stream.explicitElement(0x0008, 0x0060, "CS", "CT")
        .explicitElement(0x0010, 0x0010, "PN", "DOE^JOHN")
        .explicitElement(0x0028, 0x0010, "US", stream.u16Bytes(2))
        .explicitElement(0x7FE0, 0x0010, "OW", std::string("\x01\x00\x02\x00\x03\x00\x04\x00", 8));
    control.setfilename(write(stream));
    control.SetTagString(0x0010, 0x0020, "ID99", 4);
    const auto saved = folder.file("saved.raw");
    ASSERT_TRUE(control.SaveDICOMFile(0, saved.string()));

    ZQDICOM reloaded;
    reloaded.setfilename(saved.string());
    EXPECT_FALSE(tagSize(reloaded, 0x0002, 0x0010)) << "group 0002 is not written";
    auto expected = tagsInOrder(control);
    std::erase_if(expected, [](const auto& tag) { return tag.first == 0x0002; });
    EXPECT_EQ(tagsInOrder(reloaded), expected);
    for (const auto& [group, element] : expected)
        EXPECT_EQ(rawValueOf(reloaded, group, element), rawValueOf(control, group, element))
            << std::hex << group << "," << element;
    EXPECT_EQ(reloaded.GetNumOfTag(), control.GetNumOfTag() - 4);

    // The stream itself: tag, 32-bit length, value, from the first record on.
    const std::string bytes = readFile(saved);
    ByteStream head;
    head.implicitElement(0x0008, 0x0000, head.u32Bytes(10)).implicitElement(0x0008, 0x0060, "CT");
    EXPECT_EQ(bytes.substr(0, head.size()), head.str());
}

TEST_F(StoreAndWriter, SaveReportsFailureAndLeavesAnExistingFileWhole)
{
    ZQDICOM fresh;
    fresh.SetTagString(0x0010, 0x0010, "X ", 2);
    EXPECT_FALSE(fresh.SaveDICOMFile(0, folder.file("no-such-folder/out.dcm").string()));
    EXPECT_FALSE(fresh.SaveDICOMFile(0, ""));
    EXPECT_FALSE(fresh.SaveDICOMFile(0, folder.path().string())) << "a folder is not replaced";
    EXPECT_TRUE(std::filesystem::is_directory(folder.path()));

    const auto target = folder.file("out.dcm");
    ASSERT_TRUE(fresh.SaveDICOMFile(0, target.string()));
    ASSERT_TRUE(fresh.SaveDICOMFile(0, target.string())) << "an existing file is replaced";
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path()))
        ++entries;
    EXPECT_EQ(entries, 1u) << "no temporary file is left behind";
}

} // namespace
