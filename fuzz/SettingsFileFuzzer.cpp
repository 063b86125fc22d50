// The settings file: any bytes as the INI file that start-up reads (program
// settings, readers, window presets).
#include "MemoryFile.h"
#include "startup/ProfileFile.h"
#include "startup/ProgramSettings.h"
#include "startup/ReaderList.h"
#include "startup/WindowPresets.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const MemoryFile file(data, size);
    const vantor::ProfileFile settings(file.path());
    vantor::WorkstationState state;
    vantor::loadProgramSettings(settings, state);
    (void)vantor::lastOpenedFolder(settings);
    vantor::ReaderList readers;
    readers.load(settings);
    for (const auto& entry : vantor::loadWindowPresets(settings, state))
        (void)entry;
    return 0;
}
