#include "catalogue/DisplayNameTable.h"
#include "catalogue/Catalogue.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(DisplayNameTable, HidesThreePatientsBehindNumberedNames)
{
    Catalogue catalogue;
    for (const char* name : {"ALPHA^A", "BETA^B", "GAMMA^C"}) {
        PatientEntry& patient = catalogue.Patients.emplace_back();
        patient.PatientName = name;
        patient.PatientID = std::string("ID-") + name;
    }
    const DisplayNameTable table = DisplayNameTable::hidePatientNames(catalogue);
    ASSERT_EQ(table.size(), 3u);
    const char* expected[] = {"Patient_00001", "Patient_00002", "Patient_00003"};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(table[i].DispName, expected[i]);
        EXPECT_EQ(catalogue.Patients[i].PatientName, expected[i]);
        EXPECT_EQ(catalogue.Patients[i].PatientID, expected[i]);
    }
    EXPECT_EQ(table[1].RealName, "BETA^B");
    EXPECT_EQ(table[2].RealID, "ID-GAMMA^C");
    EXPECT_EQ(DisplayNameTable::displayName(99999), "Patient_100000");
}

} // namespace
} // namespace vantor
