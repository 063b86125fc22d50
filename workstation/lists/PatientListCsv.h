#pragma once

#include <string>

namespace vantor {

class DisplayNameTable;

// The patient list as CSV: one line per patient in catalogue order,
// DispName,RealName,RealID, each ended by CR LF, no header line, UTF-8.
// A field holding a comma, a double quote or a line break is put in double
// quotes (inner quotes doubled) so that it stays one field; every other field
// is written as it stands.
// Names and IDs are written without the spaces (and NULs) that pad DICOM values.
std::string patientListCsv(const DisplayNameTable& names);

// text without the trailing spaces and NULs of a padded DICOM value.
std::string withoutDicomPadding(const std::string& text);

// Creates or replaces path with the list (through a temporary file, so a
// failed export leaves an earlier file whole). False when it cannot be written.
bool writePatientListCsv(const std::string& path, const DisplayNameTable& names);

} // namespace vantor
