#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantor {

// One element of the small XML documents that make up a workbook package:
// name as written (with its prefix), attributes in document order, child
// elements and the element's character data. Whitespace between child
// elements is not kept; the text of a leaf element is kept exactly (cell
// texts depend on their blanks).
struct XmlElement {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<XmlElement> children;
    std::string text;

    XmlElement() = default;
    explicit XmlElement(std::string elementName) : name(std::move(elementName)) {}

    // The name without its namespace prefix.
    std::string_view localName() const;

    const std::string* attribute(std::string_view attributeName) const;
    std::string attributeOr(std::string_view attributeName, std::string fallback = {}) const;
    void setAttribute(std::string_view attributeName, std::string value);
    void removeAttribute(std::string_view attributeName);

    // First child with this local name, or nullptr.
    XmlElement* child(std::string_view local);
    const XmlElement* child(std::string_view local) const;
    // Appends a child and returns it.
    XmlElement& append(XmlElement element);
};

// Parses a whole document into its root element. False, with a reason, on
// malformed input; nesting deeper than 200 levels counts as malformed.
bool parseXml(std::string_view document, XmlElement& root, std::string& error);

// The document with an XML declaration, as SpreadsheetML parts are written.
std::string serializeXml(const XmlElement& root);
// One element (no declaration) appended to out.
void appendXml(const XmlElement& element, std::string& out);

// Text made safe for element content and attribute values: markup characters
// escaped, characters XML forbids (control characters, malformed UTF-8)
// dropped or replaced by U+FFFD.
std::string escapeXml(std::string_view text);

} // namespace vantor
