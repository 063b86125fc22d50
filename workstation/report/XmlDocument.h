#pragma once

#include <pugixml.hpp>

#include <string>
#include <string_view>

namespace vantor {

// A pugixml document that can be copied, as the sheets and style sheet that
// hold one are copied from the template into each report.
class XmlDocument : public pugi::xml_document {
public:
    XmlDocument() = default;
    XmlDocument(const XmlDocument& other) : pugi::xml_document() { reset(other); }
    XmlDocument& operator=(const XmlDocument& other)
    {
        if (this != &other)
            reset(other);
        return *this;
    }
    XmlDocument(XmlDocument&&) noexcept = default;
    XmlDocument& operator=(XmlDocument&&) noexcept = default;

    // False, with pugixml's reason and the byte it stopped at, on malformed
    // input. Blanks that are an element's only content are kept: cell texts
    // depend on them.
    bool parse(std::string_view text, std::string& error);

    // The document with an XML declaration, without indentation, as
    // SpreadsheetML parts are written.
    std::string toText() const;
};

// One element and its content as XML (no declaration, no indentation).
std::string xmlOf(pugi::xml_node element);

// The element's name without its namespace prefix.
std::string_view localName(pugi::xml_node node);
// First child element with this local name (an empty node when none).
pugi::xml_node childNamed(pugi::xml_node parent, std::string_view local);
// The character data directly inside an element (text and CDATA runs joined).
std::string textOf(pugi::xml_node element);

// Text made safe for XML 1.0: control characters other than tab, line feed
// and carriage return dropped, malformed UTF-8, surrogates and the two
// non-characters U+FFFE/U+FFFF replaced by U+FFFD.
std::string xmlSafeText(std::string_view text);

} // namespace vantor
