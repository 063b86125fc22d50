#pragma once

// Series folders and file-level floors shared by the load benchmarks: a
// generated 512 x 512 x 300 chest series, its copies compressed by DCMTK's
// and GDCM's encoders, a plain read of the files, eviction from the page
// cache, and decoding with GDCM alone.

#include <VantorSyntheticCT/DataSetWriter.h>
#include <gdcmImageReader.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace benchfiles {

namespace fs = std::filesystem;

inline std::vector<std::string> filesOf(const fs::path& folder)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

// `data` holds PAT001/<study>/<series>/ with 300 slices, written once per machine.
inline void writeSeries(const fs::path& data)
{
    if (fs::exists(data / "PAT001"))
        return;
    VantorSyntheticCT::SeriesOptions series;
    series.slices = 300;
    const auto written = VantorSyntheticCT::DataSetWriter::write(
        VantorSyntheticCT::DataSetOptions::singleSeries(series, 11), data.string(), {});
    if (!written.ok)
        std::fprintf(stderr, "bench: %s\n", written.error.c_str());
}

// The same tree with every file compressed by `command` (two encoders at a time).
inline void compressTree(const fs::path& from, const fs::path& to, const std::string& command)
{
    if (fs::exists(to / "done"))
        return;
    fs::remove_all(to);
    for (const auto& entry : fs::recursive_directory_iterator(from))
        if (entry.is_directory())
            fs::create_directories(to / fs::relative(entry.path(), from));
    const std::string line = "cd '" + from.string() + "' && find . -type f | xargs -P 2 -I{} sh -c '" + command +
                             " \"$0\" \"" + to.string() + "/$0\" >/dev/null 2>&1' {}";
    if (std::system(line.c_str()) == 0)
        std::fclose(std::fopen((to / "done").c_str(), "w"));
    else
        std::fprintf(stderr, "bench: %s failed\n", command.c_str());
}

inline std::size_t plainRead(const std::vector<std::string>& files)
{
    static std::vector<char> buffer(1 << 20);
    std::size_t total = 0;
    for (const auto& path : files) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (file == nullptr)
            continue;
        std::size_t got = 0;
        while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
            total += got;
        std::fclose(file);
    }
    return total;
}

// Drops the files from the page cache, for the cold runs of ours and the floor alike.
inline void evict(const std::vector<std::string>& files)
{
    for (const auto& path : files) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        ::fdatasync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

// Every file read and decoded by GDCM alone, one after another.
inline std::size_t gdcmDecode(const std::vector<std::string>& files)
{
    static std::vector<char> pixels;
    std::size_t total = 0;
    for (const auto& path : files) {
        gdcm::ImageReader reader;
        reader.SetFileName(path.c_str());
        if (!reader.Read())
            continue;
        const gdcm::Image& image = reader.GetImage();
        pixels.resize(image.GetBufferLength());
        if (image.GetBuffer(pixels.data()))
            total += pixels.size();
    }
    return total;
}

} // namespace benchfiles
