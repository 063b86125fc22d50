#pragma once

#include "display/SeriesState.h"

#include <functional>
#include <string>
#include <vector>

class VazAZUrorav;
class ZQDICOM;

namespace vantor {

// What a series load tells its window: messages for the reader (OK button)
// and the number of the file being registered.
struct SeriesLoadReport {
    std::function<void(const std::string& message)> showMessage;
    std::function<void(int fileNumber)> showProgress;
};

// The slice files of a series folder: every file except "DICOMDIR" and names
// ending in "L_ser.dat", sorted by text.
std::vector<std::string> listSeriesFiles(const std::string& folder);

// Reads every file of the folder through dicom and hands its pixels to the
// engine as one volume: the pre-sort by instance number, the size check, the
// first file's geometry and header fields, SetDataProfile with the offset
// -1024 and the negated z spacing, SetDicomImage / SetDicomImageBits per
// file. The engine is not sorted here. Returns false (with the message) for
// a folder without files.
bool registerSeries(const std::string& folder, ZQDICOM& dicom, VazAZUrorav& engine, SeriesState& series,
                    FirstFileFields& firstFile, const SeriesLoadReport& report);

} // namespace vantor
