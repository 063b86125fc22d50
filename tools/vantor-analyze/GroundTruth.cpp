#include "GroundTruth.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace vantor {

bool readGroundTruth(const std::string& folder, GroundTruth& truth, std::string& error)
{
    const std::filesystem::path header = std::filesystem::path(folder) / "labels.mhd";
    std::ifstream in(header);
    if (!in) {
        error = "no ground truth: cannot read " + header.string();
        return false;
    }
    std::string line, dataFile;
    bool haveDims = false, bytes = false;
    while (std::getline(in, line)) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = line.substr(0, equals);
        key.erase(key.find_last_not_of(' ') + 1);
        std::istringstream value(line.substr(equals + 1));
        if (key == "DimSize")
            haveDims = static_cast<bool>(value >> truth.dims[0] >> truth.dims[1] >> truth.dims[2]);
        else if (key == "ElementType")
            bytes = value.str().find("MET_UCHAR") != std::string::npos;
        else if (key == "ElementDataFile")
            value >> dataFile;
    }
    if (!haveDims || !bytes || dataFile.empty() || truth.dims[0] <= 0 || truth.dims[1] <= 0 || truth.dims[2] <= 0) {
        error = header.string() + ": not a byte volume header";
        return false;
    }
    const std::size_t count = static_cast<std::size_t>(truth.dims[0]) * truth.dims[1] * truth.dims[2];
    truth.labels.resize(count);
    std::ifstream raw(std::filesystem::path(folder) / dataFile, std::ios::binary);
    raw.read(reinterpret_cast<char*>(truth.labels.data()), static_cast<std::streamsize>(count));
    if (raw.gcount() != static_cast<std::streamsize>(count)) {
        error = header.string() + ": the labels file holds fewer voxels than the header says";
        return false;
    }
    return true;
}

} // namespace vantor
