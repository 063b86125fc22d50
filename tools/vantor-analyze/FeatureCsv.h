#pragma once

#include <string>

namespace vantor {

// Rewrites a feature table as the engine writes it (Japanese headings in
// the first line, 33 values per record, a space before the tenth and a
// trailing comma) as a plain UTF-8 CSV with English column names. Returns
// the number of records; -1 with the reason in error when it fails.
int writeFeatureCsv(const std::string& featureTable, const std::string& csvPath, std::string& error);

} // namespace vantor
