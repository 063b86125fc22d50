#pragma once

#include <string>
#include <vector>

namespace vantor {

struct Catalogue;

// The names behind the anonymous display names, one entry per patient with the
// patient's index. Exists only while patient names are hidden.
class DisplayNameTable {
public:
    struct Entry {
        std::string DispName;
        std::string RealName;
        std::string RealID;
    };

    // Records each patient's name and ID and replaces both by "Patient_" + five digits
    // (Patient_00001 for the first patient).
    static DisplayNameTable hidePatientNames(Catalogue& catalogue);

    // "Patient_" followed by index + 1 written with at least five digits.
    static std::string displayName(std::size_t patientIndex);

    const std::vector<Entry>& entries() const { return m_entries; }
    std::size_t size() const { return m_entries.size(); }
    const Entry& operator[](std::size_t patientIndex) const { return m_entries[patientIndex]; }

private:
    std::vector<Entry> m_entries;
};

} // namespace vantor
