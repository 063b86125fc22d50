// Category.txt, the descriptions of the reference samples: any bytes.
#include "MemoryFile.h"
#include "display/CategoryTable.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const MemoryFile file(data, size);
    vantor::CategoryTable table;
    table.load(file.path());
    for (const auto& row : table.rows())
        (void)table.description(row.fileName);
    (void)table.description("RO_p.dcm");
    return 0;
}
