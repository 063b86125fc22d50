// The catalogue cache beside a data folder: any text, parsed as the folder
// chooser reads it, then written back from what was read.
#include "catalogue/CatalogueCacheReader.h"
#include "catalogue/CatalogueCacheWriter.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto result = vantor::CatalogueCacheReader::parse(std::string(reinterpret_cast<const char*>(data), size));
    if (result.read && vantor::CatalogueCacheWriter::canStore(result.catalogue))
        (void)vantor::CatalogueCacheWriter::text(result.catalogue);
    return 0;
}
