// The element dictionary dicom.dic: any bytes, loaded and looked up.
#include "MemoryFile.h"
#include "TagDictionary.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const MemoryFile file(data, size);
    TagDictionary dictionary;
    dictionary.load(file.path());
    (void)dictionary.find(0x0010, 0x0010);
    (void)dictionary.find(0x7FE0, 0x0010);
    return 0;
}
