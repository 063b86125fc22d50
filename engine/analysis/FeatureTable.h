#pragma once

#include "FeatureRecord.h"

#include <string>
#include <vector>

namespace zvipengine {

// The comma-separated tables of the structure analysis: the feature table
// (27 Shift-JIS headings, one line of 33 values per candidate) and the
// confidence table.
class FeatureTable {
public:
    struct Date {
        int year, month, day;
    };
    static Date today();
    // folder: the path F without its final separator; second: a folder S
    // that the file goes into when it has at least 2 characters.
    static std::string featureFileName(const std::string& folder, const std::string& name,
                                       const std::string& second, const Date& date);
    // The Shift-JIS heading line, line end included.
    static std::string headingLine();
    static std::string recordLine(const FeatureRecord& record);
    // False when the file cannot be created (the table is then skipped).
    static bool writeFeatures(const std::string& fileName, const std::vector<FeatureRecord>& records);
    static bool writeConfidence(const std::string& fileName, const std::vector<FeatureRecord>& records);
};

} // namespace zvipengine
