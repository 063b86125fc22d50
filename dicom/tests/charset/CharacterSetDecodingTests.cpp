// The decoding rules that pydicom's files do not reach: every single-byte set
// in both forms, code elements returning to the first set at delimiters and
// controls, malformed and truncated input, unknown sets, sequence items.

#include "ZVDICOM/CharacterSetDecoder.h"
#include "ZVDICOM/ZQDICOM.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <random>
#include <string>
#include <vector>

namespace {

const std::string kReplacement = "\xEF\xBF\xBD";
const std::string kYamada = "\xE5\xB1\xB1\xE7\x94\xB0";                    // 山田 (JIS ;3ED)
const std::string kTarou = "\xE5\xA4\xAA\xE9\x83\x8E";                     // 太郎 (JIS B@O:)
const std::string kHong = "\xED\x99\x8D";                                  // 홍 (KS C8AB)
const std::string kGildong = "\xEA\xB8\xB8\xEB\x8F\x99";                   // 길동 (KS B1E6 B5BF)

std::string decode(const std::string& set, const std::string& value, const std::string& vr = "PN")
{
    return CharacterSetDecoder(set).decode(value, vr);
}

// The C library's own UTF-8 decoder as the judge: it refuses ill-formed input.
bool isWellFormedUtf8(const std::string& text)
{
    const iconv_t descriptor = iconv_open("UTF-32LE", "UTF-8");
    if (descriptor == reinterpret_cast<iconv_t>(-1))
        return false;
    char* input = const_cast<char*>(text.data());
    std::size_t inputLeft = text.size();
    std::vector<char> output(text.size() * 4 + 4);
    char* out = output.data();
    std::size_t outputLeft = output.size();
    const bool converted = iconv(descriptor, &input, &inputLeft, &out, &outputLeft) != static_cast<std::size_t>(-1);
    iconv_close(descriptor);
    return converted && inputLeft == 0;
}

TEST(CharacterSetDecoding, EverySingleByteSetWithAndWithoutCodeExtensions)
{
    struct Case
    {
        const char* number;
        const char* escape;
        char byte;
        const char* expected;
    };
    const std::vector<Case> cases{
        {"100", "\x1B-A", '\xE9', "\xC3\xA9"},     // é
        {"101", "\x1B-B", '\xB1', "\xC4\x85"},     // ą
        {"109", "\x1B-C", '\xB1', "\xC4\xA7"},     // ħ
        {"110", "\x1B-D", '\xBB', "\xC4\xA3"},     // ģ
        {"144", "\x1B-L", '\xB0', "\xD0\x90"},     // А
        {"127", "\x1B-G", '\xC7', "\xD8\xA7"},     // ا
        {"126", "\x1B-F", '\xC4', "\xCE\x94"},     // Δ
        {"138", "\x1B-H", '\xF9', "\xD7\xA9"},     // ש
        {"148", "\x1B-M", '\xFD', "\xC4\xB1"},     // ı
        {"203", "\x1B-b", '\xA4', "\xE2\x82\xAC"}, // €
        {"166", "\x1B-T", '\xA1', "\xE0\xB8\x81"}, // ก
        {"13", "\x1B)I", '\xB1', "\xEF\xBD\xB1"},  // ｱ
    };
    for (const Case& c : cases) {
        const std::string value = std::string("A^") + c.byte;
        EXPECT_EQ(decode(std::string("ISO_IR ") + c.number, value), std::string("A^") + c.expected) << c.number;
        // Declared as an extension after the default set, reached by its escape sequence.
        EXPECT_EQ(decode(std::string("\\ISO 2022 IR ") + c.number, std::string("A^") + c.escape + c.byte),
                  std::string("A^") + c.expected)
            << c.number;
    }
    EXPECT_EQ(decode("ISO_IR 192", "Wang=\xE7\x8E\x8B"), "Wang=\xE7\x8E\x8B");
    EXPECT_EQ(decode("GB18030", "Wang=\xCD\xF5"), "Wang=\xE7\x8E\x8B");
    EXPECT_EQ(decode("GBK", "\xCD\xF5\\\xCD\xF5", "LO"), "\xE7\x8E\x8B\\\xE7\x8E\x8B");
    // A GBK trail byte equal to "\" is part of its character, not a separator.
    EXPECT_EQ(decode("GBK", "\x81\x5C", "LO"), "\xE4\xB9\x97");
}

TEST(CharacterSetDecoding, PersonNameGroupsInThreeCodeSets)
{
    const std::string set = "ISO 2022 IR 100\\ISO 2022 IR 87\\ISO 2022 IR 149";
    const std::string value = "Buc^J\xE9r\xF4me=\x1B$B;3ED\x1B(B^\x1B$BB@O:\x1B(B="
                              "\x1B$)C\xC8\xAB^\x1B$)C\xB1\xE6\xB5\xBF";
    EXPECT_EQ(decode(set, value), "Buc^J\xC3\xA9r\xC3\xB4me=" + kYamada + "^" + kTarou + "=" + kHong + "^" + kGildong);
    // "=" returns the upper half from Korean to the first set, Latin-1.
    EXPECT_EQ(decode(set, "\x1B$)C\xC8\xAB=\xE9"), kHong + "=\xC3\xA9");
    // In a LO value "^" is text and the Korean set stays in force.
    EXPECT_EQ(decode(set, "\x1B$)C\xC8\xAB^\xC8\xAB", "LO"), kHong + "^" + kHong);
}

TEST(CharacterSetDecoding, CodeElementsReturnToTheFirstSetAtDelimitersAndControls)
{
    // Writers that forget the escape back: the delimiter returns anyway.
    EXPECT_EQ(decode("\\ISO 2022 IR 100", "\x1B-A\xE9^\xE9"), "\xC3\xA9^" + kReplacement);
    EXPECT_EQ(decode("\\ISO 2022 IR 100", "\x1B-A\xE9\\\xE9", "LO"), "\xC3\xA9\\" + kReplacement);
    // A line end in a text value returns from the two-byte set.
    EXPECT_EQ(decode("\\ISO 2022 IR 87", "\x1B$B;3ED\r\nAB", "LT"), kYamada + "\r\nAB");
    // In LT "\" is text: the Latin-1 upper half stays designated.
    EXPECT_EQ(decode("\\ISO 2022 IR 100", "\x1B-A\xE9\\\xE9", "LT"), "\xC3\xA9\\\xC3\xA9");
    // In the two-byte set, bytes equal to "^" and "\" are halves of characters.
    EXPECT_EQ(decode("\\ISO 2022 IR 87", "\x1B$B\\^\x1B(B"), "\xE6\xAC\x8A"); // 權
    // ISO 2022 IR 13 as first set: its Katakana are in force without an escape.
    EXPECT_EQ(decode("ISO 2022 IR 13\\ISO 2022 IR 87", "\xD4\xCF=\x1B$B;3\x1B(J"),
              "\xEF\xBE\x94\xEF\xBE\x8F=\xE5\xB1\xB1");
}

TEST(CharacterSetDecoding, EmptyFirstValueIsTheDefaultRepertoire)
{
    const CharacterSetDecoder set("\\ISO 2022 IR 87");
    EXPECT_TRUE(set.isRecognised());
    EXPECT_EQ(set.decode("Yamada^Tarou=\x1B$B;3ED\x1B(B^\x1B$BB@O:\x1B(B", "PN"),
              "Yamada^Tarou=" + kYamada + "^" + kTarou);
    // Without an escape, upper-half bytes are outside the default repertoire.
    EXPECT_EQ(set.decode("\xBB", "PN"), kReplacement);
}

TEST(CharacterSetDecoding, MalformedAndTruncatedInputNeverReadsPastTheValue)
{
    // A value ending in the shifted state is complete.
    EXPECT_EQ(decode("\\ISO 2022 IR 87", "\x1B$B;3ED"), kYamada);
    // Only the first bytes of a buffer are the value: the character cut by its end is replaced.
    const std::string buffer = "\x1B$B;3ED";
    EXPECT_EQ(CharacterSetDecoder("\\ISO 2022 IR 87").decode(std::string_view(buffer.data(), 6), "PN"),
              "\xE5\xB1\xB1" + kReplacement);
    EXPECT_EQ(decode("\\ISO 2022 IR 149", "\x1B$)C\xC8\xAB\xC8"), kHong + kReplacement);
    EXPECT_EQ(decode("ISO_IR 192", "A\xE5\xB0"), "A" + kReplacement);
    EXPECT_EQ(decode("GB18030", "A\xCD"), "A" + kReplacement);
    // Escape sequences cut short, unknown, or for no set.
    EXPECT_EQ(decode("\\ISO 2022 IR 87", "A\x1B"), "A" + kReplacement);
    EXPECT_EQ(decode("\\ISO 2022 IR 87", "A\x1B$"), "A" + kReplacement);
    EXPECT_EQ(decode("\\ISO 2022 IR 87", "A\x1B$)ZB"), "A" + kReplacement + "B");
    // Bytes outside the table: JIS row 0x29 is empty, ISO 8859-7 0xAE is unassigned.
    EXPECT_EQ(decode("\\ISO 2022 IR 87", "\x1B$B)!;3\x1B(B"), kReplacement + "\xE5\xB1\xB1");
    EXPECT_EQ(decode("ISO_IR 126", "\xAE\xC4"), kReplacement + "\xCE\x94");
    // Invalid UTF-8: overlong, surrogate, beyond U+10FFFF, lone continuation.
    EXPECT_EQ(decode("ISO_IR 192", "\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80\x80"), [] {
        std::string expected;
        for (int i = 0; i < 10; ++i)
            expected += "\xEF\xBF\xBD";
        return expected;
    }());

    // Random bytes through every set: always well-formed UTF-8, never a crash.
    const std::vector<std::string> sets{"",           "ISO_IR 100", "ISO_IR 13",  "ISO_IR 192",
                                        "GB18030",    "GBK",        "ISO_IR 166", "\\ISO 2022 IR 87\\ISO 2022 IR 159",
                                        "ISO 2022 IR 13\\ISO 2022 IR 87", "\\ISO 2022 IR 149", "\\ISO 2022 IR 58"};
    std::mt19937 random(13);
    const std::string pieces[] = {"\x1B$B", "\x1B(B", "\x1B$(D", "\x1B$)C", "\x1B$)A", "\x1B-A", "\x1B)I", "^", "="};
    for (const std::string& name : sets) {
        const CharacterSetDecoder set(name);
        for (int round = 0; round < 300; ++round) {
            std::string value;
            const int length = static_cast<int>(random() % 24);
            for (int k = 0; k < length; ++k) {
                if (random() % 5 == 0)
                    value += pieces[random() % std::size(pieces)];
                else
                    value += static_cast<char>(random() & 0xFF);
            }
            for (const char* vr : {"PN", "LO", "LT", "CS"}) {
                const std::string decoded = set.decode(value, vr);
                ASSERT_TRUE(isWellFormedUtf8(decoded)) << name << " " << vr;
            }
        }
    }
}

TEST(CharacterSetDecoding, UnknownSetsActAsTheDefaultRepertoire)
{
    const CharacterSetDecoder unknown("ISO_IR 999");
    EXPECT_FALSE(unknown.isRecognised());
    EXPECT_EQ(unknown.decode("Buc^J\xE9rome", "PN"), "Buc^J" + kReplacement + "rome");
    // Writers' spelling variants of the standard's terms are recognised.
    EXPECT_TRUE(CharacterSetDecoder("ISO-IR 100").isRecognised());
    EXPECT_EQ(CharacterSetDecoder("ISO IR 100 ").decode("J\xE9", "PN"), "J\xC3\xA9");
    // UTF-8 written without declaring any set is kept.
    EXPECT_EQ(CharacterSetDecoder().decode("J\xC3\xA9", "PN"), "J\xC3\xA9");
    // Values of other VRs use the default repertoire whatever the set.
    EXPECT_EQ(decode("ISO_IR 100", "\xE9", "CS"), kReplacement);
}

TEST(CharacterSetDecoding, SequenceItemsUseTheirOwnSetWhenTheyHaveOne)
{
    const CharacterSetDecoder dataSet("ISO_IR 192");
    const CharacterSetDecoder item = dataSet.forItem(std::string_view("ISO 2022 IR 13\\ISO 2022 IR 87"));
    EXPECT_EQ(item.decode("\xD4", "LO"), "\xEF\xBE\x94");
    EXPECT_EQ(dataSet.forItem(std::nullopt).decode("\xE7\x8E\x8B", "LO"), "\xE7\x8E\x8B");
    EXPECT_EQ(dataSet.decode("\xD4", "LO"), kReplacement);
}

TEST(CharacterSetDecoding, ValuesOfALoadedDataSet)
{
    ZQDICOM control;
    const std::string set = "\\ISO 2022 IR 87";
    const std::string name = "Yamada^Tarou=\x1B$B;3ED\x1B(B^\x1B$BB@O:\x1B(B";
    ASSERT_TRUE(control.SetTagString(0x0008, 0x0005, set, static_cast<std::int32_t>(set.size())));
    ASSERT_TRUE(control.SetTagString(0x0010, 0x0010, name, static_cast<std::int32_t>(name.size())));
    EXPECT_EQ(DecodedTagString(control, 0x0010, 0x0010, "PN"), "Yamada^Tarou=" + kYamada + "^" + kTarou);
    EXPECT_EQ(DecodedTagString(control, 0x0010, 0x0020, "LO"), std::nullopt);
}

} // namespace
