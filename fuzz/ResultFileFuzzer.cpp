// The reading-result file: any bytes, decoded for a folder of three patients,
// again for the folder the file names, and written back with its surplus.
#include "reading/ReadingRecordOperations.h"
#include "reading/ResultFile.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view image(reinterpret_cast<const char*>(data), size);
    vantor::Readings readings(3);
    for (vantor::ReadingRecord& record : readings)
        vantor::ClearReading(record);
    vantor::ResultFile file;
    auto outcome = file.decode(image, "/data/folder", readings);
    if (outcome.Status == vantor::ResultFile::ReadStatus::FolderMismatch)
        outcome = file.decode(image, outcome.StoredFolder, readings);
    if (outcome.Status == vantor::ResultFile::ReadStatus::Restored)
        (void)file.encode(outcome.StoredFolder, readings);
    return 0;
}
