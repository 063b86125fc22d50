#pragma once

#include <string>
#include <string_view>

namespace vantor {

class Workbook;

// Sheet names a spreadsheet accepts. A patient's name becomes a sheet name,
// and a spreadsheet refuses names that are empty, longer than 31 UTF-16
// units, hold any of : \ / ? * [ ] or a control character, begin or end with
// an apostrophe, are "History", or are already taken (letter case aside).
class SheetNaming {
public:
    static constexpr std::size_t MaximumLength = 31;

    // True when a spreadsheet would accept name as it stands (uniqueness aside).
    static bool isAcceptable(std::string_view name);

    // The wanted name made acceptable: refused characters become "_",
    // apostrophes at the ends are dropped, the name is cut to 31 units at a
    // character boundary, and fallback stands in for a name left empty.
    static std::string cleaned(std::string_view wanted, std::string_view fallback);

    // cleaned(), then made unique in the workbook by " (2)", " (3)", ...
    // (the sheet at ownIndex does not count as taken, so a sheet keeps its
    // own name when renamed to it again).
    static std::string unique(std::string_view wanted, std::string_view fallback, const Workbook& workbook,
                              int ownIndex);

    // Length in UTF-16 units, as the 31-unit limit counts.
    static std::size_t utf16Length(std::string_view text);
};

} // namespace vantor
