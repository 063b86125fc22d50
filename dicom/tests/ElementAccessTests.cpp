// Reading members: text and raw values, numbers, positions, the version and
// the pixel address.

#include "ByteStream.h"
#include "ControlHelpers.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class ElementAccess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ByteStream stream;
        stream.implicitElement(0x0008, 0x0060, "CT")
            .implicitElement(0x0008, 0x1030, std::string(300, 'L'))
            .implicitElement(0x0010, 0x0010, std::string("AB\0CD", 5) + " ")
            .implicitElement(0x0020, 0x0013, std::string(1, '\x07'))
            .implicitElement(0x0028, 0x0010, std::string("\x00\x02", 2))
            .implicitElement(0x0028, 0x0106, std::string("\x30\xF8", 2))
            .implicitElement(0x0029, 0x1001, std::string("\xFF\xFF\xFF\x7F", 4))
            .implicitElement(0x7FE0, 0x0010, std::string("\x10\x20\x30\x40", 4));
        const auto path = folder.file("access.dcm");
        stream.writeTo(path);
        control.setfilename(path.string());
        ASSERT_GT(control.GetNumOfTag(), 0);
    }

    TestFolder folder;
    ZQDICOM control;
};

TEST_F(ElementAccess, TagStringIsCutAt255BytesAndAtTheFirstZeroByte)
{
    EXPECT_EQ(tagText(control, 0x0008, 0x1030), std::string(255, 'L'));
    EXPECT_EQ(tagText(control, 0x0010, 0x0010), "AB");

    std::string buffer(8, '#');
    ASSERT_TRUE(control.GetTagString(0x0008, 0x0060, buffer, 8));
    EXPECT_EQ(buffer, std::string("CT\0#####", 8)) << "text, one NUL, the rest untouched";

    std::string small(4, '#');
    ASSERT_TRUE(control.GetTagString(0x0008, 0x1030, small, 100));
    EXPECT_EQ(small, "LLLL") << "never past the caller's string";

    std::string limited(10, '#');
    ASSERT_TRUE(control.GetTagString(0x0008, 0x1030, limited, 3));
    EXPECT_EQ(limited, "LLL#######") << "no more than len characters";

    std::string untouched(6, '#');
    EXPECT_FALSE(control.GetTagString(0x0008, 0x0061, untouched, 6));
    EXPECT_EQ(untouched, "######");
    EXPECT_TRUE(control.GetTagString(0x0008, 0x0060, untouched, 0));
    EXPECT_EQ(untouched, "######");
}

TEST_F(ElementAccess, TagFromIndexWritesValueFillerAndCarriageReturnWithinTheMaximum)
{
    // Position 2 is (0008,0060) "CT", after the synthesised (0008,0000).
    std::int16_t group = 0;
    std::int16_t element = 0;
    std::string buffer(8, '#');
    ASSERT_TRUE(control.GetTagFromIndex(2, group, element, buffer, 2));
    EXPECT_EQ(group, 0x0008);
    EXPECT_EQ(element, 0x0060);
    EXPECT_EQ(buffer, "CT######") << "a maximum of the short length writes the value only";

    buffer.assign(8, '#');
    ASSERT_TRUE(control.GetTagFromIndex(2, group, element, buffer, 3));
    EXPECT_EQ(buffer.substr(0, 4), std::string("CT\0#", 4)) << "short length + 1 adds the filler only";

    buffer.assign(8, '#');
    ASSERT_TRUE(control.GetTagFromIndex(2, group, element, buffer, 8));
    EXPECT_EQ(buffer, std::string("CT\0\r####", 8));

    std::string binary(16, '#');
    const std::int32_t positionOfZero = 5; // after (0008,0000) (0008,0060) (0008,1030) (0010,0000)
    ASSERT_TRUE(control.GetTagFromIndex(positionOfZero, group, element, binary, 16));
    EXPECT_EQ(element, 0x0010);
    EXPECT_EQ(binary.substr(0, 8), std::string("AB\0CD \0\r", 8)) << "raw bytes, zeros included";
}

TEST_F(ElementAccess, PositionsRunFromOneToTheEndRecord)
{
    const std::int32_t count = control.GetNumOfTag();
    EXPECT_EQ(count, 8 + 6 + 1) << "elements, one group length per group, the end record";
    std::int16_t group = 5;
    std::int16_t element = 5;
    std::string buffer(4, '#');
    ASSERT_TRUE(control.GetTagFromIndex(count, group, element, buffer, 4));
    EXPECT_EQ(group, 0);
    EXPECT_EQ(element, 0);
    EXPECT_EQ(buffer, std::string("\0\r##", 4)) << "the end record has an empty value";

    group = 5;
    EXPECT_FALSE(control.GetTagFromIndex(0, group, element, buffer, 4));
    EXPECT_FALSE(control.GetTagFromIndex(count + 1, group, element, buffer, 4));
    EXPECT_FALSE(control.GetTagFromIndex(-3, group, element, buffer, 4));
    EXPECT_EQ(group, 5);
    EXPECT_FALSE(tagSize(control, 0x0000, 0x0000)) << "the end record never matches a lookup";
}

TEST_F(ElementAccess, NumbersAreLittleEndianSignedAndShortValuesReadAsZeroBeyondTheirEnd)
{
    EXPECT_EQ(tagShort(control, 0x0028, 0x0010), 512);
    EXPECT_EQ(tagShort(control, 0x0028, 0x0106), -2000);
    EXPECT_EQ(tagLong(control, 0x0029, 0x1001), 0x7FFFFFFF);
    EXPECT_EQ(tagShort(control, 0x0029, 0x1001), -1);
    EXPECT_EQ(tagShort(control, 0x0020, 0x0013), 7) << "a 1-byte value: the missing byte is zero";
    EXPECT_EQ(tagLong(control, 0x0028, 0x0010), 512) << "a 2-byte value: the missing bytes are zero";
    std::int32_t untouched = 99;
    EXPECT_FALSE(control.GetTagLong(0x0028, 0x0011, untouched));
    EXPECT_EQ(untouched, 99);
}

TEST_F(ElementAccess, GroupLengthTagsOfHighGroupsMatchAsUnsignedNumbers)
{
    std::int32_t size = 0;
    EXPECT_TRUE(control.GetTagSize(static_cast<std::int16_t>(0x7FE0), 0x0010, size));
    EXPECT_EQ(size, 4);
    EXPECT_TRUE(control.GetTagSize(static_cast<std::int16_t>(0x7FE0), 0x0000, size));
    EXPECT_EQ(size, 4);
}

TEST_F(ElementAccess, VersionTextIsWrittenWithinTheCallersLength)
{
    // len is in bytes of 16-bit characters: 40 bytes are 20 characters.
    std::string text(24, '#');
    std::int32_t len = 40;
    control.GetVersion(text, len);
    EXPECT_EQ(len, 12);
    EXPECT_EQ(text, std::string("1, 1, 5, 713\0\0\0\0\0\0\0\0####", 24));

    std::string halved(20, '#');
    len = 8;
    control.GetVersion(halved, len);
    EXPECT_EQ(halved, "1, 1################");

    std::string wide(150, '#');
    len = 1000;
    control.GetVersion(wide, len);
    EXPECT_EQ(wide, "1, 1, 5, 713" + std::string(88, '\0') + std::string(50, '#')) << "100 characters at most";

    std::string shortText(5, '#');
    len = 200;
    control.GetVersion(shortText, len);
    EXPECT_EQ(shortText, "1, 1,");
    EXPECT_EQ(len, 12);
}

TEST_F(ElementAccess, PixelAddressReadsAndWritesExactlyTheStoredLength)
{
    const std::uint8_t* pixels = control.hImage();
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(std::memcmp(pixels, "\x10\x20\x30\x40", 4), 0);
    const std::uint8_t replacement[6] = {1, 2, 3, 4, 5, 6};
    control.sethImage(replacement);
    EXPECT_EQ(std::memcmp(control.hImage(), replacement, 4), 0);
    EXPECT_EQ(tagSize(control, 0x7FE0, 0x0010), 4) << "the length never changes through hImage";
    control.sethImage(nullptr);
    EXPECT_EQ(std::memcmp(control.hImage(), replacement, 4), 0);

    ZQDICOM empty;
    empty.sethImage(replacement);
    EXPECT_EQ(empty.hImage(), nullptr);
    EXPECT_EQ(empty.GetNumOfTag(), 0);
}

} // namespace
