#include "report/Worksheet.h"

#include "report/CellAddress.h"
#include "report/SharedStringTable.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace vantor {

namespace {

int toInteger(const std::string* text, int fallback)
{
    if (!text)
        return fallback;
    int value = fallback;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    return error == std::errc() ? value : fallback;
}

std::string numberText(double value)
{
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : "0";
}

bool isTrue(const std::string* text)
{
    return text && (*text == "1" || *text == "true");
}

// Children of a worksheet that point at other parts of the source package.
bool refersToOtherParts(std::string_view local)
{
    static constexpr std::string_view names[] = {"drawing", "legacyDrawing", "legacyDrawingHF", "picture",
                                                 "oleObjects", "controls", "tableParts", "hyperlinks", "dimension"};
    return std::find(std::begin(names), std::end(names), local) != std::end(names);
}

} // namespace

bool Worksheet::load(std::string_view xml, const std::vector<std::string>& sharedStrings, std::string& error)
{
    rows_.clear();
    if (!parseXml(xml, root_, error))
        return false;
    if (root_.localName() != "worksheet") {
        error = "not a worksheet";
        return false;
    }
    XmlElement* data = root_.child("sheetData");
    if (!data) {
        error = "worksheet without sheetData";
        return false;
    }
    int previousRow = 0;
    for (XmlElement& rowElement : data->children) {
        if (rowElement.localName() != "row")
            continue;
        const int rowNumber = toInteger(rowElement.attribute("r"), previousRow + 1);
        if (rowNumber < 1 || rowNumber > CellAddress::MaximumRow) {
            error = "row number out of range";
            return false;
        }
        previousRow = rowNumber;
        Row& row = rows_[rowNumber];
        for (auto& attribute : rowElement.attributes)
            if (attribute.first != "r" && attribute.first != "spans")
                row.attributes.push_back(attribute);
        int previousColumn = 0;
        for (XmlElement& c : rowElement.children) {
            if (c.localName() != "c")
                continue;
            int column = previousColumn + 1;
            if (const std::string* reference = c.attribute("r")) {
                const auto address = CellAddress::parse(*reference);
                if (!address || address->row != rowNumber) {
                    error = "bad cell reference \"" + *reference + "\"";
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
            const std::string type = c.attributeOr("t", "n");
            const XmlElement* value = c.child("v");
            if (c.child("f")) {
                cell.kind = Cell::Kind::Kept;
            } else if (type == "s") {
                const int index = value ? toInteger(&value->text, -1) : -1;
                if (index < 0 || static_cast<std::size_t>(index) >= sharedStrings.size()) {
                    error = "shared string index out of range";
                    return false;
                }
                cell.kind = Cell::Kind::Text;
                cell.text = sharedStrings[static_cast<std::size_t>(index)];
            } else if (type == "inlineStr") {
                cell.kind = Cell::Kind::Text;
                if (const XmlElement* item = c.child("is"))
                    cell.text = SharedStringTable::itemText(*item);
            } else if (type == "str") {
                cell.kind = Cell::Kind::Text;
                cell.text = value ? value->text : std::string();
            } else if (type == "n" && value) {
                char* end = nullptr;
                cell.number = std::strtod(value->text.c_str(), &end);
                cell.kind = end && *end == '\0' && !value->text.empty() ? Cell::Kind::Number : Cell::Kind::Kept;
            } else if (value) {
                cell.kind = Cell::Kind::Kept; // truth values, errors, dates
            }
            if (cell.kind == Cell::Kind::Kept)
                cell.kept = c;
            row.cells[column] = std::move(cell);
        }
    }
    data->children.clear();
    data->text.clear();
    return true;
}

std::string Worksheet::toXml(SharedStringTable& strings, std::size_t& references, bool selected) const
{
    XmlElement root = root_;
    std::erase_if(root.children, [](const XmlElement& e) { return refersToOtherParts(e.localName()); });
    for (XmlElement& child : root.children) {
        if (child.localName() == "pageSetup")
            child.removeAttribute("r:id");
        if (child.localName() == "sheetViews") {
            for (XmlElement& view : child.children) {
                if (view.localName() != "sheetView")
                    continue;
                if (selected)
                    view.setAttribute("tabSelected", "1");
                else
                    view.removeAttribute("tabSelected");
            }
        }
    }
    // The rows are written straight into the text: a report holds tens of
    // thousands of cells, and an element tree for each would cost more than
    // the deflating of the package.
    const XmlElement* data = root.child("sheetData");
    const std::string dataName = data->name;
    std::string rowsXml;
    for (const auto& [rowNumber, row] : rows_) {
        rowsXml += "<row r=\"";
        rowsXml += std::to_string(rowNumber);
        rowsXml += '"';
        for (const auto& [key, value] : row.attributes) {
            rowsXml += ' ';
            rowsXml += key;
            rowsXml += "=\"";
            rowsXml += escapeXml(value);
            rowsXml += '"';
        }
        rowsXml += '>';
        for (const auto& [column, cell] : row.cells) {
            const std::string reference = CellAddress::reference(rowNumber, column);
            if (cell.kind == Cell::Kind::Kept) {
                XmlElement c = cell.kept;
                c.setAttribute("r", reference);
                if (cell.style > 0)
                    c.setAttribute("s", std::to_string(cell.style));
                else
                    c.removeAttribute("s");
                appendXml(c, rowsXml);
                continue;
            }
            rowsXml += "<c r=\"";
            rowsXml += reference;
            rowsXml += '"';
            if (cell.style > 0) {
                rowsXml += " s=\"";
                rowsXml += std::to_string(cell.style);
                rowsXml += '"';
            }
            if (cell.kind == Cell::Kind::Number) {
                rowsXml += "><v>";
                rowsXml += numberText(cell.number);
                rowsXml += "</v></c>";
            } else if (cell.kind == Cell::Kind::Text) {
                rowsXml += " t=\"s\"><v>";
                rowsXml += std::to_string(strings.index(cell.text));
                rowsXml += "</v></c>";
                ++references;
            } else {
                rowsXml += "/>";
            }
        }
        rowsXml += "</row>";
    }
    std::string xml = serializeXml(root);
    const std::string emptyData = "<" + dataName + "/>";
    const std::size_t at = xml.find(emptyData);
    if (at != std::string::npos)
        xml.replace(at, emptyData.size(), "<" + dataName + ">" + rowsXml + "</" + dataName + ">");
    return xml;
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
    c->kept = XmlElement();
}

void Worksheet::setNumber(int row, int column, double value)
{
    Cell* c = touch(row, column);
    if (!c)
        return;
    c->kind = Cell::Kind::Number;
    c->number = value;
    c->text.clear();
    c->kept = XmlElement();
}

int Worksheet::columnStyle(int column) const
{
    const XmlElement* columns = root_.child("cols");
    if (!columns)
        return 0;
    for (const XmlElement& col : columns->children) {
        const int first = toInteger(col.attribute("min"), 0);
        const int last = toInteger(col.attribute("max"), 0);
        if (column >= first && column <= last)
            return std::max(0, toInteger(col.attribute("style"), 0));
    }
    return 0;
}

int Worksheet::style(int row, int column) const
{
    if (const Cell* c = cell(row, column))
        return c->style;
    const auto r = rows_.find(row);
    if (r != rows_.end()) {
        const auto& attributes = r->second.attributes;
        const auto find = [&](std::string_view name) -> const std::string* {
            for (const auto& [key, value] : attributes)
                if (key == name)
                    return &value;
            return nullptr;
        };
        if (isTrue(find("customFormat")))
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
