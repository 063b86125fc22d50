#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// A cell position, 1-based as a spreadsheet counts: row 1..1048576, column
// 1..16384 (A..XFD).
struct CellAddress {
    static constexpr int MaximumRow = 1048576;
    static constexpr int MaximumColumn = 16384;

    int row = 1;
    int column = 1;

    static bool isValid(int row, int column)
    {
        return row >= 1 && row <= MaximumRow && column >= 1 && column <= MaximumColumn;
    }

    // "A", "Z", "AA", ... "XFD"; empty outside 1..MaximumColumn.
    static std::string columnName(int column);
    // "B7"; empty when the position lies outside a sheet.
    static std::string reference(int row, int column);
    // "B7" or "$B$7" → (7, 2); nullopt for anything else.
    static std::optional<CellAddress> parse(std::string_view reference);

    bool operator==(const CellAddress&) const = default;
};

} // namespace vantor
