// The engine's buffer files: any bytes, opened and, when the header holds
// together, read into a buffer of the size it declares.
#include "MemoryFile.h"
#include "rendering/BufferFile.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const MemoryFile file(data, size);
    zvipengine::BufferFile::Reader reader;
    if (!reader.open(file.path()))
        return 0;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(reader.header().dataLength));
    reader.readData(buffer.data());
    return 0;
}
