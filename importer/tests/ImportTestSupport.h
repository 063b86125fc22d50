#pragma once

#include <VantorSyntheticCT/DataSetWriter.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <stdlib.h>

namespace vantor::importing::testing {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with everything in it.
class TemporaryFolder {
public:
    TemporaryFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "vantor-import-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot make a temporary folder");
        path_ = pattern;
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const fs::path& path() const { return path_; }
    std::string operator/(const std::string& relative) const { return (path_ / relative).string(); }

private:
    fs::path path_;
};

// Small series (32 x 32, a few slices) so that the tests stay quick.
inline VantorSyntheticCT::SeriesOptions smallSeries(int number, const std::string& description, int slices = 3)
{
    VantorSyntheticCT::SeriesOptions series;
    series.columns = 32;
    series.rows = 32;
    series.slices = slices;
    series.seriesNumber = number;
    series.description = description;
    return series;
}

// Two patients: the first with two studies (two series, then one), the second with one series.
inline VantorSyntheticCT::DataSetOptions twoPatients(std::uint64_t seed = 7)
{
    using namespace VantorSyntheticCT;
    DataSetOptions options;
    options.seed = seed;
    options.threads = 1;
    PatientOptions first;
    first.id = "PID/001";
    first.name = "DOE^JANE";
    StudyOptions chest;
    chest.date = "20260105";
    chest.series = {smallSeries(3, "CHEST 1.25"), smallSeries(4, "MEDIASTINUM: 5mm", 2)};
    StudyOptions followUp;
    followUp.date = "20260302";
    followUp.series = {smallSeries(1, "CHEST 1.25", 4)};
    first.studies = {chest, followUp};
    PatientOptions second;
    second.id = "PID-002";
    second.name = "ROE^RICHARD";
    StudyOptions only;
    only.series = {smallSeries(2, "LUNG")};
    second.studies = {only};
    options.patients = {first, second};
    return options;
}

// Every file below folder (hidden ones included), relative, sorted.
inline std::vector<std::string> filesBelow(const fs::path& folder)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(fs::relative(entry.path(), folder).string());
    std::sort(files.begin(), files.end());
    return files;
}

inline std::string fileBytes(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Standard output of a shell command; its exit status in status.
inline std::string commandOutput(const std::string& command, int* status = nullptr)
{
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            output.append(buffer, n);
        const int result = ::pclose(pipe);
        if (status != nullptr)
            *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    }
    return output;
}

// pydicom's count of a source or check and count of a data folder (layout_oracle.py).
inline std::string oracle(const char* mode, const fs::path& folder)
{
    return commandOutput(std::string("/usr/bin/python3 -W ignore " VANTOR_SOURCE_DIR "/importer/tests/layout_oracle.py ") +
                         mode + " '" + folder.string() + "' 2>&1");
}

} // namespace vantor::importing::testing
