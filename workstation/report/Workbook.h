#pragma once

#include "report/CellStyles.h"
#include "report/Worksheet.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// A spreadsheet workbook (.xlsx, Office Open XML SpreadsheetML) as far as
// the report needs it: its worksheets in tab order with their names and
// cells, the cell formats and the theme. Reading resolves shared strings;
// writing builds a fresh package (content types, relationships, workbook,
// shared strings, one part per sheet). Parts the report does not use
// (document properties, drawings, defined names, calculation chain) are not
// carried over.
class Workbook {
public:
    // False, with a reason, when the bytes are not a readable workbook.
    bool loadBytes(std::string bytes, std::string& error);
    bool loadFile(const std::string& path, std::string& error);

    // The .xlsx package.
    std::string toBytes() const;
    // Written through a temporary file renamed over path, so an existing
    // file is either replaced whole or left as it was.
    bool saveFile(const std::string& path, std::string& error) const;

    int sheetCount() const { return static_cast<int>(sheets_.size()); }
    // -1 when there is no sheet of that name (names compare as a spreadsheet
    // does: without regard to case, for every script that has case).
    int sheetIndex(std::string_view name) const;
    const std::string& sheetName(int index) const { return sheets_.at(static_cast<std::size_t>(index)).name; }
    Worksheet& sheet(int index) { return sheets_.at(static_cast<std::size_t>(index)).sheet; }
    const Worksheet& sheet(int index) const { return sheets_.at(static_cast<std::size_t>(index)).sheet; }

    // Renames without checks; SheetNaming makes names a spreadsheet accepts.
    void renameSheet(int index, std::string name);
    std::vector<std::string> sheetNames() const;

    // Inserts a copy of another workbook's sheet at position (0 = first tab)
    // and returns its index. Its cell formats are this workbook's: copy
    // sheets only between workbooks that share their style sheet.
    int insertSheet(int position, std::string name, const Worksheet& sheet);
    void removeSheet(int index);

    int activeSheet() const { return active_; }
    void setActiveSheet(int index);

    CellStyles& styles() { return styles_; }
    const CellStyles& styles() const { return styles_; }

    // An empty workbook with this one's styles and theme (as copying a sheet
    // into a new workbook brings them along).
    Workbook emptyCopy() const;

    static bool namesEqual(std::string_view a, std::string_view b);

private:
    struct NamedSheet {
        std::string name;
        Worksheet sheet;
    };
    std::vector<NamedSheet> sheets_;
    CellStyles styles_;
    std::optional<std::string> theme_;
    int active_ = 0;
};

} // namespace vantor
