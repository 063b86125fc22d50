#include "FeatureCsv.h"

#include <fstream>
#include <sstream>
#include <vector>

namespace vantor {

namespace {

constexpr const char* ColumnNames =
    "centroid_x,centroid_y,centroid_z,box_min_x,box_min_y,box_min_z,box_max_x,box_max_y,box_max_z,"
    "mean_ct_hu,ct_deviation_hu,max_ct_hu,min_ct_hu,volume_mm3,low_density_volume_mm3,"
    "medium_density_volume_mm3,high_density_volume_mm3,circularity,irregularity,maximum_width,"
    "bisecting_width,width_midpoint_x,width_midpoint_y,width_midpoint_z,side,level,chest_wall_distance_mm,"
    "score,measure_1,measure_2,measure_3,measure_4,measure_5";
constexpr int ColumnCount = 33;

std::string trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

} // namespace

int writeFeatureCsv(const std::string& featureTable, const std::string& csvPath, std::string& error)
{
    std::ifstream in(featureTable, std::ios::binary);
    if (!in) {
        error = "cannot read the feature table " + featureTable;
        return -1;
    }
    std::ofstream out(csvPath, std::ios::binary);
    out << ColumnNames << '\n';
    std::string line;
    std::getline(in, line); // the headings
    int records = 0;
    while (std::getline(in, line)) {
        std::vector<std::string> values;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');)
            values.push_back(trimmed(field));
        while (!values.empty() && values.back().empty())
            values.pop_back();
        if (values.empty())
            continue;
        if (static_cast<int>(values.size()) != ColumnCount) {
            error = featureTable + ": a record of " + std::to_string(values.size()) + " values";
            return -1;
        }
        for (int i = 0; i < ColumnCount; ++i)
            out << (i ? "," : "") << values[static_cast<std::size_t>(i)];
        out << '\n';
        ++records;
    }
    out.close();
    if (!out) {
        error = "cannot write " + csvPath;
        return -1;
    }
    return records;
}

} // namespace vantor
