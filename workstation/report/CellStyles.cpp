#include "report/CellStyles.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

namespace vantor {

namespace {

constexpr const char* MinimalStyles =
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
    "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
    "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
    "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
    "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs>"
    "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
    "</styleSheet>";

int toInteger(pugi::xml_attribute attribute)
{
    const std::string_view text = attribute.value();
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// Rank of a name in a schema order (names not listed come last).
template <std::size_t N>
std::size_t rank(const std::array<std::string_view, N>& order, std::string_view local)
{
    return static_cast<std::size_t>(std::find(order.begin(), order.end(), local) - order.begin());
}

// Order of a border's children and of the style sheet's sections in the schema.
constexpr std::array<std::string_view, 9> BorderOrder = {"start", "left",     "end",      "right",     "top",
                                                          "bottom", "diagonal", "vertical", "horizontal"};
constexpr std::array<std::string_view, 11> SectionOrder = {"numFmts",    "fonts",       "fills",  "borders",
                                                           "cellStyleXfs", "cellXfs",   "cellStyles", "dxfs",
                                                           "tableStyles", "colors",     "extLst"};

std::size_t elementCount(pugi::xml_node list)
{
    std::size_t count = 0;
    for (pugi::xml_node child : list.children())
        count += child.type() == pugi::node_element;
    return count;
}

} // namespace

CellStyles::CellStyles()
{
    std::string ignored;
    document_.parse(MinimalStyles, ignored);
}

bool CellStyles::load(std::string_view xml, std::string& error)
{
    XmlDocument document;
    if (!document.parse(xml, error))
        return false;
    if (localName(document.document_element()) != "styleSheet") {
        error = "not a style sheet";
        return false;
    }
    document_ = document;
    boxed_.clear();
    // A style sheet without cell formats still needs the default one.
    pugi::xml_node formats = section("cellXfs");
    if (elementCount(formats) == 0) {
        pugi::xml_node xf = formats.append_child("xf");
        for (const char* key : {"numFmtId", "fontId", "fillId", "borderId", "xfId"})
            xf.append_attribute(key).set_value(0);
        updateCount(formats);
    }
    return true;
}

std::string CellStyles::toXml() const
{
    return document_.toText();
}

int CellStyles::formatCount() const
{
    return static_cast<int>(elementCount(childNamed(document_.document_element(), "cellXfs")));
}

pugi::xml_node CellStyles::section(std::string_view name)
{
    pugi::xml_node root = document_.document_element();
    if (pugi::xml_node existing = childNamed(root, name))
        return existing;
    // Sections keep the schema's order: borders after fills, cellXfs after cellStyleXfs.
    pugi::xml_node before = root.first_child();
    while (before && rank(SectionOrder, localName(before)) <= rank(SectionOrder, name))
        before = before.next_sibling();
    pugi::xml_node created =
        before ? root.insert_child_before(std::string(name).c_str(), before) : root.append_child(std::string(name).c_str());
    created.append_attribute("count").set_value(0);
    return created;
}

pugi::xml_node CellStyles::entry(std::string_view sectionName, int index) const
{
    int at = 0;
    for (pugi::xml_node child : childNamed(document_.document_element(), sectionName).children())
        if (child.type() == pugi::node_element && at++ == index)
            return child;
    return {};
}

void CellStyles::updateCount(pugi::xml_node list)
{
    pugi::xml_attribute count = list.attribute("count");
    (count ? count : list.append_attribute("count")).set_value(static_cast<unsigned long long>(elementCount(list)));
}

int CellStyles::boxed(int format)
{
    pugi::xml_node borders = section("borders");
    pugi::xml_node formats = section("cellXfs");
    if (const auto known = boxed_.find(format); known != boxed_.end())
        return known->second;
    if (!entry("cellXfs", format)) {
        format = 0;
        if (const auto known = boxed_.find(format); known != boxed_.end())
            return known->second;
    }

    if (elementCount(borders) == 0) {
        pugi::xml_node empty = borders.append_child("border");
        for (const char* side : {"left", "right", "top", "bottom", "diagonal"})
            empty.append_child(side);
    }
    pugi::xml_node xf = formats.append_copy(entry("cellXfs", format));
    pugi::xml_node source = entry("borders", toInteger(xf.attribute("borderId")));
    pugi::xml_node border = borders.append_copy(source ? source : entry("borders", 0));
    for (pugi::xml_node side : border.children()) {
        if (localName(side) == "start")
            side.set_name("left");
        else if (localName(side) == "end")
            side.set_name("right");
    }
    for (const char* sideName : {"left", "right", "top", "bottom"}) {
        pugi::xml_node side = childNamed(border, sideName);
        if (side)
            border.remove_child(side);
        side = border.append_child(sideName);
        side.append_attribute("style").set_value("thick");
        side.append_child("color").append_attribute("auto").set_value(1);
    }
    std::vector<pugi::xml_node> sides(border.children().begin(), border.children().end());
    std::stable_sort(sides.begin(), sides.end(), [](pugi::xml_node a, pugi::xml_node b) {
        return rank(BorderOrder, localName(a)) < rank(BorderOrder, localName(b));
    });
    for (pugi::xml_node side : sides)
        border.append_move(side);
    updateCount(borders);

    pugi::xml_attribute borderId = xf.attribute("borderId");
    (borderId ? borderId : xf.append_attribute("borderId")).set_value(static_cast<unsigned long long>(elementCount(borders) - 1));
    pugi::xml_attribute apply = xf.attribute("applyBorder");
    (apply ? apply : xf.append_attribute("applyBorder")).set_value(1);
    updateCount(formats);
    const int result = static_cast<int>(elementCount(formats)) - 1;
    boxed_[format] = result;
    boxed_[result] = result;
    return result;
}

bool CellStyles::isBoxed(int format) const
{
    pugi::xml_node xf = entry("cellXfs", format);
    pugi::xml_node border = xf ? entry("borders", toInteger(xf.attribute("borderId"))) : pugi::xml_node();
    if (!border)
        return false;
    for (const char* sideName : {"left", "right", "top", "bottom"})
        if (std::string_view(childNamed(border, sideName).attribute("style").value()) != "thick")
            return false;
    return true;
}

} // namespace vantor
