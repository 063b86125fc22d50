#include "catalogue/Catalogue.h"
#include "catalogue/DisplayNameTable.h"
#include "lists/PatientListCsv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>
#include <fstream>
#include <iterator>
#include <string>

using namespace vantor;

namespace {

DisplayNameTable hiddenNames(std::initializer_list<std::pair<std::string, std::string>> patients)
{
    Catalogue catalogue;
    for (const auto& [name, id] : patients) {
        PatientEntry patient;
        patient.PatientName = name;
        patient.PatientID = id;
        catalogue.Patients.push_back(patient);
    }
    return DisplayNameTable::hidePatientNames(catalogue);
}

std::string fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(PatientListCsv, OneCrLfLinePerPatientWithoutHeaderOrDicomPadding)
{
    const DisplayNameTable names =
        hiddenNames({{"YAMADA^TARO ", std::string("0001\0", 5)},
                     {"\xE5\xB1\xB1\xE7\x94\xB0^\xE8\x8A\xB1\xE5\xAD\x90", "0002"},
                     {"", ""}});
    EXPECT_EQ(patientListCsv(names), "Patient_00001,YAMADA^TARO,0001\r\n"
                                     "Patient_00002,\xE5\xB1\xB1\xE7\x94\xB0^\xE8\x8A\xB1\xE5\xAD\x90,0002\r\n"
                                     "Patient_00003,,\r\n");
    EXPECT_EQ(patientListCsv(DisplayNameTable{}), "");
}

TEST(PatientListCsv, FieldsThatWouldSplitAreQuoted)
{
    const DisplayNameTable names = hiddenNames({{"DOE, JOHN", "A\"1"}, {"LINE\r\nBREAK", "7"}});
    EXPECT_EQ(patientListCsv(names), "Patient_00001,\"DOE, JOHN\",\"A\"\"1\"\r\n"
                                     "Patient_00002,\"LINE\r\nBREAK\",7\r\n");
}

TEST(PatientListCsv, WritingReplacesTheFileAndReportsFailure)
{
    const auto folder =
        std::filesystem::temp_directory_path() / ("vantor-patient-list-csv-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const auto target = folder / "list.csv";
    {
        std::ofstream old(target, std::ios::binary);
        old << std::string(500, 'x');
    }
    const DisplayNameTable names = hiddenNames({{"A", "1"}, {"B", "2"}, {"C", "3"}});
    ASSERT_TRUE(writePatientListCsv(target.string(), names));
    EXPECT_EQ(fileBytes(target), "Patient_00001,A,1\r\nPatient_00002,B,2\r\nPatient_00003,C,3\r\n");
    EXPECT_FALSE(writePatientListCsv((folder / "absent" / "list.csv").string(), names));
    EXPECT_FALSE(writePatientListCsv("", names));
    std::filesystem::remove_all(folder);
}
