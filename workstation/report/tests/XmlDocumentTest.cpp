#include "report/XmlDocument.h"

#include <gtest/gtest.h>

using namespace vantor;

TEST(XmlDocument, KeepsLeafBlanksAndWritesWhatItRead)
{
    const std::string document =
        "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<!-- lead -->\r\n"
        "<x:root a=\"1 &amp; 2\" b='&lt;&#65;&#x3042;&gt;'>\n  <x:t xml:space=\"preserve\">  blanks kept  </x:t>\n"
        "  <x:t>   </x:t><empty/><!-- inner --><c><![CDATA[<raw> & ]]>text</c>\n</x:root>\n";
    XmlDocument parsed;
    std::string error;
    ASSERT_TRUE(parsed.parse(document, error)) << error;
    const pugi::xml_node root = parsed.document_element();
    EXPECT_EQ(localName(root), "root");
    EXPECT_STREQ(root.attribute("b").value(), "<Aあ>");
    EXPECT_EQ(textOf(childNamed(root, "t")), "  blanks kept  ");
    EXPECT_EQ(textOf(childNamed(root, "t").next_sibling()), "   ") << "an element's only blanks are its text";
    EXPECT_EQ(textOf(childNamed(root, "c")), "<raw> & text");

    XmlDocument copy = parsed; // the copy is independent and writes the same
    copy.document_element().remove_attribute("a");
    XmlDocument again;
    ASSERT_TRUE(again.parse(parsed.toText(), error)) << error;
    EXPECT_EQ(again.toText(), parsed.toText());
    EXPECT_STREQ(again.document_element().attribute("a").value(), "1 & 2");
    EXPECT_EQ(parsed.toText().rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>", 0), 0U);
}

TEST(XmlDocument, MalformedDocumentsAreRefusedWithAReason)
{
    for (const char* broken : {"", "just text", "<a>", "<a></b>", "<a b=1/>", "<a><![CDATA[ open</a>"}) {
        XmlDocument document;
        std::string error;
        EXPECT_FALSE(document.parse(broken, error)) << broken;
        EXPECT_FALSE(error.empty()) << broken;
    }
    // Nesting far deeper than any workbook part neither overflows the stack nor is lost.
    std::string deep;
    for (int i = 0; i < 200000; ++i)
        deep += "<a>";
    for (int i = 0; i < 200000; ++i)
        deep += "</a>";
    XmlDocument document;
    std::string error;
    ASSERT_TRUE(document.parse(deep, error)) << error;
    XmlDocument again;
    ASSERT_TRUE(again.parse(document.toText(), error)) << error;
    int depth = 0;
    for (pugi::xml_node node = again.document_element(); node; node = node.first_child())
        ++depth;
    EXPECT_EQ(depth, 200000);
}

TEST(XmlDocument, SafeTextDropsWhatXmlCannotCarry)
{
    EXPECT_EQ(xmlSafeText(std::string("x\x01y\x00z", 5)), "xyz");
    EXPECT_EQ(xmlSafeText("tab\tline\nreturn\r"), "tab\tline\nreturn\r");
    EXPECT_EQ(xmlSafeText("山田 😀 <&>"), "山田 😀 <&>");
    EXPECT_EQ(xmlSafeText("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(xmlSafeText("\xE5\xB1"), "\xEF\xBF\xBD\xEF\xBF\xBD") << "a cut character";
    EXPECT_EQ(xmlSafeText("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD") << "an overlong form";
    EXPECT_EQ(xmlSafeText("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD") << "a surrogate";
}
