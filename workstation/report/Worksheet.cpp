#include "report/Worksheet.h"

#include "report/CellAddress.h"
#include "report/SharedStringTable.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace vantor {

namespace {

int toInteger(const char* text, int fallback)
{
    const std::string_view view = text ? text : "";
    int value = fallback;
    const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
    return error == std::errc() && !view.empty() ? value : fallback;
}

int toInteger(pugi::xml_attribute attribute, int fallback)
{
    return attribute ? toInteger(attribute.value(), fallback) : fallback;
}

std::string numberText(double value)
{
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : "0";
}

// Children of a worksheet that point at other parts of the source package.
bool refersToOtherParts(std::string_view local)
{
    static constexpr std::string_view names[] = {"drawing", "legacyDrawing", "legacyDrawingHF", "picture",
                                                 "oleObjects", "controls", "tableParts", "hyperlinks", "dimension"};
    return std::find(std::begin(names), std::end(names), local) != std::end(names);
}

void setOrRemove(pugi::xml_node element, const char* name, bool set, const char* value)
{
    if (!set)
        element.remove_attribute(name);
    else if (pugi::xml_attribute existing = element.attribute(name))
        existing.set_value(value);
    else
        element.append_attribute(name).set_value(value);
}

} // namespace

bool Worksheet::load(std::string_view xml, const std::vector<std::string>& sharedStrings, std::string& error)
{
    rows_.clear();
    columns_.clear();
    if (!document_.parse(xml, error))
        return false;
    pugi::xml_node root = document_.document_element();
    if (localName(root) != "worksheet") {
        error = "not a worksheet";
        return false;
    }
    pugi::xml_node data = childNamed(root, "sheetData");
    if (!data) {
        error = "worksheet without sheetData";
        return false;
    }
    for (pugi::xml_node col : childNamed(root, "cols").children())
        columns_.push_back({toInteger(col.attribute("min"), 0), toInteger(col.attribute("max"), 0),
                            std::max(0, toInteger(col.attribute("style"), 0))});
    int previousRow = 0;
    for (pugi::xml_node rowElement : data.children()) {
        if (localName(rowElement) != "row")
            continue;
        const int rowNumber = toInteger(rowElement.attribute("r"), previousRow + 1);
        if (rowNumber < 1 || rowNumber > CellAddress::MaximumRow) {
            error = "row number out of range";
            return false;
        }
        previousRow = rowNumber;
        Row& row = rows_[rowNumber];
        for (pugi::xml_attribute attribute : rowElement.attributes())
            if (std::string_view(attribute.name()) != "r" && std::string_view(attribute.name()) != "spans")
                row.attributes.emplace_back(attribute.name(), attribute.value());
        int previousColumn = 0;
        for (pugi::xml_node c : rowElement.children()) {
            if (localName(c) != "c")
                continue;
            int column = previousColumn + 1;
            if (const pugi::xml_attribute reference = c.attribute("r")) {
                const auto address = CellAddress::parse(reference.value());
                if (!address || address->row != rowNumber) {
                    error = std::string("bad cell reference \"") + reference.value() + "\"";
                    return false;
                }
                column = address->column;
            }
            if (column > CellAddress::MaximumColumn) {
                error = "column out of range";
                return false;
            }
            previousColumn = column;
            Cell cell;
            cell.style = std::max(0, toInteger(c.attribute("s"), 0));
            const std::string_view type = c.attribute("t") ? c.attribute("t").value() : "n";
            pugi::xml_node value = childNamed(c, "v");
            const std::string valueText = textOf(value);
            if (childNamed(c, "f")) {
                cell.kind = Cell::Kind::Kept;
            } else if (type == "s") {
                const int index = value ? toInteger(valueText.c_str(), -1) : -1;
                if (index < 0 || static_cast<std::size_t>(index) >= sharedStrings.size()) {
                    error = "shared string index out of range";
                    return false;
                }
                cell.kind = Cell::Kind::Text;
                cell.text = sharedStrings[static_cast<std::size_t>(index)];
            } else if (type == "inlineStr") {
                cell.kind = Cell::Kind::Text;
                cell.text = SharedStringTable::itemText(childNamed(c, "is"));
            } else if (type == "str") {
                cell.kind = Cell::Kind::Text;
                cell.text = valueText;
            } else if (type == "n" && value) {
                char* end = nullptr;
                cell.number = std::strtod(valueText.c_str(), &end);
                cell.kind = end && *end == '\0' && !valueText.empty() ? Cell::Kind::Number : Cell::Kind::Kept;
            } else if (value) {
                cell.kind = Cell::Kind::Kept; // truth values, errors, dates
            }
            if (cell.kind == Cell::Kind::Kept)
                cell.text = xmlOf(c);
            row.cells[column] = std::move(cell);
        }
    }
    data.remove_children();
    return true;
}

std::string Worksheet::toXml(SharedStringTable& strings, std::size_t& references, bool selected) const
{
    XmlDocument document = document_;
    pugi::xml_node root = document.document_element();
    for (pugi::xml_node child = root.first_child(); child;) {
        pugi::xml_node next = child.next_sibling();
        if (refersToOtherParts(localName(child)))
            root.remove_child(child);
        child = next;
    }
    if (pugi::xml_node setup = childNamed(root, "pageSetup"))
        setup.remove_attribute("r:id");
    for (pugi::xml_node view : childNamed(root, "sheetViews").children())
        if (localName(view) == "sheetView")
            setOrRemove(view, "tabSelected", selected, "1");

    pugi::xml_node data = childNamed(root, "sheetData");
    for (const auto& [rowNumber, row] : rows_) {
        pugi::xml_node rowElement = data.append_child("row");
        rowElement.append_attribute("r").set_value(rowNumber);
        for (const auto& [key, value] : row.attributes)
            rowElement.append_attribute(key.c_str()).set_value(value.c_str());
        for (const auto& [column, cell] : row.cells) {
            pugi::xml_node c;
            if (cell.kind == Cell::Kind::Kept) {
                rowElement.append_buffer(cell.text.data(), cell.text.size());
                c = rowElement.last_child();
            } else
                c = rowElement.append_child("c");
            setOrRemove(c, "r", true, CellAddress::reference(rowNumber, column).c_str());
            setOrRemove(c, "s", cell.style > 0, std::to_string(cell.style).c_str());
            if (cell.kind == Cell::Kind::Number) {
                c.append_child("v").text().set(numberText(cell.number).c_str());
            } else if (cell.kind == Cell::Kind::Text) {
                c.append_attribute("t").set_value("s");
                c.append_child("v").text().set(strings.index(cell.text));
                ++references;
            }
        }
    }
    return document.toText();
}

const Cell* Worksheet::cell(int row, int column) const
{
    const auto r = rows_.find(row);
    if (r == rows_.end())
        return nullptr;
    const auto c = r->second.cells.find(column);
    return c == r->second.cells.end() ? nullptr : &c->second;
}

Cell* Worksheet::touch(int row, int column)
{
    if (!CellAddress::isValid(row, column))
        return nullptr;
    if (Cell* existing = const_cast<Cell*>(cell(row, column)))
        return existing;
    const int format = style(row, column);
    Cell& created = rows_[row].cells[column];
    created.style = format;
    return &created;
}

void Worksheet::setText(int row, int column, std::string text)
{
    Cell* c = touch(row, column);
    if (!c)
        return;
    c->kind = text.empty() ? Cell::Kind::Empty : Cell::Kind::Text;
    c->text = std::move(text);
}

void Worksheet::setNumber(int row, int column, double value)
{
    Cell* c = touch(row, column);
    if (!c)
        return;
    c->kind = Cell::Kind::Number;
    c->number = value;
    c->text.clear();
}

int Worksheet::columnStyle(int column) const
{
    for (const ColumnRange& range : columns_)
        if (column >= range.first && column <= range.last)
            return range.style;
    return 0;
}

int Worksheet::style(int row, int column) const
{
    if (const Cell* c = cell(row, column))
        return c->style;
    const auto r = rows_.find(row);
    if (r != rows_.end()) {
        const auto& attributes = r->second.attributes;
        const auto find = [&](std::string_view name) -> const char* {
            for (const auto& [key, value] : attributes)
                if (key == name)
                    return value.c_str();
            return nullptr;
        };
        const char* custom = find("customFormat");
        if (custom && (std::string_view(custom) == "1" || std::string_view(custom) == "true"))
            return std::max(0, toInteger(find("s"), 0));
    }
    return columnStyle(column);
}

void Worksheet::setStyle(int row, int column, int format)
{
    if (Cell* c = touch(row, column))
        c->style = std::max(0, format);
}

std::vector<std::pair<int, int>> Worksheet::cellPositions() const
{
    std::vector<std::pair<int, int>> positions;
    for (const auto& [number, row] : rows_)
        for (const auto& [column, c] : row.cells)
            positions.emplace_back(number, column);
    return positions;
}

int Worksheet::highestStyle() const
{
    int highest = 0;
    for (const auto& [number, row] : rows_)
        for (const auto& [column, c] : row.cells)
            highest = std::max(highest, c.style);
    return highest;
}

} // namespace vantor
