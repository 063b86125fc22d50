#include "display/JpegSize.h"

#include <fstream>
#include <iterator>

namespace vantor {

namespace {

bool isFrameMarker(std::uint8_t marker)
{
    switch (marker) {
    case 0xC0: case 0xC1: case 0xC2: case 0xC3:
    case 0xC9: case 0xCA: case 0xCB:
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<JpegSize> JpegSize::ofBytes(const std::vector<std::uint8_t>& bytes)
{
    const std::size_t n = bytes.size();
    if (n < 2 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return std::nullopt;
    std::size_t p = 2;
    while (p + 4 < n) {
        if (bytes[p] != 0xFF)
            return std::nullopt;
        const std::uint8_t marker = bytes[p + 1];
        if (isFrameMarker(marker)) {
            // A frame header cut off by the end of the file gives no size.
            if (p + 8 >= n)
                return std::nullopt;
            JpegSize size;
            size.height = 256 * bytes[p + 5] + bytes[p + 6];
            size.width = 256 * bytes[p + 7] + bytes[p + 8];
            return size;
        }
        p += 2 + (256 * std::size_t{bytes[p + 2]} + bytes[p + 3]);
    }
    return std::nullopt;
}

std::optional<JpegSize> JpegSize::ofFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return ofBytes(bytes);
}

} // namespace vantor
