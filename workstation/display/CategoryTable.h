#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vantor {

// The descriptions of the reference samples, read from "Category.txt": one
// row per line in file order, (file name, description), each line split at
// its tab characters with only the first two fields kept.
class CategoryTable {
public:
    struct Row {
        std::string fileName;
        std::string description;
    };

    // Replaces the rows with those of the file; false (and no rows) when the
    // file cannot be opened.
    bool load(const std::string& path);

    // The description of the first row whose file name equals `fileName`
    // exactly; empty when there is none.
    std::string description(const std::string& fileName) const;

    const std::vector<Row>& rows() const { return rows_; }

private:
    std::vector<Row> rows_;
};

} // namespace vantor
