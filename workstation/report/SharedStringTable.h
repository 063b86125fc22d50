#pragma once

#include <pugixml.hpp>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vantor {

// The workbook's shared string table: each distinct cell text once, cells
// refer to it by index. Read from a template, built afresh when saving.
class SharedStringTable {
public:
    // The index of text, added when new.
    int index(const std::string& text);

    std::size_t size() const { return strings_.size(); }
    const std::vector<std::string>& strings() const { return strings_; }

    // The xl/sharedStrings.xml part; references counts the cells that use it.
    // Characters XML cannot carry are left out (see xmlSafeText).
    std::string toXml(std::size_t references) const;

    // Reads a sharedStrings part. Rich text runs are joined into plain text;
    // phonetic guides (rPh) are left out.
    static bool parse(std::string_view xml, std::vector<std::string>& strings, std::string& error);

    // The plain text of a string item (<si> or an inline <is>).
    static std::string itemText(pugi::xml_node item);

private:
    std::vector<std::string> strings_;
    std::unordered_map<std::string, int> indices_;
};

} // namespace vantor
