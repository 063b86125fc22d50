// Kind detection, the raw element stream reader, reloads, paths and the
// header-only load.

#include "ByteStream.h"
#include "ControlHelpers.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

namespace {

class RawStreamReader : public ::testing::Test
{
protected:
    std::string write(const ByteStream& stream)
    {
        const auto path = folder.file("raw" + std::to_string(count++) + ".dcm");
        stream.writeTo(path);
        return path.string();
    }
    ZQDICOM& load(const ByteStream& stream)
    {
        control.setfilename(write(stream));
        return control;
    }

    TestFolder folder;
    ZQDICOM control;
    int count = 0;
};

TEST_F(RawStreamReader, LittleEndianStreamGetsSynthesisedGroupLengths)
{
    ByteStream stream;
    stream.implicitElement(0x0008, 0x0060, "CT")
        .implicitElement(0x0010, 0x0010, "DOE^JOHN")
        .implicitElement(0x0010, 0x0020, "12")
        .implicitElement(0x7FE0, 0x0010, std::string(6, '\x11'));
    load(stream);

    EXPECT_EQ(tagText(control, 0x0008, 0x0060), "CT");
    EXPECT_EQ(tagText(control, 0x0010, 0x0010), "DOE^JOHN");
    EXPECT_EQ(tagLong(control, 0x0010, 0x0000), (8 + 8) + (2 + 8));
    EXPECT_EQ(tagSize(control, 0x0010, 0x0000), 4);
    EXPECT_EQ(tagLong(control, 0x7FE0, 0x0000), 14);
    EXPECT_EQ(control.GetNumOfTag(), 4 + 3 + 1);
}

TEST_F(RawStreamReader, BigEndianStreamHasItsHeadersSwappedButNotItsValues)
{
    ByteStream stream(true);
    stream.implicitElement(0x0008, 0x0060, "MR").implicitElement(0x0028, 0x0010, stream.u16Bytes(0x0102));
    load(stream);
    EXPECT_EQ(tagText(control, 0x0008, 0x0060), "MR");
    EXPECT_EQ(tagShort(control, 0x0028, 0x0010), 0x0201) << "values of a raw stream are kept as stored";
}

TEST_F(RawStreamReader, GroupLengthOfTheFileIsKept)
{
    ByteStream stream;
    stream.implicitElement(0x0008, 0x0000, stream.u32Bytes(1234)).implicitElement(0x0008, 0x0060, "CT");
    load(stream);
    EXPECT_EQ(tagLong(control, 0x0008, 0x0000), 1234);
}

TEST_F(RawStreamReader, GroupAtOffsetTwelveAlsoMarksARawStream)
{
    ByteStream stream;
    stream.implicitElement(0x0000, 0x0000, "ABCD").implicitElement(0x0008, 0x0060, "CT");
    load(stream);
    EXPECT_EQ(tagText(control, 0x0008, 0x0060), "CT");
}

TEST_F(RawStreamReader, RawStreamTestWinsOverTheDicmMark)
{
    // Preamble bytes that look like group 0008 make the file a raw stream.
    ByteStream stream;
    stream.preamble().metaGroup("1.2.840.10008.1.2.1");
    std::string bytes = stream.str();
    bytes[0] = '\x08';
    ByteStream patched;
    patched.text(bytes);
    load(patched);
    EXPECT_FALSE(tagText(control, 0x0002, 0x0010));
    EXPECT_GT(control.GetNumOfTag(), 0);
}

TEST_F(RawStreamReader, UnknownFilesLeaveAnEmptyStore)
{
    ByteStream notDicom;
    notDicom.text(std::string(300, 'z'));
    ByteStream shortPart10;
    shortPart10.preamble(); // 132 bytes: one short of what the mark test reads
    ByteStream tiny;
    tiny.text("\x08");
    for (const ByteStream* stream : {&notDicom, &shortPart10, &tiny}) {
        load(*stream);
        EXPECT_EQ(control.GetNumOfTag(), 0);
        std::string buffer(8, 'q');
        std::int16_t group = 7;
        std::int16_t element = 7;
        EXPECT_FALSE(control.GetTagFromIndex(1, group, element, buffer, 8));
        EXPECT_EQ(buffer, "qqqqqqqq") << "out parameters stay untouched";
        EXPECT_EQ(group, 7);
        EXPECT_FALSE(tagText(control, 0x0008, 0x0060));
        EXPECT_EQ(control.hImage(), nullptr);
    }
    control.setfilename(folder.file("does-not-exist.dcm").string());
    EXPECT_EQ(control.GetNumOfTag(), 0);
    control.setfilename(folder.path().string());
    EXPECT_EQ(control.GetNumOfTag(), 0) << "a directory is not a DICOM file";
    control.setfilename("");
    EXPECT_EQ(control.GetNumOfTag(), 0);
}

TEST_F(RawStreamReader, EachLoadReplacesTheWholeStore)
{
    ByteStream first;
    first.implicitElement(0x0008, 0x0060, "CT");
    load(first);
    ASSERT_TRUE(tagText(control, 0x0008, 0x0060));
    control.setfilename(folder.file("missing.dcm").string());
    EXPECT_FALSE(tagText(control, 0x0008, 0x0060)) << "the old data set is gone even when the new file is unreadable";
    EXPECT_EQ(control.filename(), "");
}

TEST_F(RawStreamReader, PathsOfAnyLengthOpenTheirFile)
{
    std::filesystem::path deep = folder.path();
    while (deep.string().size() < 700)
        deep /= std::string(60, 'd');
    std::filesystem::create_directories(deep);
    ByteStream stream;
    stream.implicitElement(0x0008, 0x0060, "CT");
    const auto path = deep / "slice.dcm";
    stream.writeTo(path);
    ASSERT_GT(path.string().size(), 512u);
    control.setfilename(path.string());
    EXPECT_EQ(tagText(control, 0x0008, 0x0060), "CT");
}

TEST_F(RawStreamReader, UndefinedLengthsInARawStreamAreSkippedOrEndTheRead)
{
    ByteStream stream;
    stream.implicitElement(0x0008, 0x0060, "CT")
        .implicitHeader(0x0008, 0x1140, 0xFFFFFFFF)
        .item(0xFFFFFFFF)
        .implicitElement(0x0008, 0x1150, "1.2 ")
        .itemDelimitation()
        .sequenceDelimitation()
        .implicitElement(0x0010, 0x0010, "AFTER ")
        .implicitHeader(0x7FE0, 0x0010, 0xFFFFFFFF)
        .item(2)
        .text("AB");
    load(stream);
    EXPECT_EQ(tagSize(control, 0x0008, 0x1140), 0);
    EXPECT_EQ(tagText(control, 0x0010, 0x0010), "AFTER ");
    EXPECT_EQ(tagSize(control, 0x7FE0, 0x0010), 0);
    EXPECT_EQ(control.hImage(), nullptr);
}

TEST_F(RawStreamReader, HeaderOnlyLoadStopsBeforeThePixelData)
{
    ByteStream stream;
    stream.preamble().metaGroup("1.2.840.10008.1.2.1");
    stream.explicitElement(0x0008, 0x0020, "DA", "20240101")
        .explicitElement(0x0009, 0x1001, "OB", std::string(100000, '\x01')) // header larger than a first read
        .explicitElement(0x0010, 0x0010, "PN", "LATE^NAME ")
        .explicitElement(0x7FE0, 0x0010, "OW", std::string(5000, '\x02'))
        .explicitElement(0xFFFC, 0xFFFC, "OB", "ab");
    const std::string path = write(stream);

    EXPECT_TRUE(control.loadHeaderOnly(path));
    EXPECT_EQ(tagText(control, 0x0002, 0x0002), "1.2.840.10008.5.1.4.1.1.2");
    EXPECT_EQ(tagText(control, 0x0010, 0x0010), "LATE^NAME ");
    EXPECT_EQ(tagSize(control, 0x0009, 0x1001), 100000);
    EXPECT_FALSE(tagSize(control, 0x7FE0, 0x0010));
    EXPECT_EQ(control.hImage(), nullptr);
    EXPECT_TRUE(control.hasPixelData()) << "the header ended at the pixel data";
    std::uint16_t group = 1;
    std::uint16_t element = 1;
    EXPECT_EQ(rawValueAt(control, control.GetNumOfTag(), &group, &element), "") << "ends with the end record";
    EXPECT_EQ(group, 0);

    ZQDICOM full;
    full.setfilename(path);
    EXPECT_EQ(full.GetNumOfTag(), control.GetNumOfTag() + 4) << "pixel data, the trailer and their group lengths";
    EXPECT_EQ(tagSize(full, 0x7FE0, 0x0010), 5000);

    ByteStream raw;
    raw.implicitElement(0x0010, 0x0020, "ID7 ").implicitElement(0x7FE0, 0x0010, "PIXELS");
    EXPECT_FALSE(control.loadHeaderOnly(folder.file("none.dcm").string()));
    EXPECT_EQ(control.GetNumOfTag(), 0);
    EXPECT_FALSE(control.loadHeaderOnly(write(raw))) << "a raw stream must start with group 0008";
    ByteStream rawWith8;
    rawWith8.implicitElement(0x0008, 0x0060, "CT").append(raw);
    EXPECT_TRUE(control.loadHeaderOnly(write(rawWith8)));
    EXPECT_EQ(tagText(control, 0x0010, 0x0020), "ID7 ");
    EXPECT_TRUE(control.hasPixelData());
    ByteStream noPixels;
    noPixels.implicitElement(0x0008, 0x0060, "SR").implicitElement(0x0010, 0x0020, "ID8 ");
    EXPECT_TRUE(control.loadHeaderOnly(write(noPixels)));
    EXPECT_FALSE(control.hasPixelData()) << "an object without pixel data";
    EXPECT_FALSE(tagSize(control, 0x7FE0, 0x0010));
}

TEST_F(RawStreamReader, HeaderOnlyLoadOfAFileWithoutPixelDataReadsItAll)
{
    ByteStream stream;
    stream.preamble().metaGroup("1.2.840.10008.1.2");
    stream.implicitElement(0x0008, 0x0060, "SR").implicitElement(0x0040, 0xA040, "TEXT");
    const std::string path = write(stream);
    EXPECT_TRUE(control.loadHeaderOnly(path));
    const std::int32_t headerCount = control.GetNumOfTag();
    control.setfilename(path);
    EXPECT_EQ(control.GetNumOfTag(), headerCount);
}

} // namespace
