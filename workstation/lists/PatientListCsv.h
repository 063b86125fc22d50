#pragma once

#include <string>

namespace vantor {

class DisplayNameTable;

// The patient list as CSV: one line per patient in catalogue order,
// DispName,RealName,RealID, each ended by CR LF, no header line, UTF-8.
// A field holding a comma, a double quote or a line break is put in double
// quotes (inner quotes doubled) so that it stays one field; every other field
// is written as it stands.
std::string patientListCsv(const DisplayNameTable& names);

// Creates or replaces path with the list (through a temporary file, so a
// failed export leaves an earlier file whole). False when it cannot be written.
bool writePatientListCsv(const std::string& path, const DisplayNameTable& names);

} // namespace vantor
