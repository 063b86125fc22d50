#include "report/SharedStringTable.h"

#include "report/XmlDocument.h"

namespace vantor {

int SharedStringTable::index(const std::string& text)
{
    const auto [found, added] = indices_.try_emplace(text, static_cast<int>(strings_.size()));
    if (added)
        strings_.push_back(text);
    return found->second;
}

std::string SharedStringTable::toXml(std::size_t references) const
{
    XmlDocument document;
    pugi::xml_node root = document.append_child("sst");
    root.append_attribute("xmlns").set_value("http://schemas.openxmlformats.org/spreadsheetml/2006/main");
    root.append_attribute("count").set_value(static_cast<unsigned long long>(references));
    root.append_attribute("uniqueCount").set_value(static_cast<unsigned long long>(strings_.size()));
    for (const std::string& text : strings_) {
        pugi::xml_node t = root.append_child("si").append_child("t");
        const std::string safe = xmlSafeText(text);
        const bool edgeBlank = !safe.empty() && (safe.front() == ' ' || safe.back() == ' ' || safe.front() == '\t' ||
                                                 safe.back() == '\t' || safe.find('\n') != std::string::npos);
        if (edgeBlank)
            t.append_attribute("xml:space").set_value("preserve");
        t.text().set(safe.c_str());
    }
    return document.toText();
}

std::string SharedStringTable::itemText(pugi::xml_node item)
{
    std::string text;
    for (pugi::xml_node part : item.children()) {
        if (localName(part) == "t") {
            text += textOf(part);
        } else if (localName(part) == "r") {
            for (pugi::xml_node run : part.children())
                if (localName(run) == "t")
                    text += textOf(run);
        }
    }
    return text;
}

bool SharedStringTable::parse(std::string_view xml, std::vector<std::string>& strings, std::string& error)
{
    XmlDocument document;
    if (!document.parse(xml, error))
        return false;
    strings.clear();
    for (pugi::xml_node item : document.document_element().children())
        if (localName(item) == "si")
            strings.push_back(itemText(item));
    return true;
}

} // namespace vantor
