#pragma once

#include "report/XmlDocument.h"

#include <map>
#include <string>
#include <string_view>

namespace vantor {

// The workbook's style sheet (xl/styles.xml). The report only derives new
// cell formats from existing ones; everything else is kept as read.
class CellStyles {
public:
    // A minimal style sheet with one default cell format, for a template
    // that has none.
    CellStyles();

    bool load(std::string_view xml, std::string& error);
    std::string toXml() const;

    int formatCount() const;

    // The cell format that is `format` with a thick border on all four edges
    // (a box around the cell). Made once per source format; boxing a boxed
    // format gives it back. An index outside the table is taken as 0.
    int boxed(int format);

    // True when the format has a thick border on all four edges.
    bool isBoxed(int format) const;

private:
    pugi::xml_node section(std::string_view name);
    pugi::xml_node entry(std::string_view sectionName, int index) const;
    static void updateCount(pugi::xml_node list);

    XmlDocument document_;
    std::map<int, int> boxed_;
};

} // namespace vantor
