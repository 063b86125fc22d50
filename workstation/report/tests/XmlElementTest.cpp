#include "report/XmlElement.h"

#include <gtest/gtest.h>

using namespace vantor;

TEST(XmlElement, ParsesAttributesEntitiesTextAndSkipsMarkupAround)
{
    const std::string document =
        "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<!-- lead -->\r\n"
        "<x:root a=\"1 &amp; 2\" b='&lt;&#65;&#x3042;&gt;'>\n  <x:t xml:space=\"preserve\">  blanks kept  </x:t>\n"
        "  <empty/><!-- inner --><c><![CDATA[<raw> & text]]></c>\n</x:root>\n";
    XmlElement root;
    std::string error;
    ASSERT_TRUE(parseXml(document, root, error)) << error;
    EXPECT_EQ(root.name, "x:root");
    EXPECT_EQ(root.localName(), "root");
    EXPECT_EQ(root.attributeOr("a"), "1 & 2");
    EXPECT_EQ(root.attributeOr("b"), "<Aあ>");
    EXPECT_EQ(root.text, "") << "whitespace between elements is dropped";
    ASSERT_EQ(root.children.size(), 3U);
    EXPECT_EQ(root.child("t")->text, "  blanks kept  ");
    EXPECT_EQ(root.child("c")->text, "<raw> & text");

    XmlElement again;
    ASSERT_TRUE(parseXml(serializeXml(root), again, error)) << error;
    EXPECT_EQ(again.attributeOr("b"), "<Aあ>");
    EXPECT_EQ(again.child("t")->text, "  blanks kept  ");
    EXPECT_EQ(again.child("c")->text, "<raw> & text");
}

TEST(XmlElement, AttributesAreSetReplacedAndRemoved)
{
    XmlElement e("c");
    e.setAttribute("r", "A1");
    e.setAttribute("s", "3");
    e.setAttribute("r", "B2");
    EXPECT_EQ(e.attributes.size(), 2U);
    EXPECT_EQ(e.attributeOr("r"), "B2");
    e.removeAttribute("s");
    EXPECT_EQ(e.attribute("s"), nullptr);
    EXPECT_EQ(e.attributeOr("s", "none"), "none");
}

TEST(XmlElement, EscapingDropsWhatXmlCannotCarry)
{
    EXPECT_EQ(escapeXml("a<b>&\"c\""), "a&lt;b&gt;&amp;&quot;c&quot;");
    EXPECT_EQ(escapeXml(std::string("x\x01y\x00z", 5)), "xyz");
    EXPECT_EQ(escapeXml("tab\tline\nreturn\r"), "tab\tline\nreturn&#13;");
    EXPECT_EQ(escapeXml("山田 😀"), "山田 😀");
    EXPECT_EQ(escapeXml("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(escapeXml("\xE5\xB1"), "\xEF\xBF\xBD\xEF\xBF\xBD") << "a cut character";
    EXPECT_EQ(escapeXml("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD") << "an overlong form";
    EXPECT_EQ(escapeXml("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD") << "a surrogate";
}

TEST(XmlElement, MalformedDocumentsAreRefusedWithAReason)
{
    const char* broken[] = {"",
                            "just text",
                            "<a>",
                            "<a></b>",
                            "<a b=1/>",
                            "<a b=\"<\"/>",
                            "<a>&unknown;</a>",
                            "<a>&#xZZ;</a>",
                            "<a>&#x110000;</a>",
                            "<a/><b/>",
                            "<a><!-- open </a>",
                            "<a><![CDATA[ open</a>"};
    for (const char* document : broken) {
        XmlElement root;
        std::string error;
        EXPECT_FALSE(parseXml(document, root, error)) << document;
        EXPECT_FALSE(error.empty()) << document;
    }
    XmlElement stray;
    std::string reason;
    EXPECT_FALSE(parseXml("<a>" + std::string(100000, '&') + "</a>", stray, reason));

    std::string deep;
    for (int i = 0; i < 5000; ++i)
        deep += "<a>";
    XmlElement root;
    std::string error;
    EXPECT_FALSE(parseXml(deep, root, error));
    EXPECT_NE(error.find("deeply"), std::string::npos) << error;
}
