#include "ReportTestSupport.h"

#include "report/CellAddress.h"
#include "report/SheetNaming.h"
#include "report/Workbook.h"
#include "report/ZipReader.h"
#include "report/ZipWriter.h"

#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::test;

namespace {

Workbook shippedTemplate()
{
    Workbook book;
    std::string error;
    EXPECT_TRUE(book.loadFile(templatePath(), error)) << error;
    return book;
}

Workbook roundTrip(const Workbook& book)
{
    Workbook again;
    std::string error;
    EXPECT_TRUE(again.loadBytes(book.toBytes(), error)) << error;
    return again;
}

} // namespace

TEST(CellAddress, ColumnNamesAndReferences)
{
    EXPECT_EQ(CellAddress::columnName(1), "A");
    EXPECT_EQ(CellAddress::columnName(26), "Z");
    EXPECT_EQ(CellAddress::columnName(27), "AA");
    EXPECT_EQ(CellAddress::columnName(89), "CK");
    EXPECT_EQ(CellAddress::columnName(16384), "XFD");
    EXPECT_EQ(CellAddress::columnName(0), "");
    EXPECT_EQ(CellAddress::columnName(16385), "");
    EXPECT_EQ(CellAddress::reference(7, 2), "B7");
    EXPECT_EQ(CellAddress::reference(0, 2), "");
    EXPECT_EQ(CellAddress::parse("$CK$6"), (CellAddress{6, 89}));
    EXPECT_EQ(CellAddress::parse("xfd1048576"), (CellAddress{1048576, 16384}));
    for (const char* bad : {"", "A", "7", "A0", "XFE1", "A1048577", "A1B", "AAAA1", "A-1"})
        EXPECT_FALSE(CellAddress::parse(bad)) << bad;
}

TEST(Workbook, ShippedTemplateHasBothSheetsAndTheirLayout)
{
    const Workbook book = shippedTemplate();
    EXPECT_EQ(book.sheetNames(), (std::vector<std::string>{"PA_List", "改定案"}));
    EXPECT_EQ(book.sheetIndex("pa_list"), 0) << "names compare without regard to case";
    const Worksheet& summary = book.sheet(0);
    ASSERT_NE(summary.cell(5, 1), nullptr);
    EXPECT_EQ(summary.cell(5, 1)->text, "No.");
    EXPECT_EQ(summary.cell(5, 89)->text, "Reader");
    for (int column = 1; column <= 89; ++column)
        EXPECT_GT(summary.style(6, column), 0) << "row 6 carries a data row's formats, column " << column;
    const Worksheet& form = book.sheet(1);
    EXPECT_EQ(form.cell(3, 2)->text, "Name");
    EXPECT_EQ(form.cell(10, 10)->text, "Yes");
    EXPECT_EQ(form.cell(35, 22)->text, "TD");
    EXPECT_LT(form.highestStyle(), book.styles().formatCount());
}

TEST(Workbook, CellsSurviveWritingAndReadingThroughSharedStrings)
{
    Workbook book = shippedTemplate();
    Worksheet& sheet = book.sheet(1);
    const int labelStyle = sheet.style(3, 2);
    sheet.setText(3, 2, "  blanks around  ");
    sheet.setText(4, 2, "line one\nline two");
    sheet.setText(5, 2, "山田 & <co>");
    sheet.setText(6, 2, "");
    sheet.setNumber(70, 1, 3);
    sheet.setNumber(70, 2, -2.5);
    sheet.setNumber(70, 3, 1e-7);
    sheet.setText(70, 4, "repeated");
    sheet.setText(70, 5, "repeated");
    sheet.setText(0, 1, "outside");
    sheet.setNumber(1, 16385, 1);

    const std::string bytes = book.toBytes();
    ZipReader zip;
    ASSERT_TRUE(zip.open(bytes));
    const auto strings = zip.read("xl/sharedStrings.xml");
    ASSERT_TRUE(strings);
    EXPECT_EQ(strings->find("repeated"), strings->rfind("repeated")) << "one shared entry for both cells";

    const Workbook again = roundTrip(book);
    const Worksheet& read = again.sheet(1);
    EXPECT_EQ(read.cell(3, 2)->text, "  blanks around  ");
    EXPECT_EQ(read.cell(3, 2)->style, labelStyle) << "a value keeps the cell's format";
    EXPECT_EQ(read.cell(4, 2)->text, "line one\nline two");
    EXPECT_EQ(read.cell(5, 2)->text, "山田 & <co>");
    EXPECT_EQ(read.cell(6, 2)->kind, Cell::Kind::Empty);
    EXPECT_EQ(read.cell(70, 1)->number, 3);
    EXPECT_EQ(read.cell(70, 2)->number, -2.5);
    EXPECT_EQ(read.cell(70, 3)->number, 1e-7);
    EXPECT_EQ(read.cell(70, 5)->text, "repeated");
    EXPECT_EQ(read.cell(1, 16385), nullptr);
    EXPECT_EQ(again.sheetNames(), book.sheetNames());
}

TEST(Workbook, BoxedFormatsAreMadeOnceAndKeepTheRestOfTheFormat)
{
    Workbook book = shippedTemplate();
    CellStyles& styles = book.styles();
    const int plain = book.sheet(0).style(6, 1);
    const int before = styles.formatCount();
    EXPECT_FALSE(styles.isBoxed(plain));
    const int boxed = styles.boxed(plain);
    EXPECT_TRUE(styles.isBoxed(boxed));
    EXPECT_EQ(styles.boxed(plain), boxed);
    EXPECT_EQ(styles.boxed(boxed), boxed);
    EXPECT_EQ(styles.formatCount(), before + 1);
    EXPECT_EQ(styles.boxed(-5), styles.boxed(0)) << "a format outside the table counts as the default";
    EXPECT_EQ(styles.boxed(100000), styles.boxed(0));

    // The boxed cell keeps its number format: the template's row 6 column A shows whole numbers.
    const std::string xml = styles.toXml();
    const std::size_t list = xml.find("<cellXfs");
    std::size_t at = list;
    for (int i = 0; i <= boxed; ++i)
        at = xml.find("<xf ", at + 1);
    std::size_t source = list;
    for (int i = 0; i <= plain; ++i)
        source = xml.find("<xf ", source + 1);
    const auto numberFormat = [&](std::size_t from) {
        const std::size_t start = xml.find("numFmtId=\"", from) + 10;
        return xml.substr(start, xml.find('"', start) - start);
    };
    EXPECT_EQ(numberFormat(at), numberFormat(source));

    // A style sheet that had no borders at all still gets a valid box.
    CellStyles bare;
    std::string error;
    ASSERT_TRUE(bare.load("<styleSheet><cellXfs count=\"1\"><xf/></cellXfs></styleSheet>", error)) << error;
    EXPECT_TRUE(bare.isBoxed(bare.boxed(0)));
    const std::string bareXml = bare.toXml();
    EXPECT_LT(bareXml.find("<borders"), bareXml.find("<cellXfs")) << "borders precede cell formats";
}

TEST(Workbook, SheetsAreCopiedRenamedAndRemovedInTabOrder)
{
    const Workbook source = shippedTemplate();
    Workbook book = source.emptyCopy();
    EXPECT_EQ(book.sheetCount(), 0);
    book.insertSheet(0, "PA_List", source.sheet(0));
    const int second = book.insertSheet(1, "Form", source.sheet(1));
    book.setActiveSheet(second);
    book.insertSheet(1, "Between", source.sheet(1));
    EXPECT_EQ(book.sheetNames(), (std::vector<std::string>{"PA_List", "Between", "Form"}));
    EXPECT_EQ(book.activeSheet(), 2) << "the active sheet stays the same sheet";
    book.sheet(1).setText(3, 4, "only here");
    EXPECT_EQ(book.sheet(2).cell(3, 4)->kind, Cell::Kind::Empty) << "copies are independent";
    book.renameSheet(1, "Renamed");
    const Workbook again = roundTrip(book);
    EXPECT_EQ(again.sheetNames(), (std::vector<std::string>{"PA_List", "Renamed", "Form"}));
    EXPECT_EQ(again.activeSheet(), 2);
    EXPECT_EQ(again.sheet(1).cell(3, 4)->text, "only here");
    book.removeSheet(0);
    EXPECT_EQ(book.sheetNames(), (std::vector<std::string>{"Renamed", "Form"}));
    EXPECT_EQ(book.activeSheet(), 1);
}

TEST(Workbook, DamagedPackagesAreRefusedWithAReason)
{
    Workbook book;
    std::string error;
    EXPECT_FALSE(book.loadBytes("not a zip", error));
    EXPECT_FALSE(error.empty());

    ZipWriter empty;
    empty.add("readme.txt", "no workbook here");
    EXPECT_FALSE(book.loadBytes(empty.finish(), error));
    EXPECT_NE(error.find("no workbook part"), std::string::npos) << error;

    // A cell that refers past the end of the shared string table.
    const auto package = [](const std::string& sheetXml) {
        ZipWriter zip;
        zip.add("xl/workbook.xml", "<workbook xmlns:r=\"r\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/>"
                                   "</sheets></workbook>");
        zip.add("xl/_rels/workbook.xml.rels",
                "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" Target=\"sheet.xml\"/>"
                "<Relationship Id=\"rId2\" Type=\"x/sharedStrings\" Target=\"strings.xml\"/></Relationships>");
        zip.add("xl/strings.xml", "<sst><si><t>only</t></si><si><r><t>rich </t></r><r><t>text</t></r>"
                                  "<rPh><t>ﾌﾘｶﾞﾅ</t></rPh></si></sst>");
        zip.add("xl/sheet.xml", sheetXml);
        return zip.finish();
    };
    EXPECT_FALSE(book.loadBytes(package("<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>9</v></c>"
                                        "</row></sheetData></worksheet>"),
                                error));
    EXPECT_NE(error.find("shared string"), std::string::npos) << error;
    EXPECT_FALSE(book.loadBytes(package("<worksheet><sheetData><row r=\"1\"><c r=\"B2\"/></row></sheetData>"
                                        "</worksheet>"),
                                error));
    EXPECT_FALSE(book.loadBytes(package("<worksheet><sheetData>"), error));

    // Shared strings with rich text and phonetic guides; cells without references follow on.
    ASSERT_TRUE(book.loadBytes(package("<worksheet><sheetData><row><c t=\"s\"><v>1</v></c><c><v>4</v></c>"
                                       "<c t=\"b\"><v>1</v></c><c><f>A2+1</f><v>5</v></c></row></sheetData>"
                                       "</worksheet>"),
                               error))
        << error;
    EXPECT_EQ(book.sheet(0).cell(1, 1)->text, "rich text");
    EXPECT_EQ(book.sheet(0).cell(1, 2)->number, 4);
    EXPECT_EQ(book.sheet(0).cell(1, 3)->kind, Cell::Kind::Kept);
    EXPECT_EQ(book.sheet(0).cell(1, 4)->kind, Cell::Kind::Kept);
    const Workbook again = roundTrip(book);
    EXPECT_NE(again.sheet(0).cell(1, 4)->text.find("<f>A2+1</f>"), std::string::npos) << "formulas are kept";
}

TEST(Workbook, EveryCutAndFlipOfTheTemplateIsReadOrRefusedWithoutCrashing)
{
    const std::string bytes = readFile(templatePath());
    for (std::size_t length = 0; length < bytes.size(); length += 61) {
        Workbook book;
        std::string error;
        if (!book.loadBytes(bytes.substr(0, length), error)) {
            EXPECT_FALSE(error.empty());
        }
    }
    for (std::size_t at = 0; at < bytes.size(); at += 53) {
        std::string flipped = bytes;
        flipped[at] = static_cast<char>(flipped[at] ^ 0xA5);
        Workbook book;
        std::string error;
        if (book.loadBytes(flipped, error))
            (void)book.toBytes();
    }
}

TEST(SheetNaming, NamesAreMadeAcceptable)
{
    EXPECT_TRUE(SheetNaming::isAcceptable("YAMADA^TARO"));
    for (const char* refused : {"", "a:b", "a\\b", "a/b", "a?b", "a*b", "a[b", "a]b", "'quoted", "end'", "history",
                                "12345678901234567890123456789012"})
        EXPECT_FALSE(SheetNaming::isAcceptable(refused)) << refused;

    EXPECT_EQ(SheetNaming::cleaned("a:b/c", "F"), "a_b_c");
    EXPECT_EQ(SheetNaming::cleaned("  'name'  ", "F"), "name");
    EXPECT_EQ(SheetNaming::cleaned("   ", "Fallback"), "Fallback");
    EXPECT_EQ(SheetNaming::cleaned("History", "Fallback"), "Fallback");
    EXPECT_EQ(SheetNaming::cleaned(std::string("tab\there"), "F"), "tab_here");

    // 31 UTF-16 units, cut at a character boundary: 3-byte characters count one unit each.
    std::string japanese;
    for (int i = 0; i < 40; ++i)
        japanese += "山";
    const std::string cut = SheetNaming::cleaned(japanese, "F");
    EXPECT_EQ(SheetNaming::utf16Length(cut), 31U);
    EXPECT_EQ(cut.size(), 93U);
    std::string faces;
    for (int i = 0; i < 20; ++i)
        faces += "😀";
    EXPECT_EQ(SheetNaming::utf16Length(SheetNaming::cleaned(faces, "F")), 30U) << "a pair is never split";

    Workbook book = shippedTemplate();
    EXPECT_EQ(SheetNaming::unique("PA_List", "F", book, -1), "PA_List (2)");
    EXPECT_EQ(SheetNaming::unique("pa_list", "F", book, 0), "pa_list") << "a sheet may keep its own name";
    book.insertSheet(2, "PA_List (2)", book.sheet(0));
    EXPECT_EQ(SheetNaming::unique("PA_List", "F", book, -1), "PA_List (3)");
    const std::string full(31, 'N');
    book.insertSheet(3, full, book.sheet(0));
    const std::string second = SheetNaming::unique(full, "F", book, -1);
    EXPECT_EQ(second, std::string(27, 'N') + " (2)");
    EXPECT_TRUE(SheetNaming::isAcceptable(second));

    // Case folds as in a spreadsheet for every script with case: accented,
    // Greek, Cyrillic and full-width letters; kana have no case.
    for (const auto& [taken, wanted] : {std::pair{"École", "éCOLE"}, std::pair{"ΣΟΦΙΑ", "σοφια"},
                                        std::pair{"Иван", "иВАН"}, std::pair{"ＡＢＣ", "ａｂｃ"}}) {
        book.insertSheet(0, taken, book.sheet(1));
        EXPECT_EQ(SheetNaming::unique(wanted, "F", book, -1), std::string(wanted) + " (2)") << wanted;
    }
    EXPECT_EQ(SheetNaming::unique("ヤマダ", "F", book, -1), "ヤマダ");
    book.insertSheet(0, "やまだ", book.sheet(1));
    EXPECT_EQ(SheetNaming::unique("ヤマダ", "F", book, -1), "ヤマダ") << "hiragana and katakana differ";
}
