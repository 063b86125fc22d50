#pragma once

#include "catalogue/Catalogue.h"
#include "reading/ReadingRecord.h"
#include "reading/ReadingRecordOperations.h"

#include <cstdio>
#include <sys/wait.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace vantor::test {

inline std::string templatePath()
{
    return std::string(VANTOR_SOURCE_DIR) + "/data/ReportSample.xlsx";
}

// A fresh folder under the temporary folder, removed with its contents.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::random_device seed;
        path_ = std::filesystem::temp_directory_path() / ("vantor-report-" + std::to_string(seed()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline Catalogue catalogueOf(const std::vector<std::string>& names)
{
    Catalogue catalogue;
    for (const std::string& name : names) {
        PatientEntry patient;
        patient.FolderName = name;
        patient.PatientName = name;
        catalogue.Patients.push_back(patient);
    }
    return catalogue;
}

// A fresh, cleared record of a patient whose series was loaded.
inline ReadingRecord clearedRecord(const std::string& name)
{
    ReadingRecord record;
    ClearReading(record);
    record.PatientName = name;
    return record;
}

// A reading with an answer in nearly every section.
inline ReadingRecord fullReading()
{
    ReadingRecord r = clearedRecord("YAMADA^TARO");
    r.PatientID = "00123";
    r.StudyDate = "2020/01/02";
    r.StudyTime = "10:11:12";
    r.Manufacturer = "ACME";
    r.ModelName = "CT-1";
    r.Findings = 1;
    r.RoundPresent = 1;
    r.RoundSize = {1, 1, 0, 0};
    r.RoundPredominantSize = 1;
    r.RoundGrade = {0, 2, 1, 0, 0, 3, 0};
    r.GgoGradable = 1;
    r.GgoPresent = 1;
    r.GgoGrade = {1, 1, 1, 1, 1, 1, 0};
    r.EmphysemaPresent = 1;
    r.EmphysemaGrade = {3, 0, 0, 0, 0, 2, 0};
    r.LargePresent = 1;
    r.LargeSize = 2;
    r.LargeZone = {1, 0, 0, 1, 0, 0, 0};
    r.PredominantParenchymal = 0;
    r.Symbol = {};
    r.Symbol[3] = r.Symbol[5] = r.Symbol[20] = 1;
    r.PleuralPresent = 1;
    r.PleuralType = {1, 0, 0, 1, 0};
    r.PleuralPredominantType = 3;
    r.PleuralSite = {0, 1, 0, 0, 1, 0, 0};
    r.PleuralExtentWidth = {2, 3, 1, 0, 0};
    r.CalcPresent = 1;
    r.CalcSite = {1, 0, 1, 0};
    r.Comment = "Nodules in both upper zones & <pleural> plaques";
    r.ReadingDate = "2026/12/07";
    r.ReaderName = "Dr. Suzuki";
    return r;
}

// A cell as read back: its value as text, its type and whether it is boxed.
struct CellReading {
    std::string kind; // "str", "int", "float", "NoneType"
    std::string value;
    bool boxed = false;
};

struct WorkbookReading {
    std::vector<std::string> sheets;
    std::map<std::pair<std::string, std::string>, CellReading> cells; // (sheet, reference)

    const CellReading* cell(const std::string& sheet, const std::string& reference) const
    {
        const auto found = cells.find({sheet, reference});
        return found == cells.end() ? nullptr : &found->second;
    }
};

// Lines of a reader script: "SHEETS<US>names...", and one line per cell:
// sheet<US>reference<US>type<US>value<US>boxed. Other lines go to other.
inline WorkbookReading parseReading(const std::string& output, std::vector<std::vector<std::string>>* other = nullptr)
{
    WorkbookReading reading;
    std::size_t start = 0;
    while (start < output.size()) {
        const std::size_t end = std::min(output.find('\n', start), output.size());
        std::vector<std::string> fields;
        std::size_t fieldStart = start;
        for (std::size_t i = start; i <= end; ++i) {
            if (i == end || output[i] == '\x1f') {
                fields.push_back(output.substr(fieldStart, i - fieldStart));
                fieldStart = i + 1;
            }
        }
        if (!fields.empty() && fields[0] == "SHEETS")
            reading.sheets.assign(fields.begin() + 1, fields.end());
        else if (fields.size() == 5)
            reading.cells[{fields[0], fields[1]}] = {fields[2], fields[3], fields[4] == "1"};
        else if (other && !fields.empty() && !fields[0].empty())
            other->push_back(fields);
        start = end + 1;
    }
    return reading;
}

// Runs a command; its standard output, or nullopt with failure set ("" when
// the command exits with status 3: the reader is not installed).
inline std::optional<std::string> runReader(const std::string& command, std::string& failure)
{
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) {
        failure = "cannot start " + command;
        return std::nullopt;
    }
    std::string output;
    char buffer[4096];
    while (std::size_t count = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, count);
    const int status = pclose(pipe);
    if (status != 0) {
        failure = WIFEXITED(status) && WEXITSTATUS(status) == 3 ? "" : command + " failed: " + output;
        return std::nullopt;
    }
    return output;
}

// The workbook as Debian's openpyxl reads it; nullopt when it is not installed.
inline std::optional<WorkbookReading> readWithOpenpyxl(const std::string& path, std::string& failure)
{
    const std::string script = std::string(VANTOR_SOURCE_DIR) + "/workstation/report/tests/dump_workbook.py";
    const auto output = runReader("/usr/bin/python3 '" + script + "' '" + path + "'", failure);
    if (!output)
        return std::nullopt;
    return parseReading(*output);
}

// A workbook as LibreOffice Calc opened it: the questions it asked while
// loading (none for a sound file), the time it took, and its cells as its CSV
// export writes them (numbers typed "int" or "float", no borders).
struct LibreOfficeReading {
    std::string problems;
    double seconds = 0;
    WorkbookReading book;
};

// Opens every file in one LibreOffice session; nullopt when LibreOffice or
// its Python bridge is not installed (failure empty) or the run failed.
inline std::optional<std::map<std::string, LibreOfficeReading>> readWithLibreOffice(
    const std::string& workFolder, const std::vector<std::string>& paths, std::string& failure)
{
    std::string command =
        "/usr/bin/python3 '" + std::string(VANTOR_SOURCE_DIR) + "/workstation/report/tests/libreoffice_read.py' '" +
        workFolder + "'";
    for (const std::string& path : paths)
        command += " '" + path + "'";
    const auto output = runReader(command, failure);
    if (!output)
        return std::nullopt;
    std::map<std::string, LibreOfficeReading> result;
    // The output is split at each FILE line; each part is one workbook.
    std::size_t at = output->find("FILE\x1f");
    while (at != std::string::npos) {
        const std::size_t next = output->find("\nFILE\x1f", at);
        const std::string part = output->substr(at, next == std::string::npos ? std::string::npos : next + 1 - at);
        std::vector<std::vector<std::string>> other;
        LibreOfficeReading reading;
        reading.book = parseReading(part, &other);
        for (auto& [key, cell] : reading.book.cells)
            if (cell.kind == "num")
                cell.kind = cell.value.find_first_of(".E") == std::string::npos ? "int" : "float";
        if (!other.empty() && other[0].size() == 4) {
            reading.seconds = std::atof(other[0][2].c_str());
            reading.problems = other[0][3];
            result[other[0][1]] = std::move(reading);
        }
        at = next == std::string::npos ? next : next + 1;
    }
    return result;
}

} // namespace vantor::test
