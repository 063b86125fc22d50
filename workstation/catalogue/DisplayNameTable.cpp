#include "catalogue/DisplayNameTable.h"

#include "catalogue/Catalogue.h"

#include <cstdio>

namespace vantor {

std::string DisplayNameTable::displayName(std::size_t patientIndex)
{
    char digits[32];
    std::snprintf(digits, sizeof digits, "%05zu", patientIndex + 1);
    return std::string("Patient_") + digits;
}

DisplayNameTable DisplayNameTable::hidePatientNames(Catalogue& catalogue)
{
    DisplayNameTable table;
    table.m_entries.reserve(catalogue.Patients.size());
    for (std::size_t index = 0; index < catalogue.Patients.size(); ++index) {
        PatientEntry& patient = catalogue.Patients[index];
        Entry entry{displayName(index), patient.PatientName, patient.PatientID};
        patient.PatientName = entry.DispName;
        patient.PatientID = entry.DispName;
        table.m_entries.push_back(std::move(entry));
    }
    return table;
}

} // namespace vantor
