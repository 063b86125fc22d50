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

std::string withoutDicomPadding(const std::string& text)
{
    const std::size_t end = text.find_last_not_of(std::string(" \0", 2));
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string patientListCsv(const DisplayNameTable& names)
{
    std::string csv;
    for (const DisplayNameTable::Entry& entry : names.entries()) {
        appendField(csv, entry.DispName);
        csv += ',';
        appendField(csv, withoutDicomPadding(entry.RealName));
        csv += ',';
        appendField(csv, withoutDicomPadding(entry.RealID));
        csv += "\r\n";
    }
    return csv;
}

bool writePatientListCsv(const std::string& path, const DisplayNameTable& names)
{
    return !path.empty() && writeFileAtomically(path, patientListCsv(names));
}

} // namespace vantor
