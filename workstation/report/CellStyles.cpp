#include "report/CellStyles.h"

#include <algorithm>
#include <array>
#include <charconv>

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

int toInteger(const std::string* text)
{
    int value = 0;
    if (text)
        std::from_chars(text->data(), text->data() + text->size(), value);
    return value;
}

// Order of a border's children in the schema.
constexpr std::array<std::string_view, 9> BorderOrder = {"start",    "left",     "end",      "right",     "top",
                                                          "bottom",   "diagonal", "vertical", "horizontal"};

std::size_t borderRank(std::string_view local)
{
    const auto found = std::find(BorderOrder.begin(), BorderOrder.end(), local);
    return static_cast<std::size_t>(found - BorderOrder.begin());
}

} // namespace

CellStyles::CellStyles()
{
    std::string ignored;
    parseXml(MinimalStyles, root_, ignored);
}

bool CellStyles::load(std::string_view xml, std::string& error)
{
    XmlElement root;
    if (!parseXml(xml, root, error))
        return false;
    if (root.localName() != "styleSheet") {
        error = "not a style sheet";
        return false;
    }
    root_ = std::move(root);
    boxed_.clear();
    // A style sheet without cell formats still needs the default one.
    XmlElement* formats = section("cellXfs", true);
    if (formats->children.empty()) {
        XmlElement xf("xf");
        for (const char* key : {"numFmtId", "fontId", "fillId", "borderId", "xfId"})
            xf.setAttribute(key, "0");
        formats->append(std::move(xf));
        updateCount(*formats);
    }
    return true;
}

std::string CellStyles::toXml() const
{
    return serializeXml(root_);
}

int CellStyles::formatCount() const
{
    const XmlElement* formats = root_.child("cellXfs");
    return formats ? static_cast<int>(formats->children.size()) : 0;
}

XmlElement* CellStyles::section(std::string_view name, bool create)
{
    if (XmlElement* existing = root_.child(name))
        return existing;
    if (!create)
        return nullptr;
    // Sections keep the schema's order: borders after fills, cellXfs after cellStyleXfs.
    static constexpr std::array<std::string_view, 11> order = {
        "numFmts", "fonts", "fills", "borders", "cellStyleXfs", "cellXfs", "cellStyles", "dxfs", "tableStyles",
        "colors",  "extLst"};
    const auto rank = [&](std::string_view local) {
        return static_cast<std::size_t>(std::find(order.begin(), order.end(), local) - order.begin());
    };
    const std::size_t wanted = rank(name);
    auto position = std::find_if(root_.children.begin(), root_.children.end(),
                                 [&](const XmlElement& e) { return rank(e.localName()) > wanted; });
    XmlElement created{std::string(name)};
    created.setAttribute("count", "0");
    return &*root_.children.insert(position, std::move(created));
}

void CellStyles::updateCount(XmlElement& list)
{
    list.setAttribute("count", std::to_string(list.children.size()));
}

int CellStyles::boxed(int format)
{
    // Borders first: creating a section may move the others.
    XmlElement* borders = section("borders", true);
    XmlElement* formats = section("cellXfs", true);
    if (format < 0 || static_cast<std::size_t>(format) >= formats->children.size())
        format = 0;
    if (const auto known = boxed_.find(format); known != boxed_.end())
        return known->second;

    if (borders->children.empty()) {
        XmlElement empty("border");
        for (const char* side : {"left", "right", "top", "bottom", "diagonal"})
            empty.append(XmlElement(side));
        borders->append(std::move(empty));
    }
    XmlElement xf = formats->children[static_cast<std::size_t>(format)];
    int borderIndex = toInteger(xf.attribute("borderId"));
    if (borderIndex < 0 || static_cast<std::size_t>(borderIndex) >= borders->children.size())
        borderIndex = 0;

    XmlElement border = borders->children[static_cast<std::size_t>(borderIndex)];
    for (XmlElement& side : border.children) {
        if (side.localName() == "start")
            side.name = "left";
        else if (side.localName() == "end")
            side.name = "right";
    }
    for (const char* sideName : {"left", "right", "top", "bottom"}) {
        XmlElement* side = border.child(sideName);
        if (!side)
            side = &border.append(XmlElement(sideName));
        side->attributes.clear();
        side->setAttribute("style", "thick");
        side->children.clear();
        XmlElement color("color");
        color.setAttribute("auto", "1");
        side->append(std::move(color));
    }
    std::stable_sort(border.children.begin(), border.children.end(), [](const XmlElement& a, const XmlElement& b) {
        return borderRank(a.localName()) < borderRank(b.localName());
    });
    borders->append(std::move(border));
    updateCount(*borders);

    xf.setAttribute("borderId", std::to_string(borders->children.size() - 1));
    xf.setAttribute("applyBorder", "1");
    formats->append(std::move(xf));
    updateCount(*formats);
    const int result = static_cast<int>(formats->children.size()) - 1;
    boxed_[format] = result;
    boxed_[result] = result;
    return result;
}

bool CellStyles::isBoxed(int format) const
{
    const XmlElement* formats = root_.child("cellXfs");
    const XmlElement* borders = root_.child("borders");
    if (!formats || !borders || format < 0 || static_cast<std::size_t>(format) >= formats->children.size())
        return false;
    const int borderIndex = toInteger(formats->children[static_cast<std::size_t>(format)].attribute("borderId"));
    if (borderIndex < 0 || static_cast<std::size_t>(borderIndex) >= borders->children.size())
        return false;
    const XmlElement& border = borders->children[static_cast<std::size_t>(borderIndex)];
    for (const char* sideName : {"left", "right", "top", "bottom"}) {
        const XmlElement* side = border.child(sideName);
        if (!side || side->attributeOr("style") != "thick")
            return false;
    }
    return true;
}

} // namespace vantor
