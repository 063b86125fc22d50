// libFuzzer target for the import walk: any bytes as a DICOMDIR (read from
// memory, then from a disc folder with the files it may name) and as an image
// file beside it, through a dry-run import of that folder.

#include <VantorImporter/DicomDirectory.h>
#include <VantorImporter/Importer.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include <stdlib.h>

namespace {

namespace fs = std::filesystem;

// One folder for the whole run, as a disc: DICOMDIR, DICOM/IM1, and the input;
// removed when the run ends.
struct RunFolder {
    RunFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "vantor-import-fuzz-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
        fs::create_directories(path / "disc/DICOM");
        std::ofstream(path / "disc/DICOM/IM1") << "not an image";
    }
    ~RunFolder()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    fs::path path;
};

const fs::path& disc()
{
    static const RunFolder folder;
    return folder.path;
}

void write(const fs::path& path, const std::uint8_t* data, std::size_t size)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                   static_cast<std::streamsize>(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto references = vantor::importing::readDicomDirectory(data, size);
    std::size_t components = 0;
    for (const auto& fileId : references.fileIds)
        components += fileId.size();
    volatile std::size_t keep = components;
    (void)keep;

    write(disc() / "disc/DICOMDIR", data, size);
    write(disc() / "disc/DICOM/INPUT", data, size);
    vantor::importing::ImportRequest request;
    request.sources = {(disc() / "disc").string()};
    request.dataFolder = (disc() / "data").string();
    request.dryRun = true;
    const auto report = vantor::importing::runImport(request);
    (void)vantor::importing::summaryText(report, request.dataFolder, true);
    return 0;
}
