// The size walk over a sample sketch's JPEG segments: any bytes.
#include "display/JpegSize.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    (void)vantor::JpegSize::ofBytes(std::vector<std::uint8_t>(data, data + size));
    return 0;
}
