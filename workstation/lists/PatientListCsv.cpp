#include "lists/PatientListCsv.h"

#include "catalogue/DisplayNameTable.h"
#include "startup/ProfileFile.h"

namespace vantor {

namespace {

void appendField(std::string& out, const std::string& field)
{
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

} // namespace

std::string patientListCsv(const DisplayNameTable& names)
{
    std::string csv;
    for (const DisplayNameTable::Entry& entry : names.entries()) {
        appendField(csv, entry.DispName);
        csv += ',';
        appendField(csv, entry.RealName);
        csv += ',';
        appendField(csv, entry.RealID);
        csv += "\r\n";
    }
    return csv;
}

bool writePatientListCsv(const std::string& path, const DisplayNameTable& names)
{
    return !path.empty() && writeFileAtomically(path, patientListCsv(names));
}

} // namespace vantor
