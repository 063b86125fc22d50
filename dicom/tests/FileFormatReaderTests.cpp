// The Part 10 reader on hand-built files: both VR forms, both byte orders,
// group lengths, sequences, pixel data and bad lengths.

#include "ByteStream.h"
#include "ControlHelpers.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const char kImplicitLittle[] = "1.2.840.10008.1.2";
const char kExplicitLittle[] = "1.2.840.10008.1.2.1";
const char kExplicitBig[] = "1.2.840.10008.1.2.2";

class Part10Reader : public ::testing::Test
{
protected:
    ZQDICOM& load(const ByteStream& stream)
    {
        const auto path = folder.file("file" + std::to_string(count++) + ".dcm");
        stream.writeTo(path);
        control.setfilename(path.string());
        return control;
    }

    static ByteStream part10(const std::string& transferSyntax)
    {
        ByteStream stream;
        stream.preamble().metaGroup(transferSyntax);
        return stream;
    }

    TestFolder folder;
    ZQDICOM control;
    int count = 0;
};

TEST_F(Part10Reader, ImplicitDataSetAfterExplicitMetaGroup)
{
    ByteStream stream = part10(kImplicitLittle);
    stream.implicitElement(0x0008, 0x0016, ByteStream::padUid("1.2.840.10008.5.1.4.1.1.2"))
        .implicitElement(0x0010, 0x0010, "DOE^JOHN")
        .implicitElement(0x0028, 0x0010, stream.u16Bytes(512))
        .implicitElement(0x0028, 0x1052, "-1024 ")
        .implicitElement(0x7FE0, 0x0010, std::string("\x01\x02\x03\x04", 4));
    load(stream);

    EXPECT_EQ(tagText(control, 0x0002, 0x0010), kImplicitLittle);
    EXPECT_EQ(tagText(control, 0x0008, 0x0016), "1.2.840.10008.5.1.4.1.1.2");
    EXPECT_EQ(tagText(control, 0x0010, 0x0010), "DOE^JOHN");
    EXPECT_EQ(tagShort(control, 0x0028, 0x0010), 512);
    EXPECT_EQ(tagText(control, 0x0028, 0x1052), "-1024 ") << "padding spaces stay";
    ASSERT_NE(control.hImage(), nullptr);
    EXPECT_EQ(std::memcmp(control.hImage(), "\x01\x02\x03\x04", 4), 0);
    // 4 meta elements, 5 data elements, 4 synthesised group lengths, the end record.
    EXPECT_EQ(control.GetNumOfTag(), 4 + 5 + 4 + 1);
}

TEST_F(Part10Reader, ImplicitLengthWhoseLowBytesAreLettersIsTakenForAnExplicitHeader)
{
    // Length 0x4141 reads as VR "AA" with a 16-bit length of 0; the value's
    // first bytes are then read as the next element.
    ByteStream stream = part10(kImplicitLittle);
    ByteStream inner;
    inner.implicitElement(0x0009, 0x1001, std::string(0x4141 - 8, 'x'));
    stream.implicitElement(0x0009, 0x0010, inner.str()).implicitElement(0x0010, 0x0020, "ID42");
    load(stream);

    EXPECT_EQ(tagSize(control, 0x0009, 0x0010), 0);
    EXPECT_EQ(tagSize(control, 0x0009, 0x1001), 0x4141 - 8);
    EXPECT_EQ(tagText(control, 0x0010, 0x0020), "ID42");
}

TEST_F(Part10Reader, BigEndianDataSetIsSwappedByValueRepresentation)
{
    ByteStream stream = part10(kExplicitBig);
    stream.setBigEndian(true);
    stream.explicitElement(0x0008, 0x0060, "CS", "CT")
        .explicitElement(0x0018, 0x0050, "DS", "1.25")
        .explicitElement(0x0028, 0x0010, "US", stream.u16Bytes(512))
        .explicitElement(0x0028, 0x0106, "SS", stream.u16Bytes(static_cast<std::uint16_t>(-2000)))
        .explicitElement(0x0029, 0x1010, "UL", stream.u32Bytes(0x01020304))
        .explicitElement(0x0029, 0x1020, "OB", std::string("\x01\x02\x03\x04", 4))
        .explicitElement(0x7FE0, 0x0010, "OW", stream.u16Bytes(0x1234) + stream.u16Bytes(0xABCD));
    load(stream);

    EXPECT_EQ(tagText(control, 0x0008, 0x0060), "CT");
    EXPECT_EQ(tagText(control, 0x0018, 0x0050), "1.25");
    EXPECT_EQ(tagShort(control, 0x0028, 0x0010), 512);
    EXPECT_EQ(tagShort(control, 0x0028, 0x0106), -2000);
    EXPECT_EQ(tagLong(control, 0x0029, 0x1010), 0x01020304);
    EXPECT_EQ(rawValueOf(control, 0x0029, 0x1020), std::string("\x01\x02\x03\x04", 4))
        << "byte values are not swapped";
    const std::uint8_t* pixels = control.hImage();
    ASSERT_NE(pixels, nullptr);
    std::uint16_t first = 0;
    std::uint16_t second = 0;
    std::memcpy(&first, pixels, 2);
    std::memcpy(&second, pixels + 2, 2);
    EXPECT_EQ(first, 0x1234);
    EXPECT_EQ(second, 0xABCD);
}

TEST_F(Part10Reader, ByteOrderWithoutTransferSyntaxFollowsTheFirstGroupNumber)
{
    // Big-endian group 0008 reads as 0x0800 little-endian: swapped.
    ByteStream big = part10("");
    big.setBigEndian(true);
    big.explicitElement(0x0008, 0x0060, "CS", "MR").explicitElement(0x0028, 0x0011, "US", big.u16Bytes(256));
    load(big);
    EXPECT_EQ(tagText(control, 0x0008, 0x0060), "MR");
    EXPECT_EQ(tagShort(control, 0x0028, 0x0011), 256);

    // A little-endian data set that starts at group 0010 stays little-endian.
    ByteStream little = part10("");
    little.explicitElement(0x0010, 0x0010, "PN", "ROE^JANE").explicitElement(0x0028, 0x0011, "US",
                                                                              little.u16Bytes(256));
    load(little);
    EXPECT_EQ(tagText(control, 0x0010, 0x0010), "ROE^JANE");
    EXPECT_EQ(tagShort(control, 0x0028, 0x0011), 256);
}

TEST_F(Part10Reader, MissingGroupLengthsAreSynthesisedWithTheGroupSize)
{
    ByteStream stream = part10(kExplicitLittle);
    stream.explicitElement(0x0008, 0x0060, "CS", "CT")                    // 2 + 8
        .explicitElement(0x0008, 0x0070, "LO", "MAKER ")                   // 6 + 8
        .explicitElement(0x0028, 0x0010, "US", stream.u16Bytes(4))        // 2 + 8
        .explicitElement(0x7FE0, 0x0010, "OW", std::string(8, '\0'));     // 8 + 8
    load(stream);

    EXPECT_EQ(tagLong(control, 0x0008, 0x0000), 10 + 14);
    EXPECT_EQ(tagSize(control, 0x0008, 0x0000), 4);
    EXPECT_EQ(tagLong(control, 0x0028, 0x0000), 10);
    EXPECT_EQ(tagLong(control, 0x7FE0, 0x0000), 16);
    std::uint16_t group = 0;
    std::uint16_t element = 0xFFFF;
    rawValueAt(control, 5, &group, &element); // after 4 meta elements
    EXPECT_EQ(group, 0x0008);
    EXPECT_EQ(element, 0x0000) << "the synthesised length comes first in its group";
}

TEST_F(Part10Reader, GroupLengthsFromTheFileAreRecomputedForTheWrittenEncoding)
{
    ByteStream stream = part10(kExplicitLittle);
    stream.explicitElement(0x0009, 0x0000, "UL", stream.u32Bytes(9999))
        .explicitElement(0x0009, 0x0010, "LO", "AB")                       // 2 + 8
        .explicitElement(0x0009, 0x1002, "OB", std::string(4, '\x05'));    // 4 + 8, 4 less than in the file
    load(stream);

    EXPECT_EQ(tagLong(control, 0x0009, 0x0000), 22);
    // The meta group has an OB element too: file value minus 4.
    EXPECT_EQ(tagLong(control, 0x0002, 0x0000),
              static_cast<std::int32_t>((2 + 12) + (26 + 8) + (20 + 8)) - 4);
}

TEST_F(Part10Reader, UndefinedLengthSequencesAreSkippedWithTheirNestedItems)
{
    ByteStream stream = part10(kExplicitLittle);
    stream.explicitElement(0x0008, 0x0060, "CS", "CT").explicitLongHeader(0x0008, 0x1140, "SQ", 0xFFFFFFFF);
    // A defined-length item, then an undefined-length item holding an
    // undefined-length sequence of its own.
    ByteStream definedItem;
    definedItem.explicitElement(0x0008, 0x1150, "UI", "1.2.3.4 ");
    stream.item(static_cast<std::uint32_t>(definedItem.size())).append(definedItem);
    stream.item(0xFFFFFFFF)
        .explicitElement(0x0008, 0x1155, "UI", "1.2.3.5 ")
        .explicitLongHeader(0x0040, 0xA730, "SQ", 0xFFFFFFFF)
        .item(0xFFFFFFFF)
        .explicitElement(0x0040, 0xA010, "CS", "CONTAINS")
        .itemDelimitation()
        .sequenceDelimitation()
        .itemDelimitation()
        .sequenceDelimitation();
    stream.explicitElement(0x0010, 0x0010, "PN", "AFTER^SEQ ");
    load(stream);

    EXPECT_EQ(tagSize(control, 0x0008, 0x1140), 0) << "the sequence keeps no value";
    EXPECT_FALSE(tagSize(control, 0x0008, 0x1150)) << "nested elements are not top-level records";
    EXPECT_FALSE(tagSize(control, 0x0040, 0xA010));
    EXPECT_EQ(tagText(control, 0x0010, 0x0010), "AFTER^SEQ ");
    EXPECT_EQ(tagLong(control, 0x0008, 0x0000), 10) << "a skipped sequence adds nothing to its group";
}

TEST_F(Part10Reader, ImplicitUndefinedLengthSequenceIsSkippedAndReadingGoesOn)
{
    ByteStream stream = part10(kImplicitLittle);
    stream.implicitElement(0x0008, 0x0060, "CT")
        .implicitHeader(0x0008, 0x1140, 0xFFFFFFFF)
        .item(0xFFFFFFFF)
        .implicitElement(0x0008, 0x1150, "1.2.3.4 ")
        .itemDelimitation()
        .sequenceDelimitation()
        .implicitElement(0x0010, 0x0010, "AFTER ");
    load(stream);
    EXPECT_EQ(tagSize(control, 0x0008, 0x1140), 0);
    EXPECT_EQ(tagText(control, 0x0010, 0x0010), "AFTER ");
}

TEST_F(Part10Reader, UnknownVrOfUndefinedLengthIsSkippedAsASequence)
{
    ByteStream stream = part10(kExplicitLittle);
    stream.explicitLongHeader(0x4453, 0x100C, "UN", 0xFFFFFFFF)
        .item(0xFFFFFFFF)
        .implicitElement(0x0008, 0x1150, "1.2 ")
        .itemDelimitation()
        .sequenceDelimitation()
        .explicitElement(0x7FE0, 0x0010, "OW", "px");
    load(stream);
    EXPECT_EQ(tagSize(control, 0x4453, 0x100C), 0);
    EXPECT_EQ(tagSize(control, 0x7FE0, 0x0010), 2);
}

TEST_F(Part10Reader, EncapsulatedPixelDataEndsTheRead)
{
    ByteStream stream = part10("1.2.840.10008.1.2.4.50");
    stream.explicitElement(0x0028, 0x0010, "US", stream.u16Bytes(2))
        .explicitLongHeader(0x7FE0, 0x0010, "OB", 0xFFFFFFFF)
        .item(0)
        .item(4)
        .text("JPEG")
        .sequenceDelimitation()
        .explicitElement(0xFFFC, 0xFFFC, "OB", std::string(4, '\0'));
    load(stream);

    EXPECT_EQ(tagSize(control, 0x7FE0, 0x0010), 0);
    EXPECT_EQ(control.hImage(), nullptr);
    EXPECT_FALSE(tagSize(control, 0xFFFC, 0xFFFC)) << "nothing after the pixel data is read";
    std::uint16_t group = 0;
    std::uint16_t element = 0;
    rawValueAt(control, control.GetNumOfTag(), &group, &element);
    EXPECT_EQ(group, 0x7FE0) << "a read that stops early leaves no end record";
    EXPECT_EQ(element, 0x0010);

    ByteStream implicit = part10(kImplicitLittle);
    implicit.implicitElement(0x0028, 0x0010, implicit.u16Bytes(2)).implicitHeader(0x7FE0, 0x0010, 0xFFFFFFFF);
    implicit.item(4).text("ABCD").sequenceDelimitation();
    load(implicit);
    EXPECT_EQ(tagSize(control, 0x7FE0, 0x0010), 0);
    EXPECT_EQ(control.hImage(), nullptr);
}

TEST_F(Part10Reader, DefinedLengthSequenceHeadersAreRewrittenIntoImplicitForm)
{
    ByteStream items;
    ByteStream nested;
    nested.explicitElement(0x0008, 0x0100, "SH", "CODE12").explicitElement(0x0008, 0x0102, "SH", "DCM ");
    items.item(static_cast<std::uint32_t>(nested.size())).append(nested);
    ByteStream stream = part10(kExplicitLittle);
    stream.explicitElement(0x0008, 0x1032, "SQ", items.str()).explicitElement(0x0010, 0x0010, "PN", "NEXT");
    load(stream);

    const std::string value = rawValueOf(control, 0x0008, 0x1032).value_or("");
    ByteStream expected;
    expected.item(static_cast<std::uint32_t>(nested.size()))
        .implicitElement(0x0008, 0x0100, "CODE12")
        .implicitElement(0x0008, 0x0102, "DCM ");
    EXPECT_EQ(value, expected.str());
    EXPECT_EQ(tagText(control, 0x0010, 0x0010), "NEXT");
}

TEST_F(Part10Reader, NestedItemsLongHeadersAndSequencesAreWalkedForWhatTheyAre)
{
    // Item 1 of defined length: a short-form and a long-form element. Item 2
    // of undefined length: a sequence of undefined length holding one item.
    ByteStream first;
    first.explicitElement(0x0008, 0x0100, "SH", "CODE12").explicitElement(0x0009, 0x1010, "OB", "\x11\x22\x33\x44");
    ByteStream inner;
    inner.explicitElement(0x0028, 0x0010, "US", inner.u16Bytes(512));
    ByteStream items;
    items.item(static_cast<std::uint32_t>(first.size())).append(first);
    items.item(0xFFFFFFFF).explicitLongHeader(0x0040, 0xA730, "SQ", 0xFFFFFFFF);
    items.item(static_cast<std::uint32_t>(inner.size())).append(inner).sequenceDelimitation();
    items.itemDelimitation();
    ByteStream stream = part10(kExplicitLittle);
    stream.explicitElement(0x0008, 0x1032, "SQ", items.str()).explicitElement(0x0008, 0x1040, "LO", "NEXT");
    load(stream);

    // As the control writes it: implicit headers, defined lengths, the same value bytes.
    ByteStream innerImplicit;
    innerImplicit.implicitElement(0x0028, 0x0010, innerImplicit.u16Bytes(512));
    ByteStream nested;
    nested.item(static_cast<std::uint32_t>(innerImplicit.size())).append(innerImplicit);
    ByteStream firstImplicit;
    firstImplicit.implicitElement(0x0008, 0x0100, "CODE12").implicitElement(0x0009, 0x1010, "\x11\x22\x33\x44");
    ByteStream expected;
    expected.item(static_cast<std::uint32_t>(firstImplicit.size())).append(firstImplicit);
    expected.item(static_cast<std::uint32_t>(nested.size() + 8))
        .implicitHeader(0x0040, 0xA730, static_cast<std::uint32_t>(nested.size()))
        .append(nested);
    EXPECT_EQ(rawValueOf(control, 0x0008, 0x1032).value_or(""), expected.str());
    EXPECT_EQ(tagSize(control, 0x0008, 0x1032), static_cast<std::int32_t>(expected.size()));
    // The group length counts the sequence as written.
    EXPECT_EQ(tagLong(control, 0x0008, 0x0000), static_cast<std::int32_t>(expected.size() + 8 + 4 + 8));
    EXPECT_EQ(tagText(control, 0x0008, 0x1040), "NEXT");
}

TEST_F(Part10Reader, NestedHeaderRewritingStaysInsideTheValueForAnyNestedLength)
{
    for (std::uint32_t nestedLength : {0xFFFFFFF7u, 0xFFFFFFFFu, 0x7FFFFFFFu, 3u}) {
        ByteStream items;
        items.item(20).tag(0x0008, 0x0100).text("SH").u16(0).u16(0).u16(static_cast<std::uint16_t>(nestedLength));
        items.u16(static_cast<std::uint16_t>(nestedLength >> 16)).text("ABCDEF");
        ByteStream stream = part10(kExplicitLittle);
        stream.explicitElement(0x0008, 0x1032, "SQ", items.str()).explicitElement(0x0010, 0x0010, "PN", "NEXT");
        load(stream);
        EXPECT_EQ(tagSize(control, 0x0008, 0x1032), static_cast<std::int32_t>(items.size()));
        EXPECT_EQ(tagText(control, 0x0010, 0x0010), "NEXT");
    }
}

TEST_F(Part10Reader, LengthBeyondTheEndOfFileIsBoundedByTheBytesThatExist)
{
    ByteStream stream = part10(kExplicitLittle);
    stream.explicitElement(0x0028, 0x0010, "US", stream.u16Bytes(2)).explicitLongHeader(0x7FE0, 0x0010, "OW",
                                                                                         0x7FFFFFF0);
    stream.text("0123456789");
    load(stream);
    EXPECT_EQ(tagSize(control, 0x7FE0, 0x0010), 10);
    ASSERT_NE(control.hImage(), nullptr);
    EXPECT_EQ(std::memcmp(control.hImage(), "0123456789", 10), 0);
    EXPECT_EQ(tagLong(control, 0x7FE0, 0x0000), 18);

    ByteStream shortValue = part10(kExplicitLittle);
    shortValue.tag(0x0010, 0x0010).text("PN").u16(1000).text("SMITH");
    load(shortValue);
    EXPECT_EQ(tagText(control, 0x0010, 0x0010), "SMITH");
    EXPECT_EQ(tagSize(control, 0x0010, 0x0010), 5);
}

TEST_F(Part10Reader, LongTextValueRepresentationsUseTheLongHeader)
{
    ByteStream stream = part10(kExplicitLittle);
    stream.explicitElement(0x0008, 0x0060, "CS", "CT")
        .explicitElement(0x0020, 0x4000, "UT", "A long comment ")
        .explicitElement(0x0028, 0x0010, "US", stream.u16Bytes(64));
    load(stream);
    EXPECT_EQ(tagText(control, 0x0020, 0x4000), "A long comment ");
    EXPECT_EQ(tagShort(control, 0x0028, 0x0010), 64);
}

TEST_F(Part10Reader, DeflatedDataSetKeepsOnlyTheMetaGroup)
{
    ByteStream stream = part10("1.2.840.10008.1.2.1.99");
    stream.text(std::string("\x8b\x45\x10\x00\x00\xff\x13\x11\x22\x33\x44\x55", 12));
    load(stream);
    EXPECT_EQ(tagText(control, 0x0002, 0x0010), "1.2.840.10008.1.2.1.99");
    EXPECT_EQ(control.GetNumOfTag(), 4 + 1);
}

TEST_F(Part10Reader, TrailingZeroPaddingEndsTheDataSet)
{
    ByteStream stream = part10(kExplicitLittle);
    stream.explicitElement(0x0010, 0x0010, "PN", "PAD^DED ").explicitElement(0x7FE0, 0x0010, "OW", "ab");
    stream.text(std::string(4096, '\0'));
    load(stream);
    EXPECT_EQ(control.GetNumOfTag(), 4 + 4 + 1) << "no records for the padding";
    EXPECT_EQ(tagSize(control, 0x7FE0, 0x0010), 2);

    ByteStream raw;
    raw.implicitElement(0x0008, 0x0060, "CT").text(std::string(800, '\0'));
    load(raw);
    EXPECT_EQ(control.GetNumOfTag(), 2 + 1);
}

TEST_F(Part10Reader, TruncatedHeadersEndTheReadWithAnEndRecord)
{
    ByteStream full = part10(kExplicitLittle);
    full.explicitElement(0x0010, 0x0010, "PN", "DOE^J ").explicitLongHeader(0x7FE0, 0x0010, "OW", 4).text("ab");
    for (std::size_t cut = 132; cut < full.size(); ++cut) {
        ByteStream part;
        part.text(full.str().substr(0, cut));
        load(part);
        // Whatever the cut, the control answers without reading past its data.
        const std::int32_t count = control.GetNumOfTag();
        for (std::int32_t i = 1; i <= count; ++i)
            rawValueAt(control, i);
        if (control.hImage() != nullptr) {
            EXPECT_LE(*tagSize(control, 0x7FE0, 0x0010), 4);
        }
        (void)tagText(control, 0x0010, 0x0010);
    }
}

} // namespace
