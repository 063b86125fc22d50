#include "DepthImageRecord.h"

#include "../imaging/LittleEndian.h"

#include <cstring>

namespace zvipengine {

void DepthImageRecord::writeHeader(std::uint8_t* record, const Header& header)
{
    storeLittleEndian32(record + 0, static_cast<std::uint32_t>(header.width));
    storeLittleEndian32(record + 4, static_cast<std::uint32_t>(header.height));
    storeLittleEndian32(record + 8, static_cast<std::uint32_t>(header.start));
    storeLittleEndian32(record + 12, static_cast<std::uint32_t>(header.depth));
    float values[16];
    header.view.store(values);
    for (int n = 0; n < 16; ++n) {
        std::uint32_t bits;
        std::memcpy(&bits, &values[n], 4);
        storeLittleEndian32(record + 16 + 4 * n, bits);
    }
}

DepthImageRecord::Header DepthImageRecord::readHeader(const std::uint8_t* record)
{
    Header h;
    h.width = loadLittleEndian32(record + 0);
    h.height = loadLittleEndian32(record + 4);
    h.start = loadLittleEndian32(record + 8);
    h.depth = loadLittleEndian32(record + 12);
    float values[16];
    for (int n = 0; n < 16; ++n) {
        const auto bits = static_cast<std::uint32_t>(loadLittleEndian32(record + 16 + 4 * n));
        std::memcpy(&values[n], &bits, 4);
    }
    h.view = Matrix4::load(values);
    return h;
}

} // namespace zvipengine
