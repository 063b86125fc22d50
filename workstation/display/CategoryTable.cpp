#include "display/CategoryTable.h"

#include <fstream>

namespace vantor {

bool CategoryTable::load(const std::string& path)
{
    rows_.clear();
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::string line;
    while (std::getline(file, line)) {
        // Files edited on other systems end their lines with CR LF.
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        Row row;
        const std::size_t firstTab = line.find('\t');
        row.fileName = line.substr(0, firstTab);
        if (firstTab != std::string::npos) {
            const std::size_t secondTab = line.find('\t', firstTab + 1);
            row.description = line.substr(firstTab + 1, secondTab == std::string::npos
                                                            ? std::string::npos
                                                            : secondTab - firstTab - 1);
        }
        rows_.push_back(std::move(row));
    }
    return true;
}

std::string CategoryTable::description(const std::string& fileName) const
{
    for (const Row& row : rows_) {
        if (row.fileName == fileName)
            return row.description;
    }
    return {};
}

} // namespace vantor
