#pragma once

#include "report/XmlDocument.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

class SharedStringTable;

// One cell: a number, a text, or something kept as read (formulas, truth
// values, errors), with its cell format (an index into the workbook's cell
// formats).
struct Cell {
    enum class Kind { Empty, Number, Text, Kept };
    Kind kind = Kind::Empty;
    int style = 0;
    double number = 0.0;
    std::string text; // a Text cell's text; a Kept cell's <c> element as XML
};

// One worksheet part: the cells by row and column, and the rest of the part
// (column widths, merged ranges, page setup, views) kept as read.
class Worksheet {
public:
    // Reads a worksheet part; sharedStrings resolves "s" cells into texts.
    bool load(std::string_view xml, const std::vector<std::string>& sharedStrings, std::string& error);

    // The part as written: texts go to the shared string table; references
    // counts the string cells written. The sheet's selected-tab mark follows
    // selected; elements that refer to parts this writer does not carry
    // (drawings, comments, tables, printer settings) are left out.
    std::string toXml(SharedStringTable& strings, std::size_t& references, bool selected) const;

    // nullptr when the cell does not exist.
    const Cell* cell(int row, int column) const;

    // Puts a text, keeping the cell's format; an empty text empties the cell
    // as a spreadsheet does when it is given "". Positions outside a sheet
    // are ignored.
    void setText(int row, int column, std::string text);
    void setNumber(int row, int column, double value);

    // The format of a cell; for a missing cell the one a spreadsheet gives a
    // cell typed there (the row's format, else the column's).
    int style(int row, int column) const;
    void setStyle(int row, int column, int style);

    // Every existing cell, row by row.
    std::vector<std::pair<int, int>> cellPositions() const;

    // Highest cell format index in use (to check them against the workbook).
    int highestStyle() const;

private:
    struct Row {
        std::vector<std::pair<std::string, std::string>> attributes; // without "r" and "spans"
        std::map<int, Cell> cells;
    };
    Cell* touch(int row, int column);
    int columnStyle(int column) const;

    struct ColumnRange {
        int first = 0;
        int last = 0;
        int style = 0;
    };

    XmlDocument document_; // the worksheet part; its sheetData is written from rows_
    std::map<int, Row> rows_;
    std::vector<ColumnRange> columns_; // the formats of <cols>, read once
};

} // namespace vantor
