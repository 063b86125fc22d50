#include "report/SharedStringTable.h"

#include "report/XmlElement.h"

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
    XmlElement root("sst");
    root.setAttribute("xmlns", "http://schemas.openxmlformats.org/spreadsheetml/2006/main");
    root.setAttribute("count", std::to_string(references));
    root.setAttribute("uniqueCount", std::to_string(strings_.size()));
    root.children.reserve(strings_.size());
    for (const std::string& text : strings_) {
        XmlElement& item = root.append(XmlElement("si"));
        XmlElement& t = item.append(XmlElement("t"));
        t.text = text;
        const bool edgeBlank = !text.empty() && (text.front() == ' ' || text.back() == ' ' || text.front() == '\t' ||
                                                 text.back() == '\t' || text.find('\n') != std::string::npos);
        if (edgeBlank)
            t.setAttribute("xml:space", "preserve");
    }
    return serializeXml(root);
}

std::string SharedStringTable::itemText(const XmlElement& item)
{
    std::string text;
    for (const XmlElement& part : item.children) {
        if (part.localName() == "t") {
            text += part.text;
        } else if (part.localName() == "r") {
            for (const XmlElement& run : part.children)
                if (run.localName() == "t")
                    text += run.text;
        }
    }
    return text;
}

bool SharedStringTable::parse(std::string_view xml, std::vector<std::string>& strings, std::string& error)
{
    XmlElement root;
    if (!parseXml(xml, root, error))
        return false;
    strings.clear();
    strings.reserve(root.children.size());
    for (const XmlElement& item : root.children)
        if (item.localName() == "si")
            strings.push_back(itemText(item));
    return true;
}

} // namespace vantor
